#include "language/OVTranslateFlow.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <initializer_list>
#include <vector>

namespace ov {

namespace {

// ---------------------------------------------------------------- helpers

CodeType PeekNext()
{
    CodeType next;
    PeekPreCode(next);
    return next;
}

bool NextIsStatementEnd() { return IsStatementEnd(PeekNext()); }

// Reads the next pre-code cell into ReadCell and returns it.
const CodeType &ReadNext()
{
    GetNextPreCode(ReadCell);
    return ReadCell;
}

// Emits a generated cell with its own source position.
void EmitCell(int32_t kind, int32_t value, int32_t sourcePos)
{
    EmitCode(CodeType{kind, value, sourcePos});
}

// Emits the postfix cells of a translated expression without its brackets.
void EmitPostfix(const ExprBuffer &buffer)
{
    for (const CodeType &cell : buffer) {
        if (cell.FirstCode == ckExprBegin)
            continue;
        if (cell.FirstCode == ckExprEnd || cell.FirstCode < 1 || ErrorNumber != 0)
            break;
        EmitCode(cell);
    }
}

int32_t BracketPos(const ExprBuffer &buffer, int32_t kind)
{
    for (const CodeType &cell : buffer)
        if (cell.FirstCode == kind)
            return cell.SourcePos;
    return StatementSourcePos;
}

// Emits "(" buffer's postfix, then the given tail cells, ")" as one expression.
void EmitExtendedExpression(const ExprBuffer &buffer, std::initializer_list<CodeType> tail)
{
    EmitCell(ckExprBegin, 0, BracketPos(buffer, ckExprBegin));
    EmitPostfix(buffer);
    for (const CodeType &cell : tail)
        EmitCode(cell);
    EmitCell(ckExprEnd, 0, BracketPos(buffer, ckExprEnd));
}

// Translates one expression into the buffer; false on error.
bool ReadExpression(ExprBuffer &buffer)
{
    TranslateExpression(buffer);
    return ErrorNumber == 0;
}

// Reads "THEN" (565 otherwise) and returns its position.
int32_t ExpectThen()
{
    if (!IsStatementCellOf(ReadNext(), stTHEN)) {
        SetError(565, StatementCell.SecondCode);
        return 0;
    }
    return ReadCell.SourcePos;
}

// ---------------------------------------------------------------- IF blocks

// IF e THEN: e, (6, 99), (45, F), ":"; IfStack gets F and the count 1.
void TranslateIf()
{
    ExprBuffer condition;
    if (!ReadExpression(condition))
        return;
    EmitExpression(condition);
    const int32_t thenPos = ExpectThen();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, stIF);
    IfStack.Push(CodePos);
    IfStack.Push(1);
    EmitJumpCell(thenPos);
    EmitColon();
}

// ELSEIF e THEN: (6, 89), (45, END), ":", e, (6, 99), (45, F2), ":".
void TranslateElseIf()
{
    EmitAt(ckStatement, stGOTO);
    const int32_t count = IfStack.Pop();
    const int32_t pendingFalse = IfStack.Pop();
    if (ErrorNumber != 0)
        return;
    IfStack.Push(CodePos);
    EmitJumpCell(StatementSourcePos);
    PatchJump(pendingFalse);
    EmitColon();
    ExprBuffer condition;
    if (!ReadExpression(condition))
        return;
    EmitExpression(condition);
    const int32_t thenPos = ExpectThen();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, stIF);
    IfStack.Push(CodePos);
    EmitJumpCell(thenPos);
    EmitColon();
    IfStack.Push(count + 1);
}

// ELSE: (6, 89), (45, END), ":"; the pending false jump lands after it.
void TranslateElse()
{
    EmitAt(ckStatement, stGOTO);
    const int32_t count = IfStack.Pop();
    const int32_t pendingFalse = IfStack.Pop();
    if (ErrorNumber != 0)
        return;
    IfStack.Push(CodePos);
    IfStack.Push(count);
    EmitJumpCell(StatementSourcePos);
    EmitColon();
    PatchJump(pendingFalse);
}

// ENDIF: every pending jump of the block lands on the ":" emitted here.
void TranslateEndIf()
{
    const int32_t count = IfStack.Pop();
    for (int32_t i = 0; i < count && ErrorNumber == 0; ++i)
        PatchJump(IfStack.Pop());
    if (ErrorNumber == 0)
        EmitColon();
}

// ---------------------------------------------------------------- FOR loops

// FOR v = a TO b [STEP s]:
// a, (6, 106), v, ":"(L), cond, (6, 99), (45, X), ":"
// where cond is b >= v, or (b - v) * (SGN(s) + 0.5) >= 0 with a step.
void TranslateFor()
{
    ForRecord loop;
    loop.Variable = ReadNext();
    if (loop.Variable.FirstCode != ckNumVar) {
        SetError(551, stFOR);
        return;
    }
    if (!IsOperatorCell(ReadNext(), opEq)) {
        SetError(552, stFOR);
        return;
    }
    ExprBuffer start;
    if (!ReadExpression(start))
        return;
    if (!IsStatementCellOf(ReadNext(), stTO)) {
        SetError(553, stFOR);
        return;
    }
    EmitExpression(start);
    EmitAt(ckStatement, stLET);
    EmitCode(loop.Variable);
    loop.LoopTop = CodePos;
    EmitColon();

    ExprBuffer limit;
    if (!ReadExpression(limit))
        return;
    const int32_t pos = StatementSourcePos;
    if (IsStatementCellOf(PeekNext(), stSTEP)) {
        ReadNext();
        if (!ReadExpression(loop.Step))
            return;
        EmitCell(ckExprBegin, 0, BracketPos(limit, ckExprBegin));
        EmitPostfix(limit);
        EmitCode(loop.Variable);
        EmitCell(ckOperator, opSub, pos);
        EmitCell(ckNumConst, 6, pos);  // 0.5
        EmitPostfix(loop.Step);
        EmitCell(ckFunction, fnSGN, pos);
        EmitCell(ckOperator, opAdd, pos);
        EmitCell(ckOperator, opMul, pos);
        EmitCell(ckNumConst, 1, pos);  // 0
        EmitCell(ckOperator, opGe, pos);
        EmitCell(ckExprEnd, 0, BracketPos(loop.Step, ckExprEnd));
    } else {
        loop.Step = {CodeType{ckExprBegin, 0, pos}, CodeType{ckNumConst, 2, pos}, CodeType{ckExprEnd, 0, pos}};
        EmitExtendedExpression(limit, {loop.Variable, CodeType{ckOperator, opGe, pos}});
    }
    EmitAt(ckStatement, stIF);
    loop.ExitJump = EmitJumpCell(StatementSourcePos);
    ForStack.Push(loop);
    EmitColon();
    ExpectStatementEnd();
    ExitForStack.Push(ExitRecord{0, 0});
}

// NEXT: (s + v), (6, 106), v, (6, 89), (45, L), ":"; the exit jump and
// every EXIT FOR of the loop land after it.
void TranslateNext()
{
    const ForRecord loop = ForStack.Pop();
    if (ErrorNumber != 0)
        return;
    EmitExtendedExpression(loop.Step, {loop.Variable, CodeType{ckOperator, opAdd, StatementSourcePos}});
    EmitAt(ckStatement, stLET);
    EmitCode(loop.Variable);
    EmitAt(ckStatement, stGOTO);
    EmitAt(ckCodeAddr, loop.LoopTop);
    EmitColon();
    PatchJump(loop.ExitJump);
    ExpectStatementEnd();
    while (ErrorNumber == 0) {
        const ExitRecord exit = ExitForStack.Pop();
        if (ErrorNumber != 0 || exit.Flag != 1)
            break;
        PatchJump(exit.Jump);
    }
}

void TranslateExitFor()
{
    if (ForStack.Empty()) {
        SetError(53021, stEXITFOR);
        return;
    }
    EmitAt(ckStatement, stGOTO);
    ExitForStack.Push(ExitRecord{1, EmitJumpCell(StatementSourcePos)});
    ExpectStatementEnd();
    EmitColon();
}

// ---------------------------------------------------------------- WHILE and DO

// WHILE e and DO UNTIL e: e, (6, 99 or 257), (45, X), ":"; the loop top is
// e's first cell.
void TranslateLoopHead(int32_t test)
{
    LoopRecord loop{0, CodePos, 0};
    ExprBuffer condition;
    if (!ReadExpression(condition))
        return;
    EmitExpression(condition);
    EmitAt(ckStatement, test);
    loop.ExitJump = EmitJumpCell(StatementSourcePos);
    LoopStack.Push(loop);
    ExpectStatementEnd();
    EmitColon();
}

// Plain DO: the loop top is the ":" emitted here.
void TranslateDo()
{
    LoopStack.Push(LoopRecord{0, CodePos, CodePos});
    ExpectStatementEnd();
    EmitColon();
}

// Pops the pending EXIT DO records down to the loop's own record, patching
// each to land past the (45) and ":" that the closing statement emits next.
LoopRecord PopLoopWithExits()
{
    for (;;) {
        const LoopRecord record = LoopStack.Pop();
        if (ErrorNumber != 0 || record.Flag != 1)
            return record;
        PatchJumpPlus(2, record.ExitJump);
    }
}

// WEND, LOOP after DO UNTIL, and LOOP after a plain DO:
// (6, 89), (45, top), ":"; the loop's false jump lands on that ":".
void TranslateLoopEnd(bool patchExit)
{
    if (LoopStack.Empty()) {
        SetError(558, StatementCell.SecondCode);
        return;
    }
    EmitAt(ckStatement, stGOTO);
    const LoopRecord loop = PopLoopWithExits();
    if (ErrorNumber != 0)
        return;
    const int32_t loopTop = loop.LoopTop;
    const int32_t exitJump = loop.ExitJump;
    EmitAt(ckCodeAddr, loopTop);
    if (patchExit)
        PatchJump(exitJump);
    ExpectStatementEnd();
    EmitColon();
}

// LOOP WHILE e (257, jump back when true) and LOOP UNTIL e (99, jump back
// when false): e, (6, test), (45, top), ":".
void TranslateLoopTail(int32_t test)
{
    if (LoopStack.Empty()) {
        SetError(558, StatementCell.SecondCode);
        return;
    }
    ExprBuffer condition;
    if (!ReadExpression(condition))
        return;
    EmitExpression(condition);
    EmitAt(ckStatement, test);
    const LoopRecord loop = PopLoopWithExits();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckCodeAddr, loop.LoopTop);
    ExpectStatementEnd();
    EmitColon();
}

void TranslateExitDo()
{
    if (LoopStack.Empty()) {
        SetError(53022, stEXITDO);
        return;
    }
    EmitAt(ckStatement, stGOTO);
    const int32_t jump = EmitJumpCell(StatementSourcePos);
    LoopStack.Push(LoopRecord{1, jump, jump});
    ExpectStatementEnd();
    EmitColon();
}

// ---------------------------------------------------------------- SELECT CASE

int32_t CaseRelationTest(const CodeType &op)
{
    if (op.FirstCode != ckOperator)
        return 0;
    // The test names how the value compares to the selector, which the
    // executor finds on top: CASE IS < 5 asks 5 > selector.
    switch (op.SecondCode) {
    case opEq: return isCaseIsEq;
    case opNe: return isCaseIsNe;
    case opLt: return isCaseIsGt;
    case opGt: return isCaseIsLt;
    case opLe: return isCaseIsGe;
    case opGe: return isCaseIsLe;
    default: return 0;
    }
}

// One value of a CASE test; an empty value is a malformed test (585).
bool ReadCaseValue(ExprBuffer &value)
{
    if (!ReadExpression(value))
        return false;
    if (value.empty()) {
        SetError(585, stCASE);
        return false;
    }
    return true;
}

void RequireCaseEnd()
{
    if (ErrorNumber == 0 && !NextIsStatementEnd())
        SetError(585, stCASE);
}

// The test cells of a CASE, followed by the selector and the test statement:
// IS op e -> e, sel, (6, 251..258); a TO b -> a, b, sel, (6, 259);
// v1, ..., vk -> v1 ... vk, sel, k, (6, 252).
void TranslateCaseTest()
{
    if (SelectorStack.Empty()) {
        SetError(567, stCASE);
        return;
    }
    const ExprBuffer selector = SelectorStack.Top();
    if (IsStatementCellOf(PeekNext(), stIS)) {
        ReadNext();
        const int32_t test = CaseRelationTest(ReadNext());
        if (test == 0) {
            SetError(585, stCASE);
            return;
        }
        ExprBuffer value;
        if (!ReadCaseValue(value))
            return;
        EmitExpression(value);
        EmitExpression(selector);
        EmitAt(ckStatement, test);
        RequireCaseEnd();
        return;
    }

    ExprBuffer first;
    if (!ReadCaseValue(first))
        return;
    if (IsStatementCellOf(PeekNext(), stTO)) {
        ReadNext();
        ExprBuffer last;
        if (!ReadCaseValue(last))
            return;
        EmitExpression(first);
        EmitExpression(last);
        EmitExpression(selector);
        EmitAt(ckStatement, isCaseRange);
        RequireCaseEnd();
        return;
    }

    EmitExpression(first);
    int count = 1;
    while (ErrorNumber == 0 && !NextIsStatementEnd()) {
        if (IsStatementCellOf(PeekNext(), stTO)) {  // a range inside a list
            SetError(585, stCASE);
            return;
        }
        if (!IsOperatorCell(ReadNext(), opComma)) {
            SetError(581, stCASE);
            return;
        }
        ExprBuffer value;
        if (!ReadCaseValue(value))
            return;
        EmitExpression(value);
        ++count;
    }
    if (ErrorNumber != 0)
        return;
    EmitExpression(selector);
    CodeType countCell = AddNumLiteral(QString::number(count));
    if (ErrorNumber != 0)
        return;
    countCell.SourcePos = StatementSourcePos;
    EmitCode(countCell);
    EmitAt(ckStatement, isCaseList);
}

// Skips the ":" and end-of-line cells that follow; stops at anything else,
// the end cell of the pre-code included.
void SkipStatementEnds()
{
    for (;;) {
        const CodeType next = PeekNext();
        if (!IsOperatorCell(next, opColon) && !IsOperatorCell(next, opEndOfLine))
            return;
        ReadNext();
    }
}

// SELECT CASE e, then its first CASE: test, (45, F), EOL. The selector is
// kept on SelectorStack and emitted by every test.
void TranslateSelectCase()
{
    if (NextIsStatementEnd()) {
        SetError(583, stSELECTCASE);
        return;
    }
    ExprBuffer selector;
    if (!ReadExpression(selector))
        return;
    SelectorStack.Push(selector);
    if (ErrorNumber != 0)
        return;

    SkipStatementEnds();
    if (ReadNext().FirstCode == ckNumLiteral) {
        const CodeType savedCell = StatementCell;
        const int32_t savedPos = StatementSourcePos;
        StatementCell = ReadCell;
        StatementSourcePos = ReadCell.SourcePos;
        TranslateLineNumber();
        StatementCell = savedCell;
        StatementSourcePos = savedPos;
        if (ErrorNumber != 0)
            return;
        SkipStatementEnds();
        ReadNext();
    }
    if (!IsStatementCellOf(ReadCell, stCASE)) {
        SetError(582, stSELECTCASE);
        return;
    }
    const int32_t casePos = ReadCell.SourcePos;
    StatementSourcePos = casePos;
    TranslateCaseTest();
    if (ErrorNumber != 0)
        return;
    CaseNextStack.Push(0);
    CaseNextStack.Push(CodePos);
    EmitJumpCell(casePos);
    EmitEndOfLineCell();
    CaseEndStack.Push(0);
}

// A later CASE: (6, 89), (45, END), EOL, test, (45, F), EOL; the previous
// test's failure jump lands on this test.
// The failure jump of the previous test, which the next clause takes up;
// after CASE ELSE only the block's marker 0 is left: no clause may follow.
void PatchPreviousTest()
{
    const int32_t jump = CaseNextStack.Pop();
    if (ErrorNumber != 0)
        return;
    if (jump == 0)
        SetError(584);
    else
        PatchJump(jump);
}

void TranslateCase()
{
    const int32_t casePos = StatementSourcePos;
    EmitAt(ckStatement, stGOTO);
    CaseEndStack.Push(CodePos);
    EmitJumpCell(casePos);
    EmitEndOfLineCell();
    PatchPreviousTest();
    if (ErrorNumber != 0)
        return;
    TranslateCaseTest();
    if (ErrorNumber != 0)
        return;
    CaseNextStack.Push(CodePos);
    EmitJumpCell(casePos);
    EmitEndOfLineCell();
}

// CASE ELSE: (6, 89), (45, END), EOL; the previous test fails into its body.
void TranslateCaseElse()
{
    EmitAt(ckStatement, stGOTO);
    CaseEndStack.Push(CodePos);
    EmitJumpCell(StatementSourcePos);
    EmitEndOfLineCell();
    PatchPreviousTest();
}

// END SELECT: ":"; the pending failure jump and every end jump land on it.
void TranslateEndSelect()
{
    SelectorStack.Pop();
    if (ErrorNumber != 0)
        return;
    EmitColon();
    for (int32_t jump = CaseNextStack.Pop(); jump > 0 && ErrorNumber == 0; jump = CaseNextStack.Pop())
        PatchJump(jump);
    for (int32_t jump = CaseEndStack.Pop(); jump > 0 && ErrorNumber == 0; jump = CaseEndStack.Pop())
        PatchJump(jump);
}

// ---------------------------------------------------------------- jumps

enum class TargetFault { None, NoName, Operator, Other };

// A jump target: "*" label name or a line-number literal, emitted as is.
TargetFault EmitJumpTarget()
{
    const CodeType target = ReadNext();
    if (IsOperatorCell(target, opMul)) {
        if (ReadNext().FirstCode != ckNumVar)
            return TargetFault::NoName;
        EmitCode(ReadCell);
        return TargetFault::None;
    }
    if (target.FirstCode == ckNumLiteral) {
        EmitCode(target);
        return TargetFault::None;
    }
    return target.FirstCode == ckOperator ? TargetFault::Operator : TargetFault::Other;
}

void TranslateGoto()
{
    EmitAt(ckStatement, stGOTO);
    if (EmitJumpTarget() != TargetFault::None) {
        SetError(606, stGOTO);
        return;
    }
    ExpectStatementEnd();
}

void TranslateGosub()
{
    EmitAt(ckStatement, stGOSUB);
    switch (EmitJumpTarget()) {
    case TargetFault::None: ExpectStatementEnd(); return;
    case TargetFault::NoName: SetError(571, stGOSUB); return;
    case TargetFault::Operator: SetError(572, stGOSUB); return;
    case TargetFault::Other: SetError(573, stGOSUB); return;
    }
}

void TranslateRestore()
{
    EmitAt(ckStatement, stRESTORE);
    const CodeType next = PeekNext();
    if (IsOperatorCell(next, opMul)) {
        ReadNext();
        if (ReadNext().FirstCode != ckNumVar) {
            SetError(54085, stRESTORE);
            return;
        }
        EmitCode(ReadCell);
    } else if (next.FirstCode == ckNumLiteral) {
        EmitCode(ReadNext());
    }
    ExpectStatementEnd();
}

// ---------------------------------------------------------------- SUB and FUNCTION

// Stores the routine's entry in its name record; false for a cell that
// names no routine.
bool SetCodeAddress(const CodeType &name, int32_t address)
{
    const int32_t v = name.SecondCode;
    switch (name.FirstCode) {
    case ckNumVar:
        if (v < 1 || v > NumVarCount)
            return false;
        NumVars[size_t(v)].FirstElement = address;
        return true;
    case ckStrVar:
        if (v < 1 || v > StrVarCount)
            return false;
        StrVars[size_t(v)].FirstElement = address;
        return true;
    case ckBoolVar:
        if (v < 1 || v > BoolVarCount)
            return false;
        BoolVars[size_t(v)].FirstElement = address;
        return true;
    default:
        return false;
    }
}

bool IsParameterCell(const CodeType &cell)
{
    switch (cell.FirstCode) {
    case ckNumVar: case ckNumArrVar: case ckStrVar: case ckStrArrVar: case ckBoolVar: case ckBoolArrVar:
        return true;
    default:
        return false;
    }
}

// SUB and FUNCTION headers:
// (6, 89), (45, AFTER), EOL, (6, 282 or 73), entry: six range cells,
// [(6, 245), pn, ..., (6, 245), p1], EOL.
// The SUB's parameters stay on ParamStack for END SUB; a FUNCTION keeps only
// its name there, whose value END FUNCTION pushes as the result.
void TranslateRoutineHeader(int32_t statement)
{
    const bool isSub = statement == stSUB;
    RoutineContext = isSub ? 1 : 2;
    EmitAt(ckStatement, stGOTO);
    RoutineSkipJump = EmitJumpCell(StatementSourcePos);
    EmitEndOfLineCell();
    EmitAt(ckStatement, isSub ? int32_t(isSubStart) : int32_t(stFUNCTION));

    const CodeType name = ReadNext();
    if (!SetCodeAddress(name, CodePos)) {
        SetError(isSub ? 220 : 210, statement);
        return;
    }
    static constexpr int32_t kRangeKinds[6] = {ckBoolVarRange, ckBoolVarRange, ckNumVarRange,
                                               ckNumVarRange, ckStrVarRange, ckStrVarRange};
    for (const int32_t kind : kRangeKinds) {
        if (ReadNext().FirstCode != kind) {
            SetError(53000, statement);
            return;
        }
        EmitCode(ReadCell);
    }

    std::vector<CodeType> parameters;
    if (IsOperatorCell(PeekNext(), opLParen)) {
        ReadNext();
        for (;;) {
            if (!IsParameterCell(ReadNext())) {
                SetError(53002, statement);
                return;
            }
            parameters.push_back(ReadCell);
            ParamStack.Push(ReadCell);
            if (ErrorNumber != 0)
                return;
            if (IsOperatorCell(ReadNext(), opRParen))
                break;
            if (!IsOperatorCell(ReadCell, opComma)) {
                SetError(53003, statement);
                return;
            }
        }
        for (auto it = parameters.rbegin(); it != parameters.rend(); ++it) {
            EmitGlPop();
            EmitCode(*it);
        }
    } else if (!NextIsStatementEnd()) {
        SetError(53001, statement);
        return;
    }
    EmitEndOfLineCell();
    if (!isSub) {
        ParamStack.Clear();
        ParamStack.Push(name);
    }
}

// The EXIT SUB and EXIT FUNCTION jumps land on the routine's end cells.
void PatchRoutineExits()
{
    while (!ExitRoutineStack.Empty() && ErrorNumber == 0)
        PatchJump(ExitRoutineStack.Pop());
}

// END SUB: (6, 280), [(6, 246), pn, ..., (6, 246), p1], (6, 55).
void TranslateEndSub()
{
    PatchRoutineExits();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, isSubEnd);
    while (!ParamStack.Empty()) {
        EmitGlPush();
        EmitCode(ParamStack.Pop());
    }
    EmitAt(ckStatement, stENDSUB);
    PatchJump(RoutineSkipJump);
    RoutineContext = 0;
}

// END FUNCTION: (6, 242), (6, 246), name, (6, 52).
void TranslateEndFunction()
{
    PatchRoutineExits();
    if (ErrorNumber != 0)
        return;
    EmitAt(ckStatement, isFunctionEnd);
    EmitGlPush();
    const CodeType name = ParamStack.Pop();
    if (ErrorNumber != 0)
        return;
    EmitCode(name);
    EmitAt(ckStatement, stENDFUNCTION);
    PatchJump(RoutineSkipJump);
    RoutineContext = 0;
}

void TranslateExitRoutine(uint8_t context)
{
    if (RoutineContext != context) {
        SetError(54108, StatementCell.SecondCode);
        return;
    }
    EmitAt(ckStatement, stGOTO);
    ExitRoutineStack.Push(EmitJumpCell(StatementSourcePos));
    ExpectStatementEnd();
    EmitColon();
}

// ---------------------------------------------------------------- DEF FN

// DEF name(params) = e: (6, 39), the frame cells, e's postfix, (6, 237), ":".
// The name's record gets the entry, the first frame cell.
void TranslateDef()
{
    EmitAt(ckStatement, stDEF);
    const CodeType name = ReadNext();
    const bool known = (name.FirstCode == ckNumVar || name.FirstCode == ckStrVar) && SetCodeAddress(name, CodePos);
    if (!known) {
        SetError(53000, stDEF);
        return;
    }
    for (;;) {
        const CodeType &cell = ReadNext();
        if (IsOperatorCell(cell, opEq))
            break;
        if (cell.FirstCode == ckEof || cell.FirstCode == ckNone) {
            SetError(53000, stDEF);
            return;
        }
        if (cell.FirstCode == ckPopLocalNum || cell.FirstCode == ckPopLocalStr || cell.FirstCode == ckLocalNumCount
            || cell.FirstCode == ckLocalStrCount)
            EmitCode(cell);
    }
    ExprBuffer body;
    if (!ReadExpression(body))
        return;
    if (body.empty()) {
        SetError(53000, stDEF);
        return;
    }
    EmitPostfix(body);
    EmitCell(ckStatement, isDefFnReturn, BracketPos(body, ckExprEnd));
    EmitColon();
}

} // namespace

// ---------------------------------------------------------------- CALL

// (6, 195), args, EOL, (6, 267), (6, 281), name, EOL, (6, 265),
// [(6, 245), arg1, ..., (6, 245), argn], EOL.
// A plain variable argument is passed as its cell and receives the
// parameter's final value back; any other argument is an expression whose
// returned value is dropped through a placeholder cell.
void TranslateCall(bool withKeyword)
{
    (void)withKeyword;  // either way the name is the next pre-code cell
    CallArgStack.Clear();
    EmitAt(ckStatement, isCallStart);
    const CodeType name = ReadNext();

    if (IsOperatorCell(PeekNext(), opLParen)) {
        ReadNext();
        for (;;) {
            const CodeType next = PeekNext();
            CodeType after;
            PeekPreCodeAhead(1, after);
            // A FUNCTION's or DEF FN's name is a call, never a variable passed on.
            const bool plainName = (next.FirstCode == ckNumVar || next.FirstCode == ckStrVar
                                    || next.FirstCode == ckBoolVar) && !IsRoutineCall(next);
            if (plainName && (IsOperatorCell(after, opComma) || IsOperatorCell(after, opRParen))) {
                ReadNext();
                EmitCode(next);
                CallArgStack.Push(next);
            } else {
                // An empty argument, "()" or ",," included, is a fault of the call's form.
                if (IsOperatorCell(next, opRParen) || IsOperatorCell(next, opComma)) {
                    SetError(53012, stCALL);
                    return;
                }
                ExprBuffer argument;
                if (!ReadExpression(argument))
                    return;
                if (argument.empty()) {
                    SetError(53012, stCALL);
                    return;
                }
                EmitExpression(argument);
                CallArgStack.Push(CodeType{ckDummyCode, 1, StatementSourcePos});
            }
            if (ErrorNumber != 0)
                return;
            if (IsOperatorCell(ReadNext(), opRParen))
                break;
            if (!IsOperatorCell(ReadCell, opComma)) {
                SetError(53012, stCALL);
                return;
            }
        }
    } else if (!NextIsStatementEnd()) {
        SetError(53011, stCALL);
        return;
    }
    if (!ArgumentCountFits(name, int(CallArgStack.Items.size()))) {
        ReadPos = name.SourcePos;  // the message names the call
        SetError(53132, stCALL);
        return;
    }

    EmitEndOfLineCell();
    EmitAt(ckStatement, isLoPushAll);
    EmitAt(ckStatement, isSubJump);
    EmitCode(name);
    EmitEndOfLineCell();
    EmitAt(ckStatement, isLoPopAll);
    for (const CodeType &argument : CallArgStack.Items) {
        EmitGlPop();
        EmitCode(argument);
    }
    CallArgStack.Clear();
    EmitEndOfLineCell();
}

void TranslateControlFlow(int32_t statement)
{
    switch (statement) {
    case stCALL: TranslateCall(true); break;
    case stIF: TranslateIf(); break;
    case stELSEIF: TranslateElseIf(); break;
    case stELSE: TranslateElse(); break;
    case stENDIF: TranslateEndIf(); break;
    case stFOR: TranslateFor(); break;
    case stNEXT: TranslateNext(); break;
    case stEXITFOR: TranslateExitFor(); break;
    case stWHILE: TranslateLoopHead(stIF); break;
    case isDoUntil: TranslateLoopHead(isJumpIfTrue); break;
    case stDO: TranslateDo(); break;
    case stWEND:
    case stLOOP: TranslateLoopEnd(true); break;
    case isLoopDo: TranslateLoopEnd(false); break;
    case isLoopWhile: TranslateLoopTail(isJumpIfTrue); break;
    case isLoopUntil: TranslateLoopTail(stIF); break;
    case stEXITDO: TranslateExitDo(); break;
    case stSELECTCASE: TranslateSelectCase(); break;
    case stCASE: TranslateCase(); break;
    case stCASEELSE: TranslateCaseElse(); break;
    case stENDSELECT: TranslateEndSelect(); break;
    case stGOTO: TranslateGoto(); break;
    case stGOSUB: TranslateGosub(); break;
    case stRETURN:
        EmitAt(ckStatement, stRETURN);
        ExpectStatementEnd();
        break;
    case stRESTORE: TranslateRestore(); break;
    case stSUB:
    case stFUNCTION: TranslateRoutineHeader(statement); break;
    case stENDSUB: TranslateEndSub(); break;
    case stENDFUNCTION: TranslateEndFunction(); break;
    case stEXITSUB: TranslateExitRoutine(1); break;
    case stEXITFUNCTION: TranslateExitRoutine(2); break;
    case stDEF: TranslateDef(); break;
    default: SetError(3, statement); break;
    }
}

} // namespace ov
