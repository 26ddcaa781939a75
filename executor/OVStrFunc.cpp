#include "executor/OVStrFunc.h"

namespace ov {

bool DispatchStringFunction(int32_t) { return false; }

} // namespace ov
