#include "executor/OVFastExpression.h"

#include "language/OVCode.h"
#include "language/OVNumTbl.h"

#include <cmath>
#include <vector>

namespace ov {

std::vector<FastPlan> Plans;

namespace {

constexpr int kDepth = 8;

// ---------------------------------------------------------------- compiling

bool ReadOperand(const CodeType &cell, FastOp &op)
{
    switch (cell.FirstCode) {
    case ckNumLiteral: {
        const size_t index = size_t(cell.SecondCode) + 1;
        if (cell.SecondCode < 0 || index >= NumLiterals.size())
            return false;
        op = FastOp{FastOp::Value, &NumLiterals[index], nullptr};
        return true;
    }
    case ckNumConst:
        if (cell.SecondCode < 1 || cell.SecondCode > 10)
            return false;
        op = FastOp{FastOp::Value, &NumConstants[cell.SecondCode], nullptr};
        return true;
    case ckNumVar:
        if (cell.SecondCode < 1 || size_t(cell.SecondCode) >= NumVars.size()
            || NumVars[size_t(cell.SecondCode)].Kind != nvSimple)
            return false;
        op = FastOp{FastOp::Var, nullptr, &NumVars[size_t(cell.SecondCode)]};
        return true;
    default:
        return false;
    }
}

const NumVarType *VectorRecord(const CodeType &cell)
{
    if (cell.FirstCode != ckNumVar || cell.SecondCode < 1 || size_t(cell.SecondCode) >= NumVars.size())
        return nullptr;
    const NumVarType &record = NumVars[size_t(cell.SecondCode)];
    return record.Kind == nvArray && record.Dimensions == 1 ? &record : nullptr;
}

bool OperatorOp(int32_t value, FastOp::Code &code, int &pops, bool &truth)
{
    pops = 2;
    truth = false;
    switch (value) {
    case opAdd: code = FastOp::Add; return true;
    case opSub: code = FastOp::Sub; return true;
    case opMul: code = FastOp::Mul; return true;
    case opDiv: code = FastOp::Div; return true;
    case opChgSgn: code = FastOp::Neg; pops = 1; return true;
    default: break;
    }
    truth = true;
    switch (value) {
    case opEq: code = FastOp::Eq; return true;
    case opNe: code = FastOp::Ne; return true;
    case opLt: code = FastOp::Lt; return true;
    case opGt: code = FastOp::Gt; return true;
    case opLe: code = FastOp::Le; return true;
    case opGe: code = FastOp::Ge; return true;
    default: return false;
    }
}

// One cell of the expression into the plan; false when the plan cannot hold it.
bool CompileCell(const CodeType &cell, FastPlan &plan, int &depth)
{
    if (plan.Truth || plan.Count == FastPlan::MaxOps)
        return false;  // a truth value only ends an expression
    FastOp op;
    if (ReadOperand(cell, op)) {
        if (depth == kDepth)
            return false;
        ++depth;
    } else if (const NumVarType *array = VectorRecord(cell)) {
        if (depth < 1)
            return false;
        op = FastOp{FastOp::Element, nullptr, array};
    } else if (cell.FirstCode == ckFunction && cell.SecondCode == fnSGN) {
        if (depth < 1)
            return false;
        op.Op = FastOp::Sgn;
    } else if (cell.FirstCode == ckOperator) {
        int pops = 0;
        bool truth = false;
        if (!OperatorOp(cell.SecondCode, op.Op, pops, truth) || depth < pops)
            return false;
        depth -= pops - 1;
        plan.Truth = truth;
    } else {
        return false;
    }
    plan.Ops[plan.Count++] = op;
    return true;
}

// The LET or IF that takes the value, when the plan can do it.
void PlanUse(const CodeType *cells, int32_t last, int32_t capacity, FastPlan &plan)
{
    const int32_t at = plan.ExpressionEnd;
    auto isStatement = [&](int32_t i, int32_t s) {
        return i <= last && cells[i].FirstCode == ckStatement && cells[i].SecondCode == s;
    };
    if (isStatement(at, stIF) && plan.Truth && at + 1 <= last) {
        const CodeType &address = cells[at + 1];
        if (address.FirstCode == ckCodeAddr && address.SecondCode >= 1 && address.SecondCode <= capacity) {
            plan.Then = FastPlan::Branch;
            plan.FalseJump = address.SecondCode;
            plan.Next = at + 2;
        }
        return;
    }
    if (plan.Truth)
        return;
    if (isStatement(at, stLET) && at + 1 <= last && cells[at + 1].FirstCode == ckNumVar) {
        const CodeType &operand = cells[at + 1];
        if (operand.SecondCode >= 1 && size_t(operand.SecondCode) < NumVars.size()) {
            NumVarType &target = NumVars[size_t(operand.SecondCode)];
            if (target.Kind == nvSimple && target.Dimensions == 0) {
                plan.Then = FastPlan::Assign;
                plan.Target = &target;
                plan.TargetCell = operand;
                plan.Next = at + 2;
            }
        }
        return;
    }
    // ( value ) ( subscript ) LET A, for a one-dimensional array A.
    if (at + 4 <= last && cells[at].FirstCode == ckExprBegin && cells[at + 2].FirstCode == ckExprEnd
        && isStatement(at + 3, stLET) && ReadOperand(cells[at + 1], plan.Subscript)) {
        if (const NumVarType *array = VectorRecord(cells[at + 4])) {
            plan.Then = FastPlan::AssignElement;
            plan.Target = const_cast<NumVarType *>(array);
            plan.TargetCell = cells[at + 4];
            plan.Next = at + 5;
        }
    }
}

bool IsOperandOp(const FastOp &op) { return op.Op == FastOp::Value || op.Op == FastOp::Var; }

// The shape the translator gives the end test of a FOR loop with a STEP.
bool IsStepTest(const FastPlan &plan)
{
    const FastOp *o = plan.Ops;
    return plan.Count == 10 && IsOperandOp(o[0]) && IsOperandOp(o[1]) && o[2].Op == FastOp::Sub
        && o[3].Op == FastOp::Value && IsOperandOp(o[4]) && o[5].Op == FastOp::Sgn && o[6].Op == FastOp::Add
        && o[7].Op == FastOp::Mul && o[8].Op == FastOp::Value && o[9].Op == FastOp::Ge;
}

void Compile(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity, FastPlan &plan)
{
    plan = FastPlan{};
    plan.Generation = CodeGeneration;
    plan.Form = FastPlan::Unusable;
    int depth = 0;
    for (int32_t i = begin + 1; i <= last; ++i) {
        if (cells[i].FirstCode == ckExprEnd) {
            if (depth != 1 || plan.Count == 0)
                return;
            plan.ExpressionEnd = plan.Next = i + 1;
            plan.Form = FastPlan::Usable;
            plan.StepTest = IsStepTest(plan);
            PlanUse(cells, last, capacity, plan);
            return;
        }
        if (!CompileCell(cells[i], plan, depth))
            return;
    }
}

// ---------------------------------------------------------------- running

inline long double Operand(const FastOp &op)
{
    return op.Op == FastOp::Value ? *op.Constant : op.Record->Value;
}

// The element of a one-dimensional array at subscript s, as the element read
// finds it; false where the handler would report an error.
inline bool Element(const NumVarType &array, long double s, long double *&element)
{
    if (array.Kind != nvArray || array.Dimensions != 1 || !(s >= 0) || s > array.Bound[0])
        return false;
    const int64_t at = int64_t(array.FirstElement) + int64_t(s);
    if (array.FirstElement < 0 || at >= int64_t(NumArrayData.size()))
        return false;
    element = &NumArrayData[size_t(at)];
    return true;
}

} // namespace

const FastPlan &CompilePlanAt(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity)
{
    if (size_t(begin) >= Plans.size())
        Plans.resize(std::max<size_t>(size_t(begin) + 1, Plans.size() * 2));
    FastPlan &plan = Plans[size_t(begin)];
    if (plan.Generation != CodeGeneration)
        Compile(cells, begin, last, capacity, plan);
    return plan;
}

namespace {

// (b - v) * (SGN(s) + c) >= d, step by step as the general evaluation does.
inline bool EvaluateStepTest(const FastPlan &plan, bool &truth)
{
    const FastOp *o = plan.Ops;
    const long double difference = Operand(o[0]) - Operand(o[1]);
    if (!std::isfinite(difference))
        return false;
    const long double s = Operand(o[4]);
    const long double factor = (s > 0 ? 1.0L : s < 0 ? -1.0L : 0.0L) + *o[3].Constant;
    const long double product = difference * factor;
    if (!std::isfinite(factor) || !std::isfinite(product))
        return false;
    truth = !(product < *o[8].Constant);
    return true;
}

// One two-operand operator: a number (false where the handler would fail)
// or, for a comparison, a truth value.
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
    case FastOp::Eq: truth = left == right; return true;
    case FastOp::Ne: truth = !(left == right); return true;
    case FastOp::Lt: truth = left < right; return true;
    case FastOp::Gt: truth = right < left; return true;
    case FastOp::Le: truth = !(right < left); return true;
    default: truth = !(left < right); return true;  // Ge
    }
    // `number` may be the variable being assigned: it only ever gets a
    // finite value.
    if (!std::isfinite(result))
        return false;
    number = result;
    return true;
}

// The commonest shapes, a single operand and two operands with one
// operator, without the general loop.
inline bool EvaluateSimple(const FastPlan &plan, long double &number, bool &truth, bool &done)
{
    done = true;
    if (plan.Count == 1 && IsOperandOp(plan.Ops[0])) {
        number = Operand(plan.Ops[0]);
        return true;
    }
    if (plan.Count != 3 || !IsOperandOp(plan.Ops[0]) || !IsOperandOp(plan.Ops[1])) {
        done = false;
        return false;
    }
    return ApplyBinary(plan.Ops[2].Op, Operand(plan.Ops[0]), Operand(plan.Ops[1]), number, truth);
}

} // namespace

bool EvaluatePlan(const FastPlan &plan, long double &number, bool &truth)
{
    if (plan.StepTest)
        return EvaluateStepTest(plan, truth);
    bool done = false;
    const bool simple = EvaluateSimple(plan, number, truth, done);
    if (done)
        return simple;
    long double stack[kDepth];
    int depth = 0;
    for (int i = 0; i < plan.Count; ++i) {
        const FastOp &op = plan.Ops[i];
        switch (op.Op) {
        case FastOp::Value:
        case FastOp::Var:
            stack[depth++] = Operand(op);
            continue;
        case FastOp::Element: {
            long double *element = nullptr;
            if (!Element(*op.Record, stack[depth - 1], element))
                return false;
            stack[depth - 1] = *element;
            continue;
        }
        case FastOp::Neg:
            stack[depth - 1] = 0.0L - stack[depth - 1];
            continue;
        case FastOp::Sgn: {
            const long double x = stack[depth - 1];
            stack[depth - 1] = x > 0 ? 1.0L : x < 0 ? -1.0L : 0.0L;
            continue;
        }
        default:
            break;
        }
        const long double left = stack[depth - 2];
        const long double right = stack[depth - 1];
        --depth;
        if (!ApplyBinary(op.Op, left, right, stack[depth - 1], truth))
            return false;  // the handler reports the fault
        if (op.Op >= FastOp::Eq && op.Op <= FastOp::Ge)
            return true;  // a comparison ends the expression
    }
    number = stack[0];
    return true;
}

bool PlannedElement(const FastPlan &plan, long double *&element)
{
    return Element(*plan.Target, Operand(plan.Subscript), element);
}

} // namespace ov
