#include "devices/OVGraphCanvas.h"

namespace ov {

CanvasState GraphCanvas;

namespace {

GraphSurfaceAccess *Surface = nullptr;

} // namespace

int DrawModeToPenMode(int n)
{
    return n >= 1 && n <= 16 ? n : 13;
}

int DrawStyleToPenStyle(int n)
{
    return n >= 0 && n <= 6 ? n : 0;
}

int FillStyleToBrushStyle(int n)
{
    return n >= 0 && n <= 7 ? n : 0;
}

void SetGraphSurface(GraphSurfaceAccess *surface)
{
    Surface = surface;
}

GraphSurfaceAccess *GraphSurface()
{
    return Surface;
}

} // namespace ov
