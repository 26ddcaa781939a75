// Numeric built-in functions.
#pragma once

#include <cstdint>

namespace ov {

extern int RadiansMode;  // 1: angles in radians, 0: in degrees

// Runs the numeric built-in with this function value; false when the value
// is not one of them.
bool DispatchNumericFunction(int32_t f);

} // namespace ov
