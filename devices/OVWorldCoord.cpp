#include "devices/OVWorldCoord.h"

#include "devices/OVGraphState.h"

#include <cmath>

namespace ov {

namespace {

constexpr int32_t DeviceLimit = 32767;

long double Flip(long double py)
{
    return MathGraphOn != 0 ? GraphHeight - py - 1 : py;
}

} // namespace

int32_t TruncSaturate(long double v, int32_t lo, int32_t hi)
{
    if (std::isnan(v))
        return 0;
    if (v <= lo)
        return lo;
    if (v >= hi)
        return hi;
    return int32_t(std::trunc(v));
}

int32_t RoundSaturate(long double v, int32_t lo, int32_t hi)
{
    return TruncSaturate(std::nearbyint(v), lo, hi);  // the default rounding mode: halves to even
}

void WorldToDeviceExact(long double x, long double y, long double &px, long double &py)
{
    px = std::nearbyint((x - WindowX1) * WindowScaleX);
    py = Flip(std::nearbyint((y - WindowY1) * WindowScaleY));
}

void WorldToDevice(int32_t &px, int32_t &py, long double x, long double y)
{
    px = RoundSaturate((x - WindowX1) * WindowScaleX, -DeviceLimit, DeviceLimit);
    py = RoundSaturate((y - WindowY1) * WindowScaleY, -DeviceLimit, DeviceLimit);
}

void WorldToPicture(int32_t &px, int32_t &py, long double x, long double y)
{
    WorldToDevice(px, py, x, y);
    if (MathGraphOn != 0)
        py = GraphHeight - py - 1;
}

void DeviceToWorld(int32_t px, int32_t py, long double &x, long double &y)
{
    x = px / WindowScaleX + WindowX1;
    y = py / WindowScaleY + WindowY1;
    if (MathGraphOn != 0)
        y = WindowY1 + WindowY2 - y;
}

void ResetWorldCoordinates()
{
    WindowX1 = 0;
    WindowY1 = 0;
    WindowX2 = GraphWidth - 1;
    WindowY2 = GraphHeight - 1;
    ViewLeft = 0;
    ViewTop = 0;
    ViewRight = GraphWidth - 1;
    ViewBottom = GraphHeight - 1;
    WindowScaleX = 1;
    WindowScaleY = 1;
}

bool SetWorldWindow(long double x1, long double y1, long double x2, long double y2)
{
    const long double scaleX = (ViewRight - ViewLeft) / (x2 - x1);
    const long double scaleY = (ViewBottom - ViewTop) / (y2 - y1);
    if (!std::isfinite(scaleX) || !std::isfinite(scaleY) || scaleX == 0 || scaleY == 0)
        return false;
    WindowX1 = x1;
    WindowY1 = y1;
    WindowX2 = x2;
    WindowY2 = y2;
    WindowScaleX = scaleX;
    WindowScaleY = scaleY;
    return true;
}

} // namespace ov
