// The dispatch of one code cell: by its kind, then its value, it pushes an
// operand or calls an operator, function or statement handler.
#pragma once

#include "language/OVHeader.h"

namespace ov {

// What the run loop does after a cell: go on, or leave for a new cycle.
enum class LoopExit { None, Run, Cont, System };

// The value of the cell being dispatched, for handlers that serve several codes.
extern int32_t CurrentCode;
// Set by errors that the loop must test at once, without fetching the next
// cell (array subscripts, a missing graphics screen).
extern bool ImmediateError;

LoopExit DispatchCell(const CodeType &cell);

} // namespace ov
