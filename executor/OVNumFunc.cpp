#include "executor/OVNumFunc.h"

namespace ov {

int RadiansMode = 1;

bool DispatchNumericFunction(int32_t) { return false; }

} // namespace ov
