#include "executor/OVCalls.h"

namespace ov {

int FunctionReturnDepth = 0;
int SubFrameDepth = 1;
std::vector<SubFrameType> SubFrames(2);
int LocalNumBase = 0;
int LocalStrBase = 0;

void ResetSubFrames()
{
    SubFrameDepth = 1;
    SubFrames.assign(2, SubFrameType{});
}

} // namespace ov
