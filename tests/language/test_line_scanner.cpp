#include "language/OVNumTbl.h"
#include "language/OVTranslator.h"
#include "translate_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ov;

using LineScanner = TranslateFixture;

TEST_F(LineScanner, SingleLineIfBecomesABlock)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN B = 1 ELSE B = 2")),
              QStringLiteral("IF #A THEN | #B = 1 | ELSE | #B = 2 : ENDIF |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN 100")),
              QStringLiteral("IF #A THEN | GOTO 100 : ENDIF |"));
    // A comment after THEN leaves a block IF that needs its END IF.
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN ' note\nB = 1\nEND IF")),
              QStringLiteral("IF #A THEN | #B = 1 | ENDIF |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN ' note\nB = 1")), QStringLiteral("error 52305"));
    // So does any comment; a statement after a block comment closes itself.
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN REM note: more\nB = 1\nEND IF")),
              QStringLiteral("IF #A THEN | #B = 1 | ENDIF |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN { note }\nB = 1\nEND IF")),
              QStringLiteral("IF #A THEN | | #B = 1 | ENDIF |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN REM note\nB = 1")), QStringLiteral("error 52305"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN {note}\nB = 1")), QStringLiteral("error 52305"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN {note} B = 1")), QStringLiteral("IF #A THEN | #B = 1 : ENDIF |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN {note} 100")), QStringLiteral("IF #A THEN | GOTO 100 : ENDIF |"));
}

TEST_F(LineScanner, SignsFoldIntoLiteralsOnlyAfterEqualsCommaAndData)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("X = -5")), QStringLiteral("#X = -5 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = 2 * -5")), QStringLiteral("#X = 2 * - 5 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DATA 1, -2, +3")), QStringLiteral("DATA 1 , -2 , 3 |"));
    // -2 ^ 2 is -(2 ^ 2): before a power the sign stays an operator.
    EXPECT_EQ(ScanOnly(QStringLiteral("X = -2 ^ 2 : Y = -2 * 2 : Z = F(1, -4 ^ 0.5)")),
              QStringLiteral("#X = - 2 ^ 2 : #Y = -2 * 2 : #Z = #F ( 1 , - 4 ^ 0 ) |"));  // the listing rounds 0.5
}

TEST_F(LineScanner, FoldingASignNeverChangesAConstant)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST N = 5\nX = -N : Y = -N : Z = N")),
              QStringLiteral("| #X = -5 : #Y = -5 : #Z = 5 |"));
}

TEST_F(LineScanner, LoopFormsBecomeDistinctStatements)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("DO WHILE A\nLOOP")), QStringLiteral("WHILE #A | WEND |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DO UNTIL A\nLOOP")), QStringLiteral("InnerSt239 #A | LOOP |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DO\nLOOP WHILE A")), QStringLiteral("DO | InnerSt263 #A |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DO\nLOOP UNTIL A")), QStringLiteral("DO | InnerSt262 #A |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DO\nLOOP")), QStringLiteral("DO | InnerSt238 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("WHILE A\nEND WHILE")), QStringLiteral("WHILE #A | WEND |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("SELECT CASE A\nCASE ELSE\nEND SELECT")),
              QStringLiteral("SELECTCASE #A | CASEELSE | ENDSELECT |"));
}

TEST_F(LineScanner, BlockNestingErrors)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2\nNEXT I")), QStringLiteral("FOR #I = 1 TO 2 | NEXT |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2\nNEXT J")), QStringLiteral("error 52342"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR 5")), QStringLiteral("error 52330"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2\nPRINT I")), QStringLiteral("error 52305"));
    EXPECT_EQ(ScanOnly(QStringLiteral("IF A THEN\nSUB S\nEND SUB\nEND IF")), QStringLiteral("error 52321"));
    EXPECT_EQ(ScanOnly(QStringLiteral("NEXT")), QStringLiteral("error 52340"));
    EXPECT_EQ(ErrorSubject, stNEXT);
    // A bare NEXT takes a comment as NEXT I does.
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2\nNEXT ' note")), QStringLiteral("FOR #I = 1 TO 2 | NEXT | |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2\nNEXT REM note")), QStringLiteral("FOR #I = 1 TO 2 | NEXT | |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2 : NEXT {note}")), QStringLiteral("FOR #I = 1 TO 2 : NEXT |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2 : NEXT {note} I")), QStringLiteral("FOR #I = 1 TO 2 : NEXT |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("FOR I = 1 TO 2 : NEXT {note} 5")), QStringLiteral("error 52341"));
}

// DIM, PUBLIC and CONST end at a comment as at ":"; nothing of it is copied.
TEST_F(LineScanner, DeclarationsEndAtAComment)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("DIM A REM note: B\nPUBLIC C {note}")),
              QStringLiteral("DIM #A | | DIM #C |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST K = 1 REM note\nCONST L = 2 {note} : X = L")),
              QStringLiteral("| | : #X = 2 |"));
}

TEST_F(LineScanner, RoutineHeadersGetRangeCellsAndScopedParameters)
{
    const QString pre = ScanOnly(QStringLiteral("A = 1\nSUB S(P, Q$(), R AS BOOLEAN)\nB = P\nEND SUB"));
    EXPECT_EQ(pre, QStringLiteral("#A = 1 | SUB %S LBVP0 LBVP1 LNVP2 LNVP4 LSVP0 LSVP1 "
                                  "( #0001P , StrArrVar(0001Q$) , @0001R ) | #0001B = #0001P | ENDSUB | |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("SUB S$\nEND SUB")), QStringLiteral("error 52322"));
}

TEST_F(LineScanner, TwoWordStatementsAndChannels)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("LINE INPUT A$")), QStringLiteral("LINEINPUT A$ |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("PRINT #1, X")), QStringLiteral("PRINT# 1 , #X |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CLOSE #1")), QStringLiteral("CLOSE # 1 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("PRINT #2, USING \"##.#\"; X")), QStringLiteral("InnerSt278 2 ##.# ; #X |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = 1 # 2")), QStringLiteral("error 52371"));
    EXPECT_EQ(ScanOnly(QStringLiteral("SEEK #1, 10 : P = SEEK(1)")),
              QStringLiteral("SEEK # 1 , 10 : #P = SEEK  ( 1 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("OPTION EXPLICIT ON")), QStringLiteral("InnerSt276 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("OPTION EXPLICIT ' note")), QStringLiteral("OPTIONEXPLICIT | |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("OPTION EXPLICIT REM note")), QStringLiteral("OPTIONEXPLICIT | |"));
}

TEST_F(LineScanner, ArgumentCountsChooseTheVariant)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("X = MSGBOX(\"a\") + MSGBOX(\"a\", 1) + MSGBOX(\"a\", 1, \"t\")")),
              QStringLiteral("#X = MSGBOX ( a ) + InnerFn10081 ( a , 1 ) + InnerFn20081 ( a , 1 , t ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = MSGBOX(1, 2, 3, 4)")), QStringLiteral("error 50011"));
    EXPECT_EQ(ScanOnly(QStringLiteral("LOADPICTURE()")), QStringLiteral("LOADPICTURE |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("LOADPICTURE(\"a.bmp\")")), QStringLiteral("InnerSt1113 ( a.bmp ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("LOADPICTURE(10, 20)")), QStringLiteral("InnerSt2113 ( 10 , 20 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("GSCREEN(640, 480, 320, 240)")),
              QStringLiteral("InnerSt1092 ( 640 , 480 , 320 , 240 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("GSCREEN(640)")), QStringLiteral("error 50024"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = RND + RND(1)")), QStringLiteral("#X = RND + InnerFn10097 ( 1 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("RANDOMIZE : RANDOMIZE 5")), QStringLiteral("RANDOMIZE : InnerSt1147 5 |"));
    // Comments count for nothing: a block comment is a blank, a line comment ends the count.
    EXPECT_EQ(ScanOnly(QStringLiteral("X = ROUND(1 {, 2}) + ROUND({(} 1, 2)")),
              QStringLiteral("#X = ROUND ( 1 ) + InnerFn10098 ( 1 , 2 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("RANDOMIZE REM note\nRANDOMIZE {note}")), QStringLiteral("RANDOMIZE | | RANDOMIZE |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = MSGBOX(\"a\" ' b, c, d, e")), QStringLiteral("#X = MSGBOX ( a | |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = ROUND(LEN(\"a, (b\"))")), QStringLiteral("#X = ROUND ( LEN ( a, (b ) ) |"));
}

// Counting a keyword's arguments ahead reads a member dot as the scan does:
// the member reads inside the brackets give the same variants as any other
// argument, the look-ahead leaves no error behind, and member and property
// words never become variables (OPTION EXPLICIT has nothing to refuse).
TEST_F(LineScanner, MemberReadsInsideCountedArguments)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("WRITEALLTEXT(\"m.txt\", MEDIAPLAYER.MODE)")),
              QStringLiteral("WRITEALLTEXT ( m.txt , InnerFn1269 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = ROUND(AUDIOMIXER.MASTERVOLUME) + ROUND(AUDIOMIXER.MASTERMUTE, 1)")),
              QStringLiteral("#X = ROUND ( InnerFn1193 ) + InnerFn10098 ( InnerFn1192 , 1 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("GSCREEN(AUDIOMIXER.MASTERVOLUME, 100)")),
              QStringLiteral("GSCREEN ( InnerFn1193 , 100 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("A$ = READALLTEXT(MEDIAPLAYER.MODE) + READALLTEXT(CLIPBOARD.GETTEXT, 1)")),
              QStringLiteral("A$ = READALLTEXT ( InnerFn1269 ) + InnerFn10092 ( InnerFn222 , 1 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = MSGBOX(MEDIAPLAYER.MODE) + MSGBOX(CLIPBOARD.GETTEXT, AUDIOMIXER.MASTERVOLUME)")),
              QStringLiteral("#X = MSGBOX ( InnerFn1269 ) + InnerFn10081 ( InnerFn222 , InnerFn1193 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("A$ = INPUT$(AUDIOMIXER.MASTERVOLUME) + SPLIT$(CLIPBOARD.GETTEXT, \".\")")),
              QStringLiteral("A$ = InnerFn10056 ( InnerFn1193 ) + SPLIT$ ( 0 , InnerFn222 , . ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = ROUND(CBUTTON(1).LEFT) + MSGBOX(CLABEL(2).CAPTION, 1)")),
              QStringLiteral("#X = ROUND ( InnerFn2205 ( 1 ) ) + InnerFn10081 ( InnerFn2209 ( 2 ) , 1 ) |"));
    EXPECT_EQ(NumVarCount, 1);  // X only
    EXPECT_EQ(ScanOnly(QStringLiteral("OPTION EXPLICIT\nDIM X\nX = ROUND(AUDIOMIXER.MASTERVOLUME, 1)\n"
                                      "X = MSGBOX(MEDIAPLAYER.MODE, CBUTTON(1).TOP)")),
              QStringLiteral("OPTIONEXPLICIT | DIM #X | #X = InnerFn10098 ( InnerFn1193 , 1 ) | "
                             "#X = InnerFn10081 ( InnerFn1269 , InnerFn2206 ( 1 ) ) |"));
    // An error inside the brackets is still found, by the scan, where it stands.
    EXPECT_EQ(ScanOnly(QStringLiteral("X = ROUND(1.2.3)")), QStringLiteral("error 54101"));
    EXPECT_EQ(ErrorReadPos, 11);
}

TEST_F(LineScanner, SettingsReadAsFunctionsOutsideStatementPosition)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("FORECOLOR = 5 : X = FORECOLOR")),
              QStringLiteral("FORECOLOR = 5 : #X = InnerFn1072 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("X = AUDIOMIXER.MASTERVOLUME\nAUDIOMIXER.MASTERVOLUME = 50")),
              QStringLiteral("#X = InnerFn1193 | InnerSt193 = 50 |"));
}

TEST_F(LineScanner, ControlPropertiesAreWordsNotVariables)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("CBUTTON(3).CAPTION = \"OK\"")), QStringLiteral("InnerFn1196 ( 3 ) = OK |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("A$ = CBUTTON(3).TEXT : B = CBUTTON(3).CLICK")),
              QStringLiteral("A$ = InnerFn2196 ( 3 ) : #B = InnerFn1197 ( 3 ) |"));
    EXPECT_EQ(NumVarCount, 1);  // B only: CAPTION, TEXT and CLICK are never variables
    EXPECT_EQ(ScanOnly(QStringLiteral("CBUTTON(3).CLICK = 1")), QStringLiteral("error 50022"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CLABEL(1).NOSUCH = 1")), QStringLiteral("error 50022"));
    // Inside a routine the words still match.
    EXPECT_EQ(ScanOnly(QStringLiteral("SUB S\nCLABEL(2).TOP = 5\nEND SUB")),
              QStringLiteral("SUB %S LBVP0 LBVP0 LNVP1 LNVP1 LSVP0 LSVP0 | InnerFn1218 ( 2 ) = 5 | ENDSUB | |"));
}

TEST_F(LineScanner, CommentsNeverReachTheLexer)
{
    EXPECT_EQ(Translate(QStringLiteral(u"' 日本語のコメント\nREM 100% done\nX = 1 ' 終わり\n{ 複数行\nの注釈 }\nY = 2")),
              QStringLiteral("| ( 1 ) LET #X | ( 2 ) LET #Y |"));
}

TEST_F(LineScanner, ConsoleLinesStartInStatementPositionAndStayInTheScratchArea)
{
    ASSERT_TRUE(TranslateProgramText(QStringLiteral("A = 1\r\n")));
    const int32_t codeEnd = CodeEnd;
    ASSERT_TRUE(TranslateCommandLine(QStringLiteral("PRECISION = 7")));
    EXPECT_EQ(PreCodeArray[1].FirstCode, ckStatement);
    EXPECT_EQ(PreCodeArray[1].SecondCode, stPRECISION);
    EXPECT_EQ(CodeEnd, codeEnd);

    QString longLine = QStringLiteral("A = 1");
    for (int i = 0; i < 40; ++i)
        longLine += QStringLiteral(" : A = 1");
    EXPECT_FALSE(TranslateCommandLine(longLine));
    EXPECT_EQ(ErrorNumber, 30103);
    EXPECT_EQ(Listing(), QStringLiteral("( 1 ) LET #A |"));  // the program is untouched
}

TEST_F(LineScanner, PositionsAfterAnIncludedFileCountInTheUsersText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("inc.ovt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("B = 2\r\nC = 3\r\n");
    file.close();
    const QString include = QStringLiteral("INCLUDE \"%1\"").arg(file.fileName());
    const QString program = QStringLiteral("A = 1\r\n") + include + QStringLiteral("\r\nD = )");
    EXPECT_FALSE(TranslateProgramText(program));
    // ")" stands at the fifth character of the program's third line.
    const int32_t expected = int32_t(QStringLiteral("A = 1\r\n").size() + include.size() + 2 + 5);
    EXPECT_EQ(ErrorPos, expected);
}

TEST_F(LineScanner, PublicDeclaresItsNamesOnce)
{
    EXPECT_EQ(Translate(QStringLiteral("PUBLIC X, Y$\nX = 1")), QStringLiteral("| ( 1 ) LET #X |"));
}


// A DEF FN's body is rewritten as any expression is: argument-count forms,
// member and property reads, block comments and signs.
TEST_F(LineScanner, DefBodiesAreRewrittenAsAnyExpression)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("DEF FNR(X) = ROUND(X, 2) {c} + RND(1) + -2 ^ X")),
              QStringLiteral("DEF &FNR PoPL1 NLNV1 NLSV0 = InnerFn10098 ( L1 , 2 ) + InnerFn10097 ( 1 ) + - 2 ^ L1 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DEF FNV(X) = AUDIOMIXER.MASTERVOLUME + MEDIAPLAYER.MODE"
                                      " + CBUTTON(1).LEFT + MSGBOX(\"q\", X)")),
              QStringLiteral("DEF &FNV PoPL1 NLNV1 NLSV0 = InnerFn1193 + InnerFn1269 + InnerFn2205 ( 1 )"
                             " + InnerFn10081 ( q , L1 ) |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("DEF FNV$(X) = CLIPBOARD.GETTEXT + \"a\" ' c")),
              QStringLiteral("DEF FNV$ PoPL1 NLNV1 NLSV0 = InnerFn222 + a | |"));
}

// A constant where a statement begins is no line number and no value to
// assign: 53000, naming the constant. Elsewhere it is its value.
TEST_F(LineScanner, AConstantCannotBeginAStatement)
{
    const struct {
        const char *program;
        const char *name;
    } cases[] = {
        {"CONST C = 1\nC = 2", "C"},
        {"CONST C = 2.5\nX = 1 : C = 2", "C"},
        {"CONST Msg$ = \"a\"\nIF X THEN Msg$ = \"b\"", "MSG$"},
        {"CONST B AS BOOLEAN = TRUE\n10 B = FALSE", "B"},
        {"SUB S\nCONST K = 1\nK = 3\nEND SUB", "K"},
        // what stands for a blank before the name: a comment, a continuation
        {"CONST K = 1\n{c} K = 2", "K"},
        {"CONST K$ = \"a\"\n{c}{d}K$ = \"b\"", "K$"},
        {"CONST K = 1\nX = 1 : _\n  K = 2", "K"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ScanOnly(QString::fromUtf8(c.program)), QStringLiteral("error 53000")) << c.program;
        EXPECT_EQ(ErrorSubjectText, QString::fromUtf8(c.name)) << c.program;
    }
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST C = 1\nX = C : IF C THEN C2 = C")),
              QStringLiteral("| #X = 1 : IF 1 THEN | #C2 = 1 : ENDIF |"));
}

// A sign before a constant's number belongs to the literal.
TEST_F(LineScanner, ConstantsTakeSignedNumbers)
{
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST NEG = -5, PLUS = +3\nPUBLIC CONST P = -7\nX = NEG + PLUS + P")),
              QStringLiteral("| | #X = -5 + 3 + -7 |"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST S$ = -\"a\"")), QStringLiteral("error 50024"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST S$ = -5")), QStringLiteral("error 50022"));
    EXPECT_EQ(ScanOnly(QStringLiteral("CONST N = -5 ^ 2")), QStringLiteral("error 50024"));
}

// The records of DO WHILE and DO UNTIL are internal codes: block errors name DO.
TEST_F(LineScanner, BlockErrorsNameDoForItsLoopForms)
{
    for (const char *program : {"DO UNTIL X\nWEND", "DO WHILE X\nNEXT", "DO WHILE X\nLOOP UNTIL X",
                                "DO UNTIL X\nEND IF", "DO UNTIL X\nEXIT SUB"}) {
        EXPECT_TRUE(ScanOnly(QString::fromUtf8(program)).startsWith(u"error 52")) << program;
        EXPECT_EQ(ErrorSubject, stDO) << program;
    }
}

// A DEF, SUB or FUNCTION typed in the console would leave its code in cells
// the next typed line overwrites and take over the program's routine of that
// name: it is refused, and the program's own DEF keeps its count.
TEST_F(LineScanner, ATypedLineDefinesNoRoutine)
{
    ASSERT_TRUE(TranslateProgramText(QStringLiteral("DEF FNR(X, Y) = X + Y\r\nSUB T(A)\r\nEND SUB\r\n")));
    for (const char *line : {"DEF FNR(X) = X : PRINT FNR(1, 2)", "DEF FNQ(X) = X * 2", "SUB T : END SUB",
                             "SUB Q(X) : PRINT X : END SUB", "SUB T", "X = 1 : FUNCTION G(X) : G = X : END FUNCTION",
                             "DIM B(5) : B(1) = 2", "PUBLIC P AS STRING", "DIM N"}) {
        ClearError();
        EXPECT_FALSE(TranslateCommandLine(QString::fromUtf8(line))) << line;
        EXPECT_EQ(ErrorNumber, 20001) << line;
    }
    ClearError();
    EXPECT_TRUE(TranslateCommandLine(QStringLiteral("PRINT FNR(1, 2)")));
    EXPECT_FALSE(TranslateCommandLine(QStringLiteral("PRINT FNR(1)")));
    EXPECT_EQ(ErrorNumber, 53132);
}
