#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "language/OVNumTbl.h"
#include "language/OVPreCode.h"
#include "language/OVTranslator.h"
#include "translate_fixture.h"

#include <QRegularExpression>
#include <initializer_list>

using namespace ov;

// Readable failure messages.

namespace {

QString Lines(std::initializer_list<const char *> lines)
{
    QStringList parts;
    for (const char *line : lines)
        parts << QString::fromUtf8(line);
    return parts.join(QStringLiteral("\r\n"));
}

} // namespace

class TranslateFlow : public TranslateFixture {
protected:
    // Translates hand-made pre-code: statement sequences that the line
    // scanner would already refuse never reach the translators otherwise.
    static void Fresh()
    {
        InitInterpreter();
        ErrorNumber = 0;
        ErrorSubject = 0;
    }

    static QString TranslatePreCode(std::initializer_list<CodeType> cells)
    {
        PreCodePos = ProgramStart;
        for (const CodeType &cell : cells)
            EmitPreCode(cell);
        EmitPreCode(CodeType{ckEof, 0, 0});
        PreCodeScanEnd = PreCodePos;
        InitCode();
        RunMode = 0;
        PreCodePos = ProgramStart;
        CodePos = ProgramStart;
        TranslateStatements();
        if (ErrorNumber != 0)
            return QStringLiteral("error %1").arg(ErrorNumber);
        return Listing();
    }

    static const NumVarType *NumRecord(const QString &name)
    {
        for (int32_t i = 1; i <= NumVarCount; ++i)
            if (NumVars[size_t(i)].Name == name)
                return &NumVars[size_t(i)];
        return nullptr;
    }

    static int32_t IndexOfStatement(int32_t statement)
    {
        for (int32_t i = ProgramStart; i < int32_t(CodeArray.size()); ++i)
            if (CodeArray[size_t(i)].FirstCode == ckStatement && CodeArray[size_t(i)].SecondCode == statement)
                return i;
        return -1;
    }
};

// ---------------------------------------------------------------- FOR

TEST_F(TranslateFlow, ForLoopTestsTheLimitAtTheTopAndStepsAtNext)
{
    // 101 ( 1 ) LET I :(106) ( 3 I >= ) IF @X(113) : | ... NEXT ... X:(134)
    EXPECT_EQ(Translate(Lines({"FOR I = 1 TO 3", "X = X + I", "NEXT", ""})),
              QStringLiteral("( 1 ) LET #I : ( 3 #I >= ) IF @134 : | "
                             "( #X #I + ) LET #X | "
                             "( 1 #I + ) LET #I GOTO @106 : |"));
}

TEST_F(TranslateFlow, StepLoopAndExitForLeavesOnlyTheInnerLoop)
{
    // The outer loop's test is (3 - I) * (SGN(-1) + 0.5) >= 0; the constant
    // 0.5 lists as 0. EXIT FOR lands after the inner NEXT, not the outer one.
    EXPECT_EQ(Translate(Lines({"FOR I = 3 TO 1 STEP -1", "FOR J = 1 TO I", "IF J = 2 THEN EXIT FOR", "NEXT",
                               "NEXT", ""})),
              QStringLiteral("( 3 ) LET #I : ( 1 #I - 0 1 ChgSgn SGN + * 0 >= ) IF @175 : | "
                             "( 1 ) LET #J : ( #I #J >= ) IF @163 : | "
                             "( #J 2 = ) IF @151 : | GOTO @163 : : | "
                             "( 1 #J + ) LET #J GOTO @129 : | "
                             "( 1 ChgSgn #I + ) LET #I GOTO @106 : |"));
}

// ---------------------------------------------------------------- IF

TEST_F(TranslateFlow, IfElseIfElseFalseJumpsFallThroughAndEndJumpsMeetAtEndIf)
{
    EXPECT_EQ(Translate(Lines({"IF A = 1 THEN", "B = 1", "ELSEIF A = 2 THEN", "B = 2", "ELSE", "B = 3", "END IF",
                               ""})),
              QStringLiteral("( #A 1 = ) IF @118 : | ( 1 ) LET #B | "
                             "GOTO @144 : ( #A 2 = ) IF @137 : | ( 2 ) LET #B | "
                             "GOTO @144 : | ( 3 ) LET #B | : |"));
    EXPECT_TRUE(IfStack.Empty());
}

// ---------------------------------------------------------------- WHILE and DO

TEST_F(TranslateFlow, WhileAndDoLoopForms)
{
    // EXIT DO lands two cells past the LOOP UNTIL test's jump, after its ":".
    EXPECT_EQ(Translate(Lines({"DO", "IF X > 1 THEN EXIT DO", "LOOP UNTIL X > 1", "WHILE X > 1", "WEND",
                               "DO UNTIL X > 1", "LOOP", "DO", "LOOP WHILE X > 1", "DO", "LOOP", ""})),
              QStringLiteral(": | ( #X 1 > ) IF @115 : | GOTO @125 : : | ( #X 1 > ) IF @101 : | "
                             "( #X 1 > ) IF @137 : | GOTO @126 : | "
                             "( #X 1 > ) InnerSt257 @150 : | GOTO @139 : | "
                             ": | ( #X 1 > ) InnerSt257 @152 : | "
                             ": | GOTO @163 : |"));
}

// ---------------------------------------------------------------- SELECT CASE

TEST_F(TranslateFlow, SelectCaseTestsAndJumps)
{
    // List tests carry their count as a literal; IS < is the test 255
    // (value greater than the selector); every end jump meets at END SELECT.
    EXPECT_EQ(Translate(Lines({"SELECT CASE N", "CASE 5", "X = 1", "CASE 1, 2, 3", "X = 2", "CASE IS < 0", "X = 3",
                               "CASE 6 TO 9", "X = 4", "CASE ELSE", "X = 5", "END SELECT", ""})),
              QStringLiteral("( 5 ) ( #N ) 1 InnerSt252 @120 | ( 1 ) LET #X | "
                             "GOTO @191 | ( 1 ) ( 2 ) ( 3 ) ( #N ) 3 InnerSt252 @145 | ( 2 ) LET #X | "
                             "GOTO @191 | ( 0 ) ( #N ) InnerSt255 @163 | ( 3 ) LET #X | "
                             "GOTO @191 | ( 6 ) ( 9 ) ( #N ) InnerSt259 @184 | ( 4 ) LET #X | "
                             "GOTO @191 | ( 5 ) LET #X | : |"));
    EXPECT_TRUE(SelectorStack.Empty());
    EXPECT_TRUE(CaseNextStack.Empty());
    EXPECT_TRUE(CaseEndStack.Empty());
}

TEST_F(TranslateFlow, SelectCaseKeepsALineNumberBeforeTheFirstCase)
{
    // The line number still defines its line; the test follows its ":".
    EXPECT_EQ(Translate(Lines({"10 SELECT CASE N", "20 CASE IS >= 2", "30 END SELECT", ""})),
              QStringLiteral(": : ( 2 ) ( #N ) InnerSt254 @114 | : : |"));
    EXPECT_EQ(LineNumberCount, 3);
}

TEST_F(TranslateFlow, NestedSelectsKeepTheirOwnJumps)
{
    EXPECT_EQ(Translate(Lines({"SELECT CASE A", "CASE 1", "SELECT CASE B", "CASE 2", "CASE ELSE", "END SELECT",
                               "END SELECT", ""})),
              QStringLiteral("( 1 ) ( #A ) 1 InnerSt252 @127 | "
                             "( 2 ) ( #B ) 1 InnerSt252 @124 | "
                             "GOTO @125 | : | : |"));
    EXPECT_TRUE(CaseNextStack.Empty());
    EXPECT_TRUE(CaseEndStack.Empty());
}

// ---------------------------------------------------------------- jumps

TEST_F(TranslateFlow, GotoGosubReturnAndRestoreTargets)
{
    EXPECT_EQ(Translate(Lines({"10 GOSUB 30", "20 GOTO *E", "30 RETURN", "*E", "RESTORE 10", "RESTORE *E",
                               "RESTORE", ""})),
              QStringLiteral(": GOSUB 30 | : GOTO *E | : RETURN | *E | RESTORE 10 | RESTORE *E | RESTORE |"));
}

TEST_F(TranslateFlow, SingleLineIfWithALineNumberJumps)
{
    EXPECT_EQ(Translate(Lines({"10 IF A THEN 10", ""})), QStringLiteral(": ( #A ) IF @112 : | GOTO 10 : : |"));
}

// ---------------------------------------------------------------- routines

TEST_F(TranslateFlow, SubWithParametersAndCallWithVariableAndExpression)
{
    // The six range cells come from the scanner: no Booleans, numeric
    // records 2..2 (P, Q), no strings. Parameters are bound last first on
    // entry and pushed back last first at END SUB; the skip jump lands after
    // ENDSUB. A plain variable argument gets its value back, an expression's
    // value is dropped through the placeholder.
    EXPECT_EQ(Translate(Lines({"SUB S(P, Q)", "P = 1", "END SUB", "CALL S(X, 2*Y)", ""})),
              QStringLiteral("GOTO @128 | SubStart LBVP0 LBVP0 LNVP1 LNVP3 LSVP0 LSVP0 "
                             "GlPop #0001Q GlPop #0001P | ( 1 ) LET #0001P | "
                             "SubEnd GlPush #0001Q GlPush #0001P ENDSUB | "
                             "InnerSt195 #X ( 2 #Y * ) | LoPushAll SubJump %S | LoPopAll GlPop #X GlPop DummyCode |"));
    ASSERT_NE(NumRecord(QStringLiteral("S")), nullptr);
    EXPECT_EQ(NumRecord(QStringLiteral("S"))->FirstElement, 105);  // the first range cell
    EXPECT_EQ(RoutineContext, 0);
    EXPECT_TRUE(ParamStack.Empty());
}

TEST_F(TranslateFlow, SubParametersMayBeStringsAndWholeArrays)
{
    const QString listing = Translate(Lines({"SUB T(A$, B(), C)", "END SUB", ""}));
    EXPECT_TRUE(listing.contains(QStringLiteral("GlPop #0001C GlPop NumArrVar(0001B) GlPop "))) << listing.toStdString();
}

TEST_F(TranslateFlow, FunctionPushesItsNameAndExitsLandOnItsEnd)
{
    const QString listing
        = Translate(Lines({"FUNCTION F(N)", "IF N THEN EXIT FUNCTION", "F = N", "END FUNCTION", ""}));
    ASSERT_FALSE(listing.startsWith(QStringLiteral("error"))) << listing.toStdString();
    const int32_t end = IndexOfStatement(isFunctionEnd);
    EXPECT_TRUE(listing.contains(QStringLiteral("GOTO @%1 :").arg(end))) << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("FunctionEnd GlPush F ENDFUNCTION |"))) << listing.toStdString();
    EXPECT_TRUE(listing.startsWith(QStringLiteral("GOTO @%1 | FUNCTION ").arg(end + 4))) << listing.toStdString();
    ASSERT_NE(NumRecord(QStringLiteral("F")), nullptr);
    EXPECT_EQ(NumRecord(QStringLiteral("F"))->FirstElement, IndexOfStatement(stFUNCTION) + 1);
}

TEST_F(TranslateFlow, CallWithoutArgumentsHasNoGlPop)
{
    const QString listing = Translate(Lines({"SUB S", "END SUB", "CALL S", "S", ""}));
    EXPECT_TRUE(listing.endsWith(QStringLiteral("ENDSUB | InnerSt195 | LoPushAll SubJump %S | LoPopAll | "
                                                "InnerSt195 | LoPushAll SubJump %S | LoPopAll |")))
        << listing.toStdString();
}

TEST_F(TranslateFlow, DefFnBodyIsBareWithItsFrameCells)
{
    const QString listing = Translate(Lines({"DEF FNA(X, Y$) = X * 2", ""}));
    const QRegularExpression layout(
        QStringLiteral("^DEF PoPL(\\d+)\\$ PoPL(\\d+) NLNV1 NLSV1 L\\2 2 \\* InnerSt237 : \\|$"));
    EXPECT_TRUE(layout.match(listing).hasMatch()) << listing.toStdString();
    ASSERT_NE(NumRecord(QStringLiteral("FNA")), nullptr);
    EXPECT_EQ(NumRecord(QStringLiteral("FNA"))->FirstElement, ProgramStart + 1);
}

// ---------------------------------------------------------------- argument counts

// A call of a SUB, FUNCTION or DEF FN with more or fewer arguments than the
// routine's parameters is 53132, named at the routine's name in the call,
// wherever the routine stands in the text.
TEST_F(TranslateFlow, ACallWithTheWrongArgumentCountIsNamedAtTheCall)
{
    const struct {
        const char *program;
        const char *call;  // the text the error names, unique in the program
    } cases[] = {
        {"SUB ADD(A, B)\nPRINT A + B\nEND SUB\nCALL ADD(1)", "ADD(1)"},
        {"SUB ADD(A, B)\nEND SUB\nCALL ADD(1, 2, 3)", "ADD(1, 2, 3)"},
        {"CALL ADD(1)\nSUB ADD(A, B)\nEND SUB", "ADD(1)"},
        {"SUB S(A)\nEND SUB\nX = 1 : S\nY = 2", "S\r\nY"},
        {"SUB S\nEND SUB\nS(X)", "S(X)"},
        {"DIM B(2)\nSUB S(A())\nEND SUB\nCALL S(B(), B())", "S(B(), B())"},
        {"SUB S\nCALL U(1)\nEND SUB\nSUB U\nEND SUB", "U(1)"},
        {"FUNCTION TWICE(A)\nTWICE = 2 * A\nEND FUNCTION\nX = 1\nPRINT TWICE(X, 5) + 1", "TWICE(X, 5)"},
        {"PRINT 1 + TWICE(2, 3)\nFUNCTION TWICE(A)\nTWICE = 2 * A\nEND FUNCTION", "TWICE(2, 3)"},
        {"FUNCTION G(A)\nG = A\nEND FUNCTION\nPRINT G + 1", "G + 1"},
        {"FUNCTION G\nG = 1\nEND FUNCTION\nPRINT G(1)", "G(1)"},
        {"FUNCTION F(A, B)\nF = A\nEND FUNCTION\nX = F(F(1), 2)", "F(1)"},
        {"FUNCTION F(N)\nF = F(N - 1, 1)\nEND FUNCTION", "F(N - 1, 1)"},
        {"FUNCTION T$(A$, N)\nT$ = A$\nEND FUNCTION\nA$ = T$(\"a,b\")", "T$(\"a,b\")"},
        {"FUNCTION B(X) AS BOOLEAN\nB = X > 1\nEND FUNCTION\nIF B() THEN X = 1", "B() THEN"},
        {"DEF FNA(X) = X * 2\nPRINT FNA(1, 2)", "FNA(1, 2)"},
        {"PRINT FNB$(\"x\")\nDEF FNB$(A$, N) = LEFT$(A$, N)", "FNB$(\"x\")"},
        // a DEF FN or FUNCTION named as a CALL's argument is a call, not a variable
        {"DEF FNA(X) = X * 2\nSUB S(A, B)\nEND SUB\nCALL S(FNA, 1)", "FNA, 1"},
        {"CALL S(F, 1)\nSUB S(A, B)\nEND SUB\nFUNCTION F(X)\nEND FUNCTION", "F, 1"},
        // a header continued between its name and "(" still counts its parameters
        {"SUB S _\n(A, B)\nEND SUB\nCALL S(1)", "S(1)"},
        // the statements' own errors leave the count's error, which names the call
        {"FUNCTION F$(A)\nEND FUNCTION\nCLIPBOARD.SETTEXT(F$(1, 2))", "F$(1, 2)"},
        {"FUNCTION F$(A)\nEND FUNCTION\nWRITEALLTEXT(F$(1, 2), \"x\")", "F$(1, 2)"},
        {"FUNCTION F$(A)\nEND FUNCTION\nAPPENDALLTEXT(\"t\", F$(1, 2))", "F$(1, 2)"},
        {"FUNCTION F(A)\nEND FUNCTION\nFORECOLOR = F(1, 2)", "F(1, 2)"},
        {"FUNCTION F$(A)\nEND FUNCTION\nDIM S$(3)\nS$() = READALLLINES(F$())", "F$())"},
    };
    for (const auto &c : cases) {
        SetUp();
        const QString program = WithCrLf(QString::fromUtf8(c.program));
        EXPECT_EQ(Translate(program), QStringLiteral("error 53132")) << c.program;
        EXPECT_EQ(ErrorPos, program.indexOf(QString::fromUtf8(c.call)) + 1) << c.program;
    }
}

// Every count that fits translates; the cells of such calls are those the
// routines' tests above show.
TEST_F(TranslateFlow, CallsWithTheirRoutinesParameterCountTranslate)
{
    const char *programs[] = {
        "X = F(F(1, 2), (3)) + F((4), 5) + F(G, G())\nFUNCTION F(A, B)\nF = A\nEND FUNCTION\n"
        "FUNCTION G\nG = 1\nEND FUNCTION",
        "FUNCTION SUMUP(N)\nIF N < 1 THEN SUMUP = 0 ELSE SUMUP = N + SUMUP(N - 1)\nEND FUNCTION",
        "DIM B(2)\nCALL S(B(), 1) : S(B(), B(1))\nSUB S(A(), N)\nEND SUB",
        "A$ = T$(\"a,b\", 1) + FNB$(\"(,)\", 1)\nFUNCTION T$(A$, N)\nT$ = A$\nEND FUNCTION\n"
        "DEF FNB$(A$, N) = LEFT$(A$, N)",
        "SUB S\nEND SUB\nCALL S : S",
        "SUB S _\n  (A, _\n  B)\nEND SUB\nCALL S(1, 2)\nFUNCTION F _\n(A)\nEND FUNCTION\nX = F(1)",
        "DEF FNA(X) = X * 2\nSUB S(A, B)\nEND SUB\nCALL S(FNA(1), 1)",
    };
    for (const char *program : programs) {
        SetUp();
        EXPECT_FALSE(Translate(QString::fromUtf8(program)).startsWith(QStringLiteral("error"))) << program;
    }
    // An empty argument, an empty bracket among them, is a fault of the call's form.
    for (const char *program : {"SUB S\nEND SUB\nCALL S()", "SUB S(A, B)\nEND SUB\nCALL S(1, )",
                                "SUB S(A, B)\nEND SUB\nS(, 2)"}) {
        SetUp();
        EXPECT_EQ(Translate(QString::fromUtf8(program)), QStringLiteral("error 53012")) << program;
    }
}

// Lines typed in the console and the event runs' "Call CButtonN_Click" are
// checked against the routines of the last program.
TEST_F(TranslateFlow, ConsoleLinesAndEventCallsCountTheArgumentsToo)
{
    ASSERT_EQ(Translate(Lines({"SUB ADD(A, B)", "END SUB", "SUB CButton1_Click(A)", "END SUB",
                               "FUNCTION F(A)", "F = A", "END FUNCTION", "DEF FNA(X) = X", ""}))
                  .left(5),
              QStringLiteral("GOTO "));
    EXPECT_TRUE(TranslateCommandLine(QStringLiteral("CALL ADD(1, 2) : PRINT F(1) + FNA(2)")));
    for (const char *line : {"CALL ADD(1)", "ADD(1, 2, 3)", "Call CButton1_Click", "PRINT F(1, 2)", "PRINT FNA"}) {
        ClearError();
        EXPECT_FALSE(TranslateCommandLine(QString::fromUtf8(line))) << line;
        EXPECT_EQ(ErrorNumber, 53132) << line;
    }
}

// ---------------------------------------------------------------- errors

TEST_F(TranslateFlow, StatementErrors)
{
    const struct {
        const char *program;
        int error;
    } cases[] = {
        {"IF A : THEN\r\nEND IF", 565},
        {"FOR I 1 TO 3\r\nNEXT", 552},
        {"FOR I = 1 STEP 2\r\nNEXT", 553},
        {"EXIT FOR", 53021},
        {"WHILE X\r\nEXIT FOR\r\nWEND", 53021},
        {"EXIT DO", 53022},
        {"FUNCTION F\r\nEXIT SUB\r\nEND FUNCTION", 54108},
        {"SUB S\r\nEXIT FUNCTION\r\nEND SUB", 54108},
        {"EXIT SUB", 54108},
        {"SELECT CASE\r\nCASE 1\r\nEND SELECT", 583},
        {"SELECT CASE X\r\nY = 1\r\nCASE 1\r\nEND SELECT", 582},
        {"SELECT CASE X\r\nCASE 1; 2\r\nEND SELECT", 581},
        {"SELECT CASE X\r\nCASE IS + 1\r\nEND SELECT", 585},
        {"SELECT CASE X\r\nCASE 1 TO 2, 3\r\nEND SELECT", 585},
        {"SELECT CASE X\r\nCASE 1, , 3\r\nEND SELECT", 585},
        {"GOTO X", 606},
        {"GOSUB *1", 571},
        {"GOSUB +", 572},
        {"GOSUB X", 573},
        {"RESTORE *A$", 54085},
        {"SUB S\r\nEND SUB\r\nCALL S 1", 53011},
        {"SUB S(A)\r\nEND SUB\r\nCALL S(1; 2)", 53012},
        {"SUB S(A B)\r\nEND SUB", 53003},
        {"FOR OUTPUT = 1 TO 2", 551},
        {"SELECT CASE X\r\nCASE 1\r\nCASE ELSE\r\nCASE 2\r\nEND SELECT", 584},
        {"SELECT CASE X\r\nCASE 1\r\nCASE ELSE\r\nCASE ELSE\r\nEND SELECT", 584},
    };
    for (const auto &c : cases) {
        SetUp();
        EXPECT_EQ(Translate(QString::fromUtf8(c.program)), QStringLiteral("error %1").arg(c.error)) << c.program;
    }
}

// An inner SELECT's CASE ELSE ends only its own clauses.
TEST_F(TranslateFlow, CaseElseOfAnInnerSelectLeavesTheOuterCasesOpen)
{
    EXPECT_FALSE(Translate(Lines({"SELECT CASE X", "CASE 1", "SELECT CASE Y", "CASE 2", "CASE ELSE", "END SELECT",
                                  "CASE 3", "END SELECT", ""}))
                     .startsWith(QStringLiteral("error")));
}

TEST_F(TranslateFlow, ClosingStatementsWithoutTheirBlock)
{
    const CodeType eol{ckOperator, opEndOfLine, 1};
    Fresh();
    EXPECT_EQ(TranslatePreCode({{ckStatement, stNEXT, 1}, eol}), QStringLiteral("error 556"));
    Fresh();
    EXPECT_EQ(TranslatePreCode({{ckStatement, stWEND, 1}, eol}), QStringLiteral("error 558"));
    Fresh();
    EXPECT_EQ(TranslatePreCode({{ckStatement, isLoopWhile, 1}, {ckBoolConst, 1, 2}, eol}),
              QStringLiteral("error 558"));
    Fresh();
    EXPECT_EQ(TranslatePreCode({{ckStatement, stENDIF, 1}, eol}), QStringLiteral("error 567"));
    Fresh();
    EXPECT_EQ(TranslatePreCode({{ckStatement, stENDSELECT, 1}, eol}), QStringLiteral("error 567"));
}

TEST_F(TranslateFlow, SearchesStopAtTheEndOfThePreCode)
{
    const CodeType eol{ckOperator, opEndOfLine, 1};
    Fresh();
    // SELECT CASE whose CASE never comes.
    EXPECT_EQ(TranslatePreCode({{ckStatement, stSELECTCASE, 1}, {ckBoolConst, 1, 2}, eol, eol}),
              QStringLiteral("error 582"));
    Fresh();
    // DEF whose "=" never comes.
    if (NumVars.size() < 2)
        NumVars.resize(2);
    NumVars[1].Name = QStringLiteral("FNA");
    NumVarCount = 1;
    EXPECT_EQ(TranslatePreCode({{ckStatement, stDEF, 1}, {ckNumVar, 1, 5}, {ckLocalNumCount, 0, 5},
                                {ckLocalStrCount, 0, 5}, eol}),
              QStringLiteral("error 53000"));
}
