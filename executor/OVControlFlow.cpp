#include "executor/OVControlFlow.h"

namespace ov {

int DataPointer = 0;
int GosubDepth = 0;

} // namespace ov
