#include "devices/OVDialogs.h"

namespace ov {

bool DispatchDialogFunction(int32_t) { return false; }

} // namespace ov
