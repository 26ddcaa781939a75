// A short cut for the commonest expressions. A bracketed postfix expression
// whose operands are numeric literals, constants, plain numeric variables
// and elements of one-dimensional numeric arrays, and whose operators are
// + - * / \ MOD unary minus, SGN and the comparisons, is compiled once into a plan
// and then worked out directly, without the value stack; a plan also takes
// over the LET or IF that uses the value. Anything else, and every case that
// would raise an error, is left to the cell-by-cell evaluation, so results
// and errors are exactly those of the handlers.
#pragma once

#include "executor/OVOperators.h"
#include "language/OVHeader.h"
#include "language/OVNumTbl.h"

#include <cstring>
#include <deque>
#include <vector>

namespace ov {

struct FastOp {
    // After the operators, the one-argument functions the plans work out.
    // Element reads a one-dimensional array, Elements one of Rank dimensions.
    enum Code : uint8_t {
        Value, Element, Add, Sub, Mul, Div, IntDiv, Mod, Eq, Ne, Lt, Gt, Le, Ge, Neg, Sgn, Abs, Int, Fix, Sqr,
        Elements, And, Or, Xor, Not
    };
    Code Op = Value;
    const long double *Operand = nullptr;  // Value: a literal's, a constant's or a variable's value
    const NumVarType *Array = nullptr;     // Element, Elements: the array
    // Value: a literal or constant that a double holds exactly; it is loaded
    // from Exact, as an 80-bit load costs several times a 64-bit one.
    bool Constant = false;
    uint8_t Rank = 1;  // Elements: the subscripts it takes
    double Exact = 0;
};

// The most subscripts an element of a plan takes.
constexpr int MaxPlanRank = 5;

// The value of a Value operation.
inline long double OperandValue(const FastOp &op)
{
    return op.Constant ? static_cast<long double>(op.Exact) : *op.Operand;
}

struct FastPlan {
    static constexpr int MaxOps = 16;
    // How the value is worked out: Unusable when the cells must run; the
    // others are plans, from the cheapest.
    enum Shape : uint8_t { Unusable, Single, Binary, ElementBinary, Triple, StepTest, General };
    enum Use : uint8_t { Push, Assign, AssignElement, Branch };
    // How a chain of plans runs this one: the commonest plans have a case of
    // their own; the others are evaluated, then their value is used.
    // LoopStep is a Sum that adds to the variable of a FOR loop whose test
    // follows it: the two run as one step.
    enum Step : uint8_t {
        Evaluated, Copy, Sum, Difference, Product, Less, Greater, AtMost, AtLeast, Equal, Unequal, LoopStep,
        TripleAssign, CopyToElement, PushCopy,
        // x + y * z and x * y + z into a variable, the commonest of three operands.
        AddProduct, ProductAdd
    };

    Shape Form = Unusable;
    bool Truth = false;          // the value is a comparison's truth value
    Use Then = Push;
    uint8_t Count = 0;
    NumVarType *Target = nullptr;     // the variable or array LET assigns
    const long double *Subscript = nullptr;  // AssignElement: the element's (first) subscript
    const long double *Subscript2 = nullptr; // AssignElement of a two-dimensional array: the second
    int32_t FalseJump = 0;       // Branch: where the run goes when the value is false
    int32_t ExpressionEnd = 0;   // the position after the expression-end cell
    int32_t Next = 0;            // the position after the expression and its use (Branch: when true)
    int32_t Begin = 0;           // the position of the begin cell
    Step Run = Evaluated;
    // The plans at Next and FalseJump, noted by the chain when first needed.
    FastPlan *NextPlan = nullptr;
    FastPlan *FalsePlan = nullptr;
    FastOp Ops[MaxOps];

    bool Usable() const { return Form >= Single; }
};

// A variable that LET gives a value without subscripts and a plan may
// assign: a plain variable, or a FUNCTION's name, which holds its result.
inline bool IsAssignableScalar(const NumVarType &record)
{
    return record.Dimensions == 0 && (record.Kind == nvSimple || record.Kind == nvFunction);
}

// A cell that does nothing when run: an expression end, ":" or a line end.
inline bool IsPassiveCell(const CodeType &cell)
{
    return cell.FirstCode == ckExprEnd
        || (cell.FirstCode == ckOperator && (cell.SecondCode == opColon || cell.SecondCode == opEndOfLine));
}

// Where the plan of the expression whose begin cell stands at a position
// is kept; valid while the code is of `Generation`.
struct PlanSlot {
    FastPlan *Plan = nullptr;
    uint32_t Generation = 0;
};

// One slot per code position, and the plans compiled since the code last
// changed (a deque, so that a plan never moves); every expression the
// plans cannot hold shares the pool's first plan, an unusable one.
extern std::vector<PlanSlot> PlanSlots;
extern std::deque<FastPlan> PlanPool;

PlanSlot *GrowPlanSlots(int32_t last);

// Makes room for a slot at every position up to `last` and returns the
// first, so that a slot is found without a bound check.
inline PlanSlot *ReservePlanSlots(int32_t last)
{
    if (size_t(last) < PlanSlots.size()) [[likely]]
        return PlanSlots.data();
    return GrowPlanSlots(last);
}
// Compiles the plan of the expression whose begin cell stands at `begin`
// into the pool and notes it in its slot; `last` is the highest position
// that may be read and `capacity` the code's.
FastPlan &CompilePlanAt(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity, PlanSlot &slot);

// The plan of the stretch of operand and operator cells from `at`, inside an
// expression whose other cells must run, compiled into the pool and noted in
// `slot`; unusable where fewer than three cells leave one value.
FastPlan &CompileSegmentAt(const CodeType *cells, int32_t at, int32_t last, PlanSlot &slot);

// The subscript s truncated toward zero, as the element read takes it, read
// from the bits of the 80-bit format (sign and exponent in bytes 8-9, the
// 64-bit mantissa with its explicit leading bit in bytes 0-7): converting
// with a cast would switch the x87 rounding mode twice, which stalls the
// pipeline. False for a negative number other than -0 and from 2^62 on.
inline bool TruncatedIndex(const long double &s, int64_t &index)
{
    uint64_t mantissa = 0;
    uint16_t signAndExponent = 0;
    std::memcpy(&mantissa, &s, sizeof mantissa);
    std::memcpy(&signAndExponent, reinterpret_cast<const char *>(&s) + 8, sizeof signAndExponent);
    if (signAndExponent & 0x8000) {
        index = 0;
        return signAndExponent == 0x8000 && mantissa == 0;
    }
    const int shift = int(signAndExponent) - 16383;
    if (shift > 61)
        return false;
    index = shift < 0 ? 0 : int64_t(mantissa >> (63 - shift));
    return true;
}

// The element of a one-dimensional array at a subscript within its bound;
// every other case is left to the element read, which reports the fault.
// Inline, as the element plans run it for every store and read.
inline bool PlanElement(const NumVarType &array, const long double &s, long double *&element)
{
    int64_t index = 0;
    if (array.Kind != nvArray || array.Dimensions != 1 || !TruncatedIndex(s, index) || index > array.Bound[0])
        return false;
    const int64_t at = int64_t(array.FirstElement) + index;
    if (array.FirstElement < 0 || at >= int64_t(NumArrayData.size()))
        return false;
    element = &NumArrayData[size_t(at)];
    return true;
}

// The element of an array of `rank` dimensions at the subscripts, the first
// first, each within its bound; the first subscript varies fastest.
inline bool PlanElements(const NumVarType &array, const long double *subscripts, int rank, long double *&element)
{
    if (array.Kind != nvArray || array.Dimensions != rank || array.FirstElement < 0)
        return false;
    int64_t offset = 0;
    int64_t stride = 1;
    for (int k = 0; k < rank; ++k) {
        int64_t index = 0;
        const int32_t bound = array.Bound[size_t(k)];
        if (!TruncatedIndex(subscripts[k], index) || index > bound)
            return false;
        offset += index * stride;
        stride *= int64_t(bound) + 1;
    }
    const int64_t at = int64_t(array.FirstElement) + offset;
    if (at >= int64_t(NumArrayData.size()))
        return false;
    element = &NumArrayData[size_t(at)];
    return true;
}

// The element of a two-dimensional array that AssignElement stores into.
bool PlannedElement2(const FastPlan &plan, long double *&element);

// The element that AssignElement stores into; false when the cells must run.
inline bool PlannedElement(const FastPlan &plan, long double *&element)
{
    if (plan.Subscript2 == nullptr) [[likely]]
        return PlanElement(*plan.Target, *plan.Subscript, element);
    return PlannedElement2(plan, element);
}

// A(s) op r.
bool EvaluateElementBinary(const FastPlan &plan, long double &number, bool &truth);
// The test of a FOR loop with a STEP, with the loop variable's value given.
bool EvaluateStepTest(const FastPlan &plan, long double variable, bool &truth);

bool EvaluateGeneral(const FastPlan &plan, long double &number, bool &truth);

// One two-operand operator: a number (false where the handler would fail)
// or, for a comparison, a truth value. `number` may be the variable being
// assigned: it only ever gets a finite value.
// \ and MOD of whole numbers in the signed 64-bit range by a whole divisor
// above 0; false for every other case, which the handler reports.
inline bool WholeQuotientOrRemainder(bool remainder, long double left, long double right, long double &result)
{
    constexpr long double limit = 0x1p63L;
    if (!(right > 0 && right < limit && left >= -limit && left < limit))
        return false;
    const auto d = int64_t(right);
    const auto x = int64_t(left);
    if ((long double)(d) != right || (long double)(x) != left)
        return false;  // a fraction
    result = remainder ? (long double)(x % d) : (long double)(x / d);
    return true;
}

inline bool ApplyBinary(FastOp::Code op, long double left, long double right, long double &number, bool &truth)
{
    long double result;
    switch (op) {
    case FastOp::Add: result = left + right; break;
    case FastOp::Sub: result = left - right; break;
    case FastOp::Mul: result = left * right; break;
    case FastOp::Div:
        if (right == 0)
            return false;
        result = left / right;
        break;
    case FastOp::IntDiv:
    case FastOp::Mod:
        if (!WholeQuotientOrRemainder(op == FastOp::Mod, left, right, result))
            return false;
        break;
    case FastOp::Eq: truth = left == right; return true;
    case FastOp::Ne: truth = !(left == right); return true;
    case FastOp::Lt: truth = left < right; return true;
    case FastOp::Gt: truth = right < left; return true;
    case FastOp::Le: truth = !(right < left); return true;
    default: truth = !(left < right); return true;  // Ge
    }
    if (!IsFiniteNumber(result))
        return false;
    number = result;
    return true;
}

// x op (y op z) or (x op y) op z. The inner operation is never a
// comparison: a truth value ends a plan.
inline bool EvaluateTriple(const FastPlan &plan, long double &number, bool &truth)
{
    const FastOp *o = plan.Ops;
    long double inner = 0;
    if (o[2].Op == FastOp::Value) {
        return ApplyBinary(o[3].Op, OperandValue(o[1]), OperandValue(o[2]), inner, truth)
            && ApplyBinary(o[4].Op, OperandValue(o[0]), inner, number, truth);
    }
    return ApplyBinary(o[2].Op, OperandValue(o[0]), OperandValue(o[1]), inner, truth)
        && ApplyBinary(o[4].Op, inner, OperandValue(o[3]), number, truth);
}

// Works a usable plan's expression out; false where the cells must run one
// by one (they then report the fault).
inline bool EvaluatePlan(const FastPlan &plan, long double &number, bool &truth)
{
    switch (plan.Form) {
    case FastPlan::Single:
        number = OperandValue(plan.Ops[0]);
        return true;
    case FastPlan::Binary:
        return ApplyBinary(plan.Ops[2].Op, OperandValue(plan.Ops[0]), OperandValue(plan.Ops[1]), number, truth);
    case FastPlan::ElementBinary:
        return EvaluateElementBinary(plan, number, truth);
    case FastPlan::Triple:
        return EvaluateTriple(plan, number, truth);
    case FastPlan::StepTest:
        return EvaluateStepTest(plan, *plan.Ops[1].Operand, truth);
    default:
        return EvaluateGeneral(plan, number, truth);
    }
}

} // namespace ov
