// The statements and reads of the media player, the clipboard and the
// speaker line. The worker checks and pops the arguments; every step that
// reaches the devices runs on the user-interface thread.
#pragma once

#include <cstdint>

namespace ov {

// Runs the statement or read with this value; false when it is none of them.
bool DispatchMediaStatement(int32_t s);
bool DispatchMediaFunction(int32_t f);

} // namespace ov
