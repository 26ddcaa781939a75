#include "executor/OVPenBrush.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVWorldCoord.h"
#include "executor/OVStack.h"
#include "language/OVHeader.h"

#include <cmath>

namespace ov {

namespace {

// The argument of a setting: a number, else 50022 naming the statement.
bool PopSetting(int32_t statement, long double &n)
{
    if (!IsNumberTag(TopTag())) {
        SetError(50022, statement);
        return false;
    }
    n = PopNumber();
    return ErrorNumber == 0;
}

bool ScreenOpen()
{
    return GraphScreenOpen.load() != 0;
}

void ExecDrawMode()
{
    long double n = 0;
    if (!PopSetting(stDRAWMODE, n) || !(n > 0 && n < 17))
        return;
    DrawMode = int(std::trunc(n));
    if (ScreenOpen())
        GraphCanvas.PenMode = DrawModeToPenMode(DrawMode);
}

void ExecDrawStyle()
{
    long double n = 0;
    if (!PopSetting(stDRAWSTYLE, n))
        return;
    if (n >= 0 && n <= 6)
        DrawStyle = int(std::trunc(n));
    if (ScreenOpen()) {
        GraphCanvas.BrushColor = GraphBackColor;
        GraphCanvas.PenStyle = DrawStyleToPenStyle(DrawStyle);
    }
}

void ExecDrawWidth()
{
    long double n = 0;
    if (!PopSetting(stDRAWWIDTH, n))
        return;
    if (std::fabs(n) > 1024)
        n = 1;
    DrawWidth = std::abs(TruncSaturate(n, -1024, 1024));
    if (ScreenOpen())
        GraphCanvas.PenWidth = AtLeastOne(DrawWidth);
}

void ExecFillStyle()
{
    long double n = 0;
    if (!PopSetting(stFILLSTYLE, n))
        return;
    if (n >= 0 && n <= 7)
        FillStyle = int(std::trunc(n));
    if (ScreenOpen())
        GraphCanvas.BrushStyle = FillStyleToBrushStyle(FillStyle);
}

// A read pushes what the canvas holds; 50006 without a screen.
void PushCanvasValue(int value)
{
    if (!ScreenOpen()) {
        SetError(50006);
        return;
    }
    PushNumber(value);
}

} // namespace

bool DispatchPenBrushStatement(int32_t s)
{
    switch (s) {
    case stDRAWMODE: case stGDRAWMODE: ExecDrawMode(); return true;
    case stDRAWSTYLE: case stGDRAWSTYLE: ExecDrawStyle(); return true;
    case stDRAWWIDTH: case stGDRAWWIDTH: ExecDrawWidth(); return true;
    case stFILLSTYLE: case stGFILLSTYLE: ExecFillStyle(); return true;
    default: return false;
    }
}

bool DispatchPenBrushFunction(int32_t f)
{
    switch (f) {
    case 1000 + stDRAWMODE: case 1000 + stGDRAWMODE: PushCanvasValue(GraphCanvas.PenMode); return true;
    case 1000 + stDRAWSTYLE: case 1000 + stGDRAWSTYLE: PushCanvasValue(GraphCanvas.PenStyle); return true;
    case 1000 + stDRAWWIDTH: case 1000 + stGDRAWWIDTH: PushCanvasValue(GraphCanvas.PenWidth); return true;
    case 1000 + stFILLSTYLE: case 1000 + stGFILLSTYLE: PushCanvasValue(GraphCanvas.BrushStyle); return true;
    default: return false;
    }
}

} // namespace ov
