// The line scanner: turns the program text into canonical pre-code.
#pragma once

#include "language/OVHeader.h"

namespace ov {

extern CodeType LastToken;     // the cell the scanner wrote last
extern int32_t RoutineCount;   // SUB, FUNCTION and DEF routines numbered so far
extern uint8_t OptionAllowed;  // 1 while OPTION EXPLICIT may still appear

} // namespace ov
