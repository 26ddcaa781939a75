#include "executor/OVDataFile.h"

namespace ov {

int ChannelMode[ChannelCount + 1] = {};

} // namespace ov
