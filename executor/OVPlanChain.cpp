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

// One plan; false where its cells must run.
inline bool RunOne(FastPlan &plan, Onward &onward)
{
    const long double *a = plan.Ops[0].Operand;
    const long double *b = plan.Ops[1].Operand;
    switch (plan.Run) {
    case FastPlan::Copy:
        plan.Target->Value = *a;
        return GoOn(plan, onward);
    case FastPlan::Sum: return Assign(plan, *a + *b, onward);
    case FastPlan::Difference: return Assign(plan, *a - *b, onward);
    case FastPlan::Product: return Assign(plan, *a * *b, onward);
    case FastPlan::Less: return Decide(plan, *a < *b, onward);
    case FastPlan::Greater: return Decide(plan, *b < *a, onward);
    case FastPlan::AtMost: return Decide(plan, !(*b < *a), onward);
    case FastPlan::AtLeast: return Decide(plan, !(*a < *b), onward);
    case FastPlan::Equal: return Decide(plan, *a == *b, onward);
    case FastPlan::Unequal: return Decide(plan, !(*a == *b), onward);
    default: return Evaluate(plan, onward);
    }
}

bool IsStopped() { return StopRequested.load(std::memory_order_relaxed) != 0; }

} // namespace

int32_t RunPlanChain(const PlanCode &code, FastPlan &first, bool &whole)
{
    FastPlan *plan = &first;
    for (;;) {
        Onward onward;
        if (!RunOne(*plan, onward)) {
            whole = false;
            return plan->Begin + 1;
        }
        if (onward.Follow == nullptr)
            return onward.At;
        CountStep();
        if (IsStopped())
            return onward.At;
        FastPlan *&follow = *onward.Follow;
        if (follow == nullptr)
            follow = Follower(code, onward.At);
        if (follow == &ChainEnd)
            return onward.At;
        plan = follow;
    }
}

} // namespace ov
