// A short cut for the commonest expressions. A bracketed postfix expression
// whose operands are numeric literals, constants, plain numeric variables
// and elements of one-dimensional numeric arrays, and whose operators are
// + - * / unary minus, SGN and the comparisons, is compiled once into a plan
// and then worked out directly, without the value stack; a plan also takes
// over the LET or IF that uses the value. Anything else, and every case that
// would raise an error, is left to the cell-by-cell evaluation, so results
// and errors are exactly those of the handlers.
#pragma once

#include "language/OVHeader.h"

#include <vector>

namespace ov {

struct NumVarType;

struct FastOp {
    enum Code : uint8_t { Value, Var, Element, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, Neg, Sgn };
    Code Op = Value;
    const long double *Constant = nullptr;  // Value: a literal's or a constant's value
    const NumVarType *Record = nullptr;     // Var: the variable; Element: the array
};

struct FastPlan {
    static constexpr int MaxOps = 16;
    enum Shape : uint8_t { Unknown, Unusable, Usable };
    enum Use : uint8_t { Push, Assign, AssignElement, Branch };

    uint32_t Generation = 0;
    Shape Form = Unknown;
    bool Truth = false;          // the value is a comparison's truth value
    bool StepTest = false;       // the end test of FOR with a STEP: (b - v) * (SGN(s) + c) >= d
    Use Then = Push;
    uint8_t Count = 0;
    FastOp Ops[MaxOps];
    FastOp Subscript;            // AssignElement: the element's subscript operand
    NumVarType *Target = nullptr;  // the variable or array LET assigns
    CodeType TargetCell;
    int32_t FalseJump = 0;       // where IF goes when the value is false
    int32_t ExpressionEnd = 0;   // the position after the expression-end cell
    int32_t Next = 0;            // the position after the expression and its use
};

// The plans, by the position of their expression's begin cell.
extern std::vector<FastPlan> Plans;
extern uint32_t CodeGeneration;
const FastPlan &CompilePlanAt(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity);

// The plan of the expression whose begin cell stands at `begin`; `last` is
// the highest position that may be read and `capacity` the code's.
inline const FastPlan &FastPlanAt(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity)
{
    if (size_t(begin) < Plans.size() && Plans[size_t(begin)].Generation == CodeGeneration) [[likely]]
        return Plans[size_t(begin)];
    return CompilePlanAt(cells, begin, last, capacity);
}

// Works the plan's expression out; false where the cells must run one by one.
bool EvaluatePlan(const FastPlan &plan, long double &number, bool &truth);
// The element that AssignElement stores into; false when the cells must run.
bool PlannedElement(const FastPlan &plan, long double *&element);

} // namespace ov
