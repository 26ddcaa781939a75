#include "executor/OVControlProperties.h"

#include "devices/OVColor.h"
#include "devices/OVControlModel.h"
#include "devices/OVFontStyle.h"
#include "devices/OVWindowState.h"
#include "executor/OVControlScreen.h"
#include "executor/OVDispatch.h"
#include "executor/OVDisplayWidth.h"
#include "executor/OVFormula.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace ov {

namespace {

// ---------------------------------------------------------------- the property codes

enum class Group { Button, Label, TextBox };
enum class Prop { Text, Color, FontCharset, FontColor, FontName, FontSize, FontStyle, Height, Left, Top, Visible,
                  Width, MultiLine };

struct PropertyEntry {
    int32_t Code;  // without the assignment or read base
    Group Owner;
    Prop Property;
};

constexpr PropertyEntry Properties[] = {
    {196, Group::Button, Prop::Text},       {198, Group::Button, Prop::Color},
    {199, Group::Button, Prop::FontCharset}, {200, Group::Button, Prop::FontColor},
    {201, Group::Button, Prop::FontName},   {202, Group::Button, Prop::FontSize},
    {203, Group::Button, Prop::FontStyle},  {204, Group::Button, Prop::Height},
    {205, Group::Button, Prop::Left},       {206, Group::Button, Prop::Top},
    {207, Group::Button, Prop::Visible},    {208, Group::Button, Prop::Width},
    {209, Group::Label, Prop::Text},        {210, Group::Label, Prop::Color},
    {211, Group::Label, Prop::FontCharset}, {212, Group::Label, Prop::FontColor},
    {213, Group::Label, Prop::FontName},    {214, Group::Label, Prop::FontSize},
    {215, Group::Label, Prop::FontStyle},   {216, Group::Label, Prop::Height},
    {217, Group::Label, Prop::Left},        {218, Group::Label, Prop::Top},
    {219, Group::Label, Prop::Visible},     {220, Group::Label, Prop::Width},
    {224, Group::TextBox, Prop::Color},     {225, Group::TextBox, Prop::FontCharset},
    {226, Group::TextBox, Prop::FontColor}, {227, Group::TextBox, Prop::FontName},
    {228, Group::TextBox, Prop::FontSize},  {229, Group::TextBox, Prop::FontStyle},
    {230, Group::TextBox, Prop::Height},    {231, Group::TextBox, Prop::Left},
    {232, Group::TextBox, Prop::MultiLine}, {233, Group::TextBox, Prop::Text},
    {234, Group::TextBox, Prop::Top},       {235, Group::TextBox, Prop::Visible},
    {236, Group::TextBox, Prop::Width},
};

constexpr int32_t ClickRead = PropertyWriteBase + 197;

const PropertyEntry *FindProperty(int32_t code)
{
    for (const PropertyEntry &entry : Properties) {
        if (entry.Code == code)
            return &entry;
    }
    return nullptr;
}

// ---------------------------------------------------------------- values

// Truncated and clamped into low..high; NaN gives low.
int ClampedInt(long double v, int low, int high)
{
    if (!(v >= low))
        return low;
    if (v > high)
        return high;
    return int(std::trunc(v));
}

// Truncated, within the range of int.
int TruncatedInt(long double v)
{
    return ClampedInt(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

bool IsControlIndex(long double x) { return x >= 1 && x < ControlCount + 1; }

int32_t ValueTag(Prop p)
{
    switch (p) {
    case Prop::Text: case Prop::FontName: case Prop::FontStyle: return tagString;
    case Prop::Visible: case Prop::MultiLine: return tagBool;
    default: return tagNumber;
    }
}

bool IsColor(Prop p) { return p == Prop::Color || p == Prop::FontColor; }

struct Value {
    QString Text;
    long double Number = 0;
    bool Flag = false;
    ColorValue Color = 0;
};

// Checks and pops the value of the assignment: a colour is a palette number
// 0..15 or a colour text, anything else is 50024 with nothing popped.
bool PopValue(Prop p, Value &v)
{
    const int32_t tag = TopTag();
    const bool tagFits = IsColor(p) ? tag == tagNumber || tag == tagString : tag == ValueTag(p);
    if (!tagFits || SecondTag() != tagNumber) {
        SetError(50024, CurrentCode);
        return false;
    }
    if (IsColor(p) && tag == tagNumber) {
        if (!PaletteArgument(NumStack[size_t(NumStackTop)], LanguageVersion, v.Color)) {
            SetError(50024, CurrentCode);
            return false;
        }
        PopNumber();
        return true;
    }
    switch (tag) {
    case tagString:
        v.Text = PopString();
        if (IsColor(p))
            v.Color = ParseColorName(v.Text);
        break;
    case tagBool: v.Flag = PopBool(); break;
    default: v.Number = PopNumber(); break;
    }
    return true;
}

// ---------------------------------------------------------------- the components

bool MultiLine(int n) { return TextBoxMultiLine[n].load() != 0; }

ControlKind FaceInUse(int n) { return MultiLine(n) ? ControlKind::Memo : ControlKind::Edit; }

// The records an assignment changes: a text box's text and visibility go to
// the face in use, its other properties to both faces.
int Components(Group g, Prop p, int n, ControlKind kinds[2])
{
    switch (g) {
    case Group::Button: kinds[0] = ControlKind::Button; return 1;
    case Group::Label: kinds[0] = ControlKind::Label; return 1;
    case Group::TextBox: break;
    }
    if (p == Prop::Text || p == Prop::Visible) {
        kinds[0] = FaceInUse(n);
        return 1;
    }
    kinds[0] = ControlKind::Edit;
    kinds[1] = ControlKind::Memo;
    return 2;
}

// The record a read reports: a text box's colour, font and geometry from
// its one-line face, which the assignments keep equal to the other.
ControlKind ReadComponent(Group g, Prop p, int n)
{
    switch (g) {
    case Group::Button: return ControlKind::Button;
    case Group::Label: return ControlKind::Label;
    case Group::TextBox: break;
    }
    return p == Prop::Text || p == Prop::Visible ? FaceInUse(n) : ControlKind::Edit;
}

// A label's caption breaks its lines at CR LF, CR or LF; it is sized to its
// widest line and to the number of its lines.
void AutoSize(ControlKind kind, int n)
{
    if (kind != ControlKind::Label)
        return;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QString &caption = Controls().Record(kind, n).Text;
    int widest = 0, lines = 0;
    for (const QStringView line : QStringView(caption).split(lineBreak)) {
        widest = std::max(widest, StrDisplayWidth(line));
        ++lines;
    }
    Controls().AutoSizeLabel(n, widest, lines);
}

// A label's size follows its caption and font.
bool ChangesLabelSize(Prop p)
{
    switch (p) {
    case Prop::Text: case Prop::FontCharset: case Prop::FontColor: case Prop::FontName: case Prop::FontSize:
    case Prop::FontStyle:
        return true;
    default: return false;
    }
}

void Apply(ControlRecord &r, Prop p, const Value &v)
{
    switch (p) {
    case Prop::Text: r.Text = v.Text; break;
    case Prop::Color:
        r.Color = v.Color;
        r.ColorSet = true;
        break;
    case Prop::FontCharset:
        r.Font.Charset = TruncatedInt(v.Number) & 0xFF;
        break;
    case Prop::FontColor: r.Font.Color = v.Color; break;
    case Prop::FontName: r.Font.Name = v.Text; break;
    case Prop::FontSize: r.Font.Size = TruncatedInt(v.Number); break;
    case Prop::FontStyle: r.Font.Style = StrToFontStyles(v.Text); break;
    case Prop::Height: r.Height = ClampedInt(v.Number, 0, ControlSizeMax); break;
    case Prop::Width: r.Width = ClampedInt(v.Number, 0, ControlSizeMax); break;
    case Prop::Left: r.Left = ClampedInt(v.Number, ControlCoordinateMin, ControlCoordinateMax); break;
    case Prop::Top: r.Top = ClampedInt(v.Number, ControlCoordinateMin, ControlCoordinateMax); break;
    case Prop::Visible: r.Visible = v.Flag; break;
    case Prop::MultiLine: break;
    }
}

// ---------------------------------------------------------------- assignments

// The multi-line switch carries the text of a shown box to the other face:
// whole to the memo, the first line back to the edit.
void SetTextBoxMultiLine(int n, bool multi)
{
    ControlModel &model = Controls();
    ControlRecord &edit = model.Record(ControlKind::Edit, n);
    ControlRecord &memo = model.Record(ControlKind::Memo, n);
    TextBoxMultiLine[n] = multi ? 1 : 0;
    if (multi && edit.Visible) {
        edit.Visible = false;
        memo.Visible = true;
        memo.Text = edit.Text;
    } else if (!multi && memo.Visible) {
        memo.Visible = false;
        edit.Visible = true;
        const qsizetype end = memo.Text.indexOf(QStringLiteral("\r\n"));
        edit.Text = end < 0 ? memo.Text : memo.Text.left(end);
    } else {
        return;
    }
    Host().MirrorControl(ControlKind::Edit, n);
    Host().MirrorControl(ControlKind::Memo, n);
}

void SetControlProperty()
{
    const PropertyEntry *entry = FindProperty(CurrentCode - PropertyWriteBase);
    Value v;
    if (entry == nullptr || !PopValue(entry->Property, v))
        return;
    const long double index = PopNumber();
    if (!IsControlIndex(index)) {
        SetError(50024, CurrentCode);
        return;
    }
    if (ControlScreenOpen.load() == 0) {
        SetError(54110);
        return;
    }
    const int n = int(index);
    if (entry->Property == Prop::MultiLine) {
        SetTextBoxMultiLine(n, v.Flag);
        return;
    }
    ControlKind kinds[2];
    const int count = Components(entry->Owner, entry->Property, n, kinds);
    for (int i = 0; i < count; ++i) {
        Apply(Controls().Record(kinds[i], n), entry->Property, v);
        if (ChangesLabelSize(entry->Property))
            AutoSize(kinds[i], n);
        Host().MirrorControl(kinds[i], n);
    }
}

// CBUTTON(n) ON and its kin: the cell after the statement is the switch word.
void ExecControlOnOff(int32_t s)
{
    if (TopTag() != tagNumber) {
        SetError(50024, s);
        return;
    }
    const long double index = PopNumber();
    if (!IsControlIndex(index)) {
        SetError(50024, s);
        return;
    }
    FetchCurrentCell();
    const bool on = CurrentCell.FirstCode == ckStatement && CurrentCell.SecondCode == stON;
    const int n = int(index);
    Synchronised([s, n, on] {
        if (ControlScreenOpen.load() == 0) {
            SetError(54110);
            return;
        }
        const ControlKind kind = s == stCBUTTON ? ControlKind::Button
                                 : s == stCLABEL ? ControlKind::Label
                                                 : FaceInUse(n);
        Controls().Record(kind, n).Visible = on;
        Host().MirrorControl(kind, n);
    });
}

// ---------------------------------------------------------------- reads

void PushProperty(const ControlRecord &r, ControlKind kind, Prop p, int n)
{
    switch (p) {
    case Prop::Text: PushString(r.Text); break;
    case Prop::Color: PushString(ColorToHtml(Controls().ColorOf(kind, n))); break;
    case Prop::FontCharset: PushNumber(r.Font.Charset); break;
    case Prop::FontColor: PushString(ColorToHtml(r.Font.Color)); break;
    case Prop::FontName: PushString(r.Font.Name); break;
    case Prop::FontSize: PushNumber(r.Font.Size); break;
    case Prop::FontStyle: PushString(FontStylesToStr(r.Font.Style)); break;
    case Prop::Height: PushNumber(r.Height); break;
    case Prop::Left: PushNumber(r.Left); break;
    case Prop::Top: PushNumber(r.Top); break;
    case Prop::Visible: PushBool(r.Visible); break;
    case Prop::Width: PushNumber(r.Width); break;
    case Prop::MultiLine: PushBool(MultiLine(n)); break;
    }
}

void FnControlProperty()
{
    const PropertyEntry *entry = FindProperty(CurrentCode - PropertyReadBase);
    const int n = PopControlIndex();
    if (entry == nullptr || n == 0)
        return;
    const ControlKind kind = ReadComponent(entry->Owner, entry->Property, n);
    PushProperty(Controls().Record(kind, n), kind, entry->Property, n);
}

// ---------------------------------------------------------------- window settings

// The controls that the C font and colour statements reach: labels and
// buttons 1..20, text boxes 1..10 (CFONTCOLOR: their one-line face only).
template <typename Change>
void ChangeSettingControls(bool memos, Change change)
{
    ControlModel &model = Controls();
    for (int n = 1; n <= 20; ++n) {
        change(model.Record(ControlKind::Label, n));
        AutoSize(ControlKind::Label, n);
        change(model.Record(ControlKind::Button, n));
    }
    for (int n = 1; n <= 10; ++n) {
        change(model.Record(ControlKind::Edit, n));
        if (memos)
            change(model.Record(ControlKind::Memo, n));
    }
}

} // namespace

int PopControlIndex()
{
    if (TopTag() != tagNumber) {
        SetError(50011, CurrentCode);
        return 0;
    }
    const long double index = PopNumber();
    if (!IsControlIndex(index)) {
        SetError(50011, CurrentCode);
        return 0;
    }
    if (ControlScreenOpen.load() == 0) {
        SetError(54110);
        return 0;
    }
    return int(index);
}

void ApplyControlSettingToModel(int32_t code)
{
    switch (code) {
    case stCBACKCOLOR: Controls().FormColor = ControlBackColor; break;
    case stCFONTCOLOR:
        ChangeSettingControls(false, [](ControlRecord &r) { r.Font.Color = ConsoleFontColor; });
        break;
    case stCFONTCHARSET:
        ChangeSettingControls(true, [](ControlRecord &r) { r.Font.Charset = ConsoleFontCharset & 0xFF; });
        break;
    case stCFONTSIZE: ChangeSettingControls(true, [](ControlRecord &r) { r.Font.Size = ConsoleFontSize; }); break;
    case stCFONTNAME: ChangeSettingControls(true, [](ControlRecord &r) { r.Font.Name = ConsoleFontName; }); break;
    case stCFONTSTYLE:
        ChangeSettingControls(true, [](ControlRecord &r) { r.Font.Style = ConsoleFontStyle; });
        break;
    default: break;
    }
}

bool DispatchControlOnOff(int32_t s)
{
    if (s != stCBUTTON && s != stCLABEL && s != stCTEXTBOX)
        return false;
    CurrentCode = s;
    ExecControlOnOff(s);
    return true;
}

bool DispatchControlFunction(int32_t f)
{
    if (f == ClickRead) {
        CurrentCode = f;
        FnCButtonClick();
        return true;
    }
    if (FindProperty(f - PropertyWriteBase) != nullptr) {
        CurrentCode = f;
        Synchronised(SetControlProperty);
        return true;
    }
    if (FindProperty(f - PropertyReadBase) != nullptr) {
        CurrentCode = f;
        Synchronised(FnControlProperty);
        return true;
    }
    return false;
}

} // namespace ov
