#include "executor/OVStack.h"

#include "language/OVCode.h"

#include <algorithm>
#include <new>
#include <stdexcept>

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
int GosubDepth = 0;
int FunctionReturnDepth = 0;

std::vector<int32_t> TagStack;
std::vector<long double> NumStack;
std::vector<QString> StrStack;
std::vector<uint8_t> BoolStack;
size_t TagStackRoom = 0;
size_t NumStackRoom = 0;
size_t StrStackRoom = 0;
std::vector<int32_t> LoTagStack;
std::vector<long double> LoNumStack;
std::vector<CallRecord> CallRecords;
std::vector<int32_t> CallReturns;

namespace {

std::vector<QString> LoStrStack;
std::vector<uint8_t> LoBoolStack;
int32_t GosubReturns[GosubDepthLimit + 1];
int32_t FunctionReturns[FunctionReturnLimit + 1];
QString SpareString;
// The longest spare kept, in units: beyond it the buffer is given back.
constexpr qsizetype SpareStringLimit = 256;

// Stores a value at 1-based depth `top`, growing the array when the depth
// passes its room; false (error 30102) when it cannot grow.
template <typename T, typename V>
bool StoreAt(std::vector<T> &array, int top, V &&value)
{
    if (top >= StackEntryLimit) {
        SetError(30102);
        return false;
    }
    if (size_t(top) >= array.size()) {
        try {
            array.resize(std::max<size_t>(size_t(top) + 1, array.size() * 2));
        } catch (const std::bad_alloc &) {
            SetError(30102);
            return false;
        } catch (const std::length_error &) {
            SetError(30102);
            return false;
        }
    }
    array[size_t(top)] = std::forward<V>(value);
    return true;
}

// The room the inline pushes may fill: the arrays' sizes, and never past the
// entry limit, although the arrays may grow beyond it.
void NoteRooms()
{
    TagStackRoom = std::min(TagStack.size(), size_t(StackEntryLimit));
    NumStackRoom = NumStack.size();
    StrStackRoom = StrStack.size();
}

template <typename V>
void PushOnGl(int32_t tag, std::vector<V> &array, int &top, V value)
{
    const bool stored = StoreAt(TagStack, TagStackTop + 1, tag) && StoreAt(array, top + 1, std::move(value));
    NoteRooms();  // either array may have grown, even when the other could not
    if (!stored)
        return;
    ++TagStackTop;
    ++top;
}

template <typename V>
void PushOnLo(int32_t tag, std::vector<V> &array, int &top, V value)
{
    if (!StoreAt(LoTagStack, LoTagStackTop + 1, tag) || !StoreAt(array, top + 1, std::move(value)))
        return;
    ++LoTagStackTop;
    ++top;
}

// The Lo entry on top must carry the tag; false (52307) otherwise.
bool LoTopIs(int32_t tag, int top)
{
    if (LoTagStackTop < 1 || top < 1 || LoTagStack[size_t(LoTagStackTop)] != tag) {
        SetError(52307);
        return false;
    }
    return true;
}

} // namespace

void InitStacks()
{
    TagStack.assign(101, 0);
    NumStack.assign(101, 0.0L);
    StrStack.assign(101, QString());
    BoolStack.assign(101, 0);
    NoteRooms();
    SpareString = QString();
    LoTagStack.assign(1, 0);
    LoNumStack.assign(1, 0.0L);
    LoStrStack.assign(1, QString());
    LoBoolStack.assign(1, 0);
    CallRecords.assign(1, CallRecord{});
    CallReturns.assign(1, 0);
    TagStackTop = NumStackTop = BoolStackTop = StrStackTop = 0;
    LoTagStackTop = LoNumStackTop = LoBoolStackTop = LoStrStackTop = 0;
    FrameStackTop = IntStackTop = 0;
}

// ---------------------------------------------------------------- the value stack

void PushTaggedGrowing(int32_t tag, long double value)
{
    PushOnGl(tag, NumStack, NumStackTop, value);
}

void PushStringGrowing(const QString &s)
{
    PushOnGl(int32_t(tagString), StrStack, StrStackTop, s);
}

void PushString(QString &&s)
{
    PushOnGl(int32_t(tagString), StrStack, StrStackTop, std::move(s));
}

void PushBool(bool b)
{
    PushOnGl(int32_t(tagBool), BoolStack, BoolStackTop, uint8_t(b ? 1 : 0));
}

void KeepSpareString(QString &&s)
{
    if (s.isDetached() && s.capacity() <= SpareStringLimit)
        SpareString = std::move(s);
    else
        s = QString();
}

QString TakeSpareString()
{
    return std::move(SpareString);
}

long double PopNumberChecked()
{
    if (TagStackTop < 1 || NumStackTop < 1) {
        SetError(52302);
        return 0.0L;
    }
    if (!IsNumberTag(TagStack[size_t(TagStackTop)])) {
        SetError(52300);
        return 0.0L;
    }
    --TagStackTop;
    return NumStack[size_t(NumStackTop--)];
}

QString PopString()
{
    if (TagStackTop < 1 || StrStackTop < 1 || TagStack[size_t(TagStackTop)] != tagString) {
        SetError(52302);
        return QString();
    }
    --TagStackTop;
    return std::move(StrStack[size_t(StrStackTop--)]);
}

bool PopBool()
{
    if (TagStackTop < 1 || BoolStackTop < 1 || TagStack[size_t(TagStackTop)] != tagBool) {
        SetError(52302);
        return false;
    }
    --TagStackTop;
    return BoolStack[size_t(BoolStackTop--)] != 0;
}

void DropTop()
{
    if (TagStackTop < 1)
        return;
    const int32_t tag = TagStack[size_t(TagStackTop)];
    if (tag == tagString) {
        if (StrStackTop < 1)
            return;
        StrStack[size_t(StrStackTop--)] = QString();
    } else if (tag == tagBool) {
        if (BoolStackTop < 1)
            return;
        --BoolStackTop;
    } else {
        if (NumStackTop < 1)
            return;
        --NumStackTop;
    }
    --TagStackTop;
}

// ---------------------------------------------------------------- the local stack

void LoPushNumberGrowing(long double x) { PushOnLo(int32_t(tagNumber), LoNumStack, LoNumStackTop, x); }
void LoPushString(const QString &s) { PushOnLo(int32_t(tagString), LoStrStack, LoStrStackTop, s); }
void LoPushBool(bool b) { PushOnLo(int32_t(tagBool), LoBoolStack, LoBoolStackTop, uint8_t(b ? 1 : 0)); }

long double LoPopNumberChecked()
{
    if (!LoTopIs(tagNumber, LoNumStackTop))
        return 0.0L;
    --LoTagStackTop;
    return LoNumStack[size_t(LoNumStackTop--)];
}

QString LoPopString()
{
    if (!LoTopIs(tagString, LoStrStackTop))
        return QString();
    --LoTagStackTop;
    return std::move(LoStrStack[size_t(LoStrStackTop--)]);
}

bool LoPopBool()
{
    if (!LoTopIs(tagBool, LoBoolStackTop))
        return false;
    --LoTagStackTop;
    return LoBoolStack[size_t(LoBoolStackTop--)] != 0;
}

// ---------------------------------------------------------------- calls and returns

void PushCallRecordGrowing(const CallRecord &record)
{
    if (StoreAt(CallRecords, FrameStackTop + 1, record))
        ++FrameStackTop;
}

bool PeekCallRecord(CallRecord &record)
{
    if (FrameStackTop < 1) {
        SetError(52309);
        return false;
    }
    record = CallRecords[size_t(FrameStackTop)];
    return true;
}

bool PopCallRecord(CallRecord &record)
{
    if (!PeekCallRecord(record))
        return false;
    --FrameStackTop;
    return true;
}

bool DropCallRecord()
{
    if (FrameStackTop < 1) {
        SetError(52309);
        return false;
    }
    --FrameStackTop;
    return true;
}

void PushCallReturnGrowing(int32_t position)
{
    if (StoreAt(CallReturns, IntStackTop + 1, position))
        ++IntStackTop;
}

int32_t PopCallReturn()
{
    if (IntStackTop < 1) {
        SetError(54032);
        return 0;
    }
    return CallReturns[size_t(IntStackTop--)];
}

void PushGosubReturn(int32_t position)
{
    if (GosubDepth >= GosubDepthLimit) {
        SetError(1040);
        return;
    }
    GosubReturns[++GosubDepth] = position;
}

int32_t PopGosubReturn()
{
    if (GosubDepth < 1) {
        SetError(1041);
        return 0;
    }
    return GosubReturns[GosubDepth--];
}

void PushFunctionReturn(int32_t position)
{
    if (FunctionReturnDepth >= FunctionReturnLimit) {
        SetError(1040);
        return;
    }
    FunctionReturns[++FunctionReturnDepth] = position;
}

int32_t PopFunctionReturn()
{
    if (FunctionReturnDepth < 1) {
        SetError(1041);
        return 0;
    }
    return FunctionReturns[FunctionReturnDepth--];
}

// ---------------------------------------------------------------- helpers

CodeType SkipToStatementEnd()
{
    CodeType last{ckOperator, opColon, 0};
    for (;;) {
        CodeType cell;
        PeekCode(cell);
        if (IsCodeStatementEnd(cell) || CodePos > CodeEnd)
            return last;
        GetNextCode(cell);
        last = cell;
    }
}

bool NumberToBool(long double n)
{
    if (n == -1.0L)
        return true;
    if (n != 0.0L)
        SetError(54100);
    return false;
}

} // namespace ov
