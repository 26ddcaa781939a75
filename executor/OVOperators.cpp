#include "executor/OVOperators.h"

#include "executor/OVStack.h"
#include "platform/OVNumberBits.h"

#include <cmath>
#include <cstdint>
#include <new>

// The handlers work on the value stack arrays in place. Floating-point
// exceptions stay masked, so each computing handler tests its result: the
// operands on the stack are always finite, and an infinity or NaN in the
// result means overflow or an invalid operation.
//
// After an error a two-operand handler removes the right operand and leaves
// the left one, and a one-operand handler leaves its operand: the stack then
// holds as many entries as after success, which keeps a formula evaluated
// with errors stored in a variable consistent (5 / 0 leaves 5).

namespace ov {

namespace {

constexpr long double kInt64Limit = 0x1p63L;  // 2^63, exactly representable

inline bool IsWhole(long double x)
{
    return x == std::trunc(x);
}

inline bool TopTwoAre(int32_t tag)
{
    return TagStackTop >= 2 && TagStack[size_t(TagStackTop)] == tag && TagStack[size_t(TagStackTop) - 1] == tag;
}

// The two numbers on top: [0] the left operand, [1] the right one.
inline long double *TopTwoNumbers()
{
    return NumStack.data() + NumStackTop - 1;
}

// Replaces the two numbers on top by the result; the left entry's tag is
// already a number tag.
inline void ReplaceTwoNumbers(long double *operands, long double result)
{
    operands[0] = result;
    --NumStackTop;
    --TagStackTop;
}

// Pushes a truth value after the two operand entries were taken off.
inline void PushBoolAfterPop(bool b)
{
    if (size_t(BoolStackTop) + 1 < BoolStack.size()) {
        BoolStack[size_t(++BoolStackTop)] = b ? 1 : 0;
        TagStack[size_t(++TagStackTop)] = tagBool;  // the slot of a popped operand
    } else {
        PushBool(b);
    }
}


// An error of a two-operand handler: the right operand goes, the left stays.
[[gnu::cold, gnu::noinline]] void FailBinary(int32_t number, int32_t subject = 0)
{
    SetError(number, subject);
    if (TagStackTop >= 2)
        DropTop();
}

// ---------------------------------------------------------------- comparisons

enum class Relation { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

template <typename T>
constexpr bool Holds(Relation relation, const T &left, const T &right)
{
    switch (relation) {
    case Relation::Equal: return left == right;
    case Relation::NotEqual: return !(left == right);
    case Relation::Less: return left < right;
    case Relation::Greater: return right < left;
    case Relation::LessEqual: return !(right < left);
    case Relation::GreaterEqual: return !(left < right);
    }
    return false;
}

template <Relation relation>
void Compare(int32_t op)
{
    const int top = TagStackTop;
    const int32_t tag = top >= 2 ? TagStack[size_t(top)] : 0;
    if (tag == 0 || TagStack[size_t(top) - 1] != tag) {
        FailBinary(50020, op);
        return;
    }
    bool result;
    if (tag == tagNumber) {
        const long double *n = TopTwoNumbers();
        result = Holds(relation, n[0], n[1]);
        NumStackTop -= 2;
    } else if (tag == tagString) {
        QString &right = StrStack[size_t(StrStackTop)];
        QString &left = StrStack[size_t(StrStackTop) - 1];
        // Case-sensitive QString comparison is ordinal by UTF-16 code unit.
        if constexpr (relation == Relation::Equal || relation == Relation::NotEqual)
            result = (left == right) == (relation == Relation::Equal);
        else
            result = Holds(relation, left.compare(right, Qt::CaseSensitive), 0);
        right = QString();
        left = QString();
        StrStackTop -= 2;
    } else if (tag == tagBool && (relation == Relation::Equal || relation == Relation::NotEqual)) {
        const uint8_t *b = BoolStack.data() + BoolStackTop - 1;
        result = Holds(relation, b[0], b[1]);
        BoolStackTop -= 2;
    } else {
        FailBinary(50020, op);
        return;
    }
    TagStackTop -= 2;
    PushBoolAfterPop(result);
}

// ---------------------------------------------------------------- logic

// Replaces the two truth values on top by f(left, right).
template <typename F>
inline void Logical(int32_t op, F f)
{
    if (!TopTwoAre(tagBool)) {
        FailBinary(50020, op);
        return;
    }
    uint8_t *b = BoolStack.data() + BoolStackTop - 1;
    b[0] = f(b[0] != 0, b[1] != 0) ? 1 : 0;
    --BoolStackTop;
    --TagStackTop;
}

// ---------------------------------------------------------------- arithmetic

// True when the top two entries are numbers, else error 50015.
inline bool NumberOperands(int32_t op)
{
    if (!TopTwoAre(tagNumber)) {
        FailBinary(50015, op);
        return false;
    }
    return true;
}

// Stores the result of +, -, * or / in place of its operands, or sets error
// 50017 when it is out of range.
inline void StoreChecked(int32_t op, long double *operands, long double result)
{
    if (!IsFiniteNumber(result)) {
        FailBinary(50017, op);
        return;
    }
    ReplaceTwoNumbers(operands, result);
}

// Joins the two strings on top into the left slot; a result longer than a
// string holds, or than the memory left, is error 30101.
inline void JoinTopStrings()
{
    QString &right = StrStack[size_t(StrStackTop)];
    QString &left = StrStack[size_t(StrStackTop) - 1];
    bool joined = right.size() <= StringLengthLimit - left.size();
    if (joined) {
        try {
            left.append(right);
        } catch (const std::bad_alloc &) {
            joined = false;
        }
    }
    if (!joined) {
        FailBinary(30101);
        return;
    }
    right = QString();
    --StrStackTop;
    --TagStackTop;
}

// `\` and MOD: both operands whole, the divisor not negative, both within
// the signed 64-bit range and the divisor not 0. `errors` holds the numbers
// for a bad divisor, a fractional dividend and a range or zero failure.
template <bool remainder>
void IntegerDivision(int32_t op, const int32_t (&errors)[3])
{
    if (!NumberOperands(op))
        return;
    long double *n = TopTwoNumbers();
    const long double dividend = n[0];
    const long double divisor = n[1];
    // The usual case, read from the operands' bits; the tests below tell
    // which error every other case makes.
    int64_t d = 0;
    int64_t x = 0;
    if (divisor > 0 && WholeInt64(divisor, d) && WholeInt64(dividend, x)) {
        ReplaceTwoNumbers(n, remainder ? (long double)(x % d) : (long double)(x / d));
        return;
    }
    if (!(divisor >= 0 && IsWhole(divisor))) {
        FailBinary(errors[0]);
        return;
    }
    if (!IsWhole(dividend)) {
        FailBinary(errors[1]);
        return;
    }
    // Range test before the conversion, which is undefined out of range.
    if (divisor == 0 || divisor >= kInt64Limit || dividend < -kInt64Limit || dividend >= kInt64Limit) {
        FailBinary(errors[2]);
        return;
    }
    d = int64_t(divisor);
    x = int64_t(dividend);
    ReplaceTwoNumbers(n, remainder ? (long double)(x % d) : (long double)(x / d));
}

// |base| raised to the whole power `magnitude` by repeated squaring; stops
// at the first intermediate overflow (the result is then not finite).
long double RaiseUnsigned(long double base, uint64_t magnitude)
{
    long double result = 1.0L;
    while (magnitude != 0) {
        if (magnitude & 1)
            result *= base;
        magnitude >>= 1;
        if (magnitude != 0)
            base *= base;
        if (!IsFiniteNumber(result) || !IsFiniteNumber(base))
            return HUGE_VALL;
    }
    return result;
}

// The general power for a whole exponent: |base|^e with the sign of base^e.
long double GeneralWholePower(long double base, long double exponent)
{
    const long double magnitude = std::pow(std::fabs(base), exponent);
    const bool odd = std::fmod(exponent, 2.0L) != 0;
    return base < 0 && odd ? -magnitude : magnitude;
}

} // namespace

void OpEqual() { Compare<Relation::Equal>(opEq); }
void OpNotEqual() { Compare<Relation::NotEqual>(opNe); }
void OpLess() { Compare<Relation::Less>(opLt); }
void OpGreater() { Compare<Relation::Greater>(opGt); }
void OpLessEqual() { Compare<Relation::LessEqual>(opLe); }
void OpGreaterEqual() { Compare<Relation::GreaterEqual>(opGe); }

void OpAdd()
{
    if (TopTwoAre(tagNumber)) {
        long double *n = TopTwoNumbers();
        StoreChecked(opAdd, n, n[0] + n[1]);
    } else if (TopTwoAre(tagString)) {
        JoinTopStrings();
    } else {
        FailBinary(50015, opAdd);
    }
}

void OpSubtract()
{
    if (NumberOperands(opSub)) {
        long double *n = TopTwoNumbers();
        StoreChecked(opSub, n, n[0] - n[1]);
    }
}

void OpMultiply()
{
    if (NumberOperands(opMul)) {
        long double *n = TopTwoNumbers();
        StoreChecked(opMul, n, n[0] * n[1]);
    }
}

void OpDivide()
{
    if (!NumberOperands(opDiv))
        return;
    long double *n = TopTwoNumbers();
    if (n[1] == 0) {  // 0 / 0 too
        FailBinary(50019);
        return;
    }
    StoreChecked(opDiv, n, n[0] / n[1]);
}

void OpIntDivide()
{
    IntegerDivision<false>(opIntDiv, {1031, 1032, 1033});
}

void OpMod()
{
    IntegerDivision<true>(opMod, {1035, 1036, 1037});
}

void OpPower()
{
    if (!NumberOperands(opPow))
        return;
    long double *n = TopTwoNumbers();
    const long double base = n[0];
    const long double exponent = n[1];
    long double result;
    if (base == 0) {
        result = exponent == 0 ? 1.0L : 0.0L;
    } else if (IsWhole(exponent)) {
        result = HUGE_VALL;
        if (std::fabs(exponent) < kInt64Limit) {
            const int64_t e = int64_t(exponent);
            const long double power = RaiseUnsigned(base, e < 0 ? uint64_t(0) - uint64_t(e) : uint64_t(e));
            if (IsFiniteNumber(power))
                result = e < 0 ? 1.0L / power : power;  // 1 / 0 after an underflow stays infinite
        }
        if (!IsFiniteNumber(result))
            result = GeneralWholePower(base, exponent);
    } else if (base < 0) {
        FailBinary(1014);
        return;
    } else {
        result = std::pow(base, exponent);
    }
    if (!IsFiniteNumber(result)) {
        FailBinary(50017, opPow);
        return;
    }
    ReplaceTwoNumbers(n, result);
}

void OpNot()
{
    if (TopTag() != tagBool) {
        SetError(50020, opNot);
        return;
    }
    uint8_t &b = BoolStack[size_t(BoolStackTop)];
    b = b != 0 ? 0 : 1;
}

void OpAnd()
{
    Logical(opAnd, [](bool a, bool b) { return a && b; });
}

void OpOr()
{
    Logical(opOr, [](bool a, bool b) { return a || b; });
}

void OpXor()
{
    Logical(opXor, [](bool a, bool b) { return a != b; });
}

void OpImp()
{
    Logical(opImp, [](bool a, bool b) { return !a || b; });
}

void OpEqv()
{
    Logical(opEqv, [](bool a, bool b) { return a == b; });
}

void OpConcat()
{
    if (!TopTwoAre(tagString)) {
        FailBinary(50015, opConcat);
        return;
    }
    JoinTopStrings();
}

void OpChgSgn()
{
    if (TopTag() != tagNumber) {
        SetError(50015, opChgSgn);
        return;
    }
    long double &x = NumStack[size_t(NumStackTop)];
    const long double negated = 0.0L - x;  // -x, but +0 for 0
    if (!IsFiniteNumber(negated)) {  // only a value that is already out of range
        SetError(50016, opChgSgn);
        return;
    }
    x = negated;
}

} // namespace ov
