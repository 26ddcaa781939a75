#include "language/OVBoolTbl.h"
#include "language/OVDeclared.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"
#include "lexer_fixture.h"

using namespace ov;

using SymbolTables = LexerFixture;

TEST_F(SymbolTables, ResetLeavesEmptyTables)
{
    AddVar(QStringLiteral("A"), vtNumber);
    AddVar(QStringLiteral("B$"), vtString);
    InitInterpreter();
    EXPECT_EQ(FindVar(QStringLiteral("A"), vtNumber), 0);
    EXPECT_EQ(FindVar(QStringLiteral("B$"), vtString), 0);
    const CodeType first = AddVar(QStringLiteral("X"), vtNumber);
    EXPECT_TOKEN(first, ckNumVar, 1);
    EXPECT_EQ(NumVarCount, 1);
    EXPECT_EQ(int(NumVars.size()), 2);
    EXPECT_EQ(int(StrLiterals.size()), 2);
    EXPECT_EQ(NumLiterals[0], 0.0L);
}

TEST_F(SymbolTables, EachTypeHasItsOwnTableAndFirstMatchWins)
{
    EXPECT_TOKEN(AddVar(QStringLiteral("A"), vtNumber), ckNumVar, 1);
    EXPECT_TOKEN(AddVar(QStringLiteral("A"), vtBoolean), ckBoolVar, 1);
    EXPECT_TOKEN(AddVar(QStringLiteral("F@"), vtFormula), ckFormVar, 1);
    EXPECT_TOKEN(AddVar(QStringLiteral("A"), vtReal), ckNumVar, 2);  // AddVar never checks
    EXPECT_EQ(FindVar(QStringLiteral("A"), vtNumber), 1);
    EXPECT_EQ(FindVar(QStringLiteral("A"), vtString), 0);
    EXPECT_EQ(FindVar(QStringLiteral("F@"), vtFormula), 1);
}

TEST_F(SymbolTables, RoutineHeadersGiveTheirRecordKinds)
{
    DeclContext = dcSubName;
    AddVar(QStringLiteral("S"), vtNumber);
    DeclContext = dcFunctionName;
    AddVar(QStringLiteral("F"), vtNumber);
    AddVar(QStringLiteral("G$"), vtString);
    AddVar(QStringLiteral("B"), vtBoolean);
    EXPECT_EQ(NumVars[1].Kind, nvSub);
    EXPECT_EQ(NumVars[2].Kind, nvFunction);
    EXPECT_EQ(StrVars[1].Kind, svFunction);
    EXPECT_EQ(BoolVars[1].Kind, bvSimple);
}

TEST_F(SymbolTables, FirstLiteralsTakeEntryOne)
{
    const auto cells = Tokens(QStringLiteral("A = 5 : B$ = \"x\""));
    ASSERT_EQ(cells.size(), 7u);
    EXPECT_TOKEN(cells[2], ckNumLiteral, 0);
    EXPECT_EQ(NumLiterals[1], 5.0L);
    EXPECT_TOKEN(cells[6], ckStrLiteral, 1);
    EXPECT_EQ(StrLiterals[1], QStringLiteral("x"));
    EXPECT_EQ(GetNumLiteralValue(cells[2]), 5.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[0]), 0.0L);
}

TEST_F(SymbolTables, SubNamesAreDeclaredVarsAndVariablesAreNot)
{
    Scan(QStringLiteral("CBUTTON3_CLICK"));
    DeclContext = dcSubName;
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(TokenCell.FirstCode, 5);
    EXPECT_TRUE(IsDeclaredVar(QStringLiteral("CBUTTON3_CLICK")));

    DeclContext = dcDim;
    Scan(QStringLiteral("CBUTTON4_CLICK"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_TRUE(IsDeclaredName(QStringLiteral("CBUTTON4_CLICK")));
    EXPECT_FALSE(IsDeclaredVar(QStringLiteral("CBUTTON4_CLICK")));
    EXPECT_FALSE(IsDeclaredVar(QStringLiteral("NOTHING")));

    InitInterpreter();
    EXPECT_FALSE(IsDeclaredVar(QStringLiteral("CBUTTON3_CLICK")));
}

TEST_F(SymbolTables, GlobalLookupSeesOnlyRoutineNamesPublicAndPublicConst)
{
    AddDeclared(QStringLiteral("TOP"), dkDim);
    AddDeclared(QStringLiteral("PUB"), dkPublic);
    AddDeclared(QStringLiteral("K"), dkPublicConst);
    AddDeclared(QStringLiteral("C"), dkConst);
    AddDeclared(QStringLiteral("R"), dkSub);
    EXPECT_EQ(FindDeclaredGlobal(QStringLiteral("TOP")), 0);
    EXPECT_EQ(FindDeclaredGlobal(QStringLiteral("C")), 0);
    EXPECT_EQ(FindDeclaredGlobal(QStringLiteral("PUB")), 2);
    EXPECT_EQ(FindDeclaredGlobal(QStringLiteral("K")), 3);
    EXPECT_EQ(FindDeclaredGlobal(QStringLiteral("R")), 5);
    EXPECT_EQ(FindDeclared(QStringLiteral("C")), 4);
}

TEST_F(SymbolTables, DeclaredTableHoldsAtMost1024Names)
{
    DeclContext = dcDim;
    for (int i = 0; i < DcVarCapacity; ++i) {
        Scan(QStringLiteral("V%1").arg(i));
        GetToken(TokenCell, tmDeclare);
    }
    EXPECT_EQ(ErrorNumber, 0);
    EXPECT_EQ(DcVarCount, DcVarCapacity);
    Scan(QStringLiteral("ONEMORE"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 52316);
}
