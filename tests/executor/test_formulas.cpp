// Formulas compiled and evaluated at run time, the small statements beside
// them and the HELP listings, run end to end through the headless host.
#include "devices/OVGraphState.h"
#include "executor/OVFormula.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVPreCode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

using namespace ov;

namespace {

class Formulas : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        SetRunHost(&host_);
    }
    void TearDown() override
    {
        runs_.Join();
        SetRunHost(nullptr);
    }

    QStringList RunProgram(const QString &program)
    {
        StartProgram(program);
        return Finish();
    }
    void StartProgram(const QString &program)
    {
        SourceText = QString(program).replace(u'\n', QStringLiteral("\r\n"));
        RunMode = 0;
        ProgramRunning = 1;
        StopRequested = 0;
        Start();
    }
    QStringList RunLine(const QString &line)
    {
        RunCommand = line;
        RunMode = 1;
        Start();
        return Finish();
    }
    void Start()
    {
        before_ = int(host_.Console().Lines().size());
        ASSERT_TRUE(runs_.Start());
    }
    QStringList Finish()
    {
        runs_.Join();
        return host_.Console().Lines().mid(before_);
    }

    HeadlessHost host_;
    RunController runs_;
    int before_ = 0;
};

QStringList Lines(std::initializer_list<const char16_t *> texts)
{
    QStringList lines;
    for (const char16_t *text : texts)
        lines << QString::fromUtf16(text);
    return lines << QStringLiteral("OK") << QString();
}

QString Sum(int terms)
{
    QStringList ones;
    for (int i = 0; i < terms; ++i)
        ones << QStringLiteral("1");
    return ones.join(u'+');
}

} // namespace

TEST_F(Formulas, TranslationErrorsGoToTheErrorVariableAndKeepTheFormula)
{
    const std::vector<std::pair<QString, int>> cases = {
        {QStringLiteral("(1 + 2"), 152}, {QStringLiteral("1 + 2)"), 151}, {QStringLiteral("1, 2"), 153},
        {QString(), 138}, {QStringLiteral("PRINT 1"), 138}, {QStringLiteral("1 2"), 54083},
        {Sum(48), 30103},  // 97 cells with the brackets
        {Sum(200), 30103}, // more pre-code than the scratch area holds
    };
    QString program = QStringLiteral("STRTOFORM(\"6 * 7\", F@, E)\n");
    for (const auto &c : cases)
        program += QStringLiteral("STRTOFORM(\"%1\", F@, E): PRINT E\n").arg(c.first);
    program += QStringLiteral("EVALFORM(F@, Y, E): PRINT Y; E\n");
    program += QStringLiteral("STRTOFORM(\"%1\", F@, E): EVALFORM(F@, Y, E): PRINT Y; E").arg(Sum(47));
    QStringList expected;
    for (const auto &c : cases)
        expected << u' ' + QString::number(c.second);
    expected << QStringLiteral(" 42 0") << QStringLiteral(" 47 0") << QStringLiteral("OK") << QString();
    EXPECT_EQ(RunProgram(program), expected);
}

TEST_F(Formulas, StatementWordsInAFormulaLeaveTheProgramsNamesAlone)
{
    QStringList lines = RunProgram(QStringLiteral(
        "FNA = 4: K = 1\n"
        "STRTOFORM(\"DEF FNA(Q) = Q\", G@, E): PRINT E\n"
        "STRTOFORM(\"CONST K = 5\", G@, E): PRINT E\n"
        "STRTOFORM(\"SUB K\", G@, E): PRINT E\n"
        "FNA = FNA + 1: PRINT FNA; K"));
    EXPECT_EQ(lines, Lines({u" 138", u" 138", u" 138", u" 5 1"}));
    EXPECT_EQ(RunLine(QStringLiteral("K = K + 1: PRINT K")), Lines({u" 2"}));
}

TEST_F(Formulas, EvaluationErrorsKeepTheFirstAndTheRunGoesOn)
{
    const QStringList lines = RunProgram(QStringLiteral(
        "STRTOFORM(\"5 / 0\", F@, E): EVALFORM(F@, Y, E): PRINT Y; E\n"
        // "+" fails and leaves the string; LET then fails as a consequence
        "Q$ = \"x\": STRTOFORM(\"Q$ + 1\", F@, E): EVALFORM(F@, Y, E): PRINT Y; E\n"
        "EVALFORM(G@, Y, E): PRINT Y; E"));
    EXPECT_EQ(lines, Lines({u" 5 50019", u" 5 50015", u" 5 5011"}));
    EXPECT_EQ(TagStackTop, 0);
}

TEST_F(Formulas, EvalFormFromTheConsoleLeavesTheLineAndTheProgramIntact)
{
    RunProgram(QStringLiteral("X = 2: S$ = \"ab\"\nSTRTOFORM(\"X ^ 3 + LEN(S$)\", F@, E)"));
    const int32_t end = CodeEnd;
    const int32_t scanEnd = PreCodeScanEnd;
    const std::vector<CodeType> program(CodeArray.begin() + 101, CodeArray.begin() + end + 1);
    EXPECT_EQ(RunLine(QStringLiteral("EVALFORM(F@, Y, E): PRINT Y; E: PRINT \"after\"")),
              Lines({u" 10 0", u"after"}));
    EXPECT_EQ(CodeEnd, end);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), CodeArray.begin() + 101));
    EXPECT_EQ(RunLine(QStringLiteral("STRTOFORM(\"X + 1\", G@, E): X = 1: EVALFORM(F@, Y, E): PRINT Y")),
              Lines({u" 3"}));
    EXPECT_EQ(PreCodeScanEnd, scanEnd);
}

TEST_F(Formulas, OperandsThatCannotTakeANumberAreOrdinaryErrors)
{
    QStringList lines = RunProgram(QStringLiteral(
        "STRTOFORM(\"1\", F@, E)\n*HERE\nEVALFORM(F@, HERE, E)\nPRINT \"not reached\""));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("EvalForm"))) << lines[0].toStdString();
    lines = RunProgram(QStringLiteral("DIM A(2)\nSTRTOFORM(\"1\", F@, A)\nPRINT \"not reached\""));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("StrToForm"))) << lines[0].toStdString();
}

TEST_F(Formulas, ListingsOfNamesAndPlaces)
{
    QStringList lines = RunProgram(QStringLiteral(
        "DIM B AS BOOLEAN\nX = -1.5: S$ = \"hi\": B = TRUE\nSUB P(N)\nEND SUB\nHELP -UV"));
    EXPECT_EQ(lines, Lines({u"Boole変数・Boole配列変数", u"  B : TRUE", u"数値変数・数値配列変数", u"  X : -1.5",
                            u"  N : 0", u"文字列変数・文字列配列変数", u"  S$ : hi", u"宣言定数・変数・配列変数",
                            u"  B : BooleanVariable", u"  P : Sub", u"  N : NumberLocalVariable"}));

    lines = RunProgram(QStringLiteral("X = 1\nPRINT X; X\nHELP -CR\nPRINT \"not reached\""));
    EXPECT_EQ(lines, Lines({u" 1 1", u"数値変数クロスリファレンス", u"", u"X", u"   1:1", u"   2:7", u"   2:10", u"",
                            u"文字列変数クロスリファレンス"}));

    lines = RunProgram(QStringLiteral("HELP -RW"));
    EXPECT_EQ(lines.first(), QStringLiteral(u"予約語"));
    EXPECT_TRUE(lines.contains(QStringLiteral("MOD")) && lines.contains(QStringLiteral("YEARTIMER")));
    EXPECT_FALSE(lines.contains(QStringLiteral("ChgSgn")));  // has lower-case letters
    EXPECT_EQ(lines.indexOf(QString()), lines.size() - 1);   // empty table entries are no names
}

TEST_F(Formulas, CodeListingsEndAfterAFailedTranslation)
{
    RunProgram(QStringLiteral("A = 1\nFOR I = 1 TO 2"));  // the scan fails: no code at all
    EXPECT_EQ(RunLine(QStringLiteral("HELP -CR: PRINT 1")).mid(0, 4),
              (QStringList{QStringLiteral(u"数値変数クロスリファレンス"), QString(), QStringLiteral("A"), QString()}));
    QStringList lines = RunLine(QStringLiteral("HELP -ORVANEC"));
    EXPECT_EQ(lines.mid(lines.size() - 3), Lines({u"0 : NumofRegisteredAStrVar"}));
    lines = RunProgram(QStringLiteral("A = 1\nHELP -ORVANEC\nPRINT 2"));
    EXPECT_TRUE(lines.contains(QStringLiteral("[115:33]EOF")));  // the code listing's end cell
    EXPECT_FALSE(lines.contains(QStringLiteral(" 2")));
}

TEST_F(Formulas, SleepSetVersionHelpAndMouse)
{
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunProgram(QStringLiteral("SLEEP(-5): SLEEP(0): SLEEP(150): PRINT 1")), Lines({u" 1"}));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, std::chrono::milliseconds(150));
    EXPECT_LT(elapsed, std::chrono::seconds(2));

    started = std::chrono::steady_clock::now();
    StartProgram(QStringLiteral("SLEEP(20000)"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    StopRequested = 1;
    Finish();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));

    RunProgram(QStringLiteral("SETVERSION(-7.15)"));
    EXPECT_EQ(LanguageVersion, 71);
    RunProgram(QStringLiteral("SETVERSION(123)"));
    EXPECT_EQ(LanguageVersion, 1000);
    EXPECT_TRUE(RunProgram(QStringLiteral("SETVERSION(\"1\")")).first().contains(QStringLiteral("SETVERSION")));

    RunProgram(QStringLiteral("HELP"));
    EXPECT_EQ(host_.HelpTopics(), QStringList{QString()});

    RunProgram(QStringLiteral("B = 7: C = 8"));  // a run of a program clears the mouse state
    PublishMouse({2, 10, 30});
    EXPECT_EQ(RunLine(QStringLiteral("MOUSE(A, B, C): PRINT A; B; C")), Lines({u" 2 7 8"}));
    EXPECT_EQ(PeekMouse().Event, 0);
    EXPECT_EQ(PeekMouse().X, 10);
    GraphScreenOpen = 1;
    const auto saved = MouseToWorld;
    MouseToWorld = [](int32_t px, int32_t py, long double &x, long double &y) {
        x = px / 2.0L;
        y = py / 2.0L;
        return true;
    };
    EXPECT_EQ(RunLine(QStringLiteral("MOUSE(A, B, C): PRINT A; B; C")), Lines({u" 0 5 15"}));
    MouseToWorld = saved;
    GraphScreenOpen = 0;
}

// MOUSE gives the position in world coordinates, y turned over while
// MATHGRAPH is on.
TEST_F(Formulas, MouseTurnsYOverUnderMathGraph)
{
    RunProgram(QStringLiteral("GSCREEN(101, 61): WINDOW (0, 0)-(10, 6): MATHGRAPH ON"));
    PublishMouse({2, 50, 20});
    EXPECT_EQ(RunLine(QStringLiteral("MOUSE(A, B, C): PRINT A; B; C")), Lines({u" 2 5 4"}));
    PublishMouse({2, 50, 20});
    EXPECT_EQ(RunLine(QStringLiteral("MATHGRAPH OFF: MOUSE(A, B, C): PRINT A; B; C")), Lines({u" 2 5 2"}));
    GraphScreenOpen = 0;
}
