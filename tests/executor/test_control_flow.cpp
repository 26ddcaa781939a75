// Array elements, LET, the CASE tests, jumps, READ and RESTORE and the random
// generator, driven handler by handler.
#include "executor/OVControlFlow.h"
#include "executor/OVDispatch.h"
#include "executor/OVInterpreter.h"
#include "executor/OVStack.h"
#include "executor/OVTranslate.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"
#include "tests/executor/code_helpers.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace ov;
using ov::test::Code;
using ov::test::Program;
using namespace Qt::StringLiterals;

namespace {

class ControlFlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        InitInterpreter();
        Fresh();
    }

    static void Fresh()
    {
        ClearError();
        InitStacks();
        ImmediateError = false;
    }

    static CodeType Literal(long double x)
    {
        NumLiterals.push_back(x);
        NumLiteralCount = int32_t(NumLiterals.size()) - 1;
        return CodeType{ckNumLiteral, NumLiteralCount - 1, 0};
    }

    static int32_t Num(const char *name) { return FindVar(QString::fromUtf8(name), vtNumber); }
    static CodeType NumCell(const char *name) { return CodeType{ckNumVar, Num(name), 0}; }
};

// ---------------------------------------------------------------- array elements

TEST_F(ControlFlowTest, ElementIndexVariesTheFirstSubscriptFastest)
{
    Program("DIM A(2, 3)");
    const CodeType a = NumCell("A");
    const int32_t first = NumVars[size_t(a.SecondCode)].FirstElement;
    for (int i = 0; i < 12; ++i)
        NumArrayData[size_t(first + i)] = i;

    // A read has the last subscript on top: A(1, 2) and A(1.9, 3).
    PushNumber(1);
    PushNumber(2);
    PushArrayElement(a);
    EXPECT_EQ(PopNumber(), 1 + 2 * 3);
    PushNumber(1.9L);
    PushNumber(3);
    PushArrayElement(a);
    EXPECT_EQ(PopNumber(), 1 + 3 * 3);

    // LET has the first on top: A(2, 1) = 42.
    Code({a});
    PushNumber(42);
    PushNumber(1);
    PushNumber(2);
    ExecLet();
    EXPECT_EQ(NumArrayData[size_t(first + 2 + 1 * 3)], 42);
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(TagStackTop, 0);
}

TEST_F(ControlFlowTest, SubscriptFaultsStopAtOnce)
{
    Program("DIM A(2, 3)");
    struct Case {
        long double first, second;
        int32_t error;
    } cases[] = {
        {-0.5L, 0, 1402}, {0, -1, 1402}, {3, 0, 1401}, {0, 4, 1401},
        {1e30L, 0, 1401}, {0, 1e30L, 1401}, {2.99L, 3.99L, 0},
    };
    for (const Case &c : cases) {
        Fresh();
        PushNumber(c.first);
        PushNumber(c.second);
        PushArrayElement(NumCell("A"));
        EXPECT_EQ(ErrorNumber, c.error) << double(c.first) << ", " << double(c.second);
        EXPECT_EQ(ImmediateError, c.error != 0);
    }
    Fresh();
    PushNumber(0);
    PushString(QStringLiteral("1"));
    PushArrayElement(NumCell("A"));
    EXPECT_EQ(ErrorNumber, 1403);
}

TEST_F(ControlFlowTest, BooleanElementsAreStoredAsMinusOne)
{
    Program("DIM S$(2), B(1) AS BOOLEAN");
    const CodeType b{ckBoolVar, FindVar(QStringLiteral("B"), vtBoolean), 0};
    uint8_t *element = &BoolArrayData[size_t(BoolVars[size_t(b.SecondCode)].FirstElement)];
    Code({b});
    PushBool(true);
    PushNumber(1);
    ExecLet();
    EXPECT_EQ(element[1], StoredTrue);
    PushNumber(1);
    PushArrayElement(b);
    EXPECT_TRUE(PopBool());
    element[0] = 1;  // neither -1 nor 0
    PushNumber(0);
    PushArrayElement(b);
    EXPECT_EQ(ErrorNumber, 54100);

    Fresh();
    Code({CodeType{ckStrVar, FindVar(QStringLiteral("S$"), vtString), 0}});
    PushNumber(5);  // a number for a string element
    PushNumber(0);
    ExecLet();
    EXPECT_EQ(ErrorNumber, 50022);
    EXPECT_EQ(ErrorSubject, stLET);
}

// ---------------------------------------------------------------- CASE

TEST_F(ControlFlowTest, CaseTestsMatchOrJumpToTheNextCase)
{
    // A match goes on after the address cell, a miss lands on the next case.
    const int32_t start = Code({CodeType{ckCodeAddr, 0, 0}, CodeType{}, CodeType{}});
    CodeArray[size_t(start)].SecondCode = start + 2;
    const auto matches = [&](void (*test)()) {
        CodePos = start;
        test();
        EXPECT_EQ(ErrorNumber, 0);
        EXPECT_EQ(TagStackTop, 0);
        EXPECT_NE(CodePos, start);
        return CodePos == start + 1;
    };
    // CASE 4, 5 against 5 and 6 (the count is rounded); CASE "b" against "b".
    EXPECT_TRUE(matches([] { PushNumber(4); PushNumber(5); PushNumber(5); PushNumber(2); ExecCaseValues(); }));
    EXPECT_FALSE(matches([] { PushNumber(4); PushNumber(5); PushNumber(6); PushNumber(2.4L); ExecCaseValues(); }));
    EXPECT_TRUE(matches([] { PushString(u"b"_s); PushString(u"b"_s); PushNumber(1); ExecCaseValues(); }));
    // CASE IS < 5 is translated as test 255 (5 > selector).
    EXPECT_TRUE(matches([] { PushNumber(5); PushNumber(3); ExecCaseIs(isCaseIsGt); }));
    // CASE "A" TO "C" against "B"; CASE 1 TO 3 against 3.5.
    EXPECT_TRUE(matches([] { PushString(u"A"_s); PushString(u"C"_s); PushString(u"B"_s); ExecCaseRange(); }));
    EXPECT_FALSE(matches([] { PushNumber(1); PushNumber(3); PushNumber(3.5L); ExecCaseRange(); }));

    struct Mismatch {
        const char *what;
        void (*test)();
        int32_t error;
    } mismatches[] = {
        {"number values, string selector",
         [] { PushNumber(1); PushNumber(2); PushString(u"1"_s); PushNumber(2); ExecCaseValues(); }, 54087},
        {"count missing", [] { PushNumber(1); PushString(u"1"_s); ExecCaseValues(); }, 50002},
        {"count beyond the stack", [] { PushNumber(1); PushNumber(1); PushNumber(3); ExecCaseValues(); }, 50002},
        {"truth-value range", [] { PushBool(false); PushBool(true); PushBool(true); ExecCaseRange(); }, 54087},
        {"mixed range", [] { PushNumber(1); PushString(u"3"_s); PushNumber(2); ExecCaseRange(); }, 54087},
        {"mixed relation", [] { PushString(u"5"_s); PushNumber(5); ExecCaseIs(isCaseIsEq); }, 54087},
        {"truth-value relation", [] { PushBool(true); PushBool(true); ExecCaseIs(isCaseIsNe); }, 54087},
    };
    for (const Mismatch &m : mismatches) {
        Fresh();
        CodePos = start;
        m.test();
        EXPECT_EQ(ErrorNumber, m.error) << m.what;
        EXPECT_EQ(CodePos, start) << m.what;
    }
}

// ---------------------------------------------------------------- jumps

TEST_F(ControlFlowTest, JumpTargetsAreCheckedAgainstTheCode)
{
    Program("10 A = 1\n20 B = 2\n*L\nX = 0");
    Code({Literal(20.9L)});
    ExecGotoGosub(false);
    EXPECT_EQ(CodePos, FindLineLabel(20));
    EXPECT_GT(CodePos, 100);

    // GOSUB to a missing line fails after the return position was pushed.
    Code({Literal(40)});
    ExecGotoGosub(true);
    EXPECT_EQ(ErrorNumber, 54104);
    EXPECT_EQ(GosubDepth, 1);

    const CodeType farAway{ckCodeAddr, 1 << 30, 0};
    struct Case {
        CodeType target;
        int32_t error;
    } cases[] = {{NumCell("X"), 1051}, {NumCell("L"), 0}, {CodeType{ckCodeAddr, -1, 0}, 1055}, {farAway, 1055}};
    for (const Case &c : cases) {
        Fresh();
        Code({c.target});
        ExecGotoGosub(false);
        EXPECT_EQ(ErrorNumber, c.error) << c.target.FirstCode << "," << c.target.SecondCode;
    }
    Fresh();
    NumVars[size_t(Num("L"))].FirstElement = 1 << 30;
    Code({NumCell("L")});
    ExecGotoGosub(false);
    EXPECT_EQ(ErrorNumber, 1051);
    Fresh();
    Code({farAway});
    PushBool(false);
    ExecIf();
    EXPECT_EQ(ErrorNumber, 1055);
}

TEST_F(ControlFlowTest, GosubNestsOneHundredDeep)
{
    const int32_t start = Code({CodeType{ckCodeAddr, 0, 0}});
    CodeArray[size_t(start)].SecondCode = start;
    for (int i = 0; i <= 100; ++i) {
        CodePos = start;
        ExecGotoGosub(true);
    }
    EXPECT_EQ(ErrorNumber, 1040);
    ClearError();
    for (int i = 0; i < 100; ++i) {
        CodePos = 0;
        ExecReturn();
        EXPECT_EQ(CodePos, start + 1);
    }
    ExecReturn();
    EXPECT_EQ(ErrorNumber, 1041);
}

// ---------------------------------------------------------------- READ and RESTORE

TEST_F(ControlFlowTest, ReadAndRestoreWalkTheData)
{
    Program("10 DATA 1, \"X\"\n20 DATA\n30 DATA 3\n*L\n40 A = 0: B$ = \"\"");
    const CodeType a = NumCell("A");
    const CodeType b{ckStrVar, FindVar(QStringLiteral("B$"), vtString), 0};
    const auto read = [](CodeType target) {
        Code({target, CodeType{ckOperator, opColon, 0}});
        ExecRead();
    };
    const auto restore = [](CodeType target) {
        Code({target});
        ExecRestore();
    };
    const long double &valueA = NumVars[size_t(a.SecondCode)].Value;

    read(a);
    EXPECT_EQ(valueA, 1);
    read(b);
    EXPECT_EQ(StrVars[size_t(b.SecondCode)].Value, QStringLiteral("X"));
    read(a);  // past the empty DATA
    EXPECT_EQ(valueA, 3);
    read(a);
    EXPECT_EQ(ErrorNumber, 1006);

    Fresh();
    restore(Literal(30));
    read(a);
    EXPECT_EQ(valueA, 3);
    restore(Literal(35));  // no such line: the first DATA
    read(b);
    EXPECT_EQ(ErrorNumber, 1007);

    // After the last DATA nothing is left, by line number or by label.
    for (const CodeType target : {Literal(40), NumCell("L")}) {
        Fresh();
        restore(target);
        ASSERT_EQ(ErrorNumber, 0);
        read(a);
        EXPECT_EQ(ErrorNumber, 1006);
    }
    Fresh();
    restore(a);
    EXPECT_EQ(ErrorNumber, 54086);
}

TEST_F(ControlFlowTest, SkippingADefPassesTheLineEndsOfAFunctionCallInItsBody)
{
    Program("DEF FNA(X) = F(X) + 1\nY = 2\nFUNCTION F(N)\nEND FUNCTION\n");
    CodePos = 101;
    FetchCurrentCell();
    ASSERT_EQ(CurrentCell.SecondCode, stDEF);
    ExecSkipStatement();
    EXPECT_EQ(CodeArray[size_t(CodePos - 1)].SecondCode, isDefFnReturn);
    EXPECT_TRUE(IsCodeStatementEnd(CodeArray[size_t(CodePos)]));
}

// ---------------------------------------------------------------- RANDOMIZE

TEST_F(ControlFlowTest, RandomGenerator)
{
    SeedRandom(12345678);
    EXPECT_EQ(NextRandom(), 2689212039.0L / 4294967296.0L);
    EXPECT_EQ(NextRandom(), 2238198948.0L / 4294967296.0L);
    PushNumber(-1.7L);  // truncated, kept as 32 bits
    ExecRandomizeSeed();
    EXPECT_EQ(RandomSeed(), 0xFFFFFFFFu);
    PushNumber(32768);
    ExecRandomizeSeed();
    EXPECT_EQ(ErrorNumber, 50012);
}

} // namespace
