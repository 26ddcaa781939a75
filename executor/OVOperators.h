// The operator handlers: each pops its operands from the value stack (the
// right operand first) and pushes its result; failures set ErrorNumber with
// the operator number as ErrorSubject.
#pragma once

namespace ov {

// False for infinities and NaN. Works in registers only: an infinity or NaN
// minus itself is NaN, a finite number minus itself is 0.
inline bool IsFiniteNumber(long double x)
{
    return x - x == 0.0L;
}

void OpEqual();
void OpNotEqual();
void OpLess();
void OpGreater();
void OpLessEqual();
void OpGreaterEqual();
void OpAdd();
void OpSubtract();
void OpMultiply();
void OpDivide();
void OpIntDivide();
void OpMod();
void OpPower();
void OpNot();
void OpAnd();
void OpOr();
void OpXor();
void OpImp();
void OpEqv();
void OpConcat();
void OpChgSgn();

} // namespace ov
