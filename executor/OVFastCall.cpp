#include "executor/OVFastCall.h"

#include "executor/OVCalls.h"
#include "executor/OVFastExpression.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"

namespace ov {

namespace {

// GlPop into a plain numeric variable, as BindParameter does it; false when
// the handler's work must do it.
inline bool BindNumber(const CodeType &parameter)
{
    if (parameter.FirstCode != ckNumVar || TopTag() != tagNumber || parameter.SecondCode < 1
        || size_t(parameter.SecondCode) >= NumVars.size())
        return false;
    NumVars[size_t(parameter.SecondCode)].Value = PopNumber();
    return true;
}

// GlPush of a numeric variable, as PushResult does it.
inline bool PushNumberResult(const CodeType &parameter)
{
    if (parameter.FirstCode != ckNumVar || parameter.SecondCode < 1 || size_t(parameter.SecondCode) >= NumVars.size())
        return false;
    PushNumber(NumVars[size_t(parameter.SecondCode)].Value);
    return true;
}

// GlPop: the argument on top into the parameter; GlPush: the parameter's
// value onto the stack.
void ParameterCell(int32_t statement, const CodeType &parameter)
{
    if (statement == isGlPop) {
        if (!BindNumber(parameter))
            BindParameter(parameter);
    } else if (!PushNumberResult(parameter)) {
        PushResult(parameter);
    }
}

// One statement cell of a call or a return; false when it is none, with
// nothing done. The program counter moves past the cell and its operands,
// or to where the cell jumps.
bool CallStatement(const CodeType *cells, int32_t last, int32_t &pc)
{
    const int32_t at = pc;
    switch (cells[at].SecondCode) {
    case isLoPushAll:
        pc = at + 1;
        ExecSaveLocals();
        return true;
    case isSubJump: {
        if (at + 1 > last)
            return false;
        const int32_t address = RoutineAddress(cells[at + 1]);
        if (address < 0)
            return false;  // the handler reports it
        PushCallReturn(at + 2);
        pc = ErrorNumber == 0 ? address : at + 2;
        return true;
    }
    case isGlPop:
    case isGlPush:
        if (at + 1 > last)
            return false;
        pc = at + 2;
        ParameterCell(cells[at].SecondCode, cells[at + 1]);
        return true;
    case isFunctionEnd:  // markers that do nothing
    case isCallStart:
    case isSubStart:
    case isSubEnd:
        pc = at + 1;
        return true;
    case stENDFUNCTION:
    case stENDSUB: {
        const int32_t back = LeaveCallRecord();
        pc = ErrorNumber == 0 ? back : at + 1;
        return true;
    }
    case isLoPopAll:
        pc = at + 1;
        ExecRestoreLocals();
        return true;
    default:
        return false;
    }
}

// A routine's call record: its cell and the five after it.
bool CallRecordCells(const CodeType *cells, int32_t last, int32_t &pc)
{
    const int32_t at = pc;
    if (at + 5 > last)
        return false;
    EnterCallRecord(CallRecord{cells[at].SecondCode, cells[at + 1].SecondCode, cells[at + 2].SecondCode,
                               cells[at + 3].SecondCode, cells[at + 4].SecondCode, cells[at + 5].SecondCode});
    pc = at + 6;
    return true;
}

} // namespace

void RunCallCells(const CodeType *cells, int32_t last, int32_t &pc, int32_t &fault)
{
    int32_t at = pc;
    while (at <= last) {
        const CodeType &cell = cells[at];
        bool done = false;
        if (cell.FirstCode == ckStatement)
            done = CallStatement(cells, last, at);
        else if (cell.FirstCode == ckBoolVarRange)
            done = CallRecordCells(cells, last, at);
        else if (IsPassiveCell(cell)) {
            ++at;
            continue;
        }
        if (!done || ErrorNumber != 0) {
            fault = cell.SourcePos;
            break;
        }
        // A routine that only calls itself would otherwise never come back.
        // One test for both, as neither is usually set.
        if ((StopAfterCells | StopRequested.load(std::memory_order_relaxed)) != 0) [[unlikely]] {
            CountStep();
            if (StopRequested.load(std::memory_order_relaxed) != 0) {
                fault = cell.SourcePos;
                break;
            }
        }
    }
    pc = at;
}

} // namespace ov
