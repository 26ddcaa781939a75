// The typed value stack of the executor (Gl), the stack that saves a
// routine's variables around calls (Lo), the call records and call returns
// of SUB and FUNCTION blocks, and the fixed GOSUB and DEF FN return stacks.
//
// The value stack is four parallel 1-based arrays: the tag of every entry in
// push order, and one array per carried type; each type array is a stack of
// its own. Handlers pop their arguments and push their results here.
#pragma once

#include "language/OVHeader.h"

#include <array>
#include <vector>

namespace ov {

enum StackTag : int32_t {
    tagNumber = 1,
    tagString = 2,
    tagBool = 3,
    tagNumRef = 4,   // a whole numeric variable or array, by its index
    tagStrRef = 5,
    tagBoolRef = 6,
    tagTabMark = 100, // the column of TAB(n)
};

// Depth limit of every growable stack: deep runaway recursion ends with a
// stack error instead of exhausting memory.
constexpr int StackEntryLimit = 4'000'000;
constexpr int GosubDepthLimit = 100;
constexpr int FunctionReturnLimit = 1000;

// Tops: the depth of each array (entry 0 is never used).
extern int TagStackTop;
extern int NumStackTop;
extern int BoolStackTop;
extern int StrStackTop;
extern int LoTagStackTop;
extern int LoNumStackTop;
extern int LoBoolStackTop;
extern int LoStrStackTop;
extern int FrameStackTop;  // call records
extern int IntStackTop;    // call returns
extern int GosubDepth;           // GOSUB return positions stored
extern int FunctionReturnDepth;  // DEF FN return positions stored

// The arrays themselves; handlers use the functions below.
extern std::vector<int32_t> TagStack;
extern std::vector<long double> NumStack;
extern std::vector<QString> StrStack;
extern std::vector<uint8_t> BoolStack;
// The sizes of the tag, number and string arrays, kept beside them so that
// the inline pushes check their room with one load each. Never above the
// true size: the arrays only grow while a run lasts.
extern size_t TagStackRoom;
extern size_t NumStackRoom;
extern size_t StrStackRoom;

void InitStacks();

// ---------------------------------------------------------------- the value stack

// Pushes a number-carrying entry (tags 1, 4, 5, 6 and 100). The common case,
// with room on both arrays, stays inline: it runs for almost every operand.
void PushTaggedGrowing(int32_t tag, long double value);
inline void PushTagged(int32_t tag, long double value)
{
    const size_t t = size_t(TagStackTop) + 1;
    const size_t n = size_t(NumStackTop) + 1;
    if (t < TagStackRoom && n < NumStackRoom) [[likely]] {
        TagStack[t] = tag;
        NumStack[n] = value;
        TagStackTop = int(t);
        NumStackTop = int(n);
        return;
    }
    PushTaggedGrowing(tag, value);
}
inline void PushNumber(long double x) { PushTagged(tagNumber, x); }
inline void PushNumVarRef(int32_t index) { PushTagged(tagNumRef, index); }
inline void PushStrVarRef(int32_t index) { PushTagged(tagStrRef, index); }
inline void PushBoolVarRef(int32_t index) { PushTagged(tagBoolRef, index); }
inline void PushTabMark(long double column) { PushTagged(tagTabMark, column); }
// Pushes a string; as with numbers, the common case stays inline.
void PushStringGrowing(const QString &s);
inline void PushString(const QString &s)
{
    const size_t t = size_t(TagStackTop) + 1;
    const size_t n = size_t(StrStackTop) + 1;
    if (t < TagStackRoom && n < StrStackRoom && t < size_t(StackEntryLimit)) [[likely]] {
        StrStack[n] = QString(s);  // the copy and move stay inline
        TagStack[t] = tagString;
        TagStackTop = int(t);
        StrStackTop = int(n);
        return;
    }
    PushStringGrowing(s);
}
void PushString(QString &&s);
void PushBool(bool b);

// A spare string buffer, so that slices and assignments in a loop reuse one
// allocation: KeepSpareString keeps a string that no one else holds (and
// that is short), TakeSpareString hands it out (else a null string).
void KeepSpareString(QString &&s);
QString TakeSpareString();

inline int32_t TopTag() { return TagStackTop >= 1 ? TagStack[size_t(TagStackTop)] : 0; }
inline int32_t SecondTag() { return TagStackTop >= 2 ? TagStack[size_t(TagStackTop) - 1] : 0; }
inline int32_t ThirdTag() { return TagStackTop >= 3 ? TagStack[size_t(TagStackTop) - 2] : 0; }

inline bool IsNumberTag(int32_t tag)
{
    return tag == tagNumber || tag == tagNumRef || tag == tagStrRef || tag == tagBoolRef || tag == tagTabMark;
}

// Number entries (tags 1, 4, 5, 6 and 100): 52302 when empty, 52300 when the
// top is of another type; on an error the entry stays and 0 is returned.
long double PopNumberChecked();
inline long double PopNumber()
{
    if (TagStackTop >= 1 && NumStackTop >= 1 && TagStack[size_t(TagStackTop)] == tagNumber) [[likely]] {
        --TagStackTop;
        return NumStack[size_t(NumStackTop--)];
    }
    return PopNumberChecked();
}
// A string on top, else 52302 (the entry stays, the result is empty).
QString PopString();
// A truth value on top, else 52302 (the result is false).
bool PopBool();
// Takes the top entry off, whatever its type.
void DropTop();

// ---------------------------------------------------------------- the local stack

// The local stack's arrays, 1-based like the value stack's; handlers use
// the functions below. They only grow while a run lasts.
extern std::vector<int32_t> LoTagStack;
extern std::vector<long double> LoNumStack;

// Pushes grow the arrays when needed (30102 when they cannot); the number
// push with room on both arrays stays inline, as it runs on every call of a
// routine with numeric variables.
void LoPushNumberGrowing(long double x);
inline void LoPushNumber(long double x)
{
    const size_t t = size_t(LoTagStackTop) + 1;
    const size_t n = size_t(LoNumStackTop) + 1;
    if (t < LoTagStack.size() && n < LoNumStack.size() && t < size_t(StackEntryLimit)) [[likely]] {
        LoTagStack[t] = tagNumber;
        LoNumStack[n] = x;
        LoTagStackTop = int(t);
        LoNumStackTop = int(n);
        return;
    }
    LoPushNumberGrowing(x);
}
void LoPushString(const QString &s);
void LoPushBool(bool b);
// Each pop wants exactly its own tag, else 52307.
long double LoPopNumberChecked();
inline long double LoPopNumber()
{
    if (LoTagStackTop >= 1 && LoNumStackTop >= 1 && LoTagStack[size_t(LoTagStackTop)] == tagNumber) [[likely]] {
        --LoTagStackTop;
        return LoNumStack[size_t(LoNumStackTop--)];
    }
    return LoPopNumberChecked();
}
QString LoPopString();
bool LoPopBool();

// ---------------------------------------------------------------- calls and returns

// The variable ranges of the running SUB or FUNCTION: Boolean, numeric and
// string (first - 1, last) pairs.
using CallRecord = std::array<int32_t, 6>;

extern std::vector<CallRecord> CallRecords;
extern std::vector<int32_t> CallReturns;

// The record of the running routine, or null while none runs.
inline const CallRecord *TopCallRecord()
{
    return FrameStackTop >= 1 ? &CallRecords[size_t(FrameStackTop)] : nullptr;
}
void PushCallRecordGrowing(const CallRecord &record);
inline void PushCallRecord(const CallRecord &record)
{
    const size_t top = size_t(FrameStackTop) + 1;
    if (top < CallRecords.size() && top < size_t(StackEntryLimit)) [[likely]] {
        CallRecords[top] = record;
        FrameStackTop = int(top);
        return;
    }
    PushCallRecordGrowing(record);
}
bool PopCallRecord(CallRecord &record);   // 52309 when empty
bool PeekCallRecord(CallRecord &record);  // 52309 when empty
// Takes the record of the routine that ends off; 52309 when none runs.
bool DropCallRecord();
void PushCallReturnGrowing(int32_t position);
inline void PushCallReturn(int32_t position)
{
    const size_t top = size_t(IntStackTop) + 1;
    if (top < CallReturns.size() && top < size_t(StackEntryLimit)) [[likely]] {
        CallReturns[top] = position;
        IntStackTop = int(top);
        return;
    }
    PushCallReturnGrowing(position);
}
int32_t PopCallReturn();                  // 54032 when empty, result 0

void PushGosubReturn(int32_t position);   // 1040 when 100 are stored
int32_t PopGosubReturn();                 // 1041 when empty, result 0
void PushFunctionReturn(int32_t position);  // the same with 1000 positions
int32_t PopFunctionReturn();

// ---------------------------------------------------------------- helpers

// A statement end in the code: kind 0, ":" or the end of a line.
inline bool IsCodeStatementEnd(const CodeType &cell)
{
    return cell.FirstCode == ckNone
        || (cell.FirstCode == ckOperator && (cell.SecondCode == opColon || cell.SecondCode == opEndOfLine));
}

// Reads forward to the statement end, leaving CodePos on it; the result is
// the last cell before it, or ":" when the end comes at once.
CodeType SkipToStatementEnd();

// -1 is true and 0 false; any other number is error 54100 (false).
bool NumberToBool(long double n);
inline long double BoolToNumber(bool b) { return b ? -1.0L : 0.0L; }

} // namespace ov
