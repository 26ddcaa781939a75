#include "executor/OVRunCommands.h"

namespace ov {

int ChkMsgOn = 1;

} // namespace ov
