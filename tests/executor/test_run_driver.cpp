// The run driver end to end: a program runs on its worker thread through the
// headless host, and the end-of-run report, stop and continue behave as a
// person at the console would see them.
#include "devices/OVKeySetting.h"
#include "executor/OVEventRun.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "executor/OVStack.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <thread>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class RunDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        SetRunHost(&host_);
    }
    void TearDown() override
    {
        runs_.Join();
        StopAfterCells = 0;
        SetRunHost(nullptr);
    }

    // Runs the program as the editor's Run command does.
    QStringList RunProgram(const QString &program)
    {
        SourceText = QString(program).replace(u'\n', QStringLiteral("\r\n"));
        RunMode = 0;
        ProgramRunning = 1;
        StopRequested = 0;
        return Run();
    }

    // Runs a line typed in the console.
    QStringList RunLine(const QString &line)
    {
        RunCommand = line;
        RunMode = 1;
        return Run();
    }

    QStringList Run()
    {
        const int before = int(host_.Console().Lines().size());
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        return host_.Console().Lines().mid(before);
    }

    HeadlessHost host_;
    RunController runs_;
};

const QString kLoop = QStringLiteral(
    "S = 0\n"
    "DIM A(4)\n"
    "FOR I = 1 TO 4\n"
    "  A(I) = I * I\n"
    "  S = S + A(I) * 2 - 1\n"
    "  IF S > 10 THEN S = S - 1\n"
    "NEXT I\n"
    "PRINT S; A(3)");

} // namespace

// Every error, from the declaration pre-scan, the line scanner, the
// translators and the run, names the first character of the token at fault:
// on the line as given and, moved down by two lines, on the third.
TEST_F(RunDriver, EveryErrorNamesTheFirstCharacterOfItsToken)
{
    struct Case {
        const char16_t *program;
        int32_t error, line, column;
    };
    const Case cases[] = {
        // lexer and pre-scan
        {u"A = 1\u3000+ 2", 30001, 1, 6},
        {u"A = 1 ~ 2", 1, 1, 7},
        {u"A = 1 ` 2", 1, 1, 7},
        {u"X = 1 : Y = 2 ~ 3", 1, 1, 15},
        {u"DIM X~", 1, 1, 6},
        {u"X = 1E", 54101, 1, 5},
        {u"A$ = \"abc", 55001, 1, 6},
        {u"DIM ABCDEFGHIJABCDEFGHIJABCDEFGHIJK", 30005, 1, 5},
        {u"DIM A$ AS REAL", 54097, 1, 5},
        {u"PUBLIC A\nPUBLIC A", 52315, 2, 8},
        // line scanner
        {u"PRINT \"a\" # 1", 52371, 1, 11},
        {u"WRITE #1, A", 52371, 1, 7},
        {u"FOR 1 = 1 TO 2", 52330, 1, 5},
        {u"FOR I = 1 TO 2\nNEXT J", 52342, 2, 6},
        {u"IF A THEN\nWEND", 52350, 2, 1},
        {u"IF 1 THEN\nPRINT 2", 52305, 1, 6},
        {u"SUB S$\nEND SUB", 52322, 1, 5},
        {u"OPTION EXPLICIT\nB = 1", 55005, 2, 1},
        {u"CONST C = \"a\"", 50022, 1, 11},
        {u"CONST C = B", 50024, 1, 11},
        {u"CONST C = 5 B = 3", 50024, 1, 13},
        // translators
        {u"CLS A+1", 501, 1, 6},
        {u"COLOR 1", 50025, 1, 1},
        {u"WRITEALLBYTES 1", 3, 1, 1},
        {u"\"a\"", 50027, 1, 1},
        {u") = 1", 53000, 1, 1},
        {u"10 A = 1\n20 A = 2\n15 A = 3", 54103, 3, 1},
        {u"FORECOLOR 5", 52201, 1, 11},
        {u"PRINT #9, 1", 653, 1, 8},
        {u"PRINT #1 1", 651, 1, 10},
        {u"INPUT #1 1", 625, 1, 10},
        {u"OPEN \"a\" 1", 40002, 1, 10},
        {u"DIM A(N)", 611, 1, 7},
        {u"DIM A(3)\nA(1, 2) = 1", 612, 2, 6},
        {u"FILES 1, 2", 701, 1, 7},
        {u"LINE 1", 700, 1, 6},
        {u"LINE (1, 2) + (3, 4)", 811, 1, 13},
        {u"GOTO +", 606, 1, 6},
        {u"X = &HZZ", 110, 1, 5},
        {u"FOR OUTPUT = 1 TO 2", 551, 1, 5},
        {u"CONST C = 1\nX = 1 : C = 2", 53000, 2, 9},
        {u"SELECT CASE X\nCASE 1\nCASE ELSE\nCASE 2\nEND SELECT", 584, 4, 1},
        {u"CALL S 1\nSUB S\nEND SUB", 53011, 1, 8},
        {u"EXIT FOR", 53021, 1, 1},
        {u"STRTOFORM 1", 5001, 1, 11},
        {u"EVALFORM 1", 5011, 1, 10},
        {u"D = )", 151, 1, 5},
        {u"PRINT (1", 152, 1, 9},
        {u"PRINT ),1", 153, 1, 8},
        {u"PRINT )+(1", 151, 1, 7},
        {u"DIM S$(3)\nS$() = READALLLINES(1 2)", 50011, 2, 23},
        // run time
        {u"X = 2 + \"a\"", 50015, 1, 7},
        {u"X = 5 MOD 0", 1037, 1, 7},
        {u"DIM A(3)\nA(4) = 1", 1401, 2, 1},
        {u"DIM A(3)\nPRINT A(-1)", 1402, 2, 7},
        {u"KILL \"no such file.zzz\"", 2141, 1, 6},
    };
    for (const Case &c : cases) {
        for (const int below : {0, 2}) {
            const QString program = (below ? u"REM a + b\n' c\n"_s : QString()) + QString::fromUtf16(c.program);
            const QStringList lines = RunProgram(program + u'\n');
            const QString expected = u"(%1行,　%2 桁)"_s.arg(c.line + below).arg(c.column);
            EXPECT_TRUE(lines.join(u'|').contains(expected)) << program.toStdString() << "\n" << lines.join(u'|').toStdString();
            EXPECT_EQ(ErrorNumber, c.error) << program.toStdString();
        }
    }
    // A fault inside an included file, from any pass, names the INCLUDE.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char *included : {"PUBLIC Q\r\nPUBLIC Q", "X = 1 ~ 2", "FOR I = 1 TO 2\r\nNEXT J", "X = 1 / 0"}) {
        QFile file(dir.filePath(u"inc.ovt"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(included);
        file.close();
        const QStringList lines = RunProgram(u"A = 1\n' b\n  INCLUDE \"%1\"\nC = 3\n"_s.arg(file.fileName()));
        EXPECT_TRUE(lines.join(u'|').contains(u"(3行,　3 桁)"_s)) << included << "\n" << lines.join(u'|').toStdString();
    }
}

TEST_F(RunDriver, ConsoleLineErrorsHaveNoPositionAndLeaveNoData)
{
    RunProgram(QStringLiteral("A = 1"));
    QStringList lines = RunLine(QStringLiteral("PRINT 1 + \"x\""));
    ASSERT_GE(lines.size(), 2);
    EXPECT_FALSE(lines[0].contains(u'行'));
    EXPECT_EQ(ErrorNumber, 0);
    lines = RunLine(QStringLiteral("PRINT A"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" 1"), QStringLiteral("OK"), QString()}));
}

// Faults named by what is at fault: a constant assigned to, a CASE after
// CASE ELSE, a DO loop closed by the wrong statement; never an empty name
// and never the bare "エラーです。".
TEST_F(RunDriver, MessagesNameWhatIsWrong)
{
    const struct {
        const char16_t *program;
        const char16_t *message;
    } cases[] = {
        {u"CONST LIMIT = 10\nLIMIT = 20",
         u"LIMIT の構文に誤りがあります。\r\nLIMIT は Const で宣言した定数です。定数には代入できません。"},
        {u"SELECT CASE 1\nCASE 1\nCASE ELSE\nCASE 2\nEND SELECT",
         u"Select Case の構文に誤りがあります。\r\n Case の対応や，Case else の順序に誤りがあります。"},
        {u"DO UNTIL X\nWEND", u"Wend が While と正しく対応していません。DO文の誤りも考えられます。"},
        {u"X = &H123456789", u"16進数 &H の書き方に誤りがあります。\r\n16進数は &H の次に 0～9，A～F を 1～8 桁続けた形です。"},
        {u"FOR I 1 TO 2\nNEXT",
         u"For ～ Next の構文に誤りがあります。\r\n For 文に = がありません。For 文は For 数値変数 = 式 To 式 の形です。"},
        {u"GOTO (1)", u"Goto の構文に誤りがあります。\r\nGoto 文は 「Goto *ラベル名」又は「Goto 行番号」 です。"},
        {u"X = 1 THEN", u"Then の構文に誤りがあります。If に対応していません。"},
        {u"CLS 5", u"Cls 文の引数が正しくありません。\r\nCls 文は 「Cls」又は「Cls 1」，「Cls 2」，「Cls 3」 です。"},
        // a character with no place in an expression is shown
        {u"X = 1 }", u"Basic で使われない文字(UNICODE:125)が含まれています。\r\n 又は使う場所に誤りがあります。"},
        {u"PRINT (1).2", u"Basic で使われない文字(UNICODE:46)が含まれています。\r\n 又は使う場所に誤りがあります。"},
        {u"X = F@ + 1", u"Basic で使われない文字(UNICODE:64)が含まれています。\r\n 又は使う場所に誤りがあります。"},
    };
    for (const auto &c : cases) {
        const QStringList lines = RunProgram(QString::fromUtf16(c.program));
        ASSERT_FALSE(lines.isEmpty()) << QString::fromUtf16(c.program).toStdString();
        EXPECT_TRUE(lines.first().startsWith(u"エラー:"_s + QString::fromUtf16(c.message) + u'('))
            << lines.first().toStdString();
    }
}

// A DEF, SUB or FUNCTION typed in the console is refused: its code would
// live in the cells that the next typed line overwrites, and a typed SUB took
// over the program's SUB of that name, whose calls then ran nothing from a
// typed line, after CONT or as an event. The program's own routines stay.
TEST_F(RunDriver, ATypedLineDefinesNoRoutine)
{
    RunProgram(QStringLiteral("DEF FNA(X, Y) = X + Y\nSTOP\nCALL T(1)\nEND\n"
                              "SUB T(A)\nPRINT \"program\"; A\nEND SUB\n"
                              "SUB CButton1_Click\nPRINT \"clicked\"\nEND SUB"));
    const QString refused = QStringLiteral(u"エラー:この コマンドはダイレクトモードではサポートしていません。");
    for (const char16_t *line : {u"DEF FNR(X) = X : PRINT FNR(1, 2)", u"DEF FNQ(X) = X * 2",
                                 u"SUB T(X) : PRINT \"typed\"; X : END SUB", u"SUB T : PRINT \"typed\" : END SUB",
                                 u"SUB T", u"FUNCTION G(X) : G = X : END FUNCTION : PRINT G(1)",
                                 u"SUB CButton1_Click : PRINT \"typed\" : END SUB"})
        EXPECT_EQ(RunLine(QString::fromUtf16(line)), (QStringList{refused, u"OK"_s, QString()}))
            << QString::fromUtf16(line).toStdString();
    EXPECT_FALSE(RunLine(QStringLiteral("PRINT FNQ(3)")).join(u'|').contains(u"サブルーチン"));
    EXPECT_EQ(RunLine(QStringLiteral("PRINT FNA(2, 3)")), (QStringList{u" 5"_s, u"OK"_s, QString()}));
    EXPECT_EQ(RunLine(QStringLiteral("CALL T(2)")), (QStringList{u"program 2"_s, u"OK"_s, QString()}));
    EXPECT_EQ(RunLine(QStringLiteral("CONT")),
              (QStringList{u"実行再開しました。"_s, u"program 1"_s, u"OK"_s, QString()}));
    const int before = int(host_.Console().Lines().size());
    ASSERT_TRUE(StartEventRun(runs_, QStringLiteral("CButton1_Click")));
    runs_.Join();
    EXPECT_EQ(host_.Console().Lines().mid(before), (QStringList{u"clicked"_s, u"OK"_s, QString()}));
}

// The output of a run that was stopped and continued, without the notices
// of the stop and the continuation.
QString WithoutStopNotices(const QStringList &output)
{
    // A stop in the middle of a PRINT line puts its notice on that line.
    QString text = output.join(QString());
    text.remove(QStringLiteral(u"実行中断しました"));
    text.remove(QStringLiteral(u"実行再開しました。"));
    text.remove(QStringLiteral("OK"));
    return text;
}

TEST_F(RunDriver, StopAndContinueAtEveryCellGivesTheSameResult)
{
    const QStringList whole = RunProgram(kLoop);
    ASSERT_EQ(whole.first(), QStringLiteral(" 54 9"));
    for (int k = 1; k < 60; ++k) {
        StopAfterCells = k;
        QStringList output = RunProgram(kLoop);
        StopAfterCells = 0;
        for (int guard = 0; guard < 3 && ProgramRunning == 0 && StopRequested != 0; ++guard)
            output += RunLine(QStringLiteral("CONT"));
        EXPECT_EQ(WithoutStopNotices(output), QStringLiteral(" 54 9")) << "stopped after " << k << " cells";
    }
}

namespace {

// Programs whose loops and calls run through the loop's short cuts: chains
// of plans, rows of cells, calls and returns.
const char16_t *const kStoppedPrograms[] = {
    u"FUNCTION F(N)\nIF N < 2 THEN F = N ELSE F = F(N - 1) + F(N - 2)\nEND FUNCTION\n"
    u"SUB S(A, B$)\nA = A + 1 : B$ = B$ + \"x\"\nEND SUB\n"
    u"X = 1 : Y$ = \"\"\nFOR I = 1 TO 3 : CALL S(X, Y$) : NEXT\nPRINT F(7); X; Y$",
    u"DIM A(30)\nC = 0\nFOR I = 2 TO 30\nIF A(I) = 0 THEN\nC = C + 1\n"
    u"FOR J = I * I TO 30 STEP I\nA(J) = 1\nNEXT J\nEND IF\nNEXT I\nPRINT C",
    u"S = 0\nFOR I = 1 TO 6\nA = I * 0.5\nFOR J = 1 TO 4\nS = S + A * J\nNEXT J\nNEXT I\nPRINT S; I; J",
    u"DIM M(2, 2)\nT$ = \"\" : K = 0\nDO\nK = K + 1 : T$ = T$ + CHR$(64 + K)\nSELECT CASE K MOD 3\nCASE 0\n"
    u"M(1, 2) = M(1, 2) + K\nCASE ELSE\nIF K > 1 AND K < 5 THEN GOTO 10\nEND SELECT\nM(0, 0) = M(0, 0) + 1\n"
    u"10 M(2, 1) = K\nLOOP WHILE K < 6\nPRINT T$; M(1, 2); M(2, 1); M(0, 0)",
};

} // namespace

// A stop after any step, the steps inside the short cuts included, lands on
// a cell from which CONT goes on to the same result.
TEST_F(RunDriver, AStopAnywhereContinuesToTheSameResult)
{
    for (const char16_t *text : kStoppedPrograms) {
        const QString program = QString::fromUtf16(text);
        const QString whole = WithoutStopNotices(RunProgram(program));
        ASSERT_FALSE(whole.isEmpty());
        for (int k = 1;; ++k) {
            StopAfterCells = k;
            QStringList output = RunProgram(program);
            const bool ended = StopAfterCells > 0;  // before its k-th step
            StopAfterCells = 0;
            if (ended)
                break;
            output += RunLine(QStringLiteral("CONT"));
            ASSERT_EQ(WithoutStopNotices(output), whole) << program.toStdString() << "\nstopped after " << k << " steps";
        }
    }
}

TEST_F(RunDriver, EchoOffKeepsTheLeftoverNotice)
{
    const QStringList lines = RunProgram(QStringLiteral("ECHO OFF\nDIM A(5)\nX = A(1, 2)"));
    EXPECT_EQ(lines.size(), 2);  // the notice, then the run's last (empty) line
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(u"処理できないデータが残りました。")));
    EXPECT_EQ(TagStackTop, 0);
}

TEST_F(RunDriver, StopStatementThenContinueFromTheConsole)
{
    QStringList lines = RunProgram(QStringLiteral("PRINT 1\nSTOP\nPRINT 2"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(" 1"), QStringLiteral(u"実行中断しました"),
                                  QStringLiteral("OK"), QString()}));
    lines = RunLine(QStringLiteral("CONT"));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(u"実行再開しました。"), QStringLiteral(" 2"),
                                  QStringLiteral("OK"), QString()}));
    EXPECT_EQ(SavedStopRequested, 0);
    EXPECT_EQ(host_.ButtonModes().back(), ButtonMode::End);
}

// The text with its CR LF and two NULs, plus two, must stay below the limit:
// a mebi-character here, 262,144 on the old Windows systems.
TEST_F(RunDriver, ProgramSizeLimit)
{
    EXPECT_EQ(RunProgram(QString(1048570, u' ')).first(),
              QStringLiteral(u"エラー:プログラムが長すぎます。\r\nプログラムの長さは 1,048,576 文字までです。(1行,　1 桁)"));
    EXPECT_EQ(RunProgram(QString(1048569, u' ')).first(), QStringLiteral("OK"));
    EXPECT_EQ(RunProgram(QString(310893, u' ')).first(), QStringLiteral("OK"));
    const QString system = OSVersionName;
    OSVersionName = QStringLiteral("XP");
    const QStringList refused = RunProgram(QString(262138, u' '));
    const QStringList ok = RunProgram(QString(262137, u' '));
    OSVersionName = system;
    EXPECT_EQ(refused.first().left(4), QStringLiteral(u"エラー:").left(4));
    EXPECT_EQ(ok.first(), QStringLiteral("OK"));
}

namespace {

void ApplySettings(const RunStartSettings &s)
{
    EditorFontName = s.EditorFont.Name;
    EditorFontSize = s.EditorFont.Size;
    EditorFontCharset = s.EditorFont.Charset;
    EditorFontStyle = s.EditorFont.Style;
    EditorFontColor = s.EditorFont.Color;
    TScreenPosAuto = s.TScreenPosAuto;
    TScreenLeft = s.TScreenLeft;
    TScreenTop = s.TScreenTop;
    TScreenHeight = s.TScreenHeight;
    GScreenPosAuto = s.GScreenPosAuto;
    GScreenLeft = s.GScreenLeft;
    GScreenTop = s.GScreenTop;
    ExitMsgCheck = s.ExitMsgCheck;
}

// The user-interface thread as the worker may meet it while the preferences
// form saves: between the synchronised steps the settings hold something
// else, inside a step they are what the user saved.
class SettingsChangingHost : public HeadlessHost {
public:
    SettingsChangingHost(const RunStartSettings &saved, const RunStartSettings &changing)
        : saved_(saved), changing_(changing)
    {
        ApplySettings(changing_);
    }
    void Synchronise(const std::function<void()> &step) override
    {
        ApplySettings(saved_);
        step();
        ApplySettings(changing_);
    }

private:
    RunStartSettings saved_, changing_;
};

} // namespace

// A run takes the graphics font, the windows' places and the close question
// from the settings as the user-interface thread has them, in a step of its
// own, not from the settings while the preferences form may write them.
TEST_F(RunDriver, TheStartUpTakesTheSettingsInASynchronisedStep)
{
    const RunStartSettings before = CurrentRunStartSettings();
    const RunStartSettings saved{{u"Saved Font"_s, 14, 1, 3, 0x0000FF}, 0, 30, 40, 300, 1, 7, 8, 0};
    const RunStartSettings changing{{u"Half Written"_s, 9, 128, 0, 0xFF0000}, 1, 50, 60, 200, 0, 70, 80, 1};
    {
        SettingsChangingHost host(saved, changing);
        SetRunHost(&host);
        RunProgram(u"X = 1"_s);
        SetRunHost(&host_);
    }
    ApplySettings(before);
    EXPECT_EQ(GraphFontName, u"Saved Font"_s);
    EXPECT_EQ(GraphFontSize, 14);
    EXPECT_EQ(GraphFontCharset, 1);
    EXPECT_EQ(GraphFontStyle, 3);
    EXPECT_EQ(GraphFontColor, 0x0000FFu);
    EXPECT_EQ(RunFormLeft, 30);
    EXPECT_EQ(RunFormTop, 40);
    EXPECT_EQ(GraphWindowLeft, 0);
    EXPECT_EQ(GraphWindowTop, 359);
    EXPECT_EQ(ChkMsgOn.load(), 0);
    ChkMsgOn = ExitMsgCheck;
}

TEST_F(RunDriver, AnOverflowingAssignmentLeavesTheVariableAsItWas)
{
    const QStringList lines = RunProgram(QStringLiteral("A = 1E3000\nB = 7\nB = A * A\nPRINT B"));
    ASSERT_GE(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(u"エラー:"))) << lines[0].toStdString();
    EXPECT_EQ(RunLine(QStringLiteral("PRINT B")).first(), QStringLiteral(" 7"));
}

// The program notes in a file that its loop has begun; the stop comes after.
TEST_F(RunDriver, AStopReachesALoopOfWorkedOutExpressions)
{
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const QString flag = dir.filePath(QStringLiteral("looping"));
    SourceText = QStringLiteral("X = 0\r\n10 X = X + 1\r\nIF X = 2 THEN WRITEALLTEXT(\"%1\", \"1\")\r\n"
                                "IF X < 1E15 THEN GOTO 10\r\nPRINT \"never\"")
                     .arg(flag);
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
    ASSERT_TRUE(runs_.Start());
    for (int waited = 0; !QFile::exists(flag) && waited < 30000; waited += 5)
        std::this_thread::sleep_for(5ms);
    StopRequested = 1;
    runs_.Join();
    EXPECT_EQ(host_.Console().Lines().first(), QStringLiteral(u"実行中断しました"));
    EXPECT_EQ(RunLine(QStringLiteral("PRINT X > 1")).first(), QStringLiteral("True"));
}

// A stop asked for while the program is still being prepared is not lost.
TEST_F(RunDriver, AStopDuringPreparationHolds)
{
    SourceText = QStringLiteral("FOR I = 1 TO 100000: NEXT\r\nPRINT \"ran\"");
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 1;  // as if Stop came right after Run, before the reset
    ASSERT_TRUE(runs_.Start());
    runs_.Join();
    EXPECT_EQ(host_.Console().Lines().first(), QStringLiteral(u"実行中断しました"));
}

namespace {

// A random numeric expression of variables, array elements and literals;
// the values and subscripts are chosen to reach overflow, division by zero,
// -0, fractional and out-of-range subscripts.
QString RandomExpression(std::mt19937 &random, int depth)
{
    const auto pick = [&](std::initializer_list<const char *> words) {
        return QString::fromLatin1(words.begin()[random() % words.size()]);
    };
    if (depth == 0 || random() % 10 < 3) {
        switch (random() % 4) {
        case 0: return pick({"X", "Y", "Z"});
        case 1: return u"A("_s + pick({"I", "J", "1.5", "X", "-1", "7"}) + u')';
        case 2: return u"M("_s + pick({"I", "3", "0.5", "X"}) + u", "_s + pick({"J", "1", "Z", "6"}) + u')';
        default: return pick({"1", "3", "0.25", "10"});
        }
    }
    switch (random() % 10) {
    case 0: return u'-' + RandomExpression(random, depth - 1);
    case 1: return pick({"SGN(", "ABS(", "INT(", "FIX(", "SQR("}) + RandomExpression(random, depth - 1) + u')';
    default: break;
    }
    return u'(' + RandomExpression(random, depth - 1) + u' ' + pick({"+", "-", "*", "/"}) + u' '
        + RandomExpression(random, depth - 1) + u')';
}

QString WithoutPosition(QStringList lines)
{
    return lines.join(u'|').remove(QRegularExpression(u"\\(\\d+行,　\\d+ 桁\\)"_s));
}

} // namespace

// The same expression worked out at once and, behind LEN("a") *, cell by cell:
// the same values, branches and errors.
TEST_F(RunDriver, WorkedOutExpressionsAgreeWithTheCells)
{
    std::mt19937 random(20261207);
    const QString start = u"DIM A(5), M(3, 5)\nFOR Q = 0 TO 5 : A(Q) = Q * 1.5 - 2 : M(Q MOD 4, Q) = Q - 2.5 : NEXT\nI = 2 : J = 5\n"_s;
    for (int n = 0; n < 200; ++n) {
        const QString e = RandomExpression(random, 3);
        QString values = start;
        for (const char *name : {"X", "Y", "Z"}) {
            static const char *const choices[] = {"0", "2", "0.5", "-3", "1E4000", "-0", "7"};
            values += QString::fromLatin1(name) + u" = "_s + QString::fromLatin1(choices[random() % 7]) + u'\n';
        }
        const auto program = [&](const QString &x) {
            return values + u"P = "_s + x + u"\nPRINT P\nIF "_s + x + u" > 0 THEN PRINT 1 ELSE PRINT 0"_s;
        };
        const QString planned = WithoutPosition(RunProgram(program(e)));
        const QString cells = WithoutPosition(RunProgram(program(u"LEN(\"a\") * ("_s + e + u')')));
        EXPECT_EQ(planned, cells) << values.toStdString() << e.toStdString();
    }
}

namespace {

// Programs whose values sit where a short cut of the loop could slip: equal
// operands, the last value of a loop, a string appended to another, a
// subscript at and past its bound, results that overflow or divide by zero.
const char16_t *const kBoundaryPrograms[] = {
    u"DIM A(3)\nA(1) = 2 : A(3) = -0\n"
    u"FOR I = 0 TO 3\n"
    u"  X = A(1) : Y = I\n"
    u"  IF X = Y THEN PRINT \"eq\"; I\n"
    u"  IF X <> Y THEN PRINT \"ne\"; I\n"
    u"  IF X < Y THEN PRINT \"lt\"; I\n"
    u"  IF X > Y THEN PRINT \"gt\"; I\n"
    u"  IF X <= Y THEN PRINT \"le\"; I\n"
    u"  IF X >= Y THEN PRINT \"ge\"; I\n"
    u"  IF A(I) >= 0 THEN PRINT \"nonneg\"; I\n"
    u"  IF A(I) <= Y - 1 THEN PRINT \"below\"; I\n"
    u"NEXT\nPRINT I",
    u"S = 1\nFOR I = 1 TO 5 STEP S : L = I : NEXT : PRINT L; I\n"
    u"S = 0.1 : N = 0\nFOR I = 0 TO 1 STEP S : L = I : N = N + 1 : NEXT : PRINT L; N; I\n"
    u"S = -0.5\nFOR I = 2 TO 0 STEP S : L = I : NEXT : PRINT L; I\n"
    u"S = 3 : N = 0\nFOR I = 1 TO 1 STEP S : N = N + 1 : NEXT : PRINT N; I\n"
    u"S = -1 : N = 0\nFOR I = 1 TO 2 STEP S : N = N + 1 : NEXT : PRINT N; I\n"
    u"FOR I = 1 TO 3 : FOR J = I TO 3 : K = K + J : NEXT : NEXT : PRINT K; I; J",
    u"A$ = \"x\" : B$ = A$ + \"y\" : PRINT A$; \" \"; B$\n"
    u"B$ = A$ + B$ : PRINT A$; \" \"; B$\n"
    u"A$ = A$ + A$ : PRINT A$\n"
    u"A$ = A$ & B$ : PRINT A$; \" \"; B$\n"
    u"C$ = B$ : C$ = C$ + C$ : PRINT B$; \" \"; C$\n"
    u"FOR I = 1 TO 3 : D$ = D$ + STR$(I) : E$ = D$ + \"!\" : NEXT : PRINT D$; E$",
    u"DIM A(2)\nX = 2 : A(X) = 5 : PRINT A(X) + 1\nX = 2.9 : A(X) = A(X) * 2 : PRINT A(2)\nX = 3\nA(X) = 1",
    u"DIM A(2)\nX = -1\nY = A(X) + 1",
    u"X = 1E4000\nY = 3\nY = X * X\nPRINT Y",
    u"X = 0\nY = 5 / X",
    u"X = 1\n10 X = X * 2 : IF X < 1000 THEN GOTO 10\nPRINT X : Y = X - 1024 : PRINT Y = 0; Y <> 0",
    // String functions on strings with and without surrogate pairs, at
    // the ends of the string and past them.
    u"S$ = \"ab\" + CHRU(&H1F600) + \"cd\" + CHRU(&H1F601) : T$ = \"the quick brown fox\"\n"
    u"FOR I = 0 TO 8\n"
    u"  PRINT LEN(MID$(S$, I + 1, 2)); MID$(T$, I * 3 + 1, I); \"|\"; LEFT$(S$, I); \"|\"; RIGHT$(S$, I)\n"
    u"  PRINT INSTR(I, S$, \"c\"); INSTR(I + 1, T$, MID$(T$, I + 5, 2)); INSTR(I, T$, \"\"); LEN(LEFT$(T$, I) + S$)\n"
    u"  A$ = MID$(T$, (I MOD 4) + 1, 3) : C = C + INSTR(1, T$, A$) + LEN(A$)\n"
    u"NEXT\nPRINT C; LEN(S$); KLEN(S$); MID$(S$, 3, 1) = CHRU(&H1F600); MID$(T$, 1E30, 2) = \"\"",
    u"T$ = \"abc\"\nPRINT MID$(T$, 0.5, 2); \"|\"; MID$(T$, 2, 1E30); \"|\"; LEFT$(T$, 1E30); RIGHT$(T$, 2.9)\nX = 2\nPRINT MID$(T$, X - 3, 1)",
    u"A$ = \"abcdefghij\" : FOR I = 1 TO 3 : T$ = MID$(A$, I, 4) : U$ = LEFT$(A$ + \"xyz\", I + 8)\n"
    u"V$ = RIGHT$(U$, 3) : T$ = MID$(U$, 2, 2) : PRINT T$; U$; V$; MID$(T$ + V$, 2, 3) : NEXT",
    u"T$ = \"abc\"\nX = -1\nPRINT LEFT$(T$, X)",
    u"T$ = \"abc\"\nPRINT 1; LEN(T$ + T$) + LEN(5)",
    u"T$ = \"abc\"\nPRINT RIGHT$(T$, 1) + MID$(T$, 1, -1)",
    u"A$ = B$ : B$ = \"b\" : C$ = B$ : B$ = B$ + \"c\" : D$ = B$ + C$ : C$ = D$\n"
    u"PRINT A$; \"|\"; B$; \"|\"; C$; \"|\"; D$",
    // \ and MOD at the edges of their plans: signs, fractions, zero and
    // divisors past the integer range.
    u"FOR I = -3 TO 3 : X = I MOD 2 : Y = I \\ 2 : Z = (I * 7) MOD 3 + 1 : PRINT X; Y; Z; -I MOD 3 : NEXT\n"
    u"X = 9223372036854775807 MOD 10 : PRINT X : X = -9223372036854775808 \\ 3 : PRINT X\n"
    u"X = 0 : Y = -0 MOD 2 : PRINT Y; 7 MOD 7; 1E18 MOD 7",
    u"X = 7.5\nY = X MOD 2",
    u"X = 0\nY = 7 MOD X",
    u"X = 2.5\nY = 7 \\ X",
    u"X = 1E19\nY = X \\ 3",
    u"X = -2\nY = 7 MOD X",
    // Calls of SUB and FUNCTION blocks: recursion with locals, strings and
    // truth values, arguments by reference and by value, array parameters,
    // and faults inside a routine, in its parameters and past the depth the
    // local stack allows.
    u"FUNCTION F(N)\n  L = N * 2\n  IF N < 2 THEN F = N ELSE F = F(N - 1) + F(N - 2) + L - L\nEND FUNCTION\n"
    u"FUNCTION G$(S$, K)\n  IF K <= 0 THEN G$ = S$ ELSE G$ = G$(S$ + CHR$(64 + K), K - 1)\nEND FUNCTION\n"
    u"FUNCTION H(P AS BOOLEAN, X) AS BOOLEAN\n  IF X > 3 THEN H = P ELSE H = H(NOT P, X + 1)\nEND FUNCTION\n"
    u"SUB S(A, B$, C, Q AS BOOLEAN, D())\n"
    u"  A = A + 1 : B$ = B$ + \"x\" : C = C * 2 : Q = NOT Q : D(1) = D(1) + A\n"
    u"  IF A < 4 THEN CALL S(A, B$, C, Q, D())\nEND SUB\n"
    u"DIM W(2)\nX = 1 : Y$ = \"a\" : Z = 3 : DIM T AS BOOLEAN\nCALL S(X, Y$, Z + 0, T, W())\n"
    u"PRINT F(12); G$(\"z\", 5); H(TRUE, 0); X; Y$; Z; T; W(1)",
    u"FUNCTION D(N)\nIF N = 0 THEN D = 1 / N ELSE D = D(N - 1) + 1\nEND FUNCTION\nPRINT D(5)",
    u"SUB P(N)\nEND SUB\nA$ = \"x\"\nCALL P(A$)",
    u"FUNCTION R(N)\nDIM A(99999)\nR = R(N + 1)\nEND FUNCTION\nPRINT R(1)",
    u"FUNCTION E(N)\nE = N * 1E4000\nEND FUNCTION\nX = 2\nPRINT E(1E-4000); E(X)",
    // FOR loops at their edges: steps that are fractions, negative or
    // variables, a start past the limit, a loop variable and a limit that the
    // body changes, an increment that overflows, a subscript that runs past
    // its bound.
    u"FOR I = 1 TO 2 STEP 0.25 : S = S + I : NEXT : PRINT S; I\n"
    u"FOR I = 3 TO 1 STEP -0.5 : S = S - I : NEXT : PRINT S; I\n"
    u"FOR I = 5 TO 1 : S = S + 100 : NEXT : PRINT S; I\n"
    u"N = 10 : FOR I = 1 TO N : N = N - 1 : K = K + 1 : NEXT : PRINT K; I; N\n"
    u"FOR I = 1 TO 20 : I = I * 2 : K = K + I : NEXT : PRINT K; I\n"
    u"T = -2 : FOR I = 10 TO -10 STEP T : K = K + I : NEXT : PRINT K; I\n"
    u"FOR I = 1 TO 3 : FOR J = I TO I * 2 STEP I : K = K * 2 + J : NEXT : NEXT : PRINT K; I; J",
    u"FOR I = 1E4930 TO 1.1E4932 STEP 1E4931\nNEXT\nPRINT I",
    u"FOR I = 1.1E4932 TO 0 STEP -1E4931\nK = K + 1\nNEXT\nPRINT I",
    u"L = 1.1E4932\nFOR I = L - 3E4931 TO L STEP 1E4931\nK = K + 1\nNEXT\nPRINT I",
    u"DIM A(5)\nFOR I = 0 TO 10\nA(I) = I\nNEXT",
    u"DIM A(5)\nFOR I = 5 TO -3 STEP -1\nS = S + A(I) * I\nNEXT\nPRINT S",
    u"X = 1\nFOR I = 1 TO 5000\nX = X * I\nNEXT\nPRINT X",
    // Three operands: the outer and the inner operation failing; literals a
    // double holds exactly and ones it does not.
    u"A = 1E2466\nFOR J = 1 TO 3\nS = S + A * A\nPRINT J\nNEXT",
    u"A = 1E2466\nFOR J = 1 TO 3\nS = 1 - A * (A * J)\nPRINT J\nNEXT",
    u"A = 7 : B = 7 : C = 2\nFOR J = 1 TO 3\nS = (A - B) / C : C = C - 1 : PRINT S\nNEXT",
    u"FOR I = 1 TO 10 : X = X + 0.1 : Y = Y + 0.5 : Z = Z * 3 + 1E-30 : W = 1E300 * I - W : NEXT\n"
    u"PRINT X; Y; Z; W; X = 1; I * 0.1 = X",
    // A string built by appending function results, from a shared copy and
    // onto itself, and a routine that changes the variable on the way.
    u"PUBLIC G$\nG$ = \"a\"\nFOR I = 1 TO 3\nG$ = G$ + F$(I)\nPRINT G$\nNEXT\n"
    u"B$ = G$ : G$ = G$ + CHR$(90) : PRINT B$; \" \"; G$\nG$ = G$ + G$ : PRINT G$\n"
    u"H$ = \"\" : FOR I = 1 TO 5 : H$ = H$ & MID$(\"abcdef\", I, 2) : NEXT : PRINT H$\n"
    u"K$ = \"k\" : K$ = K$ + K$ + STR$(LEN(K$)) : PRINT K$\nEND\n"
    u"FUNCTION F$(N)\nG$ = \"z\"\nF$ = STR$(N)\nEND FUNCTION",
    // Negated literals: STEP -1 and -0.5 loops, -0, and a negative subscript.
    u"DIM A(3)\nFOR J = 3 TO 1 STEP -1 : PRINT J; : NEXT\n"
    u"X = -0 : Y = -0 * 1 : Z = -2.5 + -1 : PRINT X; Y; Z; A(-0) + -1; 1E4932 - -1E4932 * 0\n"
    u"FOR J = 1 TO -1 STEP -0.5 : PRINT J; : NEXT\nPRINT A(-1) - 1",
    // AND, OR, XOR and NOT of comparisons: worked out, beside a string, as a
    // loop's test, and failing on the right though the left decides.
    u"K = 0 : X = 3\nWHILE K < 4 AND X * X < 100\nK = K + 1 : X = X * 2\nWEND\nPRINT K; X\n"
    u"FOR I = 1 TO 4\nIF I = 2 OR I > 3 XOR I = 4 THEN PRINT \"a\"; I\n"
    u"IF NOT (I < 3) AND NOT I = 4 THEN PRINT \"b\"; I\nPRINT I > 2 AND LEN(\"ab\") = I; NOT I = 1\nNEXT\n"
    u"Z = 0\nIF X < 0 AND 1 / Z > 0 THEN PRINT \"never\"",
    // Elements of two and three dimensions read and assigned, at and past
    // their bounds, with fractional subscripts.
    u"DIM M(2, 3), T(1, 1, 2)\nFOR I = 0 TO 2 : FOR J = 0 TO 3 : M(I, J) = I * 10 + J : NEXT : NEXT\n"
    u"T(1, 0, 2) = 7 : K = 1.9 : PRINT M(2, 3); M(K, K) + T(1, 0, 2) * 2; M(0, 3) - M(2, 0)\n"
    u"FOR J = 1 TO 5 : S = S + M(2, J) : PRINT S : NEXT",
    u"DIM M(2, 3)\nFOR I = 3 TO 1 STEP -1 : X = -1 : M(I, 1) = I : PRINT M(I - 1, 1) : NEXT",
    u"DIM M(2, 3)\nI = 1 : X = -1\nM(I, 2) = 5 : PRINT M(I, 2) * 2\nPRINT M(X, 1) + 1",
    // Loops closed by GOTO to a line number and to a label, and a GOTO to a
    // line that is not there.
    u"I = 0\n10 I = I + 1 : S = S + I\nIF I < 5 THEN GOTO 10\nPRINT S\n*AGAIN\nI = I - 1 : PRINT I;\n"
    u"IF I > 2 THEN GOTO *AGAIN\nFOR K = 1 TO 2 : X = X + K : IF X > 2 THEN GOTO 30\nNEXT\n30 PRINT X\nGOTO 40",
    // CASE tests of one number, one string, a list, -0 against 0, and a
    // value of the wrong kind.
    u"FOR I = -1 TO 4\nSELECT CASE I MOD 3\nCASE 0\nPRINT \"zero\"; I\nCASE 1, 2\nPRINT \"one or two\"; I\n"
    u"CASE -0.5 + 0.5\nPRINT \"never\"\nCASE ELSE\nPRINT \"else\"; I\nEND SELECT\nNEXT\n"
    u"A$ = \"b\"\nSELECT CASE A$\nCASE \"a\"\nPRINT 1\nCASE \"b\"\nPRINT 2\nEND SELECT\n"
    u"Z = -0\nSELECT CASE Z\nCASE 0\nPRINT \"z\"\nEND SELECT\nSELECT CASE A$\nCASE 1\nPRINT 3\nEND SELECT",
    // The one-argument functions the plans work out, on either side of zero,
    // and the root of a negative number.
    u"X = -2.5 : Y = 2.5 : Z = -0\nFOR K = 1 TO 2\n"
    u"PRINT INT(X) * K; FIX(X) * K; INT(Y) + K; FIX(Y) - K; ABS(X) * K; ABS(Z) * K; SQR(Y) * K; SGN(X) * K\n"
    u"W = INT(-X) + FIX(-Y) * SQR(K) : PRINT W\nNEXT\nPRINT SQR(X)",
    // The tests of DO UNTIL and LOOP WHILE, which jump when true: worked
    // out, on a string comparison, and failing.
    u"I = 0 : S = 0\nDO UNTIL I >= 5\nS = S + I : I = I + 1\nLOOP\nPRINT S; I\nDO\nI = I - 1\nLOOP WHILE I > 0\nPRINT I\n"
    u"A$ = \"\"\nDO\nA$ = A$ + \"x\"\nLOOP WHILE A$ <> \"xxx\"\nDO UNTIL A$ = \"\"\nA$ = MID$(A$, 2, 9) : PRINT A$\nLOOP\n"
    u"J = 3\nDO\nJ = J - 1 : PRINT J\nLOOP WHILE 6 / J > 0",
    // A STEP loop whose end test overflows in the difference, and one whose
    // factor is zero.
    u"FOR I = -1E4932 TO 1E4932 STEP 1E4932\nPRINT I\nNEXT",
    u"V = -1E4932 : B = 1E4932 : C = -1\nFOR K = 1 TO 2\nIF (B - V) * (C + SGN(K)) >= 0 THEN PRINT K\nV = 1\nNEXT",
    // x + y * z and x * y + z: rounded as the cells round, and overflowing
    // in the product or in the sum.
    u"X = 0.1 : Y = 3 : V = 5E4931\nS = X + Y * X : T = Y * X + X : PRINT S; T; S - T * 1\n"
    u"FOR K = 1 TO 2 : S = V + V * K : PRINT S : NEXT",
    u"Z = 1E2466\nFOR K = 1 TO 2 : Y = K * 1E2466 : T = Y * Z + K : PRINT T : NEXT",
    u"Z = 1E2466\nFOR K = 1 TO 2 : Y = K * 1E2466 : S = K + Z * Y : PRINT S : NEXT",
    // Stretches of operands and operators beside a string function or a
    // call: worked out, overflowing, dividing by zero, past a bound.
    u"DIM A(3)\nI = 2 : A(3) = 5\nFOR K = 1 TO 3\nPRINT LEN(STR$(A(I + 1) * K - 1)); MID$(\"abcdef\", K * 2 - 1, 2)\nNEXT\n"
    u"PRINT LEN(\"ab\") + A(I + K) * 2",
    u"A = 1E2466\nFOR K = 1 TO 2\nPRINT LEN(STR$(K * 2)); LEN(STR$(A * A * K))\nNEXT",
    u"X = 0\nPRINT ABS(3 - 5) + 1 / (X * 2)",
    u"X = 3\nPRINT ABS(X - 5) > 1 AND X * 2 < 7; LEN(\"abc\") = X + 0",
    u"PRINT F(10)\nEND\nFUNCTION F(N)\nIF N < 2 THEN\nF = N\nELSE\nF = F(N - 1) + F(N - 2) * 1\nEND IF\nEND FUNCTION",
};

struct FastPathsRestored {
    ~FastPathsRestored() { RunFastPaths = true; }
};

} // namespace

// The loop's short cuts and the cells run one by one give the same output,
// errors and their positions included.
TEST_F(RunDriver, FastPathsAgreeWithTheCellsAtTheBoundaries)
{
    FastPathsRestored restore;
    std::mt19937 random(7);
    QStringList programs;
    for (const char16_t *program : kBoundaryPrograms)
        programs << QString::fromUtf16(program);
    const QString start = u"DIM A(5), M(3, 5)\nFOR Q = 0 TO 5 : A(Q) = Q * 1.5 - 2 : M(Q MOD 4, Q) = Q - 2.5 : NEXT\nI = 2 : J = 5 : X = 0 : Y = -0 : Z = 2\n"_s;
    for (int n = 0; n < 100; ++n) {
        const QString e = RandomExpression(random, 3);
        programs << start + u"P = "_s + e + u"\nPRINT P\nIF "_s + e + u" >= X THEN PRINT 1 ELSE PRINT 0"_s;
        // The same beside a string function, whose cells must run.
        programs << start + u"P$ = STR$("_s + e + u") + \";\"\nPRINT P$; ABS("_s + e + u") - LEN(P$)\n"_s
                + u"IF LEN(P$) > 0 AND "_s + e + u" >= X THEN PRINT 1 ELSE PRINT 0"_s;
    }
    for (const QString &program : programs) {
        RunFastPaths = true;
        const QStringList fast = RunProgram(program);
        RunFastPaths = false;
        const QStringList cells = RunProgram(program);
        EXPECT_EQ(fast, cells) << program.toStdString();
    }
}

// One past an array's bound is a subscript error also where the elements of
// another array follow, for every form of access, worked out at once and cell
// by cell; the bound itself is in range.
TEST_F(RunDriver, OnePastTheBoundStopsBeforeTheNextArray)
{
    FastPathsRestored restore;
    const QString start = u"DIM A(3), B(3), M(2, 2), C(3), S$(2), T$(2), F(2) AS BOOLEAN, G(2) AS BOOLEAN\n"
                          u"I = 4 : A(3) = 7 : M(2, 2) = 8 : S$(2) = \"s\" : F(2) = TRUE\n"
                          u"PRINT A(3) + M(2, 2); S$(2); F(2)\n"_s;
    const char16_t *const accesses[] = {
        u"A(4) = 1", u"A(I) = 1", u"X = A(4)", u"X = A(I) + 1", u"X = 2 * A(I)", u"IF A(I) = 0 THEN X = 1",
        u"X = (A(I) + 1) * 2", u"PRINT A(4)", u"M(0, 3) = 1", u"X = M(3, 0)", u"S$(3) = \"x\"",
        u"PRINT S$(3)", u"F(3) = TRUE", u"PRINT F(3)",
    };
    for (const bool fast : {true, false}) {
        RunFastPaths = fast;
        for (const char16_t *access : accesses) {
            const QString program = start + QString::fromUtf16(access) + u"\nPRINT \"past\""_s;
            const QStringList lines = RunProgram(program);
            ASSERT_GE(lines.size(), 2) << program.toStdString();
            EXPECT_EQ(lines[0], u" 15sTrue"_s) << program.toStdString();
            EXPECT_TRUE(lines[1].startsWith(u"エラー:配列変数の添え字が Dim 文で指定した範囲を越えました。(4行"_s))
                << fast << " " << program.toStdString() << "\n" << lines.join(u'|').toStdString();
        }
    }
}
