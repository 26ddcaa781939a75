// A call of a SUB or FUNCTION, or the return from one, taken by the run loop
// in one step. The cells of a call (LoPushAll, SubJump with its target, then
// at the routine its call record and GlPop cells) or of a return (the
// FUNCTION end, GlPush cells, END SUB or END FUNCTION, then at the caller
// LoPopAll and GlPop cells) run one after the other through the handlers'
// own work, without the loop's turns between them. The step ends before the
// first cell that is none of these, or after a cell whose work fails, with
// the program counter where that cell's handler leaves it, and after any
// cell when a stop is asked for.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// `pc`: the position of the first cell; afterwards where the loop goes on.
// `fault`: the position in the text of the cell whose work failed, when
// ErrorNumber is set. `last`: the highest position that may be read.
void RunCallCells(const CodeType *cells, int32_t last, int32_t &pc, int32_t &fault);

} // namespace ov
