// The translation pass: walks the pre-code statement by statement and hands
// each statement to its translator, which appends code cells. Shared here:
// the dispatch, statement ends, jump cells and back-patching, the translator
// stacks, the argument readers and the generic translators.
#pragma once

#include "language/OVExpression.h"

namespace ov {

// ---------------------------------------------------------------- state

extern CodeType ReadCell;       // the pre-code cell being read
extern CodeType StatementCell;  // kind and value of the statement's first cell
extern uint8_t RoutineContext;  // 0 outside a routine, 1 in a SUB, 2 in a FUNCTION
extern int32_t RoutineSkipJump; // index of the jump cell that skips the routine's body

// A fixed-depth stack whose overflow and underflow raise the errors its user names.
template <typename T>
struct TranslatorStack {
    std::vector<T> Items;
    int Depth = 256;
    int32_t PushError = 550;
    int32_t PopError = 567;

    bool Empty() const { return Items.empty(); }
    int Count() const { return int(Items.size()); }
    void Clear() { Items.clear(); }
    void Push(T item)
    {
        if (Count() >= Depth) {
            SetError(PushError);
            return;
        }
        Items.push_back(std::move(item));
    }
    // The top item, removed; a default item (and the pop error) when empty.
    T Pop()
    {
        if (Items.empty()) {
            SetError(PopError);
            return T{};
        }
        T item = std::move(Items.back());
        Items.pop_back();
        return item;
    }
    T &Top() { return Items.back(); }
};

struct ForRecord {
    CodeType Variable;    // the loop variable's cell
    int32_t LoopTop = 0;  // index of the ":" that begins the test
    int32_t ExitJump = 0; // index of the jump cell that leaves the loop
    ExprBuffer Step;      // the STEP expression, or the constant 1
};

struct ExitRecord {
    int32_t Flag = 0;     // 1 for a pending EXIT, 0 for a loop's marker
    int32_t Jump = 0;
};

struct LoopRecord {
    int32_t Flag = 0;     // 0 a loop, 1 a pending EXIT DO
    int32_t LoopTop = 0;
    int32_t ExitJump = 0;
};

extern TranslatorStack<int32_t> IfStack;
extern TranslatorStack<ForRecord> ForStack;
extern TranslatorStack<ExitRecord> ExitForStack;
extern TranslatorStack<int32_t> ExitRoutineStack;
extern TranslatorStack<LoopRecord> LoopStack;
extern TranslatorStack<ExprBuffer> SelectorStack;
extern TranslatorStack<int32_t> CaseNextStack;
extern TranslatorStack<int32_t> CaseEndStack;
extern TranslatorStack<CodeType> ParamStack;
extern TranslatorStack<CodeType> CallArgStack;
extern TranslatorStack<ExprBuffer> PrintBufferStack;
extern TranslatorStack<ExprBuffer> SwapStackA;
extern TranslatorStack<ExprBuffer> SwapStackB;

// Data statements and line numbers collected while translating.
struct LineNumberType {
    long double Number = 0;
    int32_t CodeIndex = 0;  // where the line begins in the code
    int32_t DataIndex = 0;  // DATA statements before it, for RESTORE
};
extern std::vector<int32_t> DataLines;           // 1-based: code index of each DATA cell
extern std::vector<LineNumberType> LineNumbers;  // 1-based

// ---------------------------------------------------------------- the pass

void ResetTranslatorStacks();
void TranslateStatements();
void CheckOpenBlocks();

// ---------------------------------------------------------------- helpers

void PatchJump(int32_t index);
void PatchJumpPlus(int32_t offset, int32_t index);
void ExpectStatementEnd();
bool IsStatementEnd(const CodeType &cell);
bool IsOperatorCell(const CodeType &cell, int32_t op);
bool IsStatementCellOf(const CodeType &cell, int32_t statement);

void EmitColon();
void EmitEndOfLineCell();
void EmitGlPush();
void EmitGlPop();
// Emits a cell of the given kind and value at StatementSourcePos.
void EmitAt(int32_t kind, int32_t value);
// Emits a jump cell (45, 0) and returns its index.
int32_t EmitJumpCell(int32_t sourcePos);

// Argument readers; every failure sets 700.
void TranslateArg();
void TranslateLastArg();
void TranslateArgThenComma();
void TranslateParenArgs(int n);
void TranslateTwoArgs();
void TranslateArgsAs();
void ReadOptionalLiterals(int n);

// Line numbers at a statement start (also used by SELECT CASE).
void TranslateLineNumber();

// ---------------------------------------------------------------- translators

// Control flow (block statements, jumps, routines, CALL, DEF FN).
void TranslateControlFlow(int32_t statement);
void TranslateCall(bool withKeyword);
// Assignment, input and output, DATA, READ, DIM, files, drawing, SWAP ...
void TranslateOtherStatement(int32_t statement);
void TranslateLet();

} // namespace ov
