#include "devices/OVGraphCanvas.h"

#include <atomic>
#include <mutex>

namespace ov {

CanvasState GraphCanvas;

namespace {

std::atomic<GraphSurfaceAccess *> Surface = nullptr;
std::function<GraphSurfaceAccess *()> SurfaceLoader;
std::mutex LoaderMutex;

GraphSurfaceAccess *LoadSurface()
{
    std::lock_guard lock(LoaderMutex);
    if (Surface.load() == nullptr)
        Surface = SurfaceLoader();
    return Surface.load();
}

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

void SetGraphSurfaceLoader(std::function<GraphSurfaceAccess *()> loader)
{
    SurfaceLoader = std::move(loader);
    Surface = nullptr;
}

GraphSurfaceAccess *GraphSurface()
{
    GraphSurfaceAccess *surface = Surface.load(std::memory_order_acquire);
    if (surface == nullptr && SurfaceLoader) [[unlikely]]
        return LoadSurface();
    return surface;
}

} // namespace ov
