#include "language/OVRunMode.h"

namespace ov {

std::atomic<uint8_t> RunMode{0};

} // namespace ov
