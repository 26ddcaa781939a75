// World coordinates of the graphics screen: WINDOW maps a world rectangle
// onto the picture's pixels; MATHGRAPH turns the y axis up. Conversions
// compute in extended precision, round halves to even and then saturate.
#pragma once

#include <cstdint>

namespace ov {

// Rounds to the nearest integer, halves to even (in the default rounding mode).
long double RoundHalfEven(long double v);
// Truncates toward zero and saturates to lo..hi (0 for a NaN).
int32_t TruncSaturate(long double v, int32_t lo, int32_t hi);
// Rounds to the nearest integer, halves to even, and saturates to lo..hi.
int32_t RoundSaturate(long double v, int32_t lo, int32_t hi);

// The unrounded pixel position of a world point, flipped when MATHGRAPH is
// on; lines and boxes clip this before rounding.
void WorldToDeviceExact(long double x, long double y, long double &px, long double &py);

// World to pixel without the MATHGRAPH flip, each coordinate saturated to
// -32767..32767.
void WorldToDevice(int32_t &px, int32_t &py, long double x, long double y);
// World to pixel with the flip: where a drawing statement puts a point.
void WorldToPicture(int32_t &px, int32_t &py, long double x, long double y);

// Pixel to world (MOUSE), undoing the flip.
void DeviceToWorld(int32_t px, int32_t py, long double &x, long double &y);

// The identity mapping of the picture: world rectangle, view and scale
// together (an open step and the interpreter reset).
void ResetWorldCoordinates();

// WINDOW: false when the scale is 0 or not finite (nothing changes then).
bool SetWorldWindow(long double x1, long double y1, long double x2, long double y2);

} // namespace ov
