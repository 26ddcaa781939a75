#include "devices/OVMediaState.h"

namespace ov {

std::atomic<int> MediaFileOpen{0};

} // namespace ov
