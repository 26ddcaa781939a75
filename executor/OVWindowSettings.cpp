#include "executor/OVWindowSettings.h"

#include "devices/OVColor.h"
#include "devices/OVControlState.h"
#include "devices/OVFontStyle.h"
#include "devices/OVWindowState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVControlProperties.h"
#include "executor/OVDispatch.h"
#include "executor/OVFormula.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"

#include <algorithm>
#include <cmath>

namespace ov {

namespace {

// ---------------------------------------------------------------- arguments

bool TopNumberWithin(long double low, long double high)
{
    if (TopTag() != tagNumber)
        return false;
    const long double n = NumStack[size_t(NumStackTop)];
    return n >= low && n <= high;
}

// A palette number 0..15 (truncated) or a colour text; anything else is
// 50031 with the statement as subject.
bool PopColorArgument(ColorValue &color)
{
    if (TopNumberWithin(0, 15)) {
        color = PaletteColor(int32_t(std::trunc(PopNumber())), LanguageVersion);
        return true;
    }
    if (TopTag() == tagString) {
        color = ParseColorName(PopString());
        return true;
    }
    SetError(50031, CurrentCode);
    return false;
}

bool PopStringArgument(QString &s, int32_t error)
{
    if (TopTag() != tagString) {
        SetError(error, CurrentCode);
        return false;
    }
    s = PopString();
    return true;
}

// A coordinate of a window: 0 for anything not above 0, at most `limit`.
int WindowCoordinate(long double v, int limit)
{
    return v > 0 ? int(std::trunc(std::min(v, static_cast<long double>(limit)))) : 0;
}

// x, y with y on top, both numbers, else 50022 with the statement as subject.
bool PopWindowPosition(int &x, int &y)
{
    if (TopTag() != tagNumber || SecondTag() != tagNumber) {
        SetError(50022, CurrentCode);
        return false;
    }
    y = WindowCoordinate(PopNumber(), 1200);
    x = WindowCoordinate(PopNumber(), 2600);
    return true;
}

bool GraphicsOpen() { return GraphScreenOpen.load() != 0; }
bool ControlOpen() { return ControlScreenOpen.load() != 0; }

// ---------------------------------------------------------------- colours and fonts

// The control screen takes what a C statement stored only while it is open:
// the next CSCREEN shows a fresh form.
void ApplyToControlScreen()
{
    if (!ControlOpen())
        return;
    ApplyControlSettingToModel(CurrentCode);
    Host().ApplyControlSetting(CurrentCode);
}

// Changes one part of the console memo's font, keeping the others as they are.
template <typename Change>
void ChangeConsoleFont(Change change)
{
    FontSetting font = Host().ConsoleFont();
    change(font);
    Host().SetConsoleFont(font);
}

void ExecScreenColors()
{
    ColorValue c = 0;
    if (!PopColorArgument(c))
        return;
    switch (CurrentCode) {
    case stBACKCOLOR: case stGBACKCOLOR: GraphBackColor = c; break;
    case stBORDERCOLOR: case stGBORDERCOLOR:
        GraphBorderColor = c;
        BorderColorSet = 1;
        break;
    case stFORECOLOR: case stGFORECOLOR:
        GraphForeColor = c;
        GraphFontColor = c;
        break;
    case stGFONTCOLOR: GraphFontColor = c; break;
    case stCBACKCOLOR:
        ControlBackColor = c;
        ApplyToControlScreen();
        break;
    case stCFONTCOLOR:
        ConsoleFontColor = c;
        ApplyToControlScreen();
        break;
    case stTBACKCOLOR:
        TextBackColor = c;
        Host().SetConsoleBackColor(c);
        break;
    case stTFONTCOLOR:
        TextFontColor = c;
        ChangeConsoleFont([c](FontSetting &font) { font.Color = c; });
        break;
    default: break;
    }
}

void ExecFontCharsetSize()
{
    if (!TopNumberWithin(0, 500)) {
        SetError(50031, CurrentCode);
        return;
    }
    const int n = int(std::trunc(PopNumber()));
    switch (CurrentCode) {
    case stCFONTCHARSET:
        ConsoleFontCharset = n;
        ApplyToControlScreen();
        break;
    case stCFONTSIZE:
        ConsoleFontSize = n;
        ApplyToControlScreen();
        break;
    case stGFONTCHARSET: GraphFontCharset = n; break;
    case stGFONTSIZE: GraphFontSize = n; break;
    case stTFONTCHARSET: ChangeConsoleFont([n](FontSetting &font) { font.Charset = n; }); break;
    case stTFONTSIZE: ChangeConsoleFont([n](FontSetting &font) { font.Size = n; }); break;
    default: break;
    }
}

void ExecFontNameStyle()
{
    QString s;
    if (!PopStringArgument(s, 50031))
        return;
    switch (CurrentCode) {
    case stCFONTNAME:
        ConsoleFontName = s;
        ApplyToControlScreen();
        break;
    case stCFONTSTYLE:
        ConsoleFontStyle = StrToFontStyles(s);
        ApplyToControlScreen();
        break;
    case stGFONTNAME: GraphFontName = s; break;
    case stGFONTSTYLE: GraphFontStyle = StrToFontStyles(s); break;
    case stTFONTNAME: ChangeConsoleFont([&s](FontSetting &font) { font.Name = s; }); break;
    case stTFONTSTYLE: {
        const FontStyleSet styles = StrToFontStyles(s);
        ChangeConsoleFont([styles](FontSetting &font) { font.Style = styles; });
        break;
    }
    default: break;
    }
}

// ---------------------------------------------------------------- precision, captions, positions

void ExecPrecision()
{
    if (TopTag() != tagNumber) {
        SetError(50022, stPRECISION);
        return;
    }
    const long double n = std::clamp(PopNumber(), 2.0L, 18.0L);
    PrintPrecision = int(std::trunc(n));
}

void ExecPrintTitle()
{
    QString s;
    if (!PopStringArgument(s, 50022))
        return;
    switch (CurrentCode) {
    case stPRINTTITLE: Host().SetWindowCaption(ProgramWindow::Console, s); break;
    case stPRINTITITLE: InputBoxTitle = s; break;
    // A closed screen is left alone: its next opening sets its own caption.
    case stPRINTCTITLE:
        if (ControlOpen())
            Host().SetWindowCaption(ProgramWindow::Control, s);
        break;
    case stPRINTGTITLE:
        if (GraphicsOpen())
            Host().SetWindowCaption(ProgramWindow::Graphics, s);
        break;
    default: break;
    }
}

void ExecWindowPosition()
{
    int x = 0, y = 0;
    if (!PopWindowPosition(x, y))
        return;
    switch (CurrentCode) {
    case stTWPOSITION: Host().MoveProgramWindow(ProgramWindow::Console, x, y); break;
    case stEWPOSITION: Host().MoveProgramWindow(ProgramWindow::MainFrame, x, y); break;
    case stCWPOSITION:
        ControlWindowLeft = x;
        ControlWindowTop = y;
        if (ControlOpen())
            Host().MoveProgramWindow(ProgramWindow::Control, x, y);
        break;
    case stGWPOSITION:
        GraphWindowLeft = x;
        GraphWindowTop = y;
        if (GraphicsOpen())
            Host().MoveProgramWindow(ProgramWindow::Graphics, x, y);
        break;
    default: break;
    }
}

// A negative coordinate centres the box again.
void ExecIBPosition()
{
    if (TopTag() != tagNumber || SecondTag() != tagNumber) {
        SetError(50022, stIBPOSITION);
        return;
    }
    const long double y = PopNumber();
    const long double x = PopNumber();
    if (x >= 0 && y >= 0) {
        InputBoxLeft = WindowCoordinate(x, 2600);
        InputBoxTop = WindowCoordinate(y, 1200);
        InputBoxPositionSet = 1;
    } else {
        InputBoxPositionSet = 0;
    }
}

// ---------------------------------------------------------------- window states

ProgramWindow WindowOfStateCode(int32_t code)
{
    switch (code) {
    case stCWINDOWSTATE: return ProgramWindow::Control;
    case stEWINDOWSTATE: return ProgramWindow::MainFrame;
    case stGWINDOWSTATE: return ProgramWindow::Graphics;
    default: return ProgramWindow::Console;
    }
}

void ExecWindowState()
{
    QString s;
    if (!PopStringArgument(s, 50031))
        return;
    s = s.toUpper();
    WindowShowState state;
    if (s == u"NORMAL")
        state = WindowShowState::Normal;
    else if (s == u"MAXIMIZE")
        state = WindowShowState::Maximize;
    else if (s == u"MINIMIZE")
        state = WindowShowState::Minimize;
    else
        return;  // any other text changes nothing
    // A closed screen is left alone: every opening shows a normal window.
    const ProgramWindow window = WindowOfStateCode(CurrentCode);
    if ((window != ProgramWindow::Control || ControlOpen()) && (window != ProgramWindow::Graphics || GraphicsOpen()))
        Host().SetWindowShowState(window, state);
}

void FnWindowState(int32_t code)
{
    const ProgramWindow window = WindowOfStateCode(code);
    if (window == ProgramWindow::Control && !ControlOpen()) {
        SetError(54110);
        return;
    }
    if (window == ProgramWindow::Graphics && !GraphicsOpen()) {
        SetError(50006);
        return;
    }
    switch (Host().WindowShowStateOf(window)) {
    case WindowShowState::Normal: PushString(QStringLiteral("Normal")); break;
    case WindowShowState::Minimize: PushString(QStringLiteral("Minimize")); break;
    case WindowShowState::Maximize: PushString(QStringLiteral("Maximize")); break;
    }
}

// ---------------------------------------------------------------- dispatch

struct SettingStatement {
    int32_t Code;
    void (*Exec)();
};

// Every statement that has a handler here; handlers serving several codes
// branch on CurrentCode.
constexpr SettingStatement SettingStatements[] = {
    {stBACKCOLOR, ExecScreenColors},      {stGBACKCOLOR, ExecScreenColors},
    {stBORDERCOLOR, ExecScreenColors},    {stGBORDERCOLOR, ExecScreenColors},
    {stFORECOLOR, ExecScreenColors},      {stGFORECOLOR, ExecScreenColors},
    {stGFONTCOLOR, ExecScreenColors},     {stCBACKCOLOR, ExecScreenColors},
    {stCFONTCOLOR, ExecScreenColors},     {stTBACKCOLOR, ExecScreenColors},
    {stTFONTCOLOR, ExecScreenColors},     {stCFONTCHARSET, ExecFontCharsetSize},
    {stCFONTSIZE, ExecFontCharsetSize},   {stGFONTCHARSET, ExecFontCharsetSize},
    {stGFONTSIZE, ExecFontCharsetSize},   {stTFONTCHARSET, ExecFontCharsetSize},
    {stTFONTSIZE, ExecFontCharsetSize},   {stCFONTNAME, ExecFontNameStyle},
    {stCFONTSTYLE, ExecFontNameStyle},    {stGFONTNAME, ExecFontNameStyle},
    {stGFONTSTYLE, ExecFontNameStyle},    {stTFONTNAME, ExecFontNameStyle},
    {stTFONTSTYLE, ExecFontNameStyle},    {stPRECISION, ExecPrecision},
    {stPRINTTITLE, ExecPrintTitle},       {stPRINTCTITLE, ExecPrintTitle},
    {stPRINTGTITLE, ExecPrintTitle},      {stPRINTITITLE, ExecPrintTitle},
    {stTWPOSITION, ExecWindowPosition},   {stCWPOSITION, ExecWindowPosition},
    {stGWPOSITION, ExecWindowPosition},   {stEWPOSITION, ExecWindowPosition},
    {stIBPOSITION, ExecIBPosition},       {stTWINDOWSTATE, ExecWindowState},
    {stCWINDOWSTATE, ExecWindowState},    {stEWINDOWSTATE, ExecWindowState},
    {stGWINDOWSTATE, ExecWindowState},
};

const SettingStatement *FindSettingStatement(int32_t s)
{
    for (const SettingStatement &entry : SettingStatements) {
        if (entry.Code == s)
            return &entry;
    }
    return nullptr;
}

// Pushes the value of read 1000 + s.
void PushWindowSetting(int32_t s)
{
    switch (s) {
    case stFORECOLOR: case stGFORECOLOR: PushString(ColorToHtml(GraphForeColor)); break;
    case stBACKCOLOR: case stGBACKCOLOR: PushString(ColorToHtml(GraphBackColor)); break;
    case stBORDERCOLOR: case stGBORDERCOLOR: PushString(ColorToHtml(GraphBorderColor)); break;
    case stGFONTCOLOR: PushString(ColorToHtml(GraphFontColor)); break;
    case stGFONTCHARSET: PushNumber(GraphFontCharset); break;
    case stGFONTSIZE: PushNumber(GraphFontSize); break;
    case stGFONTNAME: PushString(GraphFontName); break;
    case stGFONTSTYLE: PushString(FontStylesToStr(GraphFontStyle)); break;
    case stCBACKCOLOR: PushString(ColorToHtml(ControlBackColor)); break;
    case stCFONTCOLOR: PushString(ColorToHtml(ConsoleFontColor)); break;
    case stCFONTCHARSET: PushNumber(ConsoleFontCharset); break;
    case stCFONTSIZE: PushNumber(ConsoleFontSize); break;
    case stCFONTNAME: PushString(ConsoleFontName); break;
    case stCFONTSTYLE: PushString(FontStylesToStr(ConsoleFontStyle)); break;
    case stTBACKCOLOR: PushString(ColorToHtml(TextBackColor)); break;
    // the console's font as its memo has it; the colour as a number
    case stTFONTCOLOR: PushNumber(Host().ConsoleFont().Color); break;
    case stTFONTCHARSET: PushNumber(Host().ConsoleFont().Charset); break;
    case stTFONTSIZE: PushNumber(Host().ConsoleFont().Size); break;
    case stTFONTNAME: PushString(Host().ConsoleFont().Name); break;
    case stTFONTSTYLE: PushString(FontStylesToStr(Host().ConsoleFont().Style)); break;
    case stPRECISION: PushNumber(PrintPrecision); break;
    case stTWINDOWSTATE: case stCWINDOWSTATE: case stEWINDOWSTATE: case stGWINDOWSTATE: FnWindowState(s); break;
    default: break;
    }
}

} // namespace

bool DispatchWindowSettingStatement(int32_t s)
{
    const SettingStatement *statement = FindSettingStatement(s);
    if (statement == nullptr)
        return false;
    CurrentCode = s;
    // PRECISION and IBPOSITION only write globals: no window step
    if (s == stPRECISION || s == stIBPOSITION)
        statement->Exec();
    else
        Synchronised(statement->Exec);
    return true;
}

bool DispatchWindowSettingRead(int32_t f)
{
    const int32_t s = f - SettingReadBase;
    if (!IsSettingStatement(s) || FindSettingStatement(s) == nullptr)
        return false;  // the pen and brush reads belong to the graphics screen
    CurrentCode = f;
    Synchronised([s] { PushWindowSetting(s); });
    return true;
}

} // namespace ov
