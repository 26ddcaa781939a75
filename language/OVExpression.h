// Expression translation: infix pre-code to postfix code cells, bracketed by
// an expression-begin and an expression-end cell.
#pragma once

#include "language/OVHeader.h"

#include <vector>

namespace ov {

// A translated expression: (41), the postfix cells, (42). Empty means no
// expression (nothing is emitted for it).
using ExprBuffer = std::vector<CodeType>;

constexpr int OperatorStackDepth = 40;

// Source position given to cells the translator generates rather than copies.
extern int32_t StatementSourcePos;

// Reads the expression from PreCodePos on and leaves PreCodePos at the cell
// that ended it. The buffer is empty when nothing was gathered or on error.
void TranslateExpression(ExprBuffer &buffer);
// Appends the buffer's cells to the code store.
void EmitExpression(const ExprBuffer &buffer);
// Converts infix cells to postfix; input and output may be the same buffer.
void ConvertToPostfix(const ExprBuffer &input, ExprBuffer &output);

int GetPrecedence(const CodeType &cell);
bool IsCallableCell(const CodeType &cell);
// A name that calls a user FUNCTION or a DEF FN, whose parameters fix its
// argument count.
bool IsRoutineCall(const CodeType &cell);

} // namespace ov
