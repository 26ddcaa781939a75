// The control screen's property assignments (CBUTTON(n).CAPTION = "OK"),
// its switch statements (CBUTTON(n) ON) and its property reads. They act on
// the control model on the user-interface thread; the window, when there is
// one, shows what changed.
#pragma once

#include <cstdint>

namespace ov {

// Runs the switch statement s when it is one (true), else does nothing.
bool DispatchControlOnOff(int32_t s);
// Runs the assignment or read f (1196..1236, 2196..2236, the CLICK read
// included) when it is one (true), else does nothing.
bool DispatchControlFunction(int32_t f);

// The control number on top of the value stack: a number 1 <= x < 41,
// truncated, with the screen open; 0 after an error (50011 with CurrentCode
// as subject, or 54110).
int PopControlIndex();

// The open control screen's controls take what the C window statement
// `code` stored (CBACKCOLOR, CFONTCOLOR, CFONTCHARSET, ...).
void ApplyControlSettingToModel(int32_t code);

} // namespace ov
