#include "devices/OVWorldCoord.h"

#include "devices/OVGraphState.h"
#include "platform/OVNumberBits.h"

#include <cmath>

namespace ov {

namespace {

constexpr int32_t DeviceLimit = 32767;

long double Flip(long double py)
{
    return MathGraphOn != 0 ? GraphHeight - py - 1 : py;
}

} // namespace

long double RoundHalfEven(long double v)
{
    // Adding and taking away 2^63 leaves the 64-bit mantissa no fraction
    // bits, so the addition rounds in the default mode: halves to even. The
    // library's nearbyint saves and restores the whole floating-point state
    // and costs more than a PSET.
    constexpr long double shift = 0x1p63L;
    if (!(std::fabs(v) < shift))
        return v;  // already whole, or not a number
    return v >= 0 ? (v + shift) - shift : (v - shift) + shift;
}

int32_t TruncSaturate(long double v, int32_t lo, int32_t hi)
{
    if (v != v)
        return 0;
    if (v <= lo)
        return lo;
    if (v >= hi)
        return hi;
    return int32_t(TruncatedInt64(v));  // no switch of the x87 rounding mode
}

int32_t RoundSaturate(long double v, int32_t lo, int32_t hi)
{
    return TruncSaturate(RoundHalfEven(v), lo, hi);
}

void WorldToDeviceExact(long double x, long double y, long double &px, long double &py)
{
    px = RoundHalfEven((x - WindowX1) * WindowScaleX);
    py = Flip(RoundHalfEven((y - WindowY1) * WindowScaleY));
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
