#include "devices/OVControlModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace ov {

namespace {

constexpr ColorValue ButtonFace = 0xF0F0F0;
constexpr ColorValue WindowWhite = 0xFFFFFF;
constexpr int FormFontPoints = 13;  // the form's 17-pixel font
constexpr int FormCharset = 1;

int FontPixels(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

ControlRecord DesignRecord(ControlKind kind, int n)
{
    const int column = (n - 1) / 10, row = (n - 1) % 10;
    ControlRecord r;
    r.Top = 40 * row;
    r.Font = FontSetting{QStringLiteral("Default"), FormFontPoints, FormCharset, 0, 0};
    switch (kind) {
    case ControlKind::Label:
        r.Text = QStringLiteral("Label%1").arg(n);
        r.Left = n == 1 ? 6 : 200 * column;
        r.Height = 21;
        r.Color = ButtonFace;
        break;
    case ControlKind::Button:
        r.Text = QStringLiteral("Button%1").arg(n);
        r.Left = 20 + 200 * column;
        r.Width = 120;
        r.Height = 30;
        r.Color = ButtonFace;
        break;
    case ControlKind::Edit:
    case ControlKind::Memo:
        r.Text = QStringLiteral("TextBox%1").arg(n);
        r.Left = 60 + 200 * column;
        r.Width = 120;
        r.Height = kind == ControlKind::Edit ? 29 : 30;
        r.Color = WindowWhite;
        break;
    }
    return r;
}

} // namespace

void ControlModel::Reset()
{
    std::fill(std::begin(memoTyped_), std::end(memoTyped_), false);
    FormColor = ButtonFace;
    for (const ControlKind kind : {ControlKind::Label, ControlKind::Button, ControlKind::Edit, ControlKind::Memo}) {
        for (int n = 1; n <= ControlCount; ++n)
            Record(kind, n) = DesignRecord(kind, n);
    }
    for (int n = 1; n <= ControlCount; ++n)
        AutoSizeLabel(n, int(Record(ControlKind::Label, n).Text.size()));  // "LabelN" is all half-width
}

ControlRecord &ControlModel::Record(ControlKind kind, int n)
{
    if (kind == ControlKind::Memo)
        FetchTypedMemo(n);
    return records_[int(kind)][n - 1];
}

const ControlRecord &ControlModel::Record(ControlKind kind, int n) const
{
    if (kind == ControlKind::Memo)
        FetchTypedMemo(n);
    return records_[int(kind)][n - 1];
}

void ControlModel::SetMemoTextSource(MemoTextSource source)
{
    memoSource_ = std::move(source);
}

void ControlModel::MarkMemoTyped(int n)
{
    memoTyped_[n - 1] = true;
}

void ControlModel::FetchTypedMemo(int n) const
{
    if (!memoTyped_[n - 1])
        return;
    memoTyped_[n - 1] = false;
    if (!memoSource_)
        return;
    if (std::optional<QString> text = memoSource_(n))
        records_[int(ControlKind::Memo)][n - 1].Text = std::move(*text);
}

ColorValue ControlModel::ColorOf(ControlKind kind, int n) const
{
    const ControlRecord &r = Record(kind, n);
    return kind == ControlKind::Label && !r.ColorSet ? FormColor : r.Color;
}

// Three fifths of the pixel height per half-width cell, so that a caption
// in the usual fonts is not cut; the height of a line follows the font.
void ControlModel::AutoSizeLabel(int n, int cells, int lines)
{
    ControlRecord &r = Record(ControlKind::Label, n);
    const int pixels = FontPixels(ShownFontPoints(r.Font.Size));
    r.Width = int(std::min<int64_t>(ControlSizeMax, (int64_t(cells) * pixels * 3 + 4) / 5));
    r.Height = int(std::min<int64_t>(ControlSizeMax, int64_t(std::max(1, lines)) * (pixels + pixels / 4)));
}

int ControlModel::ShownFontPoints(int size) const
{
    if (size == 0)
        return DefaultFontPoints;
    return int(std::min<int64_t>(std::abs(int64_t(size)), ControlFontShownMax));
}

ControlModel &Controls()
{
    static ControlModel model;
    return model;
}

} // namespace ov
