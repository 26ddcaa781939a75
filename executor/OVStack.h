// The typed value stack, the stacks of locals and frames, and the integer
// stack of the executor. Each top is the index of the last entry (1-based).
#pragma once

namespace ov {

extern int TagStackTop;
extern int NumStackTop;
extern int BoolStackTop;
extern int StrStackTop;
extern int LoTagStackTop;
extern int LoNumStackTop;
extern int LoBoolStackTop;
extern int LoStrStackTop;
extern int FrameStackTop;
extern int IntStackTop;

// Empties every stack.
void InitStacks();

} // namespace ov
