// The control screen's 160 controls as the program sees them: a label, a
// button, a one-line and a multi-line text box for each of the 40 places.
// Every property read answers from here, with or without a window; the
// window's widgets only show what these records hold, except for text typed
// into a memo, which the record takes when it is next used. Used on the
// user-interface thread only (inside synchronised steps).
#pragma once

#include "devices/OVControlState.h"
#include "devices/OVWindowState.h"

#include <QString>
#include <functional>
#include <optional>

namespace ov {

enum class ControlKind { Label, Button, Edit, Memo };

struct ControlRecord {
    QString Text;  // caption or text; a memo's lines separated by CR LF
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Visible = false;
    ColorValue Color = 0;
    bool ColorSet = false;  // a label without its own colour shows the form's
    FontSetting Font;
};

// Geometry limits of the window system: coordinates and sizes outside them
// are clamped.
constexpr int ControlCoordinateMin = -32768;
constexpr int ControlCoordinateMax = 32767;
constexpr int ControlSizeMax = 32767;
// A control's font size is kept as the program gave it; it shows at most
// this many points.
constexpr int ControlFontShownMax = 1000;

class ControlModel {
public:
    ControlModel() { Reset(); }

    // Every control back to its design state: hidden, initial text, form font.
    void Reset();
    // n is 1..40. A memo's record first takes the text waiting in its window.
    ControlRecord &Record(ControlKind kind, int n);
    const ControlRecord &Record(ControlKind kind, int n) const;

    // Text typed into a memo stays in its window until the record is used:
    // the window marks the memo as typed into and gives its text (lines
    // separated by CR LF) on demand; none when it has gone.
    using MemoTextSource = std::function<std::optional<QString>(int n)>;
    void SetMemoTextSource(MemoTextSource source);
    void MarkMemoTyped(int n);

    // The colour the control shows: a label follows the form's colour until
    // it is given its own.
    ColorValue ColorOf(ControlKind kind, int n) const;
    // A label is as wide as its caption's widest line of `cells` half-width
    // cells in its font, and as high as its `lines` lines.
    void AutoSizeLabel(int n, int cells, int lines = 1);
    // The points a font size shows in: 0 is the default size, a negative
    // size counts as positive.
    int ShownFontPoints(int size) const;

    ColorValue FormColor = 0;
    // The size of the application's default font; the window sets it.
    int DefaultFontPoints = 9;

private:
    void FetchTypedMemo(int n) const;

    // Records stay logically unchanged while a memo's typed text moves in.
    mutable ControlRecord records_[4][ControlCount];
    mutable bool memoTyped_[ControlCount] = {};
    MemoTextSource memoSource_;
};

// The control screen's model (user-interface thread).
ControlModel &Controls();

} // namespace ov
