#include "executor/OVStack.h"

namespace ov {

int TagStackTop = 0;
int NumStackTop = 0;
int BoolStackTop = 0;
int StrStackTop = 0;
int LoTagStackTop = 0;
int LoNumStackTop = 0;
int LoBoolStackTop = 0;
int LoStrStackTop = 0;
int FrameStackTop = 0;
int IntStackTop = 0;

void InitStacks()
{
    TagStackTop = NumStackTop = BoolStackTop = StrStackTop = 0;
    LoTagStackTop = LoNumStackTop = LoBoolStackTop = LoStrStackTop = 0;
    FrameStackTop = IntStackTop = 0;
}

} // namespace ov
