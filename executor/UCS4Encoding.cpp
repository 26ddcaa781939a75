#include "executor/UCS4Encoding.h"

namespace ov {

int CurrentEncoding = 0;

} // namespace ov
