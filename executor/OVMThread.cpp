#include "executor/OVMThread.h"

#include "devices/OVGraphState.h"
#include "devices/OVKeySetting.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVControlFlow.h"
#include "executor/OVDataFile.h"
#include "executor/OVDispatch.h"
#include "executor/OVFastCall.h"
#include "executor/OVInterpreter.h"
#include "executor/OVOperators.h"
#include "executor/OVPlanChain.h"
#include "executor/OVRunHost.h"
#include "executor/OVStack.h"
#include "executor/OVStrFunc.h"
#include "executor/OVTranslate.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVErrorMessage.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVPreScan.h"
#include "language/OVStrTbl.h"
#include "language/OVTranslator.h"
#include "resources/OVInterfaceTexts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace ov {

std::atomic<int> ProgramRunning{0};
std::atomic<int> StopRequested{0};
std::atomic<int> SavedStopRequested{0};
std::atomic<int> RunThreadActive{0};

QString RunCommand;
QString SourceText;
uint8_t EventSubRun = 0;

int32_t ContPosition = 101;
long double LastRandom = 0;
int FormulaErrorMode = 0;
int32_t FormulaErrorVar = 0;

int64_t StopAfterCells = 0;
bool RunFastPaths = true;

std::atomic<int> EchoOn{1};
int RunEndedWithError = 0;
int CloseAppAtEnd = 0;
int GraphicsOpenedInRun = 0;

namespace {

constexpr uint32_t kStartSeed = 12345678;

// Numbers are x87 extended values: full 64-bit mantissa, exceptions masked.
void SetExtendedPrecision()
{
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t word;
    _FPU_GETCW(word);
    word = (word & ~fpu_control_t(_FPU_EXTENDED)) | _FPU_EXTENDED | _FPU_MASK_IM | _FPU_MASK_DM
        | _FPU_MASK_ZM | _FPU_MASK_OM | _FPU_MASK_UM | _FPU_MASK_PM;
    _FPU_SETCW(word);
#endif
}

bool IsStopped() { return StopRequested.load(std::memory_order_relaxed) != 0; }

// The value-stack depths a cycle started with: a stopped program's own
// values stay below them for CONT.
struct StackBase {
    int Tags = 0, Numbers = 0, Strings = 0, Bools = 0;
};

StackBase RunBase;
bool ResumeAtInput = false;

void CaptureStackBase()
{
    RunBase = {TagStackTop, NumStackTop, StrStackTop, BoolStackTop};
}

void DropValuesOfThisRun()
{
    TagStackTop = std::min(TagStackTop, RunBase.Tags);
    NumStackTop = std::min(NumStackTop, RunBase.Numbers);
    StrStackTop = std::min(StrStackTop, RunBase.Strings);
    BoolStackTop = std::min(BoolStackTop, RunBase.Bools);
}

void WriteLine(const QString &text) { PrintLine(text); }

// ---------------------------------------------------------------- translation

// Run modes 0 and 2: the whole program. False when the report follows at once.
bool PrepareProgram()
{
    if (!SetProgramText(SourceText))
        return false;
    // The preferences form may change the settings meanwhile: they are
    // copied on the user-interface thread.
    RunStartSettings settings{};
    Synchronised([&settings] {
        Host().CloseMediaPlayer();
        settings = CurrentRunStartSettings();
    });
    // The reset clears the stop request for the run; one made since the run
    // was started (Stop pressed while the program is prepared) still holds.
    const bool stopAsked = IsStopped();
    InitInterpreter(settings);
    if (stopAsked)
        StopRequested = 1;
    Synchronised([] { Host().RestoreRunFormLayout(); });
    // The editor's or the runner's program includes files beside its own
    // file; RUN translates the kept text again, beside the file it came from.
    if (RunMode == 0)
        IncludeFolder = ProgramDir;
    if (!TranslateProgram())
        return false;
    ContPosition = ProgramStart;
    Synchronised([] { Host().SetButtonMode(ButtonMode::Run); });
    CloseFileChannel(0);
    return true;
}

// Run mode 1: a console line, a button command or an event sub.
bool PrepareCommandLine()
{
    if (!TranslateCommandLine(RunCommand))
        return false;
    CodePos = 1;
    SavedStopRequested = StopRequested.load();
    StopRequested = 0;
    Synchronised([] { Host().SetRunButtons(false, false, true, false); });
    CodeType first;
    PeekCode(first);
    if (!(first.FirstCode == ckStatement && first.SecondCode == stCONT))
        CloseFileChannel(0);
    return true;
}

void PrepareContinue()
{
    if (EchoOn) {
        Synchronised([] { Host().SetConsoleCaption(QStringLiteral(u"Orvane 実行画面（再開）")); });
        WriteLine(QStringLiteral(u"実行再開しました。"));
    }
    CodePos = ContPosition;
    ContPosition = ScratchEnd;
}

// The position of the block CheckOpenBlocks found open.
int32_t OpenBlockPosition()
{
    if (ErrorNumber == 555 && !ForStack.Empty())
        return ForStack.Top().Variable.SourcePos;
    const auto cellPos = [](int32_t index) {
        return index >= 0 && index < int32_t(CodeArray.size()) ? CodeArray[size_t(index)].SourcePos : 0;
    };
    if (ErrorNumber == 557 && !LoopStack.Empty())
        return cellPos(LoopStack.Top().LoopTop);
    if (ErrorNumber == 567 && !IfStack.Empty() && IfStack.Count() >= 2)
        return cellPos(IfStack.Items[size_t(IfStack.Count()) - 2]);
    return CurrentCell.SourcePos;
}

bool SetUpRun()
{
    ResetOutputLine();
    SeedRandom(kStartSeed);
    LastRandom = NextRandom();
    CheckOpenBlocks();
    if (ErrorNumber != 0) {
        ErrorPos = OpenBlockPosition();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the loop

void StoreFormulaError()
{
    if (FormulaErrorVar >= 1 && FormulaErrorVar <= NumVarCount)
        NumVars[size_t(FormulaErrorVar)].Value = ErrorNumber;
    ClearError();
}

// The loop keeps the program counter in a local and hands it back to the
// globals (CodePos, CurrentCell) before every handler, which may read them or
// jump. The cells that make up most loops are handled here without the full
// dispatch, in rows: expression brackets and statement ends do nothing,
// expressions with plans are worked out in chains (OVPlanChain), literals
// and plain variables are pushed, the common operators and the string
// functions are called directly, LET of a plain variable, IF and GOTO with
// their usual operand cells are done in place, and calls and returns run in
// one step each (OVFastCall). Anything unusual goes to DispatchCell.
// The statements the loop's short cuts may take, found by one look-up.
enum class ShortCut : uint8_t { None, Let, If, JumpIfTrue, Goto, Call, CaseValue };

constexpr std::array<ShortCut, LastInnerStatement + 1> ShortCutTable()
{
    std::array<ShortCut, LastInnerStatement + 1> table{};
    table[stLET] = ShortCut::Let;
    table[stIF] = ShortCut::If;
    table[isJumpIfTrue] = ShortCut::JumpIfTrue;
    table[isCaseList] = ShortCut::CaseValue;
    table[stGOTO] = ShortCut::Goto;
    for (const int32_t s : {int32_t(isLoPushAll), int32_t(isSubJump), int32_t(isGlPop), int32_t(isGlPush),
                            int32_t(isFunctionEnd), int32_t(isLoPopAll), int32_t(stENDFUNCTION), int32_t(stENDSUB),
                            int32_t(isCallStart), int32_t(isSubStart), int32_t(isSubEnd)})
        table[size_t(s)] = ShortCut::Call;
    return table;
}
constexpr std::array<ShortCut, LastInnerStatement + 1> kShortCuts = ShortCutTable();

inline ShortCut StatementShortCut(int32_t statement)
{
    return statement >= 0 && statement <= LastInnerStatement ? kShortCuts[size_t(statement)] : ShortCut::None;
}

class RunLoopState {
public:
    RunLoopState() { Reload(); }

    void Reload()
    {
        cells_ = CodeArray.data();
        pc_ = CodePos;
        end_ = CodeEnd;
        capacity_ = CodeCapacity;
        code_ = PlanCode{cells_, ReservePlanSlots(std::max(end_, capacity_)), CodeGeneration, end_, capacity_};
    }
    void Store(const CodeType &cell)
    {
        CodePos = pc_;
        CurrentCell = cell;
    }
    void Fetch(CodeType &cell)
    {
        if (pc_ <= end_)
            cell = cells_[pc_++];
        else
            cell.FirstCode = ckNone;
    }
    // Fetches the next cell that does something, passing over expression
    // brackets and statement ends; the cells passed over have no effect, and
    // every check of the loop applies to the cell found.
    void FetchWorkingCell(CodeType &cell)
    {
        Fetch(cell);
        while (IsPassiveCell(cell) && pc_ <= end_)
            cell = cells_[pc_++];
    }
    bool Finished(const CodeType &cell) const
    {
        return cell.FirstCode == ckEof || IsStopped() || pc_ > end_;
    }
    bool DispatchCommon(const CodeType &cell, int32_t &faultPos);

private:
    [[gnu::always_inline]] inline bool Expression();
    // Inline: it runs for most cells of an expression without a plan.
    [[gnu::always_inline]] inline bool FastCell(const CodeType &cell);
    void Row(int32_t &faultPos);
    [[gnu::noinline]] bool StringAppend();
    [[gnu::noinline]] bool AppendInPlace();
    [[gnu::always_inline]] inline bool Segment();
    bool LetPlainNumber();
    bool LetPlainString();
    bool If(bool jumpWhen);
    bool Goto();
    bool CaseValue();
    bool Statement(ShortCut kind);
    bool CallCells();
    // Where the fault of a step that began at the cell lies.
    int32_t FaultPosition(const CodeType &cell)
    {
        const int32_t call = std::exchange(callFault_, -1);
        return call >= 0 ? call : cell.SourcePos;
    }
    bool CellAndRow(const CodeType &cell, int32_t &faultPos);
    // The address cell at the program counter, when it names a cell of the code.
    bool AddressAhead(int32_t &target) const
    {
        if (pc_ > end_)
            return false;
        const CodeType &next = cells_[pc_];
        target = next.SecondCode;
        return next.FirstCode == ckCodeAddr && target >= 1 && target <= capacity_;
    }

    const CodeType *cells_ = nullptr;
    PlanCode code_;
    // The position in the text of the cell a step of call cells failed at,
    // which may be a cell after its first; -1 when no such step failed.
    int32_t callFault_ = -1;
    int32_t pc_ = 0;
    int32_t end_ = 0;
    int32_t capacity_ = 0;
};

// Bracketed expressions with plans: each value goes straight into the
// variable or element that LET assigns, decides the IF that follows, or is
// pushed; plans that follow one another run as one chain.
bool RunLoopState::Expression()
{
    FastPlan &plan = PlanAt(code_, pc_ - 1);
    if (!plan.Usable())
        return StringAppend();
    if (plan.Run == FastPlan::PushCopy) {  // no chain follows a value left on the stack
        PushNumber(OperandValue(plan.Ops[0]));
        pc_ = plan.ExpressionEnd;
        return true;
    }
    bool whole = true;
    pc_ = RunPlanChain(code_, plan, whole);
    return whole;
}

// A stretch of operands and operators inside an expression without a plan
// (one that holds a string function or a call): its value pushed in one
// step. Where it cannot be worked out, nothing is done and the cells run one
// by one, so that the fault is reported at its own cell.
bool RunLoopState::Segment()
{
    const FastPlan &plan = SegmentAt(code_, pc_ - 1);
    if (!plan.Usable())
        return false;
    long double number = 0;
    bool truth = false;
    if (!EvaluatePlan(plan, number, truth))
        return false;
    if (plan.Truth)
        PushBool(truth);
    else
        PushNumber(number);
    pc_ = plan.ExpressionEnd;
    return true;
}

// A$ = A$ + B$ (or & B$, or a literal): the text is appended in place, so
// building a string piece by piece does not copy it every time.
bool RunLoopState::StringAppend()
{
    if (pc_ + 5 > end_)
        return false;
    const CodeType *c = cells_ + pc_;
    const bool join = c[2].FirstCode == ckOperator && (c[2].SecondCode == opAdd || c[2].SecondCode == opConcat);
    if (c[0].FirstCode != ckStrVar || !join || c[3].FirstCode != ckExprEnd || c[4].FirstCode != ckStatement
        || c[4].SecondCode != stLET || c[5].FirstCode != ckStrVar || c[5].SecondCode != c[0].SecondCode)
        return false;
    const auto plain = [](const CodeType &cell) -> StrVarType * {
        if (cell.SecondCode < 1 || size_t(cell.SecondCode) >= StrVars.size())
            return nullptr;
        StrVarType &record = StrVars[size_t(cell.SecondCode)];
        return record.Kind == svSimple && record.Dimensions == 0 ? &record : nullptr;
    };
    StrVarType *target = plain(c[0]);
    if (target == nullptr)
        return false;
    const QString *piece = nullptr;
    if (c[1].FirstCode == ckStrLiteral && c[1].SecondCode >= 0 && size_t(c[1].SecondCode) < StrLiterals.size())
        piece = &StrLiterals[size_t(c[1].SecondCode)];
    else if (const StrVarType *variable = c[1].FirstCode == ckStrVar ? plain(c[1]) : nullptr)
        piece = &variable->Value;
    // A text too long for a string, or for the memory left, goes the long
    // way, which reports it at the operator.
    if (piece == nullptr || piece->size() > StringLengthLimit - target->Value.size())
        return false;
    try {
        target->Value += *piece;
    } catch (const std::bad_alloc &) {
        return false;
    }
    pc_ += 6;
    return true;
}

// The + or & that ends A$ = A$ + <string expression>, with the pushed copy
// of A$ and the right string on top: the variable lets go of its text, so
// that the copy, now its only holder, grows in place rather than being
// copied, and takes the variable's place. The join, the expression's end,
// the LET and its target are one step. False, with nothing done, where the
// cells must run: the left string is not the variable's text (a call in the
// expression changed it), or the result is too long or finds no memory.
bool RunLoopState::AppendInPlace()
{
    if (pc_ + 2 > end_ || SecondTag() != tagString)
        return false;
    const CodeType *c = cells_ + pc_;
    if (c[0].FirstCode != ckExprEnd || c[1].FirstCode != ckStatement || c[1].SecondCode != stLET
        || c[2].FirstCode != ckStrVar || c[2].SecondCode < 1 || size_t(c[2].SecondCode) >= StrVars.size())
        return false;
    StrVarType &target = StrVars[size_t(c[2].SecondCode)];
    QString &left = StrStack[size_t(StrStackTop) - 1];
    const QString &right = StrStack[size_t(StrStackTop)];
    if (target.Kind != svSimple || target.Dimensions != 0 || left.constData() != target.Value.constData()
        || left.size() != target.Value.size() || right.size() > StringLengthLimit - left.size())
        return false;
    target.Value = QString();
    try {
        left.append(right);
    } catch (const std::bad_alloc &) {
        target.Value = left;  // unchanged: the join reports it
        return false;
    }
    target.Value.swap(left);
    PopString();
    PopString();
    pc_ += 3;
    return true;
}

bool RunLoopState::LetPlainNumber()
{
    if (pc_ > end_ || TopTag() != tagNumber)
        return false;
    const CodeType &target = cells_[pc_];
    if (target.FirstCode != ckNumVar)
        return false;
    NumVarType &record = NumVars[size_t(target.SecondCode)];
    if (!IsAssignableScalar(record))
        return false;
    record.Value = PopNumber();
    ++pc_;
    return true;
}

// The string on top moves into a plain string variable.
bool RunLoopState::LetPlainString()
{
    const CodeType &target = cells_[pc_];
    if (target.SecondCode < 1 || size_t(target.SecondCode) >= StrVars.size() || TopTag() != tagString)
        return false;
    StrVarType &record = StrVars[size_t(target.SecondCode)];
    if (record.Kind != svSimple || record.Dimensions != 0)
        return false;
    QString value = PopString();
    record.Value.swap(value);
    KeepSpareString(std::move(value));  // the old text's buffer serves the next slice
    ++pc_;
    return true;
}

// IF jumps when the truth value on top is false; the test of DO UNTIL and
// LOOP WHILE (`jumpWhen` true) when it is true.
bool RunLoopState::If(bool jumpWhen)
{
    int32_t target = 0;
    if (TopTag() != tagBool || !AddressAhead(target))
        return false;
    if (PopBool() == jumpWhen)
        pc_ = target;
    else
        ++pc_;
    return true;
}

bool RunLoopState::Goto()
{
    if (pc_ > end_)
        return false;
    int32_t error = 0;
    const int32_t target = GotoTarget(cells_[pc_], error);
    if (target < 1 || target > capacity_)
        return false;  // the handler reports it
    pc_ = target;
    return true;
}

// A CASE with one number or one string: the value, the selector and the
// count 1 on the stack. The test goes on past the address cell when they are
// equal and jumps to it otherwise, as the handler does; lists of values and
// mixed kinds are left to the handler.
bool RunLoopState::CaseValue()
{
    int32_t target = 0;
    if (TopTag() != tagNumber || NumStack[size_t(NumStackTop)] != 1 || !AddressAhead(target))
        return false;
    const int32_t kind = SecondTag();
    if ((kind != tagNumber && kind != tagString) || ThirdTag() != kind)
        return false;
    PopNumber();
    bool match = false;
    if (kind == tagNumber) {
        const long double selector = PopNumber();
        match = PopNumber() == selector;
    } else {
        const QString selector = PopString();
        match = PopString() == selector;
    }
    if (match)
        ++pc_;
    else
        pc_ = target;
    return true;
}

// A cell the loop's short cuts cover, with the program counter after it:
// an operand, operator or string-function cell of an expression, a cell that
// does nothing, the begin cell of an expression (its plan, if it has one),
// and the statements of Statement. False, with nothing done, for the others.
// Operators and functions may ask for memory: the cell is noted for the
// report of an allocation that fails.
bool RunLoopState::FastCell(const CodeType &cell)
{
    switch (cell.FirstCode) {
    case ckNumLiteral:
        if (!Segment())
            PushNumber(NumLiterals[size_t(cell.SecondCode) + 1]);
        return true;
    case ckNumConst:
        if (!Segment())
            PushNumber(NumConstants[cell.SecondCode]);
        return true;
    case ckStrLiteral:
        PushString(StrLiterals[size_t(cell.SecondCode)]);
        return true;
    case ckBoolConst:
        PushBool(BoolConstants[cell.SecondCode] != 0);
        return true;
    case ckNumVar: {
        const NumVarType &record = NumVars[size_t(cell.SecondCode)];
        if (record.Kind != nvSimple)
            return false;
        if (!Segment())
            PushNumber(record.Value);
        return true;
    }
    case ckStrVar: {
        const StrVarType &record = StrVars[size_t(cell.SecondCode)];
        if (record.Kind != svSimple)
            return false;
        PushString(record.Value);
        return true;
    }
    case ckOperator:
        CurrentCell = cell;
        switch (cell.SecondCode) {
        case opAdd:
            if (TopTag() != tagString || !AppendInPlace())
                OpAdd();
            return true;
        case opSub: OpSubtract(); return true;
        case opMul: OpMultiply(); return true;
        case opLt: OpLess(); return true;
        case opLe: OpLessEqual(); return true;
        case opGt: OpGreater(); return true;
        case opGe: OpGreaterEqual(); return true;
        case opEq: OpEqual(); return true;
        case opNe: OpNotEqual(); return true;
        case opDiv: OpDivide(); return true;
        case opIntDiv: OpIntDivide(); return true;
        case opMod: OpMod(); return true;
        case opConcat:
            if (TopTag() != tagString || !AppendInPlace())
                OpConcat();
            return true;
        case opAnd: OpAnd(); return true;
        case opOr: OpOr(); return true;
        case opNot: OpNot(); return true;
        case opChgSgn: OpChgSgn(); return true;
        case opColon: case opEndOfLine: return true;
        default: return false;
        }
    case ckFunction:
        // The string functions touch only the value stack (and SPLIT$ a
        // plain variable): nothing of the loop's state.
        CurrentCell = cell;
        return DispatchStringFunction(cell.SecondCode);
    case ckExprEnd:
        return true;
    case ckExprBegin:
        Expression();  // when its plan does not apply, its cells follow in the row
        return true;
    case ckStatement: {
        const ShortCut kind = StatementShortCut(cell.SecondCode);
        return kind != ShortCut::None && Statement(kind);
    }
    case ckBoolVarRange:
        return CallCells();
    default:
        return false;
    }
}

// The cells after one the short cuts took: as long as the short cuts cover
// them, they run here in a row, without the loop's checks between them. A
// fault or a stop ends the row after its cell, as the loop would have; the
// fault's position is that cell's.
void RunLoopState::Row(int32_t &faultPos)
{
    while (pc_ <= end_) {
        const CodeType &cell = cells_[pc_++];
        if (!FastCell(cell)) {
            --pc_;
            return;
        }
        // One test for the three, as none is usually set.
        if ((ErrorNumber | StopAfterCells | StopRequested.load(std::memory_order_relaxed)) != 0) [[unlikely]] {
            CountStep();
            if (ErrorNumber != 0 || IsStopped()) {
                faultPos = FaultPosition(cell);
                return;
            }
        }
    }
}

// A cell the short cuts cover, and the row that follows it.
bool RunLoopState::CellAndRow(const CodeType &cell, int32_t &faultPos)
{
    // The loop's turns begin mostly at an expression or a statement: tested
    // apart from the row's cells, they keep the row's dispatch predictable.
    if (cell.FirstCode == ckExprBegin) {
        Expression();
    } else if (cell.FirstCode == ckStatement) {
        const ShortCut kind = StatementShortCut(cell.SecondCode);
        if (kind == ShortCut::None || !Statement(kind))
            return false;
    } else if (!FastCell(cell)) {
        return false;
    }
    if (ErrorNumber != 0)
        faultPos = FaultPosition(cell);
    else if (!IsStopped())
        Row(faultPos);
    return true;
}

bool RunLoopState::DispatchCommon(const CodeType &cell, int32_t &faultPos)
{
    return CellAndRow(cell, faultPos);
}

// LET of a plain variable, IF and GOTO with their usual operand cells, and
// the cells of calls and returns; false when the short cut does not apply.
bool RunLoopState::Statement(ShortCut kind)
{
    switch (kind) {
    case ShortCut::Let:
        if (pc_ <= end_ && cells_[pc_].FirstCode == ckStrVar)
            return LetPlainString();
        return LetPlainNumber();
    case ShortCut::If: return If(false);
    case ShortCut::JumpIfTrue: return If(true);
    case ShortCut::Goto: return Goto();
    case ShortCut::CaseValue: return CaseValue();
    case ShortCut::Call: return CallCells();
    case ShortCut::None: break;
    }
    return false;
}

// False, with nothing done, when the first cell is not taken (a call whose
// target is no routine, a call record cut short): its handler must run it,
// or the loop would come back to the same cell for ever.
bool RunLoopState::CallCells()
{
    const int32_t first = pc_ - 1;
    int32_t pc = first;
    int32_t fault = 0;
    RunCallCells(cells_, end_, pc, fault);
    if (ErrorNumber != 0)
        callFault_ = fault;
    else if (pc == first)
        return false;
    pc_ = pc;
    return true;
}

// Out of line: inlined under the catch of RunLoop, the loop compiles slower.
[[gnu::noinline]] LoopExit RunCells()
{
    SetExtendedPrecision();
    RunLoopState run;
    const bool fast = RunFastPaths;
    CodeType cell;
    run.Fetch(cell);
    run.Store(cell);
    bool finished = run.Finished(cell);
    while (!finished) {
        int32_t faultPos = cell.SourcePos;
        if (!fast || !run.DispatchCommon(cell, faultPos)) {
            run.Store(cell);
            const LoopExit exit = DispatchCell(cell);
            if (exit != LoopExit::None)
                return exit;
            if (ImmediateError) {
                ImmediateError = false;
                ErrorPos = faultPos;
                if (FormulaErrorMode == 0)
                    return LoopExit::None;
                StoreFormulaError();  // a formula's subscript error goes to its variable too
            }
            run.Reload();
        }
        if (fast)
            run.FetchWorkingCell(cell);
        else
            run.Fetch(cell);
        CountStep();
        finished = run.Finished(cell);
        if (ErrorNumber != 0) {
            run.Store(cell);
            ErrorPos = std::max(0, faultPos);
            if (FormulaErrorMode == 0)
                return LoopExit::None;
            StoreFormulaError();
        }
    }
    run.Store(cell);
    return LoopExit::None;
}

// An allocation that fails while the cells run ends the run with error 30101
// at the cell that asked for it (the cells worked out in place report their
// own); the failed step has changed nothing, and the report drops the values
// of the run as after any other error.
LoopExit RunLoop()
{
    try {
        return RunCells();
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {
    }
    SetError(30101);
    ErrorPos = std::max(0, CurrentCell.SourcePos);
    return LoopExit::None;
}

// ---------------------------------------------------------------- the report

// `itself`: this run was stopped, not only the program it ran beside.
void ReportStop(bool itself)
{
    if (EchoOn && RunMode != 1)
        WriteLine(InterfaceText(65170));
    ProgramRunning = 0;
    Synchronised([] { Host().SetButtonMode(ButtonMode::Stop); });
    if (RunMode != 1)  // resume at the cell that was fetched but not run
        ContPosition = ResumeAtInput ? InputRestartPos : CodePos - 1;
    else if (EventSubRun && itself)  // a stopped event sub is not continued
        ContPosition = ScratchEnd;
    if (EchoOn)
        Synchronised([] { Host().SetConsoleCaption(InterfaceText(65171)); });
}

void ReportError()
{
    QString text = InterfaceText(65199) + u':' + BuildErrorMessage(ErrorNumber);
    if (RunMode == 0)
        text += u'(' + FormatErrorPosition(ErrorPos - 1) + u')';
    else
        ClearError();
    DropValuesOfThisRun();
    if (EchoOn)
        WriteLine(text);
}

void EndOfRun()
{
    Synchronised([] {});
    const bool stoppedItself = IsStopped();
    if (SavedStopRequested)
        StopRequested = 1;
    const bool stopped = IsStopped();
    if (!stopped) {
        CloseFileChannel(0);
        Synchronised([] { Host().SetButtonMode(ButtonMode::End); });
        GraphicsOpenedInRun = 0;
    } else {
        ReportStop(stoppedItself);
    }
    RunEndedWithError = ErrorNumber > 0 ? 1 : 0;
    if (ErrorNumber > 0) {
        ReportError();
    } else if (!stopped && TagStackTop > RunBase.Tags) {
        WriteLine(InterfaceText(65168));  // written even with ECHO OFF
        DropValuesOfThisRun();
    }
    if (EchoOn)
        WriteLine(QStringLiteral("OK"));
    PrintLine(QString());
    FlushConsoleLines();
    Synchronised([] { Host().Memo().SetReadOnly(false); });
    ProgramRunning = 0;
    const bool closeApp = CloseAppAtEnd != 0;
    CloseAppAtEnd = 0;
    if (closeApp)
        Synchronised([] { Host().CloseMainForm(); });
    // Last: a starter may run the next worker, and join this one, only once
    // this one touches nothing shared and waits for no window step.
    RunThreadActive = 0;
}

// One cycle of the run; true when RUN or CONT asks for another.
bool RunCycle()
{
    SetExtendedPrecision();
    Synchronised([] { Host().Memo().SetReadOnly(true); });
    ClearError();
    FormulaErrorMode = 0;
    ResetLinePos();
    ResumeAtInput = false;
    bool ready = true;
    switch (RunMode) {
    case 0:
    case 2:
        RunBase = StackBase{};
        ready = PrepareProgram();
        break;
    case 1:
        CaptureStackBase();
        ready = PrepareCommandLine();
        break;
    default:
        CaptureStackBase();
        PrepareContinue();
        break;
    }
    if (ready && RunMode != 3)
        ready = SetUpRun();
    if (!ready)
        return false;
    const LoopExit exit = RunLoop();
    if (exit == LoopExit::Run || exit == LoopExit::Cont)
        return true;
    if (exit == LoopExit::System)
        CloseAppAtEnd = 1;
    return false;
}

} // namespace

// Marks that the stop of this run came while INPUT was asking, so that CONT asks again.
void NoteInputCancelled() { ResumeAtInput = true; }

// Memory that runs out outside the cells (translating, a DIM too large for
// the machine) also ends the run with error 30101; the environment goes on.
void TOVMTHread::Execute()
{
    try {
        while (RunCycle()) {
        }
    } catch (const std::bad_alloc &) {
        SetError(30101);
    } catch (const std::length_error &) {
        SetError(30101);
    }
    try {
        EndOfRun();
    } catch (const std::bad_alloc &) {  // no memory left even for the report
        ProgramRunning = 0;
        RunThreadActive = 0;
    }
}

bool RunController::Start()
{
    if (RunThreadActive.load() != 0)
        return false;
    Join();
    RunThreadActive = 1;
    worker_ = std::thread([] { TOVMTHread().Execute(); });
    return true;
}

void RunController::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void OffsetToLineColumn(int32_t p, int32_t &line, int32_t &column)
{
    const int32_t q = std::min<int32_t>(p, int32_t(SourceText.size()));
    line = 1;
    column = q;
    int32_t lastLf = 0;
    for (int32_t i = 1; i < q; ++i) {
        if (SourceText.at(i - 1) == u'\n') {
            ++line;
            lastLf = i;
        }
    }
    column = q - lastLf;
}

QString FormatErrorPosition(int32_t p)
{
    int32_t line = 1;
    int32_t column = 1;
    OffsetToLineColumn(std::max(1, p + 1), line, column);
    return QString::number(line) + QStringLiteral(u"行,　") + QString::number(column) + QStringLiteral(u" 桁");
}

} // namespace ov
