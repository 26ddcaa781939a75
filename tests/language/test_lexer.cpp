#include "language/OVDeclared.h"
#include "language/OVNumTbl.h"
#include "language/OVStrTbl.h"
#include "language/OVVarTable.h"
#include "lexer_fixture.h"

using namespace ov;

using Lexer = LexerFixture;

TEST_F(Lexer, MixedLineKindsValuesAndPositions)
{
    const auto cells = Tokens(QStringLiteral("print left$(a$, 2); \"Hi There\" : x=x+1.5"));
    ASSERT_EQ(cells.size(), 15u);
    EXPECT_TOKEN(cells[0], ckStatement, stPRINT);
    EXPECT_TOKEN(cells[1], ckFunction, fnLEFT_STR);
    EXPECT_TOKEN(cells[2], ckOperator, opLParen);
    EXPECT_TOKEN(cells[3], ckStrVar, 1);
    EXPECT_TOKEN(cells[4], ckOperator, opComma);
    EXPECT_TOKEN(cells[5], ckNumLiteral, 0);
    EXPECT_TOKEN(cells[6], ckOperator, opRParen);
    EXPECT_TOKEN(cells[7], ckOperator, opSemicolon);
    EXPECT_TOKEN(cells[8], ckStrLiteral, 1);
    EXPECT_TOKEN(cells[9], ckOperator, opColon);
    EXPECT_TOKEN(cells[10], ckNumVar, 1);
    EXPECT_TOKEN(cells[11], ckOperator, opEq);
    EXPECT_TOKEN(cells[12], ckNumVar, 1);
    EXPECT_TOKEN(cells[13], ckOperator, opAdd);
    EXPECT_TOKEN(cells[14], ckNumLiteral, 1);

    EXPECT_EQ(StrVars[1].Name, QStringLiteral("A$"));
    EXPECT_EQ(NumVars[1].Name, QStringLiteral("X"));
    EXPECT_EQ(StrLiterals[1], QStringLiteral("Hi There"));  // strings keep their case
    EXPECT_EQ(NumLiterals[2], 1.5L);
    EXPECT_EQ(cells[0].SourcePos, 6);   // LinePos after "print"
    EXPECT_EQ(cells[1].SourcePos, 12);  // "(" is left unread
    EXPECT_EQ(cells[8].SourcePos, 31);
}

TEST_F(Lexer, TokenSourcePosIsTheFirstCharacterOfTheToken)
{
    Scan(QStringLiteral("   A = 10"));
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 4);
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 6);
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 8);

    IncludeOffset = 3;  // three characters spliced in before
    Scan(QStringLiteral("abc  B"));
    LinePos = 4;
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 3);
    InIncludeText = 1;
    IncludeSourcePos = 77;
    Scan(QStringLiteral("C"));
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 77);
}

TEST_F(Lexer, OperatorsAndTheirAlternativeSpellings)
{
    const auto cells = Tokens(QStringLiteral("<= =< < = >< <> => >= mod AND \\ ^ & ? #"));
    ASSERT_EQ(cells.size(), 15u);
    const int32_t expected[] = {opLe, opLe, opLt, opEq, opNe, opNe, opGe, opGe, opMod, opAnd,
                                opIntDiv, opPow, opConcat};
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_TOKEN(cells[i], ckOperator, expected[i]);
    EXPECT_TOKEN(cells[13], ckStatement, stPRINT);  // "?" is PRINT
    EXPECT_TOKEN(cells[14], ckOperator, opHash);
}

TEST_F(Lexer, BooleanConstantsAndDotRules)
{
    auto cells = Tokens(QStringLiteral("true False"));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_TOKEN(cells[0], ckBoolConst, 1);
    EXPECT_TOKEN(cells[1], ckBoolConst, 2);

    cells = Tokens(QStringLiteral("A(1).B .5"));
    ASSERT_EQ(cells.size(), 7u);
    EXPECT_TOKEN(cells[4], ckOperator, opDot);  // after ")" the dot is an operator
    EXPECT_TOKEN(cells[5], ckNumVar, 2);
    // ... and ".5" alone is a number; scan it separately to see the literal.
    cells = Tokens(QStringLiteral(".5"));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(GetNumLiteralValue(cells[0]), 0.5L);
    MemberDotActive = 1;
    cells = Tokens(QStringLiteral(".5"));
    EXPECT_TOKEN(cells[0], ckOperator, opDot);
    MemberDotActive = 0;
}

TEST_F(Lexer, NumbersAndMalformedNumbers)
{
    auto cells = Tokens(QStringLiteral("1E5 2.5e-3 7."));
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(GetNumLiteralValue(cells[0]), 100000.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[1]), 0.0025L);
    EXPECT_EQ(GetNumLiteralValue(cells[2]), 7.0L);

    Tokens(QStringLiteral("1EX"));
    EXPECT_EQ(ErrorNumber, 54101);
    ErrorNumber = 0;
    Tokens(QStringLiteral("1.2.3"));
    EXPECT_EQ(ErrorNumber, 54101);
    ErrorNumber = 0;
    Tokens(QStringLiteral("1E99999"));  // beyond the extended range
    EXPECT_EQ(ErrorNumber, 54101);
}

TEST_F(Lexer, HexLiteralsAreThirtyTwoBitTwosComplement)
{
    auto cells = Tokens(QStringLiteral("&H1F &hff &HFFFFFFFF &H000000010 &H7FFFFFFF"));
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(GetNumLiteralValue(cells[0]), 31.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[1]), 255.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[2]), -1.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[3]), 16.0L);
    EXPECT_EQ(GetNumLiteralValue(cells[4]), 2147483647.0L);

    Tokens(QStringLiteral("&H123456789"));
    EXPECT_EQ(ErrorNumber, 110);
    ErrorNumber = 0;
    Tokens(QStringLiteral("X = &H"));
    EXPECT_EQ(ErrorNumber, 110);
    ErrorNumber = 0;
    cells = Tokens(QStringLiteral("A & B"));
    EXPECT_TOKEN(cells[1], ckOperator, opConcat);
}

TEST_F(Lexer, NamesAreCutToThirtyCharactersWhenRegistered)
{
    const QString base = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD");
    auto cells = Tokens(base + QStringLiteral("XYZ12 = ") + base.toLower() + QStringLiteral("QQQQQ"));
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_TOKEN(cells[0], ckNumVar, 1);
    EXPECT_TOKEN(cells[2], ckNumVar, 1);
    EXPECT_EQ(NumVars[1].Name, base);

    // a declared name may have 30 characters, not 31
    DeclContext = dcDim;
    Scan(base);
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 0);
    Scan(base.left(29) + QStringLiteral("XY"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 30005);
}

TEST_F(Lexer, StringNameFollowedByBracketAndFunctionsByName)
{
    const auto cells = Tokens(QStringLiteral("B$(1) CHR$(65) SEEK(1) INPUT#"));
    ASSERT_EQ(cells.size(), 14u);
    EXPECT_TOKEN(cells[0], ckStrVar, 1);
    EXPECT_TOKEN(cells[1], ckOperator, opLParen);
    EXPECT_TOKEN(cells[4], ckFunction, fnCHR_STR);
    EXPECT_TOKEN(cells[8], ckStatement, stSEEK);
    EXPECT_TOKEN(cells[9], ckOperator, opLParen);
    EXPECT_TOKEN(cells[12], ckStatement, stINPUT);  // "#" is read as its own operator
    EXPECT_TOKEN(cells[13], ckOperator, opHash);
}

TEST_F(Lexer, IllegalAndWideCharacters)
{
    Tokens(QStringLiteral("A = 1 ! 2"));
    EXPECT_EQ(ErrorNumber, 1);
    EXPECT_EQ(ErrorSubjectText, QStringLiteral("33"));
    ErrorNumber = 0;
    Tokens(QStringLiteral("~"));
    EXPECT_EQ(ErrorNumber, 1);
    EXPECT_EQ(ErrorSubjectText, QStringLiteral("126"));
    ErrorNumber = 0;
    Tokens(QStringLiteral(u"A = Ａ"));
    EXPECT_EQ(ErrorNumber, 30001);
    ErrorNumber = 0;
    const auto cells = Tokens(QStringLiteral(u"A$ = \"漢字\""));
    EXPECT_EQ(ErrorNumber, 0);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(StrLiterals[1], QStringLiteral(u"漢字"));
}

TEST_F(Lexer, UnclosedStringsStopAtTheLineOrTheEndOfText)
{
    Tokens(QStringLiteral("PRINT \"abc"));
    EXPECT_EQ(ErrorNumber, 55001);
    EXPECT_EQ(StrLiterals[1], QStringLiteral("abc"));

    // No final CR at all: the loop must still stop at the end of the text.
    ErrorNumber = 0;
    ScanText = QStringLiteral("\"abc");
    ScanTextLength = int32_t(ScanText.size());
    ResetLinePos();
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(ErrorNumber, 55001);
    EXPECT_LE(LinePos, ScanTextLength + 1);
}

TEST_F(Lexer, LineEndsAndContinuations)
{
    auto cells = Tokens(QStringLiteral("A = 1 _  \r\n + 2"));
    EXPECT_EQ(ErrorNumber, 0);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_TOKEN(cells[3], ckOperator, opAdd);

    Tokens(QStringLiteral("A = 1_"));
    EXPECT_EQ(ErrorNumber, 30004);
    ErrorNumber = 0;
    Tokens(QStringLiteral("_ A"));  // nothing before the first character to test
    EXPECT_EQ(ErrorNumber, 30004);
    ErrorNumber = 0;
    Tokens(QStringLiteral("A = 1 _ B"));
    EXPECT_EQ(ErrorNumber, 30004);
    ErrorNumber = 0;

    Tokens(QStringLiteral("A\nB"));
    EXPECT_EQ(ErrorNumber, 30002);
    ErrorNumber = 0;
    Tokens(QStringLiteral("A \rB"));
    EXPECT_EQ(ErrorNumber, 30003);
}

TEST_F(Lexer, GetCharBeforeTheTextIsAnError)
{
    Scan(QStringLiteral("A"));
    LinePos = 0;
    EXPECT_EQ(GetChar(), 0);
    EXPECT_EQ(ErrorNumber, 50001);
    EXPECT_EQ(LinePos, 0);
}

TEST_F(Lexer, PeekLeavesTheTokenToBeReadAgain)
{
    Scan(QStringLiteral("  COUNT + 1"));
    CodeType peeked;
    PeekToken(peeked);
    EXPECT_EQ(LinePos, 1);
    GetToken(TokenCell, tmRegister);
    EXPECT_TRUE(SameToken(peeked, TokenCell));
    PeekTokenClass(peeked);
    EXPECT_TOKEN(peeked, ckOperator, opAdd);
    EXPECT_EQ(ClassifyName(QStringLiteral("Q$")).FirstCode, ckStrVar);
    EXPECT_EQ(ClassifyName(QStringLiteral("Q")).FirstCode, ckNumVar);
}

TEST_F(Lexer, DeclarationsEnterTheDeclaredTable)
{
    DeclContext = dcSubName;
    Scan(QStringLiteral("Go"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(TokenCell.FirstCode, 5);

    Scan(QStringLiteral("Bad$"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 52322);
    ErrorNumber = 0;

    DeclContext = dcDim;
    Scan(QStringLiteral("GO"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 52315);
    ErrorNumber = 0;

    Scan(QStringLiteral("N AS STRING, M$ AS REAL"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(TokenCell.FirstCode, ckStrVar);
    EXPECT_EQ(DcVarTable[FindDeclared(QStringLiteral("N"))].Kind, dkDim + 1);
    EXPECT_EQ(LinePos, 2);  // the AS clause is left to be read
    LinePos = 14;
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(ErrorNumber, 54097);
    ErrorNumber = 0;

    DeclContext = dcConst;
    Scan(QStringLiteral("FLAG AS BOOLEAN = TRUE"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_EQ(TokenCell.FirstCode, 35);
    GetToken(TokenCell, tmDeclare);  // the clause was consumed: "=" comes next
    EXPECT_TOKEN(TokenCell, ckOperator, opEq);

    DeclContext = dcSubParams;
    ScopePrefix = QStringLiteral("0001");
    Scan(QStringLiteral("P"));
    GetToken(TokenCell, tmDeclare);
    EXPECT_NE(FindDeclared(QStringLiteral("0001P")), 0);
}

TEST_F(Lexer, RegisteringResolvesDeclaredNames)
{
    AddNumLiteral(QStringLiteral("42"));
    const int32_t k = AddDeclared(QStringLiteral("K"), dkConst);
    DcVarTable[k].Value = 1;  // NumLiterals entry 1
    const int32_t s = AddDeclared(QStringLiteral("S$"), dkConst + 1);
    DcVarTable[s].Value = 1;
    AddDeclared(QStringLiteral("D"), dkDim);

    auto cells = Tokens(QStringLiteral("K S$"));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_TOKEN(cells[0], ckNumLiteral, 0);
    EXPECT_TOKEN(cells[1], ckStrLiteral, 1);

    DeclContext = dcDim;
    cells = Tokens(QStringLiteral("D"));
    EXPECT_TOKEN(cells[0], ckNumVar, 1);
    EXPECT_EQ(DcVarTable[FindDeclared(QStringLiteral("D"))].Value, 1);
    Tokens(QStringLiteral("D"));
    EXPECT_EQ(ErrorNumber, 54098);
    ErrorNumber = 0;
    Tokens(QStringLiteral("UNDECLARED"));
    EXPECT_EQ(ErrorNumber, 50001);
    ErrorNumber = 0;

    DeclContext = dcNone;
    OptionExplicitOn = 1;
    Tokens(QStringLiteral("NEWNAME"));
    EXPECT_EQ(ErrorNumber, 55005);
}

TEST_F(Lexer, NamesInsideRoutinesCarryTheRoutinePrefix)
{
    AddDeclared(QStringLiteral("PUB"), dkPublic);
    AddDeclared(QStringLiteral("TOP"), dkDim);
    AddDeclared(QStringLiteral("0001LCL"), dkLocal);
    DeclContext = dcSubBody;
    ScopePrefix = QStringLiteral("0001");
    const auto cells = Tokens(QStringLiteral("PUB TOP LCL X"));
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(NumVars[size_t(cells[0].SecondCode)].Name, QStringLiteral("PUB"));
    EXPECT_EQ(NumVars[size_t(cells[1].SecondCode)].Name, QStringLiteral("0001TOP"));
    EXPECT_EQ(NumVars[size_t(cells[2].SecondCode)].Name, QStringLiteral("0001LCL"));
    EXPECT_EQ(NumVars[size_t(cells[3].SecondCode)].Name, QStringLiteral("0001X"));
}

TEST_F(Lexer, DefParametersAndRawReaders)
{
    Scan(QStringLiteral(" X, Y$, X)"));
    CodeType cell;
    ReadDefParameter(cell);
    EXPECT_TOKEN(cell, ckLocalNumVar, 1);
    EXPECT_EQ(GetChar(), u',');
    ReadDefParameter(cell);
    EXPECT_TOKEN(cell, ckLocalStrVar, 1);
    GetChar();
    ReadDefParameter(cell);
    EXPECT_EQ(ErrorNumber, 161);
    ErrorNumber = 0;

    DefLocalsActive = 1;
    auto cells = Tokens(QStringLiteral("X + Y$"));
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_TOKEN(cells[0], ckLocalNumVar, 1);
    EXPECT_TOKEN(cells[2], ckLocalStrVar, 1);
    DefLocalsActive = 0;

    Scan(QStringLiteral("{x}\r\n"));
    GetRawToken(cell);
    EXPECT_TOKEN(cell, ckOperator, opLBrace);
    GetRawToken(cell);
    EXPECT_TOKEN(cell, ckOperator, opIllegal);
    GetRawToken(cell);
    EXPECT_TOKEN(cell, ckOperator, opRBrace);
    GetRawToken(cell);
    EXPECT_TOKEN(cell, ckOperator, opEndOfLine);

    Scan(QStringLiteral("ORVANEC X"));
    QString word;
    ReadWord(word);
    EXPECT_EQ(word, QStringLiteral("ORVANEC"));
    EXPECT_EQ(LinePos, 9);
}

TEST_F(Lexer, StatementEndsAndTheCommentMark)
{
    Scan(QStringLiteral("' note"));
    GetToken(TokenCell, tmRegister);
    EXPECT_TRUE(IsTokenStatementEnd(TokenCell));
    EXPECT_EQ(LinePos, 1);  // the mark is read again
    EXPECT_TRUE(IsTokenStatementEnd(CodeType{}));
    EXPECT_TRUE(IsTokenStatementEnd(Op(opColon)));
    EXPECT_FALSE(IsTokenStatementEnd(Op(opComma)));
}

TEST_F(Lexer, LongNamesAreRefusedOnlyWhereTheyAreDeclared)
{
    Scan(QStringLiteral("ABCDEFGHIJABCDEFGHIJABCDEFGHIJKLMNO = 1"));
    GetToken(TokenCell, tmDeclare);  // the pre-scan reads every line in this mode
    EXPECT_EQ(ErrorNumber, 0);
}

// A block comment stands for a blank wherever it is, in every mode; the next
// token's position is its own first character.
TEST_F(Lexer, BlockCommentsArePassedOverAsBlanks)
{
    for (const int mode : {int(tmDeclare), int(tmRegister), int(tmClassify)}) {
        const auto cells = Tokens(QStringLiteral("A {, (x: y} = {日本語\r\n} 1"), mode);
        ASSERT_EQ(cells.size(), 3u) << mode;
        EXPECT_EQ(cells[1].FirstCode, ckOperator);
        EXPECT_EQ(cells[1].SecondCode, opEq);
        EXPECT_EQ(cells[2].FirstCode, ckNumLiteral);
        EXPECT_EQ(ErrorNumber, 0);
    }
    Scan(QStringLiteral("{a}  B"));
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenSourcePos, 6);
    Scan(QStringLiteral("A { open to the end"));
    GetToken(TokenCell, tmRegister);
    GetToken(TokenCell, tmRegister);
    EXPECT_EQ(TokenCell.FirstCode, ckNone);
}

TEST_F(Lexer, TypeWordsEndAtAColonOrAComment)
{
    struct Case {
        const char *Text;
        int32_t Kind;
    };
    const Case cases[] = {
        {"T1 AS BOOLEAN: T1 = 1", dkDim + 2},
        {"T2 AS STRING' note", dkDim + 1},
        {"T3 AS BOOLEAN{note}", dkDim + 2},
        {"T4 {note} AS {note} STRING", dkDim + 1},
        {"T5 AS BOOLEANS", dkDim},  // another word: no type
        // continuations stand for blanks, and a bracket group's comment hides its ")"
        {"T6 _\r\n AS _\r\n  STRING", dkDim + 1},
        {"T7(2, _\r\n 3) AS BOOLEAN", dkDim + 2},
        {"T8(2 {)} ) AS STRING", dkDim + 1},
    };
    DeclContext = dcDim;
    for (const Case &c : cases) {
        Scan(QString::fromUtf8(c.Text));
        GetToken(TokenCell, tmDeclare);
        ASSERT_EQ(ErrorNumber, 0) << c.Text;
        const QString name = QString::fromUtf8(c.Text).left(2);
        EXPECT_EQ(DcVarTable[FindDeclared(name)].Kind, c.Kind) << c.Text;
    }
}

// The raw skip of a statement's rest passes strings, block comments and line
// continuations whole and stops before a line comment, "'" or the word REM.
TEST_F(Lexer, TheRestOfAStatementEndsAtAColonOrBeforeALineComment)
{
    struct Case {
        const char *Text;
        StatementRestEnd End;
        int32_t Pos;  // LinePos after the skip
    };
    const Case cases[] = {
        {"AS REAL REM a: b", StatementRestEnd::LineComment, 9},
        {"AS REAL rem", StatementRestEnd::LineComment, 9},
        {"AS REAL ' a: b", StatementRestEnd::LineComment, 9},
        {"X REM(1) ", StatementRestEnd::LineComment, 3},
        {"XREM: b", StatementRestEnd::Colon, 6},
        {"REMARK: b", StatementRestEnd::Colon, 8},
        {"REM$: b", StatementRestEnd::Colon, 6},
        {"{a: 'b\r\nREM} : c", StatementRestEnd::Colon, 15},
        {"\"a:b ' REM\" c", StatementRestEnd::LineEnd, 16},
        // a continuation joins the next line to the statement
        {"AS _\r\n REAL : b", StatementRestEnd::Colon, 14},
        {"A _ \r\n{c}' d", StatementRestEnd::LineComment, 10},
        {"A_\r\n: b", StatementRestEnd::LineEnd, 5},  // no blank before "_": no continuation
    };
    for (const Case &c : cases) {
        Scan(QString::fromUtf8(c.Text));
        EXPECT_EQ(SkipStatementRest(), c.End) << c.Text;
        EXPECT_EQ(LinePos, c.Pos) << c.Text;
    }
    Scan(QStringLiteral("  REM note"));
    GetToken(TokenCell, tmRegister);
    EXPECT_TRUE(IsTokenStatementEnd(TokenCell));
    EXPECT_EQ(LinePos, 1);  // the comment is read again
}
