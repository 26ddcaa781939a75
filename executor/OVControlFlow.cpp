#include "executor/OVControlFlow.h"

#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVDispatch.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVStrTbl.h"
#include "language/OVTranslator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace ov {

int DataPointer = 0;

namespace {

constexpr int MaxSubscripts = 5;

// DataPointer after a RESTORE past the last DATA: beyond every DATA cell, so
// the next READ finds no DATA to go on with.
constexpr int32_t DataExhausted = std::numeric_limits<int32_t>::max();

uint32_t RandSeed = 0;

// ---------------------------------------------------------------- the value stack on hot paths
// Direct access: the tag array orders the entries, each type array is a
// stack of its own, so a tag on top implies an entry on its type's stack.

inline bool TopIsNumber() { return TagStackTop >= 1 && TagStack[size_t(TagStackTop)] == tagNumber && NumStackTop >= 1; }
inline bool TopIsBool() { return TagStackTop >= 1 && TagStack[size_t(TagStackTop)] == tagBool && BoolStackTop >= 1; }

inline long double TakeNumber()
{
    --TagStackTop;
    return NumStack[size_t(NumStackTop--)];
}

inline bool TakeBool()
{
    --TagStackTop;
    return BoolStack[size_t(BoolStackTop--)] != 0;
}

// ---------------------------------------------------------------- jumps

// Cell 0 is the guard cell and never a target; anything past the store is
// refused with the caller's error.
inline void JumpTo(int32_t target, int32_t error)
{
    if (target < 1 || target > CodeCapacity) {
        SetError(error);
        return;
    }
    CodePos = target;
}

// The failure branch of IF and the CASE tests: the address cell that follows.
void JumpToAddressCell()
{
    FetchCurrentCell();
    if (CurrentCell.FirstCode == ckCodeAddr)
        JumpTo(CurrentCell.SecondCode, 1055);
}

void EndCaseTest(bool match)
{
    if (ErrorNumber != 0)
        return;
    if (match)
        ++CodePos;
    else
        JumpToAddressCell();
}

// ---------------------------------------------------------------- array elements

// Pops d subscripts into sub[0..d-1] (sub[k] is the subscript of dimension
// k + 1), truncated toward zero: the last subscript on top for a read, the
// first on top for an assignment. 1403 for a non-number, 1402 below 0.
bool PopSubscripts(int d, bool firstOnTop, long double *sub)
{
    for (int n = 0; n < d; ++n) {
        if (!TopIsNumber()) {
            SetError(1403);
            return false;
        }
        const long double value = TakeNumber();
        if (!(value >= 0)) {
            SetError(1402);
            return false;
        }
        sub[firstOnTop ? n : d - 1 - n] = std::trunc(value);
    }
    return true;
}

// The index of the element in a table of `size` entries, the first
// subscript varying fastest. Each subscript is compared with its bound as a
// number before it is converted; 1401 when one passes its bound or the
// element lies outside the table.
bool ElementIndex(int d, const Bounds &bound, int32_t first, const long double *sub, size_t size, size_t &index)
{
    const auto limit = int64_t(size);
    int64_t offset = 0;
    int64_t stride = 1;
    for (int k = 0; k < d; ++k) {
        const int32_t upper = bound[size_t(k)];
        if (sub[k] > upper) {
            SetError(1401);
            return false;
        }
        offset += int64_t(sub[k]) * stride;
        if (offset >= limit) {
            SetError(1401);
            return false;
        }
        stride = std::min<int64_t>(stride * (int64_t(upper) + 1), limit + 1);
    }
    const int64_t at = int64_t(first) + offset;
    if (first < 0 || at >= limit) {
        SetError(1401);
        return false;
    }
    index = size_t(at);
    return true;
}

template <typename Record>
bool LocateElement(const Record &record, bool firstOnTop, size_t size, size_t &index)
{
    const int d = record.Dimensions;
    if (d > MaxSubscripts) {
        SetError(1401);
        return false;
    }
    long double sub[MaxSubscripts];
    return PopSubscripts(d, firstOnTop, sub) && ElementIndex(d, record.Bound, record.FirstElement, sub, size, index);
}

// LET into an array element: the subscripts (first on top) lie above the
// value, which must carry the variable's tag.
template <typename Record>
bool LocateAssignedElement(const Record &record, int32_t valueTag, size_t size, size_t &index)
{
    const int d = record.Dimensions;
    if (d > MaxSubscripts) {
        SetError(1401);
        return false;
    }
    long double sub[MaxSubscripts];
    if (!PopSubscripts(d, true, sub))
        return false;
    if (TopTag() != valueTag) {
        SetError(50022, stLET);
        return false;
    }
    return ElementIndex(d, record.Bound, record.FirstElement, sub, size, index);
}

template <typename Table>
inline bool ValidRecord(const Table &table, int32_t index)
{
    return index >= 1 && size_t(index) < table.size();
}

// ---------------------------------------------------------------- LET

void LetNumber(int32_t v)
{
    if (!ValidRecord(NumVars, v))
        return;
    NumVarType &record = NumVars[size_t(v)];
    if (record.Dimensions == 0) {
        if (!TopIsNumber()) {
            SetError(50022, stLET);
            return;
        }
        record.Value = TakeNumber();
        return;
    }
    size_t index = 0;
    if (LocateAssignedElement(record, tagNumber, NumArrayData.size(), index))
        NumArrayData[index] = TakeNumber();
}

void LetString(int32_t v)
{
    if (!ValidRecord(StrVars, v))
        return;
    StrVarType &record = StrVars[size_t(v)];
    if (record.Dimensions == 0) {
        if (TopTag() != tagString) {
            SetError(50022, stLET);
            return;
        }
        record.Value = PopString();
        return;
    }
    size_t index = 0;
    if (!LocateAssignedElement(record, tagString, StrArrayData.size(), index))
        return;
    StrArrayData[index] = PopString();
}

void LetBool(int32_t v)
{
    if (!ValidRecord(BoolVars, v))
        return;
    BoolVarType &record = BoolVars[size_t(v)];
    if (record.Dimensions == 0) {
        if (!TopIsBool()) {
            SetError(50022, stLET);
            return;
        }
        record.Value = TakeBool() ? 1 : 0;
        return;
    }
    size_t index = 0;
    if (!LocateAssignedElement(record, tagBool, BoolArrayData.size(), index))
        return;
    BoolArrayData[index] = BoolToStored(TakeBool());
}

// ---------------------------------------------------------------- CASE

// Whether a CASE IS relation holds; order compares the test's value with the
// selector (below 0, 0 or above 0).
bool CaseRelationHolds(int32_t test, int order)
{
    switch (test) {
    case isCaseIsEq: return order == 0;
    case isCaseIsLt: return order < 0;
    case isCaseIsLe: return order <= 0;
    case isCaseIsGt: return order > 0;
    case isCaseIsGe: return order >= 0;
    case isCaseIsNe: return order != 0;
    default: return false;
    }
}

// ---------------------------------------------------------------- line numbers and DATA

// The record of line number n (truncated), or null. The table is ascending
// after every successful translation; a failed one may leave it unsorted,
// so a miss of the halving search falls back to a scan.
const LineNumberType *FindLine(long double number)
{
    const long double key = std::trunc(number);
    const int32_t count = std::min<int32_t>(LineNumberCount, int32_t(LineNumbers.size()) - 1);
    int32_t low = 1;
    int32_t high = count;
    while (low <= high) {
        const int32_t middle = low + (high - low) / 2;
        if (LineNumbers[size_t(middle)].Number < key)
            low = middle + 1;
        else
            high = middle - 1;
    }
    if (low <= count && LineNumbers[size_t(low)].Number == key)
        return &LineNumbers[size_t(low)];
    for (int32_t i = 1; i <= count; ++i) {
        if (LineNumbers[size_t(i)].Number == key)
            return &LineNumbers[size_t(i)];
    }
    return nullptr;
}

int32_t UsableDataCount()
{
    return std::max<int32_t>(std::min<int32_t>(DataCount, int32_t(DataLines.size()) - 1), 0);
}

// READ goes on at the first item of the DATA statement after the first k;
// past the last DATA there is nothing left to read.
void RestoreAfterData(long double k)
{
    if (!(k >= 0)) {
        SetError(54106);
        return;
    }
    const int32_t count = UsableDataCount();
    DataPointer = k < count ? DataLines[size_t(k) + 1] + 1 : DataExhausted;
}

CodeType CellAt(int32_t position)
{
    if (position < 0 || position > CodeCapacity || size_t(position) >= CodeArray.size())
        return CodeType{};
    return CodeArray[size_t(position)];
}

inline bool IsDataItem(const CodeType &cell)
{
    return cell.FirstCode == ckNumLiteral || cell.FirstCode == ckStrLiteral;
}

// The next DATA item, DataPointer moved past it. A cell that is no item (the
// end of a DATA statement, or the guard cell before the first READ) sends
// the pointer on to the next DATA statement; 1006 when none follows.
bool TakeDataItem(CodeType &item)
{
    for (;;) {
        item = CellAt(DataPointer);
        if (IsDataItem(item)) {
            ++DataPointer;
            return true;
        }
        const int32_t next = NextDataPosition(DataPointer);
        if (next == 0) {
            SetError(1006);
            return false;
        }
        DataPointer = next + 1;
    }
}

void StoreDataItem(const CodeType &target, const CodeType &item)
{
    const int32_t v = target.SecondCode;
    const bool numeric = target.FirstCode == ckNumVar || target.FirstCode == ckWorkNumVar;
    const bool text = target.FirstCode == ckStrVar || target.FirstCode == ckWorkStrVar;
    if ((numeric && item.FirstCode != ckNumLiteral) || (text && item.FirstCode != ckStrLiteral)
        || (!numeric && !text)) {
        SetError(1007);
        return;
    }
    if (numeric) {
        const long double value = GetNumLiteralValue(item);
        if (target.FirstCode == ckNumVar) {
            if (ValidRecord(NumVars, v))
                NumVars[size_t(v)].Value = value;
        } else if (v == 1 || v == 2) {
            WorkNumVars[v].Value = value;
        }
        return;
    }
    const QString &value = ValidRecord(StrLiterals, item.SecondCode) ? StrLiterals[size_t(item.SecondCode)]
                                                                     : StrConstants[1];
    if (target.FirstCode == ckStrVar) {
        if (ValidRecord(StrVars, v))
            StrVars[size_t(v)].Value = value;
    } else if (v == 1 || v == 2) {
        WorkStrVars[v].Value = value;
    }
}

void ClearConsole()
{
    Host().Memo().Clear();
    ConsoleLineCount = 0;
}

// The screen is filled with a solid brush, which the canvas keeps; its
// colour stays what it was.
void ClearGraphics()
{
    GraphCanvas.BrushStyle = 0;
    if (GraphSurfaceAccess *surface = GraphSurface())
        surface->Fill(GraphBackColor);
}

} // namespace

bool StoredToBool(uint8_t stored)
{
    if (stored == StoredTrue)
        return true;
    if (stored != 0)
        SetError(54100);
    return false;
}

// ---------------------------------------------------------------- array element read

void PushArrayElement(const CodeType &cell)
{
    size_t index = 0;
    switch (cell.FirstCode) {
    case ckNumVar: {
        const NumVarType &record = NumVars[size_t(cell.SecondCode)];
        if (record.Dimensions < 1)
            PushNumber(record.Value);
        else if (LocateElement(record, false, NumArrayData.size(), index))
            PushNumber(NumArrayData[index]);
        break;
    }
    case ckStrVar: {
        const StrVarType &record = StrVars[size_t(cell.SecondCode)];
        if (record.Dimensions < 1)
            PushString(record.Value);
        else if (LocateElement(record, false, StrArrayData.size(), index))
            PushString(StrArrayData[index]);
        break;
    }
    case ckBoolVar: {
        const BoolVarType &record = BoolVars[size_t(cell.SecondCode)];
        if (record.Dimensions < 1)
            PushBool(record.Value != 0);
        else if (LocateElement(record, false, BoolArrayData.size(), index))
            PushBool(StoredToBool(BoolArrayData[index]));
        break;
    }
    default:
        return;
    }
    if (ErrorNumber >= 1401 && ErrorNumber <= 1403)
        ImmediateError = true;  // the subscript error names this cell
}

// ---------------------------------------------------------------- assignment

void ExecLet()
{
    FetchCurrentCell();
    const int32_t v = CurrentCell.SecondCode;
    switch (CurrentCell.FirstCode) {
    case ckNumVar: LetNumber(v); break;
    case ckStrVar: LetString(v); break;
    case ckBoolVar: LetBool(v); break;
    case ckWorkNumVar:
        if (v == 1 || v == 2) {
            const long double x = PopNumber();
            if (ErrorNumber == 0)
                WorkNumVars[v].Value = x;
        }
        break;
    case ckWorkStrVar:
        if (v == 1 || v == 2) {
            QString s = PopString();
            if (ErrorNumber == 0)
                WorkStrVars[v].Value = std::move(s);
        }
        break;
    case ckWorkBoolVar:
        if (v == 1 || v == 2) {
            const bool b = PopBool();
            if (ErrorNumber == 0)
                WorkBoolVars[v].Value = b ? 1 : 0;
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- IF and the conditional jump

void ExecIf()
{
    if (!TopIsBool()) {
        SetError(1052);
        return;
    }
    if (TakeBool())
        ++CodePos;
    else
        JumpToAddressCell();
}

void ExecBranchIfTrue()
{
    if (!TopIsBool()) {
        SetError(1052);
        return;
    }
    if (TakeBool())
        JumpToAddressCell();
    else
        ++CodePos;
}

// ---------------------------------------------------------------- SELECT CASE tests

void ExecCaseValues()
{
    if (!TopIsNumber()) {
        SetError(50002);
        return;
    }
    const long double count = std::nearbyint(TakeNumber());
    // The selector and the values must all be on the stack.
    if (!(count >= 1 && count < TagStackTop)) {
        SetError(50002);
        return;
    }
    const int n = int(count);
    const int32_t tag = TopTag();
    for (int k = 1; k <= n; ++k) {
        if (TagStack[size_t(TagStackTop - k)] != tag) {
            SetError(54087);
            return;
        }
    }
    bool match = false;
    switch (tag) {
    case tagString: {
        const QString selector = PopString();
        for (int k = 0; k < n; ++k)
            match = (PopString() == selector) || match;
        break;
    }
    case tagBool: {
        const bool selector = PopBool();
        for (int k = 0; k < n; ++k)
            match = (PopBool() == selector) || match;
        break;
    }
    case tagNumber: {
        const long double selector = PopNumber();
        for (int k = 0; k < n; ++k)
            match = (PopNumber() == selector) || match;
        break;
    }
    default:  // references and TAB marks match nothing
        for (int k = 0; k <= n; ++k)
            PopNumber();
        break;
    }
    EndCaseTest(match);
}

void ExecCaseRange()
{
    if (TagStackTop < 3) {
        SetError(52302);
        return;
    }
    const int32_t tag = TopTag();
    if ((tag != tagNumber && tag != tagString) || SecondTag() != tag || ThirdTag() != tag) {
        SetError(54087);
        return;
    }
    bool match = false;
    if (tag == tagNumber) {
        const long double selector = PopNumber();
        const long double upper = PopNumber();
        const long double lower = PopNumber();
        match = lower <= selector && selector <= upper;
    } else {
        const QString selector = PopString();
        const QString upper = PopString();
        const QString lower = PopString();
        match = lower <= selector && selector <= upper;
    }
    EndCaseTest(match);
}

void ExecCaseIs(int32_t test)
{
    if (TagStackTop < 2) {
        SetError(52302);
        return;
    }
    const int32_t tag = TopTag();
    if ((tag != tagNumber && tag != tagString) || SecondTag() != tag) {
        SetError(54087);
        return;
    }
    int order = 0;
    if (tag == tagNumber) {
        const long double selector = PopNumber();
        const long double value = PopNumber();
        order = value < selector ? -1 : value > selector ? 1 : 0;
    } else {
        const QString selector = PopString();
        const QString value = PopString();
        order = QString::compare(value, selector);
    }
    EndCaseTest(CaseRelationHolds(test, order));
}

// ---------------------------------------------------------------- GOTO, GOSUB, RETURN, END

void ExecGotoGosub(bool gosub)
{
    FetchCurrentCell();
    if (gosub) {
        PushGosubReturn(CodePos);
        if (ErrorNumber != 0)
            return;
    }
    int32_t error = 0;
    const int32_t target = GotoTarget(CurrentCell, error);
    if (error != 0)
        JumpTo(target, error);
}

int32_t GotoTarget(const CodeType &operand, int32_t &error)
{
    const int32_t v = operand.SecondCode;
    switch (operand.FirstCode) {
    case ckCodeAddr:
        error = 1055;
        return v;
    case ckNumLiteral:
        error = 54104;
        return FindLineLabel(GetNumLiteralValue(operand));
    case ckNumVar:
        error = 1051;
        return ValidRecord(NumVars, v) && NumVars[size_t(v)].Kind == nvLabel ? NumVars[size_t(v)].FirstElement : 0;
    default:
        error = 0;
        return 0;
    }
}

void ExecReturn()
{
    if (GosubDepth < 1) {
        SetError(1041);
        return;
    }
    CodePos = PopGosubReturn();
}

void ExecEnd()
{
    CodeArray[0] = CodeType{ckEof, 0, 0};
    CodePos = 0;
}

// ---------------------------------------------------------------- BEEP, RANDOMIZE

void ExecBeep()
{
    Synchronised([] { Host().Beep(); });
}

void SeedRandom(uint32_t seed)
{
    RandSeed = seed;
}

uint32_t RandomSeed()
{
    return RandSeed;
}

long double NextRandom()
{
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<long double>(RandSeed) / 4294967296.0L;
}

void ExecRandomize()
{
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    SeedRandom(uint32_t(uint64_t(ticks)));
}

void ExecRandomizeSeed()
{
    if (TopTag() != tagNumber) {
        SetError(50011, fnRND);
        return;
    }
    const long double n = PopNumber();
    if (!(n >= -32768 && n <= 32767)) {
        SetError(50012, fnRND);
        return;
    }
    SeedRandom(uint32_t(int32_t(std::trunc(n))));
}

// ---------------------------------------------------------------- DATA, DEF, DIM, READ, RESTORE

void ExecSkipStatement()
{
    // A DEF body may hold line-end cells of its own (those of a FUNCTION call
    // in its expression): it is skipped through its return cell.
    if (CurrentCell.FirstCode == ckStatement && CurrentCell.SecondCode == stDEF) {
        CodeType cell;
        do {
            PeekCode(cell);
            if (cell.FirstCode == ckEof || CodePos > CodeEnd)
                return;
            GetNextCode(cell);
        } while (!(cell.FirstCode == ckStatement && cell.SecondCode == isDefFnReturn));
    }
    SkipToStatementEnd();
}

void ExecRead()
{
    for (;;) {
        CodeType next;
        PeekCode(next);
        if (IsCodeStatementEnd(next) || next.FirstCode == ckEof || CodePos > CodeEnd)
            return;
        FetchCurrentCell();
        const CodeType target = CurrentCell;
        CodeType item;
        if (!TakeDataItem(item))
            return;
        StoreDataItem(target, item);
        if (ErrorNumber != 0)
            return;
    }
}

void ExecRestore()
{
    CodeType next;
    PeekCode(next);
    if (next.FirstCode == ckNumLiteral) {
        FetchCurrentCell();
        const int32_t k = FindRestoreLine(GetNumLiteralValue(next));
        if (k < 0 || k > DataCount) {
            SetError(54106);
            return;
        }
        RestoreAfterData(k);
    } else if (next.FirstCode == ckNumVar) {
        FetchCurrentCell();
        if (!ValidRecord(NumVars, next.SecondCode) || NumVars[size_t(next.SecondCode)].Kind != nvLabel) {
            SetError(54086);
            --CodePos;
            return;
        }
        RestoreAfterData(std::trunc(NumVars[size_t(next.SecondCode)].Value));
    } else {
        RestoreAfterData(0);
    }
}

int32_t FindLineLabel(long double number)
{
    const LineNumberType *line = FindLine(number);
    return line ? line->CodeIndex : 0;
}

int32_t FindRestoreLine(long double number)
{
    const LineNumberType *line = FindLine(number);
    return line ? line->DataIndex : 0;
}

int32_t NextDataPosition(int32_t position)
{
    const int32_t count = UsableDataCount();
    for (int32_t k = 1; k <= count; ++k) {
        if (DataLines[size_t(k)] >= position)
            return DataLines[size_t(k)];
    }
    return 0;
}

// ---------------------------------------------------------------- CLS

void ExecCls()
{
    FetchCurrentCell();
    long double mode = 1;
    if (CurrentCell.FirstCode == ckNumLiteral)
        mode = std::trunc(GetNumLiteralValue(CurrentCell));
    else if (CurrentCell.FirstCode != ckNumConst)
        SetError(50002);
    if (mode == 1) {
        ClearConsole();
    } else if (mode == 2) {
        if (GraphScreenOpen == 0)
            SetError(50006);
        else
            ClearGraphics();
    } else if (mode == 3) {
        ClearConsole();
        if (GraphScreenOpen != 0)
            ClearGraphics();
    } else {
        SetError(1106);
    }
}

} // namespace ov
