#include "executor/OVGraphScreen.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVDispatch.h"
#include "executor/OVMThread.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"

#include <algorithm>
#include <limits>

namespace ov {

namespace {

constexpr int32_t MinWidth = 50, MaxWidth = 3000, MinHeight = 10, MaxHeight = 2500;

// Two numbers on top: the height (else 1353) and under it the width (else 1351).
bool PopSize(long double &w, long double &h)
{
    if (!IsNumberTag(TopTag())) {
        SetError(1353);
        return false;
    }
    h = PopNumber();
    if (!IsNumberTag(TopTag())) {
        SetError(1351);
        return false;
    }
    w = PopNumber();
    return ErrorNumber == 0;
}

void SetPictureSize(long double w, long double h)
{
    PreviousGraphWidth = GraphWidth;
    PreviousGraphHeight = GraphHeight;
    GraphWidth = TruncSaturate(w, MinWidth, MaxWidth);
    GraphHeight = TruncSaturate(h, MinHeight, MaxHeight);
}

// The pen and brush of a new screen, from the settings.
void PrepareCanvas()
{
    GraphCanvas.PenColor = GraphForeColor;
    GraphCanvas.PenMode = DrawModeToPenMode(DrawMode);
    GraphCanvas.PenStyle = DrawStyleToPenStyle(DrawStyle);
    GraphCanvas.PenWidth = AtLeastOne(DrawWidth);
    GraphCanvas.BrushColor = GraphBackColor;
    GraphCanvas.BrushStyle = 0;
}

// ON or OFF as the next cell: 1, 0, or -1 for any other cell (consumed).
int FetchOnOff()
{
    FetchCurrentCell();
    if (CurrentCell.FirstCode != ckStatement)
        return -1;
    return CurrentCell.SecondCode == stON ? 1 : CurrentCell.SecondCode == stOFF ? 0 : -1;
}

void ExecCloseGScreen()
{
    Synchronised([] {
        Host().CloseGraphWindow();
        GraphScreenOpen = 0;
    });
}

// GSCROLL and GSTRETCH act only on a screen with its own window size.
void ExecGraphView(int onView)
{
    const int on = FetchOnOff();
    if (on < 0 || GraphScreenOpen.load() == 0 || GraphWindowSized == 0)
        return;
    const int view = on == 1 ? onView : 0;
    Synchronised([view] { Host().SetGraphView(view); });
}

void ExecWindow()
{
    long double v[4];
    for (int i = 3; i >= 0; --i) {
        if (!IsNumberTag(TopTag())) {
            SetError(1210);
            return;
        }
        v[i] = PopNumber();
    }
    if (ErrorNumber != 0)
        return;
    if (!(v[2] > v[0]) || !(v[3] > v[1]) || !SetWorldWindow(v[0], v[1], v[2], v[3]))
        SetError(1219);
}

void ExecMathGraph()
{
    const int on = FetchOnOff();
    if (on >= 0)
        MathGraphOn = on;
}

void ExecTScreen()
{
    long double w = 0, h = 0;
    if (!PopSize(w, h))
        return;
    const int width = TruncSaturate(std::min(w, 3000.0L), 0, MaxWidth) + 20;
    const int height = TruncSaturate(std::min(h, 2500.0L), 0, MaxHeight) + 20;
    Synchronised([width, height] { Host().SetConsoleClientSize(width, height); });
}

void ExecGFLocate()
{
    if (!IsNumberTag(TopTag()) || !IsNumberTag(SecondTag())) {
        SetError(50022, stGFLOCATE);
        return;
    }
    constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    GFLocateY = TruncSaturate(PopNumber(), lo, hi);
    GFLocateX = TruncSaturate(PopNumber(), lo, hi);
}

void ExecGPrint()
{
    QString text;
    if (IsNumberTag(TopTag()))
        text = FormatPrintNumber(PopNumber());
    else if (TopTag() == tagString)
        text = PopString();
    else
        SetError(50022, stGPRINT);
    // The text is written on a solid brush of the back colour, which the
    // canvas keeps afterwards.
    GraphCanvas.BrushColor = GraphBackColor;
    GraphCanvas.BrushStyle = 0;
    if (GraphSurfaceAccess *surface = GraphSurface()) {
        const CanvasFont font{GraphFontName, GraphFontSize, GraphFontCharset, GraphFontStyle};
        surface->Text(QPoint(GLocateX, GLocateY), text, font, GraphFontColor, GraphBackColor);
    }
}

void ExecGRefresh()
{
    Synchronised([] { Host().RefreshGraphWindow(); });
}

} // namespace

void CheckGraphicsScreen()
{
    if (GraphScreenOpen.load() == 0)
        SetError(50006);
}

bool GraphicsGuard()
{
    if (GraphScreenOpen.load() != 0) [[likely]]
        return true;
    SetError(50006);
    ImmediateError = true;
    return false;
}

void ExecGScreen()
{
    long double w = 0, h = 0;
    if (!PopSize(w, h))
        return;
    GraphWindowSized = 0;
    SetPictureSize(w, h);
}

// GSCREEN w, h, cw, ch: nothing changes unless all four are numbers. The
// client pair has the picture's limits.
void ExecGScreenStretched()
{
    long double cw = 0, ch = 0, w = 0, h = 0;
    if (!PopSize(cw, ch) || !PopSize(w, h))
        return;
    GraphWindowSized = 1;
    GraphClientWidth = TruncSaturate(cw, MinWidth, MaxWidth);
    GraphClientHeight = TruncSaturate(ch, MinHeight, MaxHeight);
    SetPictureSize(w, h);
}

// A screen opens at least at the smallest size, also after a failed size step.
void OpenGraphScreen()
{
    GraphWidth = std::clamp(GraphWidth, MinWidth, MaxWidth);
    GraphHeight = std::clamp(GraphHeight, MinHeight, MaxHeight);
    if (GraphScreenOpen.load() != 0)
        Host().KeepGraphPicture();
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->NewPicture(GraphWidth, GraphHeight, GraphBackColor);
    GraphicsOpenedInRun = 1;
    GraphScreenOpen = 1;
    ResetWorldCoordinates();
    PrepareCanvas();
    GLocateX = std::clamp(GLocateX, 0, GraphWidth - 1);
    GLocateY = std::clamp(GLocateY, 0, GraphHeight - 1);
    Host().ShowGraphWindow();
}

bool DispatchGraphScreenStatement(int32_t s)
{
    switch (s) {
    case stGSCREEN: case stOPENGSCREEN:
        ExecGScreen();
        Synchronised(OpenGraphScreen);
        CheckGraphicsScreen();
        return true;
    case StatementVariant(1, stGSCREEN): case StatementVariant(1, stOPENGSCREEN):
        ExecGScreenStretched();
        Synchronised(OpenGraphScreen);
        CheckGraphicsScreen();
        return true;
    case stCLOSEGSCREEN:
        if (GraphicsGuard())
            ExecCloseGScreen();
        return true;
    case stGSCROLL: ExecGraphView(1); return true;
    case stGSTRETCH: ExecGraphView(2); return true;
    case stWINDOW: ExecWindow(); return true;
    case stMATHGRAPH: ExecMathGraph(); return true;
    case stTSCREEN: ExecTScreen(); return true;
    case stGFLOCATE: ExecGFLocate(); return true;
    case stGPRINT:
        if (GraphicsGuard())
            ExecGPrint();
        return true;
    case stGREFRESH:
        if (GraphicsGuard())
            ExecGRefresh();
        return true;
    default: return false;
    }
}

} // namespace ov
