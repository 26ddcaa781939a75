#include "executor/OVFileFunc.h"

namespace ov {

bool DispatchFileFunction(int32_t) { return false; }
bool DispatchFileSystemStatement(int32_t) { return false; }

} // namespace ov
