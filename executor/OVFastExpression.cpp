#include "executor/OVFastExpression.h"

#include "executor/OVControlFlow.h"
#include "language/OVCode.h"
#include "language/OVNumTbl.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace ov {

std::vector<PlanSlot> PlanSlots;
std::deque<FastPlan> PlanPool;

namespace {

constexpr int kDepth = 8;

// ---------------------------------------------------------------- compiling

// A literal or constant that a double holds exactly loads as one.
FastOp ConstantOperand(const long double &value)
{
    FastOp op{FastOp::Value, &value, nullptr};
    const auto exact = static_cast<double>(value);
    if (static_cast<long double>(exact) == value) {
        op.Constant = true;
        op.Exact = exact;
    }
    return op;
}

bool ReadOperand(const CodeType &cell, FastOp &op)
{
    switch (cell.FirstCode) {
    case ckNumLiteral: {
        const size_t index = size_t(cell.SecondCode) + 1;
        if (cell.SecondCode < 0 || index >= NumLiterals.size())
            return false;
        op = ConstantOperand(NumLiterals[index]);
        return true;
    }
    case ckNumConst:
        if (cell.SecondCode < 1 || cell.SecondCode > 10)
            return false;
        op = ConstantOperand(NumConstants[cell.SecondCode]);
        return true;
    case ckNumVar:
        if (cell.SecondCode < 1 || size_t(cell.SecondCode) >= NumVars.size()
            || NumVars[size_t(cell.SecondCode)].Kind != nvSimple)
            return false;
        op = FastOp{FastOp::Value, &NumVars[size_t(cell.SecondCode)].Value, nullptr};
        return true;
    default:
        return false;
    }
}

// The numeric array the cell names, of `rank` dimensions, or of any rank a
// plan takes when `rank` is 0.
const NumVarType *ArrayRecord(const CodeType &cell, int rank)
{
    if (cell.FirstCode != ckNumVar || cell.SecondCode < 1 || size_t(cell.SecondCode) >= NumVars.size())
        return nullptr;
    const NumVarType &record = NumVars[size_t(cell.SecondCode)];
    const bool fits = rank == 0 ? record.Dimensions >= 1 && record.Dimensions <= MaxPlanRank : record.Dimensions == rank;
    return record.Kind == nvArray && fits ? &record : nullptr;
}

// What an operator takes and gives: `pops` numbers, or truth values where
// `takesTruth`, and a number, or a truth value where `givesTruth`.
struct OperatorUse {
    FastOp::Code Code = FastOp::Value;
    int Pops = 2;
    bool TakesTruth = false;
    bool GivesTruth = false;
};

bool OperatorOp(int32_t value, OperatorUse &use)
{
    use = OperatorUse{};
    switch (value) {
    case opAdd: use.Code = FastOp::Add; return true;
    case opSub: use.Code = FastOp::Sub; return true;
    case opMul: use.Code = FastOp::Mul; return true;
    case opDiv: use.Code = FastOp::Div; return true;
    case opIntDiv: use.Code = FastOp::IntDiv; return true;
    case opMod: use.Code = FastOp::Mod; return true;
    case opChgSgn: use.Code = FastOp::Neg; use.Pops = 1; return true;
    default: break;
    }
    use.GivesTruth = true;
    switch (value) {
    case opEq: use.Code = FastOp::Eq; return true;
    case opNe: use.Code = FastOp::Ne; return true;
    case opLt: use.Code = FastOp::Lt; return true;
    case opGt: use.Code = FastOp::Gt; return true;
    case opLe: use.Code = FastOp::Le; return true;
    case opGe: use.Code = FastOp::Ge; return true;
    default: break;
    }
    use.TakesTruth = true;
    switch (value) {
    case opAnd: use.Code = FastOp::And; return true;
    case opOr: use.Code = FastOp::Or; return true;
    case opXor: use.Code = FastOp::Xor; return true;
    case opNot: use.Code = FastOp::Not; use.Pops = 1; return true;
    default: return false;
    }
}

// The one-argument functions a plan works out as their handlers do.
bool FunctionOp(int32_t function, FastOp::Code &code)
{
    switch (function) {
    case fnSGN: code = FastOp::Sgn; return true;
    case fnABS: code = FastOp::Abs; return true;
    case fnINT: code = FastOp::Int; return true;
    case fnFIX: code = FastOp::Fix; return true;
    case fnSQR: code = FastOp::Sqr; return true;
    default: return false;
    }
}

uint32_t PoolGeneration = 0;
// Negated literals and constants the plans read, kept while the plans are.
std::deque<long double> FoldedConstants;

// A minus sign before a literal or constant becomes part of it, as the
// handler would work it out (0 - x), so that -1 reads as one value and a
// STEP -1 loop has the shape of every other.
bool FoldNegation(FastPlan &plan)
{
    if (plan.Count == 0)
        return false;
    FastOp &last = plan.Ops[plan.Count - 1];
    if (last.Op != FastOp::Value || !last.Constant)
        return false;
    FoldedConstants.push_back(0.0L - OperandValue(last));
    last = ConstantOperand(FoldedConstants.back());
    return true;
}

// The values a plan leaves on its stack while it is compiled: their count
// and, a bit each from the bottom, which of them are truth values.
struct StackShape {
    int Count = 0;
    uint32_t Truths = 0;

    // The top n values are all truth values (`truth`) or all numbers.
    bool TopAre(int n, bool truth) const
    {
        if (Count < n)
            return false;
        const uint32_t mask = ((1u << n) - 1) << (Count - n);
        return (Truths & mask) == (truth ? mask : 0);
    }
    // The top n values replaced by one.
    void Replace(int n, bool truth)
    {
        Count -= n - 1;
        const uint32_t bit = 1u << (Count - 1);
        Truths = (Truths & (bit - 1)) | (truth ? bit : 0);
    }
    bool TopIsTruth() const { return Count >= 1 && (Truths >> (Count - 1) & 1) != 0; }
};

// One cell of the expression into the plan; false when the plan cannot hold
// it. Arithmetic and comparisons take numbers, AND, OR, XOR and NOT truth
// values, as their handlers require.
bool CompileCell(const CodeType &cell, FastPlan &plan, StackShape &stack)
{
    if (plan.Count == FastPlan::MaxOps)
        return false;
    FastOp op;
    if (ReadOperand(cell, op)) {
        if (stack.Count == kDepth)
            return false;
        stack.Replace(0, false);
    } else if (const NumVarType *array = ArrayRecord(cell, 0)) {
        const int rank = array->Dimensions;
        if (!stack.TopAre(rank, false))
            return false;
        stack.Replace(rank, false);
        op = FastOp{rank == 1 ? FastOp::Element : FastOp::Elements, nullptr, array};
        op.Rank = uint8_t(rank);
    } else if (cell.FirstCode == ckFunction && FunctionOp(cell.SecondCode, op.Op)) {
        if (!stack.TopAre(1, false))
            return false;
    } else if (cell.FirstCode == ckOperator) {
        OperatorUse use;
        if (!OperatorOp(cell.SecondCode, use) || !stack.TopAre(use.Pops, use.TakesTruth))
            return false;
        if (use.Code == FastOp::Neg && FoldNegation(plan))
            return true;
        stack.Replace(use.Pops, use.GivesTruth);
        op.Op = use.Code;
    } else {
        return false;
    }
    plan.Truth = stack.TopIsTruth();
    plan.Ops[plan.Count++] = op;
    return true;
}

// ( operand ) at `at`: a literal, constant or plain variable in brackets.
bool IsOperandInBrackets(const CodeType *cells, int32_t at, int32_t last, FastOp &operand)
{
    return at + 2 <= last && cells[at].FirstCode == ckExprBegin && cells[at + 2].FirstCode == ckExprEnd
        && ReadOperand(cells[at + 1], operand);
}

// The LET, IF or loop test that takes the value, when the plan can do it.
void PlanUse(const CodeType *cells, int32_t last, int32_t capacity, FastPlan &plan)
{
    const int32_t at = plan.ExpressionEnd;
    auto isStatement = [&](int32_t i, int32_t s) {
        return i <= last && cells[i].FirstCode == ckStatement && cells[i].SecondCode == s;
    };
    // IF goes on when the value is true and jumps when it is false; the test
    // of DO UNTIL and LOOP WHILE jumps when it is true.
    const bool jumpIfTrue = isStatement(at, isJumpIfTrue);
    if ((jumpIfTrue || isStatement(at, stIF)) && plan.Truth && at + 1 <= last) {
        const CodeType &address = cells[at + 1];
        if (address.FirstCode == ckCodeAddr && address.SecondCode >= 1 && address.SecondCode <= capacity) {
            plan.Then = FastPlan::Branch;
            plan.Next = jumpIfTrue ? address.SecondCode : at + 2;
            plan.FalseJump = jumpIfTrue ? at + 2 : address.SecondCode;
        }
        return;
    }
    if (plan.Truth)
        return;
    if (isStatement(at, stLET) && at + 1 <= last && cells[at + 1].FirstCode == ckNumVar) {
        const CodeType &operand = cells[at + 1];
        if (operand.SecondCode >= 1 && size_t(operand.SecondCode) < NumVars.size()) {
            NumVarType &target = NumVars[size_t(operand.SecondCode)];
            if (IsAssignableScalar(target)) {
                plan.Then = FastPlan::Assign;
                plan.Target = &target;
                plan.Next = at + 2;
            }
        }
        return;
    }
    // ( value ) ( subscript ) LET A, for a one-dimensional array A, and
    // ( value ) ( second ) ( first ) LET A for a two-dimensional one.
    FastOp subscript;
    if (!IsOperandInBrackets(cells, at, last, subscript))
        return;
    if (isStatement(at + 3, stLET) && at + 4 <= last) {
        if (const NumVarType *array = ArrayRecord(cells[at + 4], 1)) {
            plan.Then = FastPlan::AssignElement;
            plan.Subscript = subscript.Operand;
            plan.Target = const_cast<NumVarType *>(array);
            plan.Next = at + 5;
        }
        return;
    }
    FastOp first;
    if (IsOperandInBrackets(cells, at + 3, last, first) && isStatement(at + 6, stLET) && at + 7 <= last) {
        if (const NumVarType *array = ArrayRecord(cells[at + 7], 2)) {
            plan.Then = FastPlan::AssignElement;
            plan.Subscript = first.Operand;
            plan.Subscript2 = subscript.Operand;
            plan.Target = const_cast<NumVarType *>(array);
            plan.Next = at + 8;
        }
    }
}

// The shape the translator gives the end test of a FOR loop with a STEP.
bool IsStepTest(const FastPlan &plan)
{
    const FastOp *o = plan.Ops;
    return plan.Count == 10 && o[0].Op == FastOp::Value && o[1].Op == FastOp::Value && o[2].Op == FastOp::Sub
        && o[3].Op == FastOp::Value && o[4].Op == FastOp::Value && o[5].Op == FastOp::Sgn && o[6].Op == FastOp::Add
        && o[7].Op == FastOp::Mul && o[8].Op == FastOp::Value && o[9].Op == FastOp::Ge;
}

int32_t SkipPassive(const CodeType *cells, int32_t at, int32_t last)
{
    while (at <= last && IsPassiveCell(cells[at]))
        ++at;
    return at;
}

// Where the run goes on after a plan: at the first cell from `at` that does
// something, or at the target of the GOTO found there (the GOTO that closes
// a loop, to an address, a line number or a label), which is where the
// cells would lead. The targets stay as they are while the code does.
int32_t GoOnAt(const CodeType *cells, int32_t at, int32_t last, int32_t capacity)
{
    at = SkipPassive(cells, at, last);
    if (at + 1 <= last && cells[at].FirstCode == ckStatement && cells[at].SecondCode == stGOTO) {
        int32_t error = 0;
        const int32_t target = GotoTarget(cells[at + 1], error);
        if (target >= 1 && target <= capacity)
            return SkipPassive(cells, target, last);
    }
    return at;
}

bool IsBinaryOp(FastOp::Code op)
{
    return op >= FastOp::Add && op <= FastOp::Ge;
}

// The cheapest way to work the compiled operations out.
FastPlan::Shape ShapeOf(const FastPlan &plan)
{
    const FastOp *o = plan.Ops;
    if (plan.Count == 1 && o[0].Op == FastOp::Value)
        return FastPlan::Single;
    if (plan.Count == 3 && o[0].Op == FastOp::Value && o[1].Op == FastOp::Value && IsBinaryOp(o[2].Op))
        return FastPlan::Binary;
    if (plan.Count == 4 && o[0].Op == FastOp::Value && o[1].Op == FastOp::Element && o[2].Op == FastOp::Value)
        return FastPlan::ElementBinary;  // A(s) op r
    if (plan.Count == 5 && o[0].Op == FastOp::Value && o[1].Op == FastOp::Value && IsBinaryOp(o[4].Op)
        && ((o[2].Op == FastOp::Value && IsBinaryOp(o[3].Op)) || (IsBinaryOp(o[2].Op) && o[3].Op == FastOp::Value)))
        return FastPlan::Triple;  // x op (y op z) or (x op y) op z
    return IsStepTest(plan) ? FastPlan::StepTest : FastPlan::General;
}

// x + y * z, x * y + z, or another of three operands.
FastPlan::Step TripleStep(const FastOp *o)
{
    if (o[4].Op == FastOp::Add && o[2].Op == FastOp::Value && o[3].Op == FastOp::Mul)
        return FastPlan::AddProduct;
    if (o[4].Op == FastOp::Add && o[2].Op == FastOp::Mul && o[3].Op == FastOp::Value)
        return FastPlan::ProductAdd;
    return FastPlan::TripleAssign;
}

// The case a chain runs the plan by.
FastPlan::Step StepOf(const FastPlan &plan)
{
    if (plan.Form == FastPlan::Single && plan.Then == FastPlan::Assign)
        return FastPlan::Copy;
    if (plan.Form == FastPlan::Triple && plan.Then == FastPlan::Assign)
        return TripleStep(plan.Ops);
    if (plan.Form == FastPlan::Single && plan.Then == FastPlan::AssignElement)
        return FastPlan::CopyToElement;
    if (plan.Form == FastPlan::Single && plan.Then == FastPlan::Push)
        return FastPlan::PushCopy;
    if (plan.Form != FastPlan::Binary)
        return FastPlan::Evaluated;
    if (plan.Then == FastPlan::Assign) {
        switch (plan.Ops[2].Op) {
        case FastOp::Add: return FastPlan::Sum;
        case FastOp::Sub: return FastPlan::Difference;
        case FastOp::Mul: return FastPlan::Product;
        default: return FastPlan::Evaluated;
        }
    }
    if (plan.Then == FastPlan::Branch) {
        switch (plan.Ops[2].Op) {
        case FastOp::Lt: return FastPlan::Less;
        case FastOp::Gt: return FastPlan::Greater;
        case FastOp::Le: return FastPlan::AtMost;
        case FastOp::Ge: return FastPlan::AtLeast;
        case FastOp::Eq: return FastPlan::Equal;
        case FastOp::Ne: return FastPlan::Unequal;
        default: return FastPlan::Evaluated;
        }
    }
    return FastPlan::Evaluated;
}

void CompilePlan(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity, FastPlan &plan)
{
    plan = FastPlan{};
    StackShape stack;
    for (int32_t i = begin + 1; i <= last; ++i) {
        if (cells[i].FirstCode == ckExprEnd) {
            if (stack.Count != 1 || plan.Count == 0)
                return;
            plan.ExpressionEnd = plan.Next = i + 1;
            plan.Form = ShapeOf(plan);
            PlanUse(cells, last, capacity, plan);
            if (plan.Then != FastPlan::Push)
                plan.Next = GoOnAt(cells, plan.Next, last, capacity);
            if (plan.Then == FastPlan::Branch)
                plan.FalseJump = GoOnAt(cells, plan.FalseJump, last, capacity);
            return;
        }
        if (!CompileCell(cells[i], plan, stack))
            return;
    }
}

// Empties the pools when the code has changed since they were filled,
// before a plan of the new code is compiled.
void RenewPools()
{
    if (PoolGeneration != CodeGeneration || PlanPool.empty()) {
        PlanPool.assign(1, FastPlan{});  // the shared unusable plan
        FoldedConstants.clear();
        PoolGeneration = CodeGeneration;
    }
}

// A compiled plan into the pool (an unusable one shares the pool's first)
// and noted in its slot.
FastPlan &KeepPlan(FastPlan &plan, PlanSlot &slot)
{
    plan.Run = StepOf(plan);
    if (plan.Usable())
        PlanPool.push_back(plan);
    slot = PlanSlot{plan.Usable() ? &PlanPool.back() : &PlanPool[0], CodeGeneration};
    return *slot.Plan;
}

} // namespace

FastPlan &CompilePlanAt(const CodeType *cells, int32_t begin, int32_t last, int32_t capacity, PlanSlot &slot)
{
    RenewPools();
    FastPlan plan;
    CompilePlan(cells, begin, last, capacity, plan);
    plan.Begin = begin;
    return KeepPlan(plan, slot);
}

// The longest stretch from `at` that the plans can hold and that leaves
// one value: operands and operators inside an expression whose other cells
// (a string function, a call) must run. Shorter than three cells it saves
// nothing and stays unusable.
FastPlan &CompileSegmentAt(const CodeType *cells, int32_t at, int32_t last, PlanSlot &slot)
{
    RenewPools();
    FastPlan plan;
    FastPlan longest;
    StackShape stack;
    for (int32_t i = at; i <= last && CompileCell(cells[i], plan, stack); ++i) {
        if (stack.Count == 1 && plan.Count >= 3) {
            longest = plan;
            longest.ExpressionEnd = longest.Next = i + 1;
        }
    }
    longest.Begin = at;
    if (longest.Count >= 3)
        longest.Form = ShapeOf(longest);
    return KeepPlan(longest, slot);
}

PlanSlot *GrowPlanSlots(int32_t last)
{
    if (last >= 0)
        PlanSlots.resize(std::max<size_t>(size_t(last) + 1, PlanSlots.size() * 2));
    return PlanSlots.data();
}

// (b - v) * (SGN(s) + c) >= d, step by step as the general evaluation does.
bool EvaluateStepTest(const FastPlan &plan, long double variable, bool &truth)
{
    // The sign plus a finite number is finite (rounding keeps it below the
    // largest number), and an infinite difference leaves the product
    // infinite or not a number: one test of the product covers all three.
    const FastOp *o = plan.Ops;
    const long double difference = OperandValue(o[0]) - variable;
    const long double s = OperandValue(o[4]);
    const long double factor = (s > 0 ? 1.0L : s < 0 ? -1.0L : 0.0L) + OperandValue(o[3]);
    const long double product = difference * factor;
    if (!IsFiniteNumber(product))
        return false;
    truth = !(product < OperandValue(o[8]));
    return true;
}

bool PlannedElement2(const FastPlan &plan, long double *&element)
{
    const long double subscripts[2] = {*plan.Subscript, *plan.Subscript2};
    return PlanElements(*plan.Target, subscripts, 2, element);
}

bool EvaluateElementBinary(const FastPlan &plan, long double &number, bool &truth)
{
    const FastOp *o = plan.Ops;
    long double *element = nullptr;
    return PlanElement(*o[1].Array, *o[0].Operand, element)
        && ApplyBinary(o[3].Op, *element, OperandValue(o[2]), number, truth);
}

namespace {

bool Logical(FastOp::Code op, bool left, bool right)
{
    switch (op) {
    case FastOp::And: return left && right;
    case FastOp::Or: return left || right;
    default: return left != right;  // Xor
    }
}

} // namespace

bool EvaluateGeneral(const FastPlan &plan, long double &number, bool &truth)
{
    long double stack[kDepth];
    int depth = 0;
    for (int i = 0; i < plan.Count; ++i) {
        const FastOp &op = plan.Ops[i];
        switch (op.Op) {
        case FastOp::Value:
            stack[depth++] = OperandValue(op);
            continue;
        case FastOp::Element: {
            long double *element = nullptr;
            if (!PlanElement(*op.Array, stack[depth - 1], element))
                return false;
            stack[depth - 1] = *element;
            continue;
        }
        case FastOp::Elements: {
            long double *element = nullptr;
            depth -= op.Rank - 1;
            if (!PlanElements(*op.Array, &stack[depth - 1], op.Rank, element))
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
        // As the handlers work them out; the root of a negative number is
        // theirs to report.
        case FastOp::Abs:
            stack[depth - 1] = std::fabs(stack[depth - 1]);
            continue;
        case FastOp::Int:
            stack[depth - 1] = std::floor(stack[depth - 1]);
            continue;
        case FastOp::Fix:
            stack[depth - 1] = std::trunc(stack[depth - 1]);
            continue;
        case FastOp::Sqr:
            if (stack[depth - 1] < 0)
                return false;
            stack[depth - 1] = std::sqrt(stack[depth - 1]);
            continue;
        // Truth values are kept as 1 and 0.
        case FastOp::Not:
            stack[depth - 1] = stack[depth - 1] != 0 ? 0.0L : 1.0L;
            continue;
        default:
            break;
        }
        const long double left = stack[depth - 2];
        const long double right = stack[depth - 1];
        --depth;
        if (op.Op >= FastOp::And) {
            stack[depth - 1] = Logical(op.Op, left != 0, right != 0) ? 1.0L : 0.0L;
            continue;
        }
        if (!ApplyBinary(op.Op, left, right, stack[depth - 1], truth))
            return false;  // the handler reports the fault
        if (op.Op >= FastOp::Eq && op.Op <= FastOp::Ge)
            stack[depth - 1] = truth ? 1.0L : 0.0L;
    }
    number = stack[0];
    truth = number != 0;
    return true;
}

} // namespace ov
