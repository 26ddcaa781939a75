#include "devices/OVMediaState.h"

namespace ov {

int MediaFileOpen = 0;

} // namespace ov
