#include "devices/OVInputBoxState.h"

namespace ov {

QString LastInputAnswer;
int LineInputActive = 0;

} // namespace ov
