#include "executor/OVInterpreter.h"
#include "language/OVHeader.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

class NameTables : public ::testing::Test {
protected:
    void SetUp() override { InitializeInterpreterUnits(); }
};

} // namespace

TEST_F(NameTables, TablesAreSortedSoHalvingFindsEveryEntry)
{
    for (int i = 1; i < StatementCount; ++i)
        EXPECT_LT(StatementNames[i], StatementNames[i + 1]) << i;
    for (int i = 1; i < FunctionCount; ++i)
        EXPECT_LT(FunctionNames[i], FunctionNames[i + 1]) << i;
    for (int i = 1; i <= StatementCount; ++i)
        EXPECT_EQ(SearchStatementName(StatementNames[i]), i) << StatementNames[i].toStdString();
    for (int i = 1; i <= FunctionCount; ++i) {
        if (i != fnSEEK) {
            EXPECT_EQ(SearchFunctionName(FunctionNames[i]), i) << FunctionNames[i].toStdString();
        }
    }
}

TEST_F(NameTables, FirstLastAndAbsentWords)
{
    EXPECT_EQ(SearchStatementName(QStringLiteral("ANGLE")), 1);
    EXPECT_EQ(SearchStatementName(QStringLiteral("WRITEALLTEXT")), 191);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("ABS")), 1);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("YEARTIMER")), 125);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("AAA")), 0);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("ZZZ")), 0);
    EXPECT_EQ(SearchStatementName(QString()), 0);

    // The function entry for SEEK ends in a blank: the word is the statement.
    EXPECT_EQ(SearchFunctionName(QStringLiteral("SEEK")), 0);
    EXPECT_EQ(SearchStatementName(QStringLiteral("SEEK")), stSEEK);
}

TEST_F(NameTables, NumbersOfWellKnownNames)
{
    EXPECT_EQ(SearchStatementName(QStringLiteral("ENDIF")), 53);
    EXPECT_EQ(SearchStatementName(QStringLiteral("PRINT#")), 137);
    EXPECT_EQ(SearchStatementName(QStringLiteral("SELECTCASE")), 160);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("CHR")), 13);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("CHR$")), 14);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("CHRW")), 16);
    EXPECT_EQ(SearchFunctionName(QStringLiteral("TIMER")), 121);
    EXPECT_EQ(SearchOperatorName(QStringLiteral("MOD")), opMod);
    EXPECT_EQ(SearchOperatorName(QStringLiteral("EQV")), opEqv);
    EXPECT_EQ(SearchOperatorName(QString()), 0);
    EXPECT_EQ(OperatorNames[25], OperatorNames[41]);
    EXPECT_TRUE(OperatorNames[26].isEmpty());
    EXPECT_EQ(OperatorNames[opChgSgn], QStringLiteral("ChgSgn"));
    EXPECT_EQ(ReservedWordNames[ReservedWordCount], QStringLiteral("WHILE"));
}

TEST_F(NameTables, ConstantsAndStartUpState)
{
    EXPECT_EQ(NumConstants[3], -1.0L);
    EXPECT_EQ(NumConstants[4], 65535.0L);
    EXPECT_EQ(StrConstants[2], QStringLiteral("? "));
    EXPECT_EQ(BoolConstants[1], 1);
    EXPECT_EQ(BoolConstants[2], 0);
    EXPECT_FALSE(OSVersionName.isEmpty());
    EXPECT_NE(OSVersionName, QStringLiteral("?"));
}
