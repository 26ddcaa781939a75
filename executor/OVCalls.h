// User subs, functions and DEF FN calls: call-frame state.
#pragma once

#include <vector>

namespace ov {

struct SubFrameType {
    int First = 0;
    int Second = 0;
};

extern int FunctionReturnDepth;          // open user FUNCTION calls
extern int SubFrameDepth;                // frames in SubFrames, 1 after a reset
extern std::vector<SubFrameType> SubFrames;  // 1-based
extern int LocalNumBase;                 // first numeric slot of the current DEF FN frame
extern int LocalStrBase;                 // first string slot of that frame

void ResetSubFrames();

} // namespace ov
