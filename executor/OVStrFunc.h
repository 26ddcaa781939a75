// String built-in functions.
#pragma once

#include <cstdint>

namespace ov {

// Runs the string built-in with this function value; false when it is none.
bool DispatchStringFunction(int32_t f);

} // namespace ov
