#include "language/OVExpression.h"

#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVDeclared.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

namespace ov {

int32_t StatementSourcePos = 0;

namespace {

// ---------------------------------------------------------------- records

// The record kind ("type byte") of a name cell, or -1 when the cell names no record.
int RecordKind(const CodeType &cell)
{
    const auto index = size_t(cell.SecondCode);
    switch (cell.FirstCode) {
    case ckNumVar:
    case ckNumArrVar:
        return cell.SecondCode >= 0 && index < NumVars.size() ? NumVars[index].Kind : -1;
    case ckStrVar:
    case ckStrArrVar:
        return cell.SecondCode >= 0 && index < StrVars.size() ? StrVars[index].Kind : -1;
    case ckBoolVar:
    case ckBoolArrVar:
        return cell.SecondCode >= 0 && index < BoolVars.size() ? BoolVars[index].Kind : -1;
    default:
        return -1;
    }
}

bool IsNumericName(const CodeType &cell) { return cell.FirstCode == ckNumVar || cell.FirstCode == ckNumArrVar; }
bool IsStrOrBoolName(const CodeType &cell)
{
    return cell.FirstCode == ckStrVar || cell.FirstCode == ckStrArrVar
        || cell.FirstCode == ckBoolVar || cell.FirstCode == ckBoolArrVar;
}

// A name that takes arguments or subscripts: user FUNCTION, DEF FN, array.
bool IsCallableName(const CodeType &cell)
{
    const int kind = RecordKind(cell);
    if (IsNumericName(cell))
        return kind == nvFunction || kind == nvDefFn || kind == nvArrayParam || kind == nvArray;
    if (IsStrOrBoolName(cell))
        return kind >= 1 && kind <= 4;
    return false;
}

// A call of a user FUNCTION, which expands into a call sequence.
bool IsUserFunctionCall(const CodeType &cell)
{
    const int kind = RecordKind(cell);
    if (IsNumericName(cell))
        return kind == nvFunction;
    return IsStrOrBoolName(cell) && kind == svFunction;
}

bool IsOperator(const CodeType &cell, int32_t op) { return cell.FirstCode == ckOperator && cell.SecondCode == op; }

// The arguments written in brackets at `at`, after a routine's name: none
// when no "(" stands there. The brackets are known to be balanced.
int ArgumentsAt(const ExprBuffer &cells, size_t at)
{
    if (at >= cells.size() || !IsOperator(cells[at], opLParen))
        return 0;
    int depth = 0;
    int commas = 0;
    bool empty = true;
    for (size_t i = at; i < cells.size(); ++i) {
        const CodeType &cell = cells[i];
        if (IsOperator(cell, opRParen) && --depth == 0)
            break;
        empty = empty && i == at;
        if (IsOperator(cell, opLParen))
            ++depth;
        else if (depth == 1 && IsOperator(cell, opComma))
            ++commas;
    }
    return empty ? 0 : commas + 1;
}

// A call of a FUNCTION or DEF FN with more or fewer arguments than its
// routine's parameters is error 53132, named at the routine's name.
void CheckArgumentCounts(const ExprBuffer &cells)
{
    for (size_t i = 0; i < cells.size() && ErrorNumber == 0; ++i) {
        if (IsRoutineCall(cells[i]) && !ArgumentCountFits(cells[i], ArgumentsAt(cells, i + 1))) {
            ReadPos = cells[i].SourcePos;
            SetError(53132);
        }
    }
}

// ---------------------------------------------------------------- conversion state

std::vector<CodeType> OperatorStack;
ExprBuffer PostfixOutput;

void PushOperator(const CodeType &cell)
{
    if (int(OperatorStack.size()) >= OperatorStackDepth) {
        SetError(131);
        return;
    }
    OperatorStack.push_back(cell);
}

CodeType PopOperator()
{
    if (OperatorStack.empty()) {
        SetError(132);
        return CodeType{};
    }
    const CodeType cell = OperatorStack.back();
    OperatorStack.pop_back();
    return cell;
}

void AppendPostfix(const CodeType &cell)
{
    if (IsOperator(cell, opLParen)) {
        SetError(133);
        return;
    }
    PostfixOutput.push_back(cell);
}

int TopPrecedence()
{
    return OperatorStack.empty() ? 0 : GetPrecedence(OperatorStack.back());
}

void PushWithPrecedence(const CodeType &cell)
{
    const int level = GetPrecedence(cell);
    while (!OperatorStack.empty() && level <= TopPrecedence() && ErrorNumber == 0)
        AppendPostfix(PopOperator());
    PushOperator(cell);
}

// Moves the group's operators out and drops the "(" or "," that opened it.
void CloseGroup()
{
    while (!OperatorStack.empty() && TopPrecedence() > 0 && ErrorNumber == 0)
        AppendPostfix(PopOperator());
    PopOperator();
}

// Whether a "(" or the "," of an argument list is open above the outer bracket.
bool GroupOpen()
{
    for (size_t i = 1; i < OperatorStack.size(); ++i) {
        if (IsOperator(OperatorStack[i], opLParen) || IsOperator(OperatorStack[i], opComma))
            return true;
    }
    return false;
}

// Replaces an error raised inside a step by the step's own error.
void ReplaceError(int32_t from, int32_t to)
{
    if (ErrorNumber == from)
        ErrorNumber = to;
}

bool IsBinaryOrUnaryOperator(int32_t op)
{
    switch (op) {
    case opEq: case opNe: case opLt: case opGt: case opLe: case opGe:
    case opAdd: case opSub: case opMul: case opDiv: case opIntDiv: case opMod: case opPow:
    case opNot: case opAnd: case opOr: case opXor: case opImp: case opEqv:
    case opConcat: case opChgSgn:
        return true;
    default:
        return false;
    }
}

// Cells that cannot stand right after an operand.
bool IsOperandStart(int32_t kind)
{
    switch (kind) {
    case ckFunction: case ckNumConst: case ckStrConst: case ckNumLiteral: case ckNumVar:
    case ckLocalNumVar: case ckStrLiteral: case ckStrVar: case ckLocalStrVar:
    case ckBoolConst: case ckBoolVar:
        return true;
    default:
        return false;
    }
}

enum class State { Expecting, AfterOperand, AfterOperator };

// Error 1 for a cell that has no place in an expression; the message shows
// the character it was written with: an operator's own, "@" for a formula.
void RefuseInExpression(const CodeType &cell)
{
    if (ErrorNumber != 0)
        return;
    SetError(1);
    if (cell.FirstCode == ckFormVar)
        ErrorSubjectText = QString::number(u'@');
    else if (cell.FirstCode == ckOperator && cell.SecondCode >= 1 && cell.SecondCode <= OperatorCount
             && OperatorNames[cell.SecondCode].size() == 1)
        ErrorSubjectText = QString::number(OperatorNames[cell.SecondCode][0].unicode());
}

// One operator cell of the input.
void ConvertOperator(const CodeType &cell, State &state)
{
    const int32_t op = cell.SecondCode;
    if (op == opChgSgn || op == opNot) {
        // A prefix operator has no operand in the output yet: nothing may be
        // popped before it, or 2*-3 would lose its "*".
        PushOperator(cell);
        state = State::AfterOperator;
    } else if (IsBinaryOrUnaryOperator(op)) {
        PushWithPrecedence(cell);
        state = State::AfterOperator;
    } else if (op == opLParen) {
        PushOperator(cell);
        state = State::Expecting;
    } else if (op == opRParen) {
        CloseGroup();
        ReplaceError(132, 151);
        state = State::Expecting;
    } else if (op == opComma) {
        CloseGroup();
        PushOperator(cell);
        ReplaceError(132, 153);
        state = State::Expecting;
    } else {
        RefuseInExpression(cell);
    }
}

void ConvertCell(const ExprBuffer &input, size_t i, State &state)
{
    const CodeType &cell = input[i];
    if (state == State::AfterOperand) {
        const bool bracketAfterPlainOperand = IsOperator(cell, opLParen) && (i == 0 || !IsCallableCell(input[i - 1]));
        if (bracketAfterPlainOperand || IsOperandStart(cell.FirstCode)) {
            SetError(54083);
            return;
        }
    }
    switch (cell.FirstCode) {
    case ckOperator:
        ConvertOperator(cell, state);
        break;
    case ckFunction:
        PushWithPrecedence(cell);
        break;
    case ckNumConst: case ckStrConst: case ckNumLiteral: case ckLocalNumVar:
    case ckStrLiteral: case ckLocalStrVar: case ckBoolConst:
        AppendPostfix(cell);
        state = State::AfterOperand;
        break;
    case ckNumVar: case ckNumArrVar: case ckStrVar: case ckStrArrVar:
    case ckBoolVar: case ckBoolArrVar:
        if (IsCallableName(cell))
            PushWithPrecedence(cell);
        else
            AppendPostfix(cell);
        state = State::AfterOperand;
        break;
    default:
        RefuseInExpression(cell);
        break;
    }
}

// ---------------------------------------------------------------- gathering

bool EndsExpression(const CodeType &cell, int depth, bool first)
{
    if (cell.FirstCode <= ckNone || cell.FirstCode == ckStatement)
        return true;
    if (cell.FirstCode != ckOperator)
        return false;
    switch (cell.SecondCode) {
    case opEndOfLine: case opColon: case opSemicolon:
        return true;
    case opComma:
        return depth == 0;
    case opRParen:
        return depth == 0 && !first;
    default:
        return false;
    }
}

// Writes the bracketed postfix cells, expanding user FUNCTION calls.
void WriteTranslation(const ExprBuffer &postfix, int32_t endPos, ExprBuffer &buffer)
{
    buffer.push_back(CodeType{ckExprBegin, 0, StatementSourcePos});
    int32_t lastPos = StatementSourcePos;
    for (const CodeType &cell : postfix) {
        if (IsUserFunctionCall(cell)) {
            CodeType name = cell;
            if (name.FirstCode == ckNumArrVar)
                name.FirstCode = ckNumVar;
            buffer.push_back(CodeType{ckStatement, isLoPushAll, endPos});
            buffer.push_back(CodeType{ckStatement, isSubJump, endPos});
            buffer.push_back(name);
            buffer.push_back(CodeType{ckOperator, opEndOfLine, StatementSourcePos});
            buffer.push_back(CodeType{ckStatement, isLoPopAll, endPos});
        } else {
            buffer.push_back(cell);
        }
        lastPos = cell.SourcePos;
    }
    buffer.push_back(CodeType{ckExprEnd, 0, lastPos});
}

} // namespace

// ---------------------------------------------------------------- interface

int GetPrecedence(const CodeType &cell)
{
    if (cell.FirstCode == ckFunction)
        return 20;
    if (cell.FirstCode != ckOperator) {
        const int kind = RecordKind(cell);
        if (kind < 0)
            return 0;
        if (kind == 0) {
            SetError(cell.FirstCode == ckStrVar || cell.FirstCode == ckStrArrVar ? 137 : 136);
            return 0;
        }
        return 20;
    }
    switch (cell.SecondCode) {
    case opEqv: return 1;
    case opImp: return 2;
    case opOr: return 3;
    case opXor: return 4;
    case opAnd: return 5;
    case opNot: return 6;
    case opEq: return 7;
    case opNe: return 8;
    case opLt: case opGt: return 9;
    case opLe: case opGe: return 10;
    case opAdd: case opSub: case opConcat: return 11;
    case opMod: return 12;
    case opIntDiv: return 13;
    case opChgSgn: return 14;
    case opMul: case opDiv: return 15;
    case opPow: return 16;
    case opRParen: case opComma: return -1;
    default: return 0;
    }
}

bool IsCallableCell(const CodeType &cell)
{
    return cell.FirstCode == ckFunction || IsCallableName(cell);
}

bool IsRoutineCall(const CodeType &cell)
{
    const int kind = RecordKind(cell);
    if (IsNumericName(cell))
        return kind == nvFunction || kind == nvDefFn;
    if (cell.FirstCode == ckStrVar || cell.FirstCode == ckStrArrVar)
        return kind == svFunction || kind == svDefFn;
    return IsStrOrBoolName(cell) && kind == bvFunction;
}

void ConvertToPostfix(const ExprBuffer &input, ExprBuffer &output)
{
    OperatorStack.clear();
    PostfixOutput.clear();
    ExprBuffer cells;
    for (const CodeType &cell : input) {
        if (cell.FirstCode <= ckNone)
            break;
        cells.push_back(cell);
    }
    // Closes the "(" pushed below, where the expression ends: a ")" missing
    // at the end is reported there.
    cells.push_back(CodeType{ckOperator, opRParen, ReadPos});
    PushOperator(CodeType{ckOperator, opLParen, 0});
    State state = State::Expecting;
    // A ")" that no "(" opened closes the outer bracket early: the steps
    // after it meet the empty stack (a "," there is 153); when none fails,
    // the expression ends with 151 at that ")".
    size_t stray = cells.size();
    for (size_t i = 0; i < cells.size() && ErrorNumber == 0; ++i) {
        ReadPos = cells[i].SourcePos;  // an error names the cell at fault
        const bool last = i + 1 == cells.size();
        if (last && stray < cells.size()) {
            ReadPos = cells[stray].SourcePos;
            SetError(151);
            break;
        }
        if (!last && stray == cells.size() && IsOperator(cells[i], opRParen) && !GroupOpen())
            stray = i;
        ConvertCell(cells, i, state);
    }
    if (!OperatorStack.empty()) {
        while (!OperatorStack.empty())
            AppendPostfix(PopOperator());
        ReplaceError(133, 152);
        SetError(152);
    }
    if (ErrorNumber == 0)
        output = PostfixOutput;
    else
        output.clear();
}

void TranslateExpression(ExprBuffer &buffer)
{
    buffer.clear();
    ExprBuffer gathered;
    const int32_t start = PreCodePos;
    CodeType cell;
    GetNextPreCode(cell);
    StatementSourcePos = cell.SourcePos;
    int depth = 0;
    while (!EndsExpression(cell, depth, PreCodePos - start < 2)) {
        if (IsOperator(cell, opLParen))
            ++depth;
        else if (IsOperator(cell, opRParen))
            --depth;
        CodeType before;
        PeekPreCodeBack(2, before);
        const bool first = PreCodePos - start < 2;
        const bool afterOperator = before.FirstCode == ckOperator && before.SecondCode != opRParen;
        if (IsOperator(cell, opAdd) && (first || afterOperator)) {
            // a leading "+" means nothing
        } else if (IsOperator(cell, opSub) && (first || afterOperator)) {
            gathered.push_back(CodeType{ckOperator, opChgSgn, cell.SourcePos});
        } else {
            gathered.push_back(cell);
        }
        GetNextPreCode(cell);
    }
    const int32_t endPos = cell.SourcePos;
    --PreCodePos;
    if (gathered.empty())
        return;
    ExprBuffer postfix;
    ConvertToPostfix(gathered, postfix);
    if (ErrorNumber == 0)
        CheckArgumentCounts(gathered);
    if (ErrorNumber != 0)
        return;
    WriteTranslation(postfix, endPos, buffer);
}

void EmitExpression(const ExprBuffer &buffer)
{
    for (const CodeType &cell : buffer) {
        if (cell.FirstCode < 1)
            break;
        EmitCode(cell);
        if (ErrorNumber != 0)
            break;
    }
}

} // namespace ov
