#include "executor/OVOperators.h"
#include "executor/OVStack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <variant>

using namespace ov;

namespace {

using Handler = void (*)();
using Operand = std::variant<long double, QString, bool>;
constexpr long double kMax = std::numeric_limits<long double>::max();

// Runs an operator on a fresh stack holding the operands, left first.
void Apply(Handler op, std::initializer_list<Operand> operands)
{
    InitStacks();
    ClearError();
    for (const Operand &x : operands) {
        if (auto *n = std::get_if<long double>(&x))
            PushNumber(*n);
        else if (auto *s = std::get_if<QString>(&x))
            PushString(*s);
        else
            PushBool(std::get<bool>(x));
    }
    op();
}

long double NumberResult(Handler op, long double left, long double right)
{
    Apply(op, {left, right});
    EXPECT_EQ(ErrorNumber, 0) << double(left) << " " << double(right);
    EXPECT_EQ(TagStackTop, 1);
    return PopNumber();
}

bool BoolResult(Handler op, std::initializer_list<Operand> operands)
{
    Apply(op, operands);
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(TagStackTop, 1);
    EXPECT_EQ(TopTag(), tagBool);
    return PopBool();
}

// An error leaves the left operand alone on the stack.
void ExpectError(Handler op, std::initializer_list<Operand> operands, int number, int subject = 0)
{
    Apply(op, operands);
    EXPECT_EQ(ErrorNumber, number);
    EXPECT_EQ(ErrorSubject, subject);
    EXPECT_EQ(TagStackTop, 1);
    EXPECT_EQ(TopTag(), std::holds_alternative<long double>(*operands.begin()) ? tagNumber
                        : std::holds_alternative<QString>(*operands.begin()) ? tagString : tagBool);
}

void ExpectNumberError(Handler op, long double left, long double right, int number, int subject = 0)
{
    ExpectError(op, {left, right}, number, subject);
    ClearError();
    EXPECT_EQ(PopNumber(), left);
}

} // namespace

TEST(Operators, Comparisons)
{
    // Results for 1 op 2, 2 op 2 and 3 op 2.
    const struct { Handler op; bool results[3]; } table[] = {
        {OpEqual, {false, true, false}}, {OpNotEqual, {true, false, true}},
        {OpLess, {true, false, false}}, {OpGreater, {false, false, true}},
        {OpLessEqual, {true, true, false}}, {OpGreaterEqual, {false, true, true}},
    };
    for (const auto &row : table)
        for (int left = 1; left <= 3; ++left)
            EXPECT_EQ(BoolResult(row.op, {(long double)left, 2.0L}), row.results[left - 1]) << left;
    EXPECT_FALSE(BoolResult(OpEqual, {1.0L + 0x1p-63L, 1.0L}));  // extended precision
    EXPECT_TRUE(BoolResult(OpEqual, {true, true}));

    EXPECT_TRUE(BoolResult(OpLess, {QString("abc"), QString("abd")}));
    EXPECT_TRUE(BoolResult(OpGreater, {QString("a"), QString("B")}));
    EXPECT_TRUE(BoolResult(OpLess, {QString(), QString("a")}));
    EXPECT_TRUE(BoolResult(OpLess, {QString("AB"), QString("AB ")}));
    EXPECT_TRUE(BoolResult(OpNotEqual, {QString("AB"), QString("AB ")}));
    EXPECT_FALSE(BoolResult(OpLessEqual, {QString("b"), QString("abc")}));
    // By code unit, not code point: the surrogate D83D sorts below U+FFFD.
    EXPECT_TRUE(BoolResult(OpLess, {QString::fromUtf8("😀"), QString(QChar(0xFFFD))}));

    ExpectError(OpEqual, {1.0L, QString("1")}, 50020, opEq);
    ExpectError(OpLess, {true, false}, 50020, opLt);
    Apply(OpGreaterEqual, {});
    EXPECT_EQ(ErrorNumber, 50020);
    InitStacks();
    ClearError();
    PushNumVarRef(3);
    PushNumVarRef(3);
    OpEqual();
    EXPECT_EQ(ErrorNumber, 50020);
}

TEST(Operators, LogicalOperatorsTakeTruthValuesOnly)
{
    // Results for FF, FT, TF, TT.
    const struct { Handler op; int32_t number; bool results[4]; } table[] = {
        {OpAnd, opAnd, {false, false, false, true}}, {OpOr, opOr, {false, true, true, true}},
        {OpXor, opXor, {false, true, true, false}}, {OpImp, opImp, {true, true, false, true}},
        {OpEqv, opEqv, {true, false, false, true}},
    };
    for (const auto &row : table) {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(BoolResult(row.op, {bool(i & 2), bool(i & 1)}), row.results[i]) << row.number << " " << i;
        ExpectError(row.op, {1.0L, 3.0L}, 50020, row.number);  // no bitwise form
    }
    EXPECT_TRUE(BoolResult(OpNot, {false}));
    Apply(OpNot, {0.0L});
    EXPECT_EQ(ErrorNumber, 50020);
    EXPECT_EQ(ErrorSubject, opNot);
}

TEST(Operators, ArithmeticAndJoining)
{
    EXPECT_EQ(NumberResult(OpSubtract, 2, 3), -1);
    EXPECT_EQ(NumberResult(OpMultiply, 1e-4000L, 1e-4000L), 0);  // underflow is no error
    for (Handler op : {OpAdd, OpConcat}) {
        Apply(op, {QString::fromUtf8("日本"), QString("go")});
        ASSERT_EQ(TagStackTop, 1);
        EXPECT_EQ(PopString(), QString::fromUtf8("日本go"));
    }

    ExpectError(OpAdd, {QString("a"), 1.0L}, 50015, opAdd);
    ExpectError(OpAdd, {true, true}, 50015, opAdd);
    ExpectError(OpConcat, {1.0L, 2.0L}, 50015, opConcat);
    for (auto [op, number] : {std::pair<Handler, int>{OpSubtract, opSub}, {OpDivide, opDiv}, {OpPower, opPow},
                              {OpIntDivide, opIntDiv}, {OpMod, opMod}})
        ExpectError(op, {QString("1"), 2.0L}, 50015, number);

    Apply(OpChgSgn, {0.0L});
    EXPECT_FALSE(std::signbit(PopNumber()));
    Apply(OpChgSgn, {QString("5")});
    EXPECT_EQ(ErrorNumber, 50015);
    EXPECT_EQ(ErrorSubject, opChgSgn);

    ExpectNumberError(OpAdd, kMax, kMax, 50017, opAdd);
    ExpectNumberError(OpSubtract, -kMax, kMax, 50017, opSub);
    ExpectNumberError(OpDivide, 1e4000L, 1e-4000L, 50017, opDiv);
    ExpectNumberError(OpDivide, 5, 0, 50019);
    ExpectNumberError(OpDivide, 0, 0, 50019);
}

TEST(Operators, IntegerDivisionAndModulo)
{
    EXPECT_EQ(NumberResult(OpIntDivide, -7, 2), -3);
    EXPECT_EQ(NumberResult(OpMod, -7, 2), -1);
    EXPECT_EQ(NumberResult(OpIntDivide, -0x1p63L, 1), -0x1p63L);  // the 64-bit range, exactly
    EXPECT_EQ(NumberResult(OpMod, 0x1p63L - 1, 0x1p62L), 0x1p62L - 1);

    ExpectNumberError(OpIntDivide, 7, 2.5L, 1031);
    ExpectNumberError(OpIntDivide, 7, -2, 1031);
    ExpectNumberError(OpIntDivide, 7.5L, 2, 1032);
    ExpectNumberError(OpIntDivide, 7, 0, 1033);
    ExpectNumberError(OpIntDivide, 0x1p63L, 1, 1033);
    ExpectNumberError(OpIntDivide, 1, 1e30L, 1033);
    ExpectNumberError(OpMod, 7, -2, 1035);
    ExpectNumberError(OpMod, 7.5L, 0, 1036);  // the dividend is tested before the zero divisor
    ExpectNumberError(OpMod, 7, 0, 1037);
    ExpectNumberError(OpMod, -1e20L, 3, 1037);

    // Whole operands are read from their bits: the last fraction bit, zeros,
    // tiny numbers and the ends of the range.
    EXPECT_EQ(NumberResult(OpMod, 0x1p62L + 3, 0x1p62L), 3);
    EXPECT_EQ(NumberResult(OpIntDivide, -(0x1p63L - 2), 0x1p62L - 1), -2);
    EXPECT_EQ(NumberResult(OpMod, -0.0L, 3), 0);
    EXPECT_EQ(NumberResult(OpIntDivide, 9, 0x1p62L), 0);
    ExpectNumberError(OpMod, 0x1p61L + 0.5L, 3, 1036);
    ExpectNumberError(OpMod, 1e-4940L, 3, 1036);  // below the smallest normal number
    ExpectNumberError(OpMod, 6, 0x1p61L + 0.5L, 1035);
    ExpectNumberError(OpIntDivide, 6, 1e-4940L, 1031);
    ExpectNumberError(OpMod, 6, -0.0L, 1037);
}

TEST(Operators, Power)
{
    EXPECT_EQ(NumberResult(OpPower, 0, -1), 0);
    EXPECT_EQ(NumberResult(OpPower, 0, 0), 1);
    EXPECT_EQ(NumberResult(OpPower, -2, 3), -8);
    EXPECT_EQ(NumberResult(OpPower, 2, -2), 0.25L);
    EXPECT_EQ(NumberResult(OpPower, 3, 40), 12157665459056928801.0L);  // exact by squaring
    EXPECT_NEAR(double(NumberResult(OpPower, 2, 0.5L)), std::sqrt(2.0), 1e-15);
    EXPECT_EQ(NumberResult(OpPower, -1, 1e30L), 1);  // beyond 64 bits a whole number is even
    EXPECT_EQ(NumberResult(OpPower, 10, -5000), 0);  // b^-e overflows, the result underflows
    EXPECT_EQ(NumberResult(OpPower, 2, -16400), 0x1p-16400L);  // a denormal
    EXPECT_EQ(NumberResult(OpPower, -2, -16401), -0x1p-16401L);  // an odd power keeps its sign

    ExpectNumberError(OpPower, -8, 1.0L / 3, 1014);
    ExpectNumberError(OpPower, -10, 5001, 50017, opPow);
    ExpectNumberError(OpPower, 0.5L, -20000, 50017, opPow);
    ExpectNumberError(OpPower, 10, 4999.5L, 50017, opPow);
}

TEST(Operators, ResultsKeepTheStacksInStep)
{
    Apply(+[] {}, {QString("keep")});
    for (int i = 0; i < 300; ++i) {  // past the initial room of the truth values
        PushNumber(i);
        PushNumber(i + 0.5L);
        OpLess();
    }
    for (int i = 0; i < 299; ++i)
        OpAnd();
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(TagStackTop, 2);
    EXPECT_TRUE(PopBool());
    EXPECT_EQ(PopString(), "keep");
    EXPECT_EQ(NumStackTop, 0);
}
