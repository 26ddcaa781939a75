// Time, key and conversion built-in functions.
#pragma once

#include <cstdint>

namespace ov {

// Runs the time, key or conversion built-in with this function value; false
// when it is none.
bool DispatchTimeFunction(int32_t f);

} // namespace ov
