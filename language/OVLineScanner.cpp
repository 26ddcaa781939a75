#include "language/OVLineScanner.h"

namespace ov {

CodeType LastToken;
int32_t RoutineCount = 0;
uint8_t OptionAllowed = 1;

} // namespace ov
