// Numeric built-in functions.
#pragma once

namespace ov {

extern int RadiansMode;  // 1: angles in radians, 0: in degrees

} // namespace ov
