// The window settings statements and their reads: colours, fonts, captions,
// positions and states of the console (T), the control screen (C), the
// graphics screen (G or no letter), the main frame (E) and the data-input
// box (I), and the print precision. Statement s is read back as function
// 1000 + s.
#pragma once

#include <cstdint>

namespace ov {

// Runs statement s when it is one of these (true), else does nothing (false).
bool DispatchWindowSettingStatement(int32_t s);
// Pushes the value of read f when it is one of these (true), else false.
bool DispatchWindowSettingRead(int32_t f);

} // namespace ov
