#include "executor/OVInterpreter.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVPreCode.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

class CodeStores : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ErrorNumber = 0;
        InitInterpreter();
        InIncludeText = 0;
    }
};

} // namespace

TEST_F(CodeStores, InitialLayoutOfBothStores)
{
    EXPECT_EQ(PreCodeMax, 100);
    EXPECT_EQ(PreCodeScanEnd, 100);
    EXPECT_EQ(PreCodeArray[0].FirstCode, ckOperator);
    EXPECT_EQ(PreCodeArray[0].SecondCode, opColon);
    EXPECT_EQ(PreCodeArray[100].SecondCode, opColon);
    EXPECT_EQ(PreCodeArray[50].FirstCode, ckNone);

    EXPECT_EQ(CodeCapacity, 100);
    EXPECT_EQ(CodeEnd, 100);
    EXPECT_EQ(CodePos, 101);
    EXPECT_EQ(CodeArray[0].FirstCode, ckNone);
    EXPECT_EQ(CodeArray[100].FirstCode, ckNone);
    EXPECT_EQ(CodeArray[1].FirstCode, ckEof);
}

TEST_F(CodeStores, ReadingPastTheEndGivesKindZero)
{
    CodeType cell{ckStatement, 5, 5};
    GetNextCode(cell);  // CodePos 101 is past CodeEnd 100
    EXPECT_EQ(cell.FirstCode, ckNone);
    EXPECT_EQ(CodePos, 101);

    PreCodePos = 101;
    GetNextPreCode(cell);  // past PreCodeMax, but the position still advances
    EXPECT_EQ(cell.FirstCode, ckNone);
    EXPECT_EQ(PreCodePos, 102);

    PreCodePos = 100;
    PeekPreCodeAhead(1, cell);
    EXPECT_EQ(cell.FirstCode, ckNone);
    PeekPreCodeBack(101, cell);
    EXPECT_EQ(cell.FirstCode, ckNone);
    PeekPreCodeBack(100, cell);
    EXPECT_EQ(cell.FirstCode, ckOperator);

    CodePos = 5000;  // far past the array: PeekCode must not read it
    PeekCode(cell);
    EXPECT_EQ(cell.FirstCode, ckNone);
}

TEST_F(CodeStores, KindZeroIsDroppedByPreCodeButStoredInCode)
{
    PreCodePos = 101;
    EmitPreCode(CodeType{ckNone, 7, 0});
    EXPECT_EQ(PreCodePos, 101);
    EXPECT_EQ(PreCodeMax, 100);

    CodePos = 101;
    EmitCode(CodeType{ckNone, 7, 0});
    EXPECT_EQ(CodePos, 102);
    EXPECT_EQ(CodeCapacity, 101);
    EXPECT_EQ(CodeArray[101].SecondCode, 7);
}

TEST_F(CodeStores, EmitPreCodeTakesItsPositionFromTheIncludeState)
{
    PreCodePos = 101;
    TokenSourcePos = 17;
    IncludeSourcePos = 40;
    InIncludeText = 0;
    EmitPreCode(CodeType{ckStatement, stPRINT, 999});
    InIncludeText = 1;
    EmitPreCode(CodeType{ckStatement, stPRINT, 999});
    InIncludeText = 2;
    EmitPreCode(CodeType{ckStatement, stPRINT, 999});
    EXPECT_EQ(PreCodeArray[101].SourcePos, 17);
    EXPECT_EQ(PreCodeArray[102].SourcePos, 40);
    EXPECT_EQ(PreCodeArray[103].SourcePos, 999);
    EXPECT_EQ(PreCodeMax, 103);
}

TEST_F(CodeStores, PeekCodeBackRefusesToGoBeforeCellZero)
{
    CodeType cell{};
    CodePos = 0;
    PeekCodeBack(1, cell);
    EXPECT_EQ(ErrorNumber, 10);
    ErrorNumber = 0;
    CodePos = 1;
    PeekCodeBack(1, cell);
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(cell.FirstCode, ckNone);
}

TEST_F(CodeStores, ScratchAreaResetKeepsTheProgram)
{
    CodePos = 101;
    for (int i = 0; i < 5; ++i)
        EmitCode(CodeType{ckStatement, stCLS, i});
    CodeEnd = 105;

    ResetCode();
    EXPECT_EQ(CodePos, 0);
    EXPECT_EQ(CodeEnd, 105);
    EXPECT_EQ(CodeArray[1].FirstCode, ckEof);
    EXPECT_EQ(CodeArray[100].FirstCode, ckEof);
    EXPECT_EQ(CodeArray[103].SecondCode, stCLS);

    // With an error pending the scratch area is left as it was.
    CodeArray[5] = CodeType{ckStatement, stBEEP, 0};
    ErrorNumber = 3;
    ResetCode();
    EXPECT_EQ(CodeArray[5].SecondCode, stBEEP);

    PreCodeArray[5] = CodeType{ckStatement, stBEEP, 0};
    ResetPreCode();
    EXPECT_EQ(PreCodeArray[5].FirstCode, ckStatement);
    ErrorNumber = 0;
    ResetPreCode();
    EXPECT_EQ(PreCodeArray[5].FirstCode, ckEof);
    EXPECT_EQ(PreCodeArray[0].FirstCode, ckNone);
}
