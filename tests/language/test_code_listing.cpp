#include "executor/OVInterpreter.h"
#include "language/OVBoolTbl.h"
#include "language/OVCode.h"
#include "language/OVCodeListing.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

class CodeListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ErrorNumber = 0;
        InitInterpreter();
        InIncludeText = 0;
    }
    void TearDown() override { InIncludeText = 0; }

    static QString Text(int32_t kind, int32_t value) { return CodeToText(CodeType{kind, value, 0}); }
};

} // namespace

TEST_F(CodeListing, KeywordAndInternalCells)
{
    EXPECT_EQ(Text(ckStatement, stPRINT), "PRINT");
    EXPECT_EQ(Text(ckStatement, 1113), "InnerSt1113");
    EXPECT_EQ(Text(ckStatement, isMixerMasterMute), "InnerSt192");
    EXPECT_EQ(Text(ckStatement, isSubStart), "SubStart");
    EXPECT_EQ(Text(ckFunction, fnRND), "RND");
    EXPECT_EQ(Text(ckFunction, 10097), "InnerFn10097");
    EXPECT_EQ(Text(ckFunction, fnChangeSign), "InnerFn126");
    // Values naming no table entry give an empty name.
    EXPECT_EQ(Text(ckStatement, -3), "");
    EXPECT_EQ(Text(ckFunction, -1), "");
    EXPECT_EQ(Text(ckOperator, 99), "");

    // Only the end-of-line operator and an EOF valued 38 break the line.
    EXPECT_EQ(Text(ckOperator, opEndOfLine), "\r\n");
    EXPECT_EQ(Text(ckEof, 0), "EOF");
    EXPECT_EQ(Text(ckEof, opEndOfLine), "EOF\r\n");

    EXPECT_EQ(Text(ckFilePrintSep, 5), "");
    EXPECT_EQ(Text(ckNone, 7), "FirstCode=0,SecondCode=7");
    EXPECT_EQ(Text(ckBoolArrVar, 1), "FirstCode=34,SecondCode=1");
    EXPECT_EQ(Text(200, -4), "FirstCode=200,SecondCode=-4");
}

TEST_F(CodeListing, NumbersRoundHalvesToEven)
{
    EXPECT_EQ(Text(ckNumConst, 6), "0");  // 0.5
    EXPECT_EQ(Text(ckNumConst, 11), "");
    EXPECT_EQ(CodeToText(AddNumLiteral(QStringLiteral("2.5"))), "2");
    EXPECT_EQ(CodeToText(AddNumLiteral(QStringLiteral("3.5"))), "4");

    // Large values keep every digit, on both sides of the 64-bit integer range.
    const auto value = [](long double v) {
        NumLiterals[size_t(NumLiteralCount)] = v;
        return Text(ckNumLiteral, NumLiteralCount - 1);
    };
    EXPECT_EQ(value(9223372036854775807.0L), "9223372036854775807");
    EXPECT_EQ(value(9223372036854775808.0L), "9223372036854775808");
    EXPECT_EQ(value(-1180591620717411303424.0L), "-1180591620717411303424");
    EXPECT_EQ(value(-2.5L), "-2");
}

TEST_F(CodeListing, VariablesAndLiteralsByRecord)
{
    const char *names[] = {"SIMPLE", "LABEL", "FUNC", "SUB", "DEFFN", "PARAM", "ARR"};
    const char *expected[] = {"#SIMPLE", "*LABEL", "FUNC", "%SUB", "&DEFFN", "PARAM", "ARR"};
    for (uint8_t kind = 0; kind < 7; ++kind) {
        const CodeType cell = AddVar(QString::fromLatin1(names[kind]), vtNumber);
        NumVars[size_t(cell.SecondCode)].Kind = kind;
        EXPECT_EQ(CodeToText(cell), expected[kind]) << int(kind);
    }
    EXPECT_EQ(Text(ckNumArrVar, 7), "NumArrVar(ARR)");
    EXPECT_EQ(Text(ckNumVar, 0), "");
    EXPECT_EQ(Text(ckNumVar, 8), "");
    EXPECT_EQ(Text(ckNumArrVar, 99), "NumArrVar()");

    const char *flags[] = {"@B0", "%B1", "&B2", "B3", "B4"};
    for (uint8_t kind = 0; kind < 5; ++kind) {
        const CodeType cell = AddVar(QStringLiteral("B%1").arg(kind), vtBoolean);
        BoolVars[size_t(cell.SecondCode)].Kind = kind;
        EXPECT_EQ(CodeToText(cell), flags[kind]) << int(kind);
    }

    EXPECT_EQ(CodeToText(AddVar(QStringLiteral("NAME"), vtString)), "NAME$");
    EXPECT_EQ(Text(ckStrArrVar, 1), "StrArrVar(NAME)");
    EXPECT_EQ(Text(ckStrVar, 2), "$");
    EXPECT_EQ(CodeToText(AddVar(QStringLiteral("F"), vtFormula)), "F@");

    EXPECT_EQ(CodeToText(AddStrLiteral(QStringLiteral("Hello"))), "Hello");
    EXPECT_EQ(Text(ckStrLiteral, 2), "");
}

TEST_F(CodeListing, CodeListingEndsWithEof)
{
    const CodeType text = AddStrLiteral(QStringLiteral("HI"));
    EmitCode({ckStatement, stPRINT, 1});
    EmitCode({ckStrLiteral, text.SecondCode, 7});
    EmitCode({ckOperator, opEndOfLine, 11});
    EmitCode({ckEof, 0, 13});
    CodeEnd = 104;
    EmitCode({ckStatement, stEND, 20});  // beyond the end cell: not listed

    EXPECT_EQ(DumpCode(), "[101:1]PRINT[102:7]HI[103:11]\r\n[104:13]EOF\r\n");
    EXPECT_EQ(CodePos, 105);
}

TEST_F(CodeListing, CodeListingStopsAtKindZero)
{
    // Nothing fetchable: the first fetch yields kind 0 without advancing.
    EXPECT_EQ(DumpCode(), "[101:0]FirstCode=0,SecondCode=0\r\n");
    EXPECT_EQ(CodePos, 101);

    // Cells past CodeEnd but within the store end the listing too.
    CodePos = 101;
    EmitCode({ckStatement, stCLS, 1});
    EmitCode({ckOperator, opColon, 4});
    EmitCode({ckStatement, stBEEP, 6});
    EmitCode({ckEof, 0, 10});
    CodeEnd = 102;
    EXPECT_EQ(DumpCode(), "[101:1]CLS[102:4]:[103:0]FirstCode=0,SecondCode=0\r\n");
    EXPECT_EQ(CodePos, 103);
}

TEST_F(CodeListing, PreCodeListingOmitsLastCell)
{
    EXPECT_EQ(DumpPreCode(), "\r\n");
    EXPECT_GT(PreCodePos, PreCodeMax);

    InIncludeText = 2;
    PreCodePos = 101;
    EmitPreCode({ckStatement, stPRINT, 1});
    CodeType two = AddNumLiteral(QStringLiteral("2.5"));
    two.SourcePos = 7;
    EmitPreCode(two);
    EmitPreCode({ckOperator, opEndOfLine, 10});
    EmitPreCode({ckStatement, stCLS, 12});
    EmitPreCode({ckEof, 0, 15});

    EXPECT_EQ(DumpPreCode(), "[101:1]PRINT[102:7]2[103:10]\r\n[104:12]CLS\r\n");
    EXPECT_EQ(PreCodePos, 106);
}
