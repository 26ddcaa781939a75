// Event runs: a notification or a click calls the program's event sub as a
// console line after the program has run, never during a run, and a stop
// inside the sub leaves nothing to continue.
#include "executor/OVEventRun.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

class EventRun : public ::testing::Test {
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

    QStringList Lines(int from) { return host_.Console().Lines().mid(from); }
    int LineCount() { return int(host_.Console().Lines().size()); }

    void RunProgram(const QString &program)
    {
        SourceText = QString(program).replace(u'\n', QStringLiteral("\r\n"));
        RunMode = 0;
        ProgramRunning = 1;
        StopRequested = 0;
        ASSERT_TRUE(runs_.Start());
        runs_.Join();
    }
    QStringList Event(const QString &sub)
    {
        const int before = LineCount();
        if (StartEventRun(runs_, sub))
            runs_.Join();
        return Lines(before);
    }
    QStringList Cont()
    {
        const int before = LineCount();
        RunCommand = QStringLiteral("Cont");
        RunMode = 1;
        EventSubRun = 0;
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        return Lines(before);
    }

    HeadlessHost host_;
    RunController runs_;
};

const QString kProgram = QStringLiteral(
    "PRINT \"main\"\n"
    "END\n"
    "SUB MediaPlayer_OnNotify\n"
    "  PRINT \"event\"\n"
    "  STOP\n"
    "  PRINT \"rest of event\"\n"
    "END SUB");

} // namespace

TEST_F(EventRun, CallsADeclaredSubOnlyWhenNoRunIsActive)
{
    RunProgram(kProgram);
    EXPECT_TRUE(Event(QStringLiteral("CButton1_Click")).isEmpty());

    RunThreadActive = 1;  // as while a worker runs
    RunCommand = QStringLiteral("PRINT 1");
    EXPECT_FALSE(StartEventRun(runs_, QStringLiteral("MediaPlayer_OnNotify")));
    EXPECT_EQ(RunCommand, QStringLiteral("PRINT 1"));
    RunThreadActive = 0;

    const QStringList lines = Event(QStringLiteral("MediaPlayer_OnNotify"));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("event"));
    EXPECT_EQ(host_.ButtonModes().back(), ButtonMode::Stop);
}

// Continuing after a stopped event sub neither runs the rest of the sub nor
// restarts the main program.
TEST_F(EventRun, ContAfterAStoppedEventSubDoesNothing)
{
    RunProgram(kProgram);
    Event(QStringLiteral("MediaPlayer_OnNotify"));
    const QStringList lines = Cont();
    EXPECT_FALSE(lines.contains(QStringLiteral("main"))) << lines.join(u'|').toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("rest of event"))) << lines.join(u'|').toStdString();
}

// An event while the program is stopped keeps the stop: Cont then resumes
// the program where it stopped.
TEST_F(EventRun, AStoppedProgramStaysStoppedAcrossAnEvent)
{
    RunProgram(QStringLiteral("PRINT \"a\"\nSTOP\nPRINT \"b\"\nEND\nSUB MediaPlayer_OnNotify\nPRINT \"e\"\nEND SUB"));
    const QStringList event = Event(QStringLiteral("MediaPlayer_OnNotify"));
    ASSERT_FALSE(event.isEmpty());
    EXPECT_EQ(event.first(), QStringLiteral("e"));
    EXPECT_EQ(host_.ButtonModes().back(), ButtonMode::Stop);
    EXPECT_TRUE(Cont().contains(QStringLiteral("b")));
}

// After a program fails to translate, its subs have no code: every call of
// one, by an event, a click or a console line, reports 54033 and ends.
TEST_F(EventRun, CallingASubOfAProgramThatFailedToTranslateReportsIt)
{
    RunProgram(QStringLiteral("PRINT (1\nEND\nSUB MediaPlayer_OnNotify\nPRINT \"notified\"\nEND SUB\n"
                              "SUB CButton1_Click\nPRINT \"clicked\"\nEND SUB"));
    const QStringList reported = {QStringLiteral("エラー:Sub 文の実行中にエラーが起きました。"), QStringLiteral("OK"),
                                  QString()};
    const auto console = [this](const QString &line) {
        const int before = LineCount();
        RunCommand = line;
        RunMode = 1;
        EventSubRun = 0;
        EXPECT_TRUE(runs_.Start());
        runs_.Join();
        return Lines(before);
    };
    // A call that never ends is stopped, and so fails the test.
    StopAfterCells = 100000;
    EXPECT_EQ(Event(QStringLiteral("MediaPlayer_OnNotify")), reported);
    StopAfterCells = 100000;
    EXPECT_EQ(Event(QStringLiteral("CButton1_Click")), reported);
    StopAfterCells = 100000;
    EXPECT_EQ(console(QStringLiteral("CALL MediaPlayer_OnNotify")), reported);
    StopAfterCells = 0;
}

// SYSTEM closes the main frame in the run's last window step; until that
// step is done the run still counts as active, so that no starter can begin
// (or join) a run meanwhile.
TEST(RunEnd, TheLastWindowStepComesBeforeTheRunIsOver)
{
    struct Host : HeadlessHost {
        void CloseMainForm() override { activeWhileClosing = RunThreadActive.load(); }
        int activeWhileClosing = -1;
    } host;
    InitializeInterpreterUnits();
    SetRunHost(&host);
    RunController runs;
    SourceText = QStringLiteral("PRINT 1\r\nSYSTEM");
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
    ASSERT_TRUE(runs.Start());
    runs.Join();
    SetRunHost(nullptr);
    EXPECT_EQ(host.activeWhileClosing, 1);
    EXPECT_EQ(RunThreadActive.load(), 0);
}
