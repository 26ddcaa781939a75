// User subs, functions and DEF FN calls.
#pragma once

#include "executor/OVStack.h"
#include "language/OVHeader.h"

#include <vector>

namespace ov {

struct SubFrameType {
    int First = 0;   // numeric slots of the frame
    int Second = 0;  // string slots
};

constexpr int SubFrameLimit = 100;

extern int SubFrameDepth;                    // frames in SubFrames, 1 after a reset
extern std::vector<SubFrameType> SubFrames;  // 1-based
extern int LocalNumBase;                     // where the current DEF FN frame starts
extern int LocalStrBase;

// Empties the frame stack down to its first pair (0, 0) and forgets the
// array references of unfinished calls.
void ResetSubFrames();

// The DEF FN frame stack: 1040 when 100 pairs are stacked, 1041 when empty.
void PushLocalFrame(int numericSlots, int stringSlots);
void PopLocalFrame();
SubFrameType PeekLocalFrame();

// DEF FN
void EnterUserFunction(const CodeType &nameCell);
void StoreLocalNumber(int32_t slot);
void StoreLocalString(int32_t slot);
void PushFrameSizes(int32_t numericSlots);  // fetches the string-slot cell itself
void ExecLeaveUserFunction();

// SUB and FUNCTION. Around every call the running routine's variables are
// saved on the local stack and restored afterwards, so that a recursive call
// leaves its caller's values intact:
// - an own array (array-parameter byte 0) is saved element by element;
// - a record with the array-parameter byte set (a parameter "P()", or an
//   array the program passes as "A()" somewhere) is shared storage: its
//   elements are never saved, but its binding (first element, kind,
//   dimensions, bounds) is, so a parameter names its own argument again
//   after a recursive call bound it to another array;
// - every other record saves its value.
// An own array that a call binds to an array parameter is shared with the
// callee for that call: the caller's restore drops its saved copy, so what
// the callee wrote through the reference survives.
void LoadCallRecord(int32_t first);  // fetches the five range cells that follow
void ExecSaveLocals();
void ExecCallRoutine();
void ExecRestoreLocals();
void ExecBindParameters();
void ExecPushArguments();
void ExecEndSub();

// The handlers' work on a cell already read, for the run loop, which takes
// a call and a return in one step:
// - the code address of the routine that a SubJump's target cell names, or
//   -1 when it names none or lies beyond the code (54033);
int32_t RoutineAddress(const CodeType &target);
// - a routine's call record becomes the current one;
void EnterCallRecord(const CallRecord &record);
// - GlPop into a parameter cell, GlPush of one;
void BindParameter(const CodeType &parameter);
void PushResult(const CodeType &parameter);
// - END SUB or END FUNCTION: drops the record and gives the return position
//   (52309, 54032).
int32_t LeaveCallRecord();

} // namespace ov
