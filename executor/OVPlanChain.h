// Expressions with plans that follow one another run in one native loop:
// each plan notes the plan that stands where the run goes on after it (after
// the LET it does, on either side of the IF it decides, behind the GOTO that
// closes a loop), so a loop whose statements all have plans runs plan after
// plan without going back to the cell loop. Between two plans the chain
// looks at the stop request, so a stop lands on the begin cell of the next
// plan, a real cell from which CONT goes on.
#pragma once

#include "executor/OVFastExpression.h"

namespace ov {

// The code as the chain reads it: the cells, one plan slot per position,
// the generation the slots must be of, the highest position that may be
// fetched and the code's capacity.
struct PlanCode {
    const CodeType *Cells = nullptr;
    PlanSlot *Slots = nullptr;
    uint32_t Generation = 0;
    int32_t Last = 0;
    int32_t Capacity = 0;
};

// The plan of the expression whose begin cell stands at `begin`, compiled
// on first use.
inline FastPlan &PlanAt(const PlanCode &code, int32_t begin)
{
    PlanSlot &slot = code.Slots[begin];
    if (slot.Generation == code.Generation) [[likely]]
        return *slot.Plan;
    return CompilePlanAt(code.Cells, begin, code.Last, code.Capacity, slot);
}

// The plan of the stretch of operands and operators from `at`, compiled on
// first use; `at` holds an operand cell, never an expression's begin cell,
// so the two kinds of plan never share a slot.
inline FastPlan &SegmentAt(const PlanCode &code, int32_t at)
{
    PlanSlot &slot = code.Slots[at];
    if (slot.Generation == code.Generation) [[likely]]
        return *slot.Plan;
    return CompileSegmentAt(code.Cells, at, code.Last, slot);
}

// Runs a usable plan and the plans that follow it. Returns the position at
// which the cells go on: the cell after the last plan run, or, when a plan
// cannot work its value out (`whole` is then false), the cell after that
// plan's begin cell, so that its cells run one by one and report the fault.
int32_t RunPlanChain(const PlanCode &code, FastPlan &first, bool &whole);

} // namespace ov
