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

// Where a plan that ran leads: the position and the note of its plan.
struct Onward {
    int32_t At = 0;
    FastPlan **Follow = nullptr;  // null: the chain ends here
};

inline bool GoOn(FastPlan &plan, Onward &onward)
{
    onward = Onward{plan.Next, &plan.NextPlan};
    return true;
}

inline bool Decide(FastPlan &plan, bool truth, Onward &onward)
{
    onward = truth ? Onward{plan.Next, &plan.NextPlan} : Onward{plan.FalseJump, &plan.FalsePlan};
    return true;
}

// The variable only ever receives a finite value.
inline bool Assign(FastPlan &plan, long double result, Onward &onward)
{
    if (!IsFiniteNumber(result))
        return false;
    plan.Target->Value = result;
    return GoOn(plan, onward);
}

// The plans without a case of their own.
bool Evaluate(FastPlan &plan, Onward &onward)
{
    bool truth = false;
    if (plan.Then == FastPlan::Assign) {
        // Worked out straight into the variable: no extra 80-bit store and reload.
        return EvaluatePlan(plan, plan.Target->Value, truth) && GoOn(plan, onward);
    }
    long double number = 0;
    if (!EvaluatePlan(plan, number, truth))
        return false;
    switch (plan.Then) {
    case FastPlan::AssignElement: {
        long double *element = nullptr;
        if (PlannedElement(plan, element)) {
            *element = number;
            return GoOn(plan, onward);
        }
        break;  // the value is pushed; the subscript runs cell by cell and reports its fault
    }
    case FastPlan::Branch:
        return Decide(plan, truth, onward);
    default:
        break;
    }
    if (plan.Truth)
        PushBool(truth);
    else
        PushNumber(number);
    onward = Onward{plan.ExpressionEnd, nullptr};
    return true;
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
inline FastPlan *LoopStep(FastPlan &plan, Onward &onward)
{
    const long double value = OperandValue(plan.Ops[0]) + *plan.Ops[1].Operand;
    if (!IsFiniteNumber(value))
        return &plan;
    plan.Target->Value = value;
    FastPlan &test = *plan.NextPlan;
    bool truth = false;
    if (test.Run == FastPlan::AtLeast)
        truth = !(OperandValue(test.Ops[0]) < value);
    else if (!EvaluateStepTest(test, value, truth))
        return &test;
    Decide(test, truth, onward);
    return nullptr;
}

// ---------------------------------------------------------------- the chain

// One plan: null, or the plan whose cells must run (from its begin cell on).
inline FastPlan *RunOne(FastPlan &plan, Onward &onward)
{
    const FastOp *o = plan.Ops;
    bool done = false;
    switch (plan.Run) {
    case FastPlan::Copy:
        plan.Target->Value = OperandValue(o[0]);
        done = GoOn(plan, onward);
        break;
    case FastPlan::Sum: done = Assign(plan, OperandValue(o[0]) + OperandValue(o[1]), onward); break;
    case FastPlan::Difference: done = Assign(plan, OperandValue(o[0]) - OperandValue(o[1]), onward); break;
    case FastPlan::Product: done = Assign(plan, OperandValue(o[0]) * OperandValue(o[1]), onward); break;
    case FastPlan::Less: done = Decide(plan, OperandValue(o[0]) < OperandValue(o[1]), onward); break;
    case FastPlan::Greater: done = Decide(plan, OperandValue(o[1]) < OperandValue(o[0]), onward); break;
    case FastPlan::AtMost: done = Decide(plan, !(OperandValue(o[1]) < OperandValue(o[0])), onward); break;
    case FastPlan::AtLeast: done = Decide(plan, !(OperandValue(o[0]) < OperandValue(o[1])), onward); break;
    case FastPlan::Equal: done = Decide(plan, OperandValue(o[0]) == OperandValue(o[1]), onward); break;
    case FastPlan::Unequal: done = Decide(plan, !(OperandValue(o[0]) == OperandValue(o[1])), onward); break;
    case FastPlan::LoopStep: return LoopStep(plan, onward);
    case FastPlan::TripleAssign: {
        bool truth = false;
        done = EvaluateTriple(plan, plan.Target->Value, truth) && GoOn(plan, onward);
        break;
    }
    case FastPlan::Evaluated: done = Evaluate(plan, onward); break;
    }
    return done ? nullptr : &plan;
}

bool IsStopped() { return StopRequested.load(std::memory_order_relaxed) != 0; }

} // namespace

int32_t RunPlanChain(const PlanCode &code, FastPlan &first, bool &whole)
{
    FastPlan *plan = &first;
    for (;;) {
        Onward onward;
        if (const FastPlan *failed = RunOne(*plan, onward)) {
            whole = false;
            return failed->Begin + 1;
        }
        if (onward.Follow == nullptr)
            return onward.At;
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
