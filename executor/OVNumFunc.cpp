#include "executor/OVNumFunc.h"

namespace ov {

int RadiansMode = 1;

} // namespace ov
