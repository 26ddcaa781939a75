#include "language/OVBoolTbl.h"
#include "language/OVErrorMessage.h"
#include "language/OVNumTbl.h"
#include "language/OVStrTbl.h"
#include "language/OVTranslator.h"
#include "translate_fixture.h"

#include <string>

using namespace ov;

namespace {

class TranslateOther : public TranslateFixture {
protected:
    // Each program of a test starts without the previous one's error.
    static std::string Translate(const char *program)
    {
        ErrorNumber = 0;
        ErrorSubject = 0;
        return TranslateFixture::Translate(QString::fromUtf8(program)).toStdString();
    }

    // The error of a program that must fail, with its subject.
    static std::string Fails(const char *program)
    {
        const std::string result = Translate(program);
        return ErrorSubject ? result + " subject " + std::to_string(ErrorSubject) : result;
    }
};

} // namespace

TEST_F(TranslateOther, AssignmentPutsValueThenSubscriptsLastFirst)
{
    EXPECT_EQ(Translate("A = 1 + 2"), "( 1 2 + ) LET #A |");
    EXPECT_EQ(Translate("LET B$ = \"x\""), "( x ) LET B$ |");
    EXPECT_EQ(Translate("DIM A(3, 4)\r\nA(I, J) = X"), "| ( #X ) ( #J ) ( #I ) LET A |");

    EXPECT_EQ(Fails("LET 5 = 1"), "error 601");
    EXPECT_EQ(Fails("A(1) = 2"), "error 602");
    EXPECT_EQ(Fails("A ="), "error 603");
    EXPECT_EQ(Fails("A = 1 TO 2"), "error 501 subject 106");
    EXPECT_EQ(Fails("DIM A(3, 4)\r\nA(1) = 0"), "error 612");
    EXPECT_EQ(Fails("DIM A(3, 4)\r\nA(1, 2, 3) = 0"), "error 612");
    // an array parameter's record gives no count: the subscripts end at ")"
    const std::string sub = Translate("SUB S(A())\r\nA(1, 2) = 0\r\nEND SUB");
    EXPECT_NE(sub.find("| ( 0 ) ( 2 ) ( 1 ) LET 0001A |"), std::string::npos) << sub;
    EXPECT_EQ(Fails("DIM A(3)\r\nA 1 = 0"), "error 612");
}

TEST_F(TranslateOther, PrintSeparatorsAndLineEnd)
{
    EXPECT_EQ(Translate("PRINT A, B; C"), "( #A ) PRINT ^21 ( #B ) PRINT ( #C ) PRINT ^PrintCR |");
    EXPECT_EQ(Translate("PRINT"), "^PrintCR |");
    EXPECT_EQ(Translate("PRINT A;"), "( #A ) PRINT |");
    EXPECT_EQ(Translate("PRINT A,"), "( #A ) PRINT ^21 |");
    EXPECT_EQ(Fails("PRINT TO"), "error 604");
}

TEST_F(TranslateOther, PrintToFileEndsLineWithLastItem)
{
    EXPECT_EQ(Translate("PRINT #1, A, B"), "( #A ) 1 PRINT# 1 ^Print#, ( #B ) 1 InnerSt277 |");
    EXPECT_EQ(Translate("PRINT #1,"), "1 ^Print#CR |");
    EXPECT_EQ(Translate("PRINT #2, A;"), "( #A ) 2 PRINT# |");

    EXPECT_EQ(Fails("PRINT #X, A"), "error 650");
    EXPECT_EQ(Fails("PRINT #9, A"), "error 653");
    EXPECT_EQ(Fails("PRINT #1.5, A"), "error 653");
    EXPECT_EQ(Fails("PRINT #1 A"), "error 651");
}

TEST_F(TranslateOther, PrintUsingEmitsItemsLastFirstBelowThePicture)
{
    EXPECT_EQ(Translate("PRINT USING \"##\"; A, B"), "( #B ) ( #A ) ## PRINTUSING ^PrintCR : |");
    EXPECT_EQ(Translate("PRINT USING \"##\"; A;"), "( #A ) ## PRINTUSING : |");
    EXPECT_EQ(Translate("PRINT USING F$; A,"), "( #A ) F$ PRINTUSING ^21 : |");
    EXPECT_EQ(Translate("PRINT #2, USING \"#\"; X"), "( #X ) # 2 InnerSt278 ^PrintCR : |");

    EXPECT_EQ(Fails("PRINT USING A; B"), "error 661");
    EXPECT_EQ(Fails("PRINT USING \"#\" B"), "error 662");
    EXPECT_EQ(Fails("PRINT USING \"#\"; TO"), "error 660");
    EXPECT_EQ(Fails("PRINT #0, USING \"#\"; X"), "error 653");
}

TEST_F(TranslateOther, InputTakesReplyItemsThroughWorkingVariables)
{
    EXPECT_EQ(Translate("INPUT A"), "INPUT , FirstCode=8,SecondCode=2 InnerSt243 : ANV1 LET #A :");
    EXPECT_EQ(Translate("INPUT \"N\"; A$"), "INPUT ; N InnerSt244 : ASV1 LET A$ :");
    EXPECT_EQ(Translate("DIM A(3)\r\nINPUT A(1), B : PRINT"),
              "| INPUT , FirstCode=8,SecondCode=2 InnerSt243 : ANV1 ( 1 ) LET A : InnerSt243 : ANV1 LET #B : "
              "^PrintCR |");

    EXPECT_EQ(Fails("INPUT \"N\" A"), "error 621");
    EXPECT_EQ(Fails("INPUT A B"), "error 620");
    EXPECT_EQ(Fails("INPUT"), "error 620");
    EXPECT_EQ(Fails("DIM A(3, 3)\r\nINPUT A(1)"), "error 620");
}

TEST_F(TranslateOther, LineInputAndFileInput)
{
    EXPECT_EQ(Translate("LINE INPUT \"P\"; A$"), "LINEINPUT P ASV1 : ASV1 LET A$ | : |");
    EXPECT_EQ(Translate("LINE INPUT #1, A$"), "LINEINPUT# 1 ASV1 : ASV1 LET A$ | : |");
    EXPECT_EQ(Translate("DIM S$(2)\r\nLINE INPUT S$(1)"), "| LINEINPUT ASV1 : ASV1 ( 1 ) LET S$ | : |");
    EXPECT_EQ(Translate("INPUT #1, A, B$"), "INPUT# 1 #A : INPUT# 1 B$ : |");
    EXPECT_EQ(Translate("DIM C(2)\r\nINPUT #3, C(I)"), "| INPUT# 3 ANV1 : ANV1 ( #I ) LET C : |");

    EXPECT_EQ(Fails("LINE INPUT A"), "error 624");
    EXPECT_EQ(Fails("LINE INPUT \"P\" A$"), "error 624");
    EXPECT_EQ(Fails("LINE INPUT #0, A$"), "error 625");
    EXPECT_EQ(Fails("DIM S$(2)\r\nLINE INPUT S$(1, 1)"), "error 623");
    EXPECT_EQ(Fails("INPUT #1 A"), "error 625");
    EXPECT_EQ(Fails("INPUT #1, 5"), "error 501 subject 103");
}

TEST_F(TranslateOther, DataAndRead)
{
    EXPECT_EQ(Translate("DATA 1, \"x\", -2\r\nREAD A, B$"), "DATA 1 x -2 | READ #A : READ B$ : |");
    EXPECT_EQ(DataCount, 1);
    ASSERT_GE(DataLines.size(), 2u);
    EXPECT_EQ(DataLines[1], 101);
    EXPECT_EQ(Translate("DIM A(2)\r\nREAD A(I)"), "| READ ANV1 : ANV1 ( #I ) LET A : |");

    EXPECT_EQ(Fails("DATA X"), "error 501 subject 38");
    EXPECT_EQ(Fails("READ 1"), "error 501 subject 148");
    EXPECT_EQ(Fails("READ A B"), "error 501 subject 148");
    EXPECT_EQ(Fails("DIM A(2)\r\nREAD A(1"), "error 612");
}

TEST_F(TranslateOther, DimLaysOutArraysAtTranslation)
{
    EXPECT_EQ(Translate("DIM A(3, 4), B$(2), C(2.6)"), "|");
    EXPECT_EQ(NumArrayCount, 20 + 4);
    EXPECT_EQ(StrArrayCount, 3);
    const NumVarType &a = NumVars[1];
    EXPECT_EQ(a.Kind, nvArray);
    EXPECT_EQ(a.Dimensions, 2);
    EXPECT_EQ(a.Bound[0], 3);
    EXPECT_EQ(a.Bound[1], 4);
    EXPECT_EQ(a.FirstElement, 1);
    EXPECT_EQ(NumVars[2].FirstElement, 21);
    EXPECT_EQ(NumVars[2].Bound[0], 3);
    EXPECT_EQ(StrVars[1].Kind, svArray);
    EXPECT_EQ(int(NumArrayData.size()), 25);

    EXPECT_EQ(Translate("DIM X"), "|");
    EXPECT_EQ(NumVars[1].Kind, nvSimple);

    EXPECT_EQ(Translate("DIM P(1) AS BOOLEAN, Q(2, 2) AS BOOLEAN"), "|");
    EXPECT_EQ(BoolArrayCount, 2 + 9);
    EXPECT_EQ(BoolVars[2].FirstElement, 3);
    EXPECT_EQ(BoolVars[2].Kind, bvArray);
}

TEST_F(TranslateOther, DimRejectsBadBoundsAndHugeArrays)
{
    EXPECT_EQ(Fails("DIM A(1, 1, 1, 1, 1, 1)"), "error 54090");
    EXPECT_EQ(Fails("DIM A(N)"), "error 611");
    EXPECT_EQ(Fails("DIM A(5000000000)"), "error 611");
    EXPECT_EQ(Fails("DIM A(2147483647.6)"), "error 611");
    EXPECT_EQ(Fails("DIM A(3) B(2)"), "error 501 subject 42");
    // element counts beyond 32 bits, and products beyond 64 bits
    EXPECT_EQ(Fails("DIM A(100000, 100000)"), "error 30101");
    EXPECT_EQ(Fails("DIM A(2000000000, 2000000000, 2000000000)"), "error 30101");
    EXPECT_EQ(NumArrayCount, 0);
}

TEST_F(TranslateOther, OpenAndClose)
{
    EXPECT_EQ(Translate("OPEN \"f.txt\" FOR INPUT AS #1"), "OPEN f.txt INPUT 1 |");
    EXPECT_EQ(Translate("OPEN F$ FOR APPEND AS #8"), "OPEN F$ APPEND 8 |");
    EXPECT_EQ(Translate("CLOSE"), "CLOSE 0 |");
    EXPECT_EQ(Translate("CLOSE #1, #2"), "CLOSE 1 : CLOSE 2 |");

    EXPECT_EQ(Fails("OPEN \"f\" FOR OUTPUT AS #9"), "error 40001");
    EXPECT_EQ(Fails("OPEN 5 FOR OUTPUT AS #1"), "error 40002");
    EXPECT_EQ(Fails("OPEN \"f\" FOR OUTPUT 1"), "error 40002");
    EXPECT_EQ(Fails("CLOSE 1"), "error 50024 subject 26");
    EXPECT_EQ(Fails("CLOSE #1 2"), "error 40003");
}

TEST_F(TranslateOther, DrawingStatementsKeepDefaultsOfEmptyPlaces)
{
    EXPECT_EQ(Translate("CIRCLE (10, 10), 5, , 2"), "( 10 ) ( 10 ) ( 5 ) CIRCLE -1 2 -1 -1 -1 -1 |");
    EXPECT_EQ(Translate("CLS"), "CLS 1 |");
    EXPECT_EQ(Translate("CLS 2"), "CLS 2 |");
    EXPECT_EQ(Translate("LINE (0, 0)-(9, 9), C"), "( 0 ) ( 0 ) ( 9 ) ( 9 ) LINE #C -1 |");
    EXPECT_EQ(Translate("PSET (1, 2)"), "( 1 ) ( 2 ) PSET -1 |");
    EXPECT_EQ(Translate("WINDOW (0, 0)-(1, 1)"), "( 0 ) ( 0 ) ( 1 ) ( 1 ) WINDOW |");

    EXPECT_EQ(Fails("CLS A+1"), "error 501 subject 29");
    EXPECT_EQ(Fails("CIRCLE (1, 1) 5"), "error 50024 subject 23");
    EXPECT_EQ(Fails("LINE (0, 0), (1, 1)"), "error 811");
    EXPECT_EQ(Fails("WINDOW (0, 0) (1, 1)"), "error 801");
    EXPECT_EQ(Fails("PAINT (1, 2), 3 4"), "error 700");
}

TEST_F(TranslateOther, SwapGoesThroughTheWorkingVariable)
{
    EXPECT_EQ(Translate("DIM A(3), B(3)\r\nSWAP A(I), B(J)"),
              "| ( #I ) A LET ANV1 : ( #J ) B ( #I ) LET A : ANV1 ( #J ) LET B |");
    EXPECT_EQ(Translate("SWAP X$, Y$"), "X$ LET ASV1 : Y$ LET X$ : ASV1 LET Y$ |");
    EXPECT_EQ(Translate("DIM P AS BOOLEAN, Q AS BOOLEAN\r\nSWAP P, Q"),
              "| @P LET FirstCode=63,SecondCode=1 : @Q LET @P : FirstCode=63,SecondCode=1 LET @Q |");

    EXPECT_EQ(Fails("SWAP 1, A"), "error 50024 subject 169");
    EXPECT_EQ(Fails("SWAP A, B$"), "error 50024 subject 169");
    EXPECT_EQ(Fails("SWAP A B"), "error 50024 subject 169");
    EXPECT_EQ(Fails("DIM A(1, 1, 1)\r\nSWAP A(1, 1, 1), X"), "error 50024 subject 169");
    EXPECT_EQ(Fails("DIM A(3)\r\nSWAP A(1, X"), "error 612");
}

TEST_F(TranslateOther, FileAndFormulaStatements)
{
    EXPECT_EQ(Translate("NAME \"a\" AS \"b\""), "( a ) ( b ) NAME |");
    EXPECT_EQ(Translate("FILECOPY \"a\", \"b\""), "( a ) ( b ) FILECOPY |");
    EXPECT_EQ(Translate("FILES"), "FILES FirstCode=8,SecondCode=1 |");
    EXPECT_EQ(Translate("RUN \"p.ovt\""), "( p.ovt ) LOAD : RUN |");
    EXPECT_EQ(Translate("MOUSE (A, B, C)"), "MOUSE #A #B #C |");

    EXPECT_EQ(Fails("FILES 5"), "error 701");
    EXPECT_EQ(Fails("NAME \"a\", \"b\""), "error 700");
    EXPECT_EQ(Fails("MOUSE (A, B)"), "error 53030");
    EXPECT_EQ(Fails("STRTOFORM (1, F@, V)"), "error 5001");
    EXPECT_EQ(Fails("EVALFORM (X, X, V)"), "error 5011");
}

// The statements whose arguments stand in parentheses refuse them bare.
TEST_F(TranslateOther, ParenthesisedArgumentsAreRequired)
{
    EXPECT_EQ(Translate("SETENCODING (\"Shift_JIS\")"), "( Shift_JIS ) SETENCODING |");
    const std::string setEncoding = "error 50022 subject " + std::to_string(stSETENCODING);
    EXPECT_EQ(Fails("SETENCODING \"Shift_JIS\""), setEncoding);
    EXPECT_EQ(Fails("SETENCODING \"Shift_JIS\", 1"), setEncoding);
    EXPECT_EQ(Fails("SLEEP 5"), "error 50022 subject " + std::to_string(stSLEEP));
}

// A CONST wants a literal after "=" and then the end of its list or a ",".
TEST_F(TranslateOther, ConstantsRefuseNamesWhereValuesOrTheEndBelong)
{
    const std::string syntax = "error 50024 subject " + std::to_string(stCONST);
    EXPECT_EQ(Fails("CONST A = B"), syntax);
    EXPECT_EQ(Fails("CONST A$ = B$"), syntax);
    EXPECT_EQ(Fails("CONST A = 5 B = 3"), syntax);
    EXPECT_EQ(Fails("CONST A = 5, B = C"), syntax);
    EXPECT_EQ(Fails("SUB S\nCONST A = B\nEND SUB"), syntax);
    EXPECT_EQ(Fails("PUBLIC CONST A = B"), "error 50024 subject " + std::to_string(stPUBLICCONST));
    EXPECT_EQ(Translate("CONST A = 5, B$ = \"b\"\nPRINT A; B$"), "| ( 5 ) PRINT ( b ) PRINT ^PrintCR |");
}

// A statement form of READALLLINES reports its faults as the function's.
TEST_F(TranslateOther, ReadAllLinesFaultsNameTheFunction)
{
    const std::string fault = "error 50011 subject " + std::to_string(fnREADALLLINES);
    EXPECT_EQ(Fails("DIM S$(3)\nS$() = READALLLINES(1 2)"), fault);
    EXPECT_EQ(Fails("DIM S$(3)\nS$() = READALLLINES(\"a\", 1 2)"), fault);
}

// The whole-file statements end with their call: what follows is an error
// (the READALLLINES form is an assignment), not a line number to run on from.
TEST_F(TranslateOther, WholeFileStatementsEndWithTheirCall)
{
    const struct {
        const char *program;
        const char16_t *message;
    } cases[] = {
        {"DIM S$(3)\nS$() = READALLLINES(\"f\") 5", u"LET文が正しく終わっていません。"},
        {"DIM S$(3)\nLET S$() = READALLLINES(\"f\", 932) X", u"LET文が正しく終わっていません。"},
        {"DIM S$(3)\nWRITEALLLINES(\"f\", S$()) 5", u"WRITEALLLINES文が正しく終わっていません。"},
        {"DIM S$(3)\nWRITEALLLINES(\"f\", S$(), 932) 5", u"WRITEALLLINES文が正しく終わっていません。"},
    };
    for (const auto &c : cases) {
        Translate(c.program);
        EXPECT_EQ(ErrorNumber, 501) << c.program;
        EXPECT_EQ(BuildErrorMessage(ErrorNumber), QString::fromUtf16(c.message)) << c.program;
    }
    Translate("DIM S$(3)\nS$() = READALLLINES(\"f\") : WRITEALLLINES(\"g\", S$(), 932)\nEND");
    EXPECT_EQ(ErrorNumber, 0);
}

// A statement written through an object, a variant or an inner form, and a
// member read at a statement start, name in their messages the keyword they
// were written with: never an empty name, nor the statement that merely
// shares the number.
TEST_F(TranslateOther, StatementFaultsNameTheKeywordTheyWereWrittenWith)
{
    struct Case {
        const char *program;
        const char16_t *message;
    };
    const Case cases[] = {
        // member reads (function cells) at a statement start
        {"CLIPBOARD.GETTEXT 1 2", u"コマンド CLIPBOARD の実行で型の不一致が起きました。"},
        {"10 20 AUDIOMIXER.MASTERMUTE 1 2", u"コマンド AUDIOMIXER の実行で型の不一致が起きました。"},
        {"10 20 AUDIOMIXER.MASTERVOLUME 1 2", u"コマンド AUDIOMIXER の実行で型の不一致が起きました。"},
        // member statements, variants and inner statements
        {"AUDIOMIXER.MASTERVOLUME = 1 2", u"コマンド AUDIOMIXER の実行で型の不一致が起きました。"},
        {"CLIPBOARD.SETTEXT 1 2", u"コマンド CLIPBOARD の実行で型の不一致が起きました。"},
        {"MEDIAPLAYER.OPEN 1 2", u"コマンド MEDIAPLAYER の実行で型の不一致が起きました。"},
        {"RANDOMIZE 1 2", u"コマンド RANDOMIZE の実行で型の不一致が起きました。"},
        {"LOADPICTURE(\"a\", 1 2)", u"コマンド LOADPICTURE の実行で型の不一致が起きました。"},
        {"GSCREEN(1, 2, 3, 4 5)", u"コマンド GSCREEN の実行で型の不一致が起きました。"},
        {"WRITEALLLINES(\"a\", 1, 2)", u"コマンド WRITEALLLINES の実行で型の不一致が起きました。"},
        {"CLIPBOARD.CLEAR 1", u"CLIPBOARD文が正しく終わっていません。"},
        {"MEDIAPLAYER.PLAY 1", u"MEDIAPLAYER文が正しく終わっていません。"},
        {"HELP -RW 1", u"HELP文が正しく終わっていません。"},
        {"DO\nLOOP 1", u"LOOP文が正しく終わっていません。"},
        // a label has no keyword (its "*" is operator 12, not CASE)
        {"*L 1", u"文が正しく終わっていません。"},
        // control properties still name their control
        {"CBUTTON(1).CAPTION = 1 2", u"コマンド CBUTTON の実行で型の不一致が起きました。"},
    };
    for (const Case &c : cases) {
        Translate(c.program);
        EXPECT_EQ(BuildErrorMessage(ErrorNumber), QString::fromUtf16(c.message)) << c.program;
    }
}
