#include "executor/OVPlanChain.h"

#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVNumTbl.h"

namespace ov {

namespace {

// Noted where no usable plan follows: the chain ends there.
FastPlan ChainEnd;

// The usable plan whose begin cell stands at `at`, else ChainEnd.
FastPlan *Follower(const PlanCode &code, int32_t at)
{
    if (at > code.Last || code.Cells[at].FirstCode != ckExprBegin)
        return &ChainEnd;
    FastPlan &plan = PlanAt(code, at);
    return plan.Usable() ? &plan : &ChainEnd;
}

// Where a plan that ran leads: the position at which the cells go on and
// the note of the plan that stands there; without a note the chain ends
// there. A plan that cannot work its value out gives its begin cell's
// position + 1 negated, so that its cells run and report the fault.
struct Onward {
    int32_t At;
    FastPlan **Follow;
};

inline Onward GoOn(FastPlan &plan)
{
    return Onward{plan.Next, &plan.NextPlan};
}

inline Onward Decide(FastPlan &plan, bool truth)
{
    return truth ? Onward{plan.Next, &plan.NextPlan} : Onward{plan.FalseJump, &plan.FalsePlan};
}

inline Onward CellByCell(const FastPlan &plan)
{
    return Onward{-(plan.Begin + 1), nullptr};
}

// The variable only ever receives a finite value.
inline Onward Assign(FastPlan &plan, long double result)
{
    if (!IsFiniteNumber(result))
        return CellByCell(plan);
    plan.Target->Value = result;
    return GoOn(plan);
}

// The plans without a case of their own.
Onward Evaluate(FastPlan &plan)
{
    bool truth = false;
    if (plan.Then == FastPlan::Assign) {
        // Worked out straight into the variable: no extra 80-bit store and reload.
        return EvaluatePlan(plan, plan.Target->Value, truth) ? GoOn(plan) : CellByCell(plan);
    }
    long double number = 0;
    if (!EvaluatePlan(plan, number, truth))
        return CellByCell(plan);
    switch (plan.Then) {
    case FastPlan::AssignElement: {
        long double *element = nullptr;
        if (PlannedElement(plan, element)) {
            *element = number;
            return GoOn(plan);
        }
        break;  // the value is pushed; the subscript runs cell by cell and reports its fault
    }
    case FastPlan::Branch:
        return Decide(plan, truth);
    default:
        break;
    }
    if (plan.Truth)
        PushBool(truth);
    else
        PushNumber(number);
    return Onward{plan.ExpressionEnd, nullptr};
}

// A value into an array element.
Onward CopyToElement(FastPlan &plan)
{
    long double *element = nullptr;
    if (!PlannedElement(plan, element))
        return Evaluate(plan);  // the subscript's cells report its fault
    *element = OperandValue(plan.Ops[0]);
    return GoOn(plan);
}

// ---------------------------------------------------------------- FOR loops

// The test of the FOR loop over `variable`: the limit's test without a STEP
// (limit >= variable) or the one with a STEP.
bool IsLoopTest(const FastPlan &test, const long double *variable)
{
    if (test.Then != FastPlan::Branch || test.Ops[1].Operand != variable || test.Ops[1].Constant)
        return false;
    return test.Run == FastPlan::AtLeast || test.Form == FastPlan::StepTest;
}

// The increment of a FOR loop (variable = step + variable), whose plan has
// just noted the loop's test as the plan that follows it, becomes one step
// with that test.
void FuseLoopStep(FastPlan &plan)
{
    if (plan.Run == FastPlan::Sum && plan.Ops[1].Operand == &plan.Target->Value
        && IsLoopTest(*plan.NextPlan, &plan.Target->Value))
        plan.Run = FastPlan::LoopStep;
}

// The increment, then the test with the value just stored, as the two plans
// would do one after the other. A test that must run cell by cell does so
// after the increment, at its own begin cell.
inline Onward LoopStep(FastPlan &plan)
{
    const long double value = OperandValue(plan.Ops[0]) + *plan.Ops[1].Operand;
    if (!IsFiniteNumber(value))
        return CellByCell(plan);
    plan.Target->Value = value;
    FastPlan &test = *plan.NextPlan;
    bool truth = false;
    if (test.Run == FastPlan::AtLeast)
        truth = !(OperandValue(test.Ops[0]) < value);
    else if (!EvaluateStepTest(test, value, truth))
        return CellByCell(test);
    return Decide(test, truth);
}

// ---------------------------------------------------------------- the chain

inline Onward RunOne(FastPlan &plan)
{
    const FastOp *o = plan.Ops;
    switch (plan.Run) {
    case FastPlan::Copy:
        plan.Target->Value = OperandValue(o[0]);
        return GoOn(plan);
    case FastPlan::Sum: return Assign(plan, OperandValue(o[0]) + OperandValue(o[1]));
    case FastPlan::Difference: return Assign(plan, OperandValue(o[0]) - OperandValue(o[1]));
    case FastPlan::Product: return Assign(plan, OperandValue(o[0]) * OperandValue(o[1]));
    case FastPlan::Less: return Decide(plan, OperandValue(o[0]) < OperandValue(o[1]));
    case FastPlan::Greater: return Decide(plan, OperandValue(o[1]) < OperandValue(o[0]));
    case FastPlan::AtMost: return Decide(plan, !(OperandValue(o[1]) < OperandValue(o[0])));
    case FastPlan::AtLeast: return Decide(plan, !(OperandValue(o[0]) < OperandValue(o[1])));
    case FastPlan::Equal: return Decide(plan, OperandValue(o[0]) == OperandValue(o[1]));
    case FastPlan::Unequal: return Decide(plan, !(OperandValue(o[0]) == OperandValue(o[1])));
    case FastPlan::LoopStep: return LoopStep(plan);
    case FastPlan::TripleAssign: {
        bool truth = false;
        return EvaluateTriple(plan, plan.Target->Value, truth) ? GoOn(plan) : CellByCell(plan);
    }
    // An overflowing product makes the sum infinite too: one test covers both.
    case FastPlan::AddProduct: return Assign(plan, OperandValue(o[0]) + OperandValue(o[1]) * OperandValue(o[2]));
    case FastPlan::ProductAdd: return Assign(plan, OperandValue(o[0]) * OperandValue(o[1]) + OperandValue(o[3]));
    case FastPlan::CopyToElement: return CopyToElement(plan);
    case FastPlan::PushCopy:
        PushNumber(OperandValue(o[0]));
        return Onward{plan.ExpressionEnd, nullptr};
    case FastPlan::Evaluated: break;
    }
    return Evaluate(plan);
}

bool IsStopped() { return StopRequested.load(std::memory_order_relaxed) != 0; }

} // namespace

int32_t RunPlanChain(const PlanCode &code, FastPlan &first, bool &whole)
{
    FastPlan *plan = &first;
    for (;;) {
        const Onward onward = RunOne(*plan);
        if (onward.Follow == nullptr) {
            whole = onward.At >= 0;
            return whole ? onward.At : -onward.At;
        }
        // One test for both, as neither is usually set.
        if ((StopAfterCells | StopRequested.load(std::memory_order_relaxed)) != 0) [[unlikely]] {
            CountStep();
            if (IsStopped())
                return onward.At;
        }
        FastPlan *&follow = *onward.Follow;
        if (follow == nullptr) {
            follow = Follower(code, onward.At);
            FuseLoopStep(*plan);
        }
        if (follow == &ChainEnd)
            return onward.At;
        plan = follow;
    }
}

} // namespace ov
