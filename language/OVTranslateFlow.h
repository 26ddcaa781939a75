// The control-flow statement translators: IF blocks, FOR, WHILE and DO
// loops, SELECT CASE, GOTO, GOSUB, RETURN, RESTORE, SUB and FUNCTION
// routines, CALL and DEF FN. Every block is laid out with jump cells that
// are back-patched when the block closes.
#pragma once

#include "language/OVTranslator.h"

namespace ov {

// Translates the statement whose first cell is in ReadCell (PreCodePos is
// past it) up to, not including, its ending ":" or end of line.
void TranslateControlFlow(int32_t statement);

// CALL name [(args)]; without the keyword the name cell is the next
// pre-code cell (a statement that starts with a declared SUB's name).
void TranslateCall(bool withKeyword);

} // namespace ov
