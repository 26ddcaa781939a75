#include "devices/OVWindowState.h"
#include "executor/OVConsoleOut.h"
#include "executor/OVInputBoxState.h"
#include "executor/OVMThread.h"
#include "executor/OVStack.h"
#include "language/OVCode.h"
#include "language/OVGetTokenUnit.h"
#include "language/OVPreCode.h"
#include "language/OVStrTbl.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <thread>
#include <variant>

using namespace ov;

namespace {

// Synchronise and Post run the step at once; the memo is a list of lines.
class FakeHost : public RunHost, public ConsoleMemo {
public:
    QStringList Lines;
    qsizetype Length = 0, Max = 1'048'576;
    int CaretPlaced = 0;
    int Added = 0;  // lines ever added
    std::function<bool(QString &)> Box;  // the user's answer; false is Cancel
    InputBoxRequest Request;
    QStringList LinesWhileAsking;
    QString Buttons;

    void SetLines(const QStringList &lines)
    {
        Lines.clear(), Length = 0;
        for (const QString &line : lines)
            AddLine(line);
    }
    int LineCount() const override { return int(Lines.size()); }
    qsizetype TextLength() const override { return Length; }
    qsizetype MaxLength() const override { return Max; }
    qsizetype LineLength(int index) const override { return Lines.at(index).size(); }
    void AddLine(const QString &line) override { Lines << line, Length += line.size() + 2, ++Added; }
    void DeleteLine(int index) override { Length -= Lines.takeAt(index).size() + 2; }
    void Clear() override { SetLines({}); }
    int CaretLine() const override { return int(Lines.size()); }
    void PlaceCaretAfterPrompt() override { ++CaretPlaced; }
    void SetUpdatesEnabled(bool) override {}
    void SetReadOnly(bool) override {}

    void Synchronise(const std::function<void()> &step) override { step(); }
    void Post(std::function<void()> step) override { step(); }
    ConsoleMemo &Memo() override { return *this; }
    void SetButtonMode(ButtonMode) override {}
    void SetRunButtons(bool edit, bool run, bool stop, bool cont) override
    {
        for (const bool on : {edit, run, stop, cont})
            Buttons += on ? u'1' : u'0';
    }
    void SetConsoleCaption(const QString &) override {}
    void RestoreRunFormLayout() override {}
    void ShowRunForm() override {}
    bool ShowInputBox(const InputBoxRequest &request, QString &answer) override
    {
        Request = request;
        LinesWhileAsking = Lines;
        return Box && Box(answer);
    }
    void Beep() override {}
    bool AskYesNo(const QString &, const QString &) override { return true; }
    void OpenHelp(const QString &) override {}
    void CloseMediaPlayer() override {}
    void CloseMainForm() override {}
};

class ConsoleOut : public ::testing::Test {
protected:
    FakeHost host;

    void SetUp() override
    {
        InitKeywordTables();  // the prompt constant "? "
        SetRunHost(&host);
        InitStacks();
        ClearError();
        ResetOutputLine();
        PrintPrecision = 18;
        ConsoleLineCount = 0;
        InputRetry = 0;
        StopRequested = 0;
    }
    void TearDown() override { SetRunHost(nullptr); }

    // PRINT USING picture; values, the first value formatted first.
    static QString Using(const QString &picture, std::initializer_list<std::variant<long double, QString>> values)
    {
        ResetOutputLine();
        ClearError();
        for (auto it = std::rbegin(values); it != std::rend(values); ++it)
            std::visit([](const auto &value) { PushValue(value); }, *it);
        PushString(picture);
        ExecPrintUsing();
        return OutputLine;
    }
    static void PushValue(long double x) { PushNumber(x); }
    static void PushValue(const QString &s) { PushString(s); }
};

TEST_F(ConsoleOut, PrintNumbersInTheGeneralFormat)
{
    const std::pair<long double, const char *> cases[] = {
        {5, " 5"}, {-5, "-5"}, {0, " 0"}, {-0.0L, " 0"}, {-1.5L, "-1.5"}, {1e20L, " 1E20"},
        {1.5e-7L, " 1.5E-7"}, {-2.5e-12L, "-2.5E-12"}, {0.0001L, " 0.0001"}, {0.00001L, " 1E-5"},
        {0.1L, " 0.1"}, {123456789012345678.0L, " 123456789012345678"},
        {1234567890123456789.0L, " 1.23456789012345679E18"}, {1.0L / 3, " 0.333333333333333333"},
        {2.0L / 3, " 0.666666666666666667"},
    };
    for (const auto &[x, text] : cases)
        EXPECT_EQ(FormatPrintNumber(x), QString::fromLatin1(text)) << double(x);
    PrintPrecision = 7;
    EXPECT_EQ(FormatPrintNumber(1.0L / 3), " 0.3333333");
    EXPECT_EQ(FormatPrintNumber(1234567), " 1234567");
    EXPECT_EQ(FormatPrintNumber(9999999.9L), " 1E7");  // the carry moves the exponent
}

TEST_F(ConsoleOut, ZonesTabAndPrintItems)
{
    PushNumber(1);
    ExecPrint();
    PrintComma();
    PushNumber(2);
    ExecPrint();
    PrintLine(QString());
    EXPECT_EQ(host.Lines.last(), " 1" + QString(21, u' ') + " 2");
    AppendPrintText(QString(23, u'x'));  // on a boundary: a whole zone on
    PrintComma();
    EXPECT_EQ(OutputColumn, 46);
    ResetOutputLine();
    AppendPrintText(QStringLiteral("日本"));  // four columns wide
    PrintComma();
    EXPECT_EQ(OutputLine, QStringLiteral("日本") + QString(19, u' '));

    ResetOutputLine();
    AppendPrintText(QStringLiteral("abcdef"));
    for (const long double column : {5.0L, -1e30L})  // behind the column: nothing
        PushTabMark(column), ExecPrint();
    EXPECT_EQ(OutputLine, "abcdef");
    PushTabMark(500);
    ExecPrint();
    EXPECT_EQ(OutputLine, "abcdef" + QString(114, u' '));

    PushNumVarRef(3);
    ExecPrint();
    EXPECT_EQ(ErrorNumber, 50022);
    EXPECT_EQ(ErrorSubject, 136);
}

TEST_F(ConsoleOut, PrintUsingPictures)
{
    EXPECT_EQ(Using("###.##", {3.14159L}), "  3.14");
    EXPECT_EQ(Using("###.##", {12345.6L}), "%12345.60");
    EXPECT_EQ(Using("**###", {42.0L}), "***42");
    EXPECT_EQ(Using("*0###", {42.0L}), "00042");
    EXPECT_EQ(Using("#,###,###", {1234567.0L}), "1,234,567");
    EXPECT_EQ(Using("#,###,###", {-123456.0L}), " -123,456");  // only digits are grouped
    // decimal rounding of the printed digits, half away from zero
    EXPECT_EQ(Using("# #.## #.# #.##", {2.5L, 0.125L, 0.15L, -0.001L}), "3 0.13 0.2 0.00");
    EXPECT_EQ(Using("# #.# #.#", {0.5L, 0.05L, 0.049L}), "1 0.1 0.0");  // a carry into the first place
    EXPECT_EQ(Using("+## +## ##- ##- ##+", {5.0L, -5.0L, -5.0L, 5.0L, -5.0L}), " +5  -5  5-  5   5-");
    EXPECT_EQ(Using("\\### **\\###", {42.0L, 42.0L}), " \\42 ***\\42");
    EXPECT_EQ(Using("##.##^^^^ ##.##^^^^", {1234.5L, -0.000123456L}), " 1.23E+03  -1.2E-04");

    EXPECT_EQ(Using("&  &|[&  &]", {QStringLiteral("ABCDEF"), QStringLiteral("AB")}), "ABCD|[AB  ]");
    EXPECT_EQ(Using("!|!|@", {QString(), QStringLiteral("xyz"), QStringLiteral("all")}), " |x|all");
    EXPECT_EQ(Using(QStringLiteral("𠮷# _#_&;"), {7.0L}), QStringLiteral("𠮷7 #&;"));

    Using("ab_", {});
    EXPECT_EQ(ErrorNumber, 3502);
    EXPECT_EQ(Using("A # B", {QStringLiteral("s")}), "A ");  // ends at the failing field
    EXPECT_EQ(ErrorNumber, 3501);
    Using("&", {1.0L});
    EXPECT_EQ(ErrorNumber, 3501);
    ClearError();
    PushNumber(1);
    ExecPrintUsing();
    EXPECT_EQ(ErrorNumber, 50002);
}

TEST_F(ConsoleOut, InputRepliesAreCutIntoItems)
{
    InputReply = QStringLiteral("12, abc");
    ExecInputNumberItem();
    ExecInputStringItem();
    EXPECT_EQ(WorkNumVars[1].Value, 12);
    EXPECT_EQ(WorkStrVars[1].Value, "abc");

    InputReply = QStringLiteral(" -3.5 ,+2e3, , .5");
    for (const long double expected : {-3.5L, 2000.0L, 0.0L, 0.5L, 0.0L}) {
        ExecInputNumberItem();
        EXPECT_EQ(WorkNumVars[1].Value, expected);
    }
    EXPECT_EQ(InputRetry, 0);
    for (const char *bad : {"x", "inf", "nan", "- 5", "1.2.3", "1e99999"}) {
        InputRetry = 0;
        InputRestartPos = 150;
        CodePos = 160;
        InputReply = QString::fromLatin1(bad);
        ExecInputNumberItem();
        EXPECT_EQ(InputRetry, 1) << bad;
        EXPECT_EQ(CodePos, 150) << bad;
    }

    InputReply = QStringLiteral(R"( "a, b" , c , "d)");
    for (const char *expected : {R"("a, b")", "c", R"("d)", ""}) {
        ExecInputStringItem();
        EXPECT_EQ(WorkStrVars[1].Value, QString::fromLatin1(expected));
    }
    InputReply = QStringLiteral(R"("abc")");
    ExecInputStringItem();
    EXPECT_EQ(WorkStrVars[1].Value, R"("abc")");  // the closing quote stays
}

TEST_F(ConsoleOut, MemoDropsOldLinesAtItsMaximum)
{
    host.Max = 30;
    for (const char *line : {"aaaaaaaaa", "bbbbbbbbb", "ccccccccc"})
        PrintLine(QString::fromLatin1(line));
    EXPECT_EQ(host.Lines, QStringList({"bbbbbbbbb", "ccccccccc"}));
    PrintLine(QString(40, u'd'));  // empties the memo and is cut to fit
    EXPECT_EQ(host.Lines, QStringList({QString(28, u'd')}));

    host.Max = 1000;
    host.SetLines({"1", "2"});
    ConsoleLineCount = ConsoleLineLimit;  // full by count: a prompt drops one line
    PrintPrompt(QStringLiteral("key?"));
    EXPECT_EQ(host.Lines, QStringList({"2", "key?"}));
    EXPECT_EQ(host.CaretPlaced, 1);
}

// A user-interface thread that runs the posted and synchronised steps in order.
class ThreadedHost : public FakeHost {
public:
    ~ThreadedHost() override { Post({}), ui_.join(); }
    void Post(std::function<void()> step) override
    {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(step));
        ready_.notify_one();
    }
    void Synchronise(const std::function<void()> &step) override
    {
        std::promise<void> done;
        Post([&] { step(), done.set_value(); });
        done.get_future().wait();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> steps_;
    std::thread ui_{[this] {
        for (std::function<void()> step;; step()) {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return !steps_.empty(); });
            step = std::move(steps_.front());
            steps_.pop_front();
            if (!step)
                return;
        }
    }};
};

TEST_F(ConsoleOut, LinesReachTheMemoInOrderBeforeSynchronisedSteps)
{
    ThreadedHost threaded;
    SetRunHost(&threaded);
    constexpr int count = 20000;
    for (int i = 0; i < count; ++i) {
        PrintLine(QString::number(i));
        if (i % 997 == 0)
            Synchronised([&] { EXPECT_EQ(threaded.Lines.size(), i + 1); });
    }
    Synchronised([] {});
    SetRunHost(&host);
    ASSERT_EQ(threaded.Lines.size(), count);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(threaded.Lines[i], QString::number(i));
}

// The user-interface thread of a ThreadedHost waits until the gate opens,
// so that the worker's lines queue up meanwhile.
class Gate {
public:
    explicit Gate(ThreadedHost &ui) { ui.Post([opened = opened_.get_future().share()] { opened.wait(); }); }
    ~Gate() { Open(); }
    void Open()
    {
        if (!open_)
            opened_.set_value(), open_ = true;
    }

private:
    std::promise<void> opened_;
    bool open_ = false;
};

// Many lines waiting do not hold the user-interface thread: it adds them a
// slice at a time, and a step handed to it meanwhile runs between two
// slices. All reach the memo, in order, before the next synchronised step.
TEST_F(ConsoleOut, ManyQueuedLinesGoToTheMemoInSlices)
{
    ThreadedHost threaded;
    SetRunHost(&threaded);
    constexpr int count = 50000;
    int seen = -1;
    {
        Gate gate(threaded);
        for (int i = 0; i < count; ++i)
            PrintLine(QString::number(i));
        threaded.Post([&] { seen = int(threaded.Lines.size()); });
    }
    Synchronised([] {});
    SetRunHost(&host);
    EXPECT_GT(seen, 0);
    EXPECT_LT(seen, count);
    EXPECT_LE(seen, ConsoleSliceLines);
    ASSERT_EQ(threaded.Lines.size(), count);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(threaded.Lines[i], QString::number(i));
}

namespace {

// Prints the lines as the worker does: numbered ones, a prompt among them,
// one longer than the whole memo, and a prompt last.
void PrintFloodOfLines()
{
    for (int i = 0; i < 6000; ++i) {
        if (i == 3000 || i == 5999)
            PrintPrompt(QStringLiteral("key %1?").arg(i));
        else if (i == 5000)
            PrintLine(QString(1500, u'x'));
        else
            PrintLine(QStringLiteral("line %1").arg(i));
    }
}

} // namespace

// Lines that the full memo would drop again before the last one arrives
// never reach it, and the memo and its line count end as when each line
// goes in on its own.
TEST_F(ConsoleOut, LinesAFullMemoWouldDropAreNeverAdded)
{
    host.Max = 1000;
    host.SetLines({"before", "the flood"});
    ConsoleLineCount = 2;
    PrintFloodOfLines();
    const QStringList expected = host.Lines;
    const int expectedCount = ConsoleLineCount;

    ThreadedHost threaded;
    threaded.Max = 1000;
    threaded.SetLines({"before", "the flood"});
    threaded.Added = 0;
    ConsoleLineCount = 2;
    SetRunHost(&threaded);
    {
        Gate gate(threaded);
        PrintFloodOfLines();
    }
    Synchronised([] {});
    SetRunHost(&host);
    EXPECT_EQ(threaded.Lines, expected);
    EXPECT_EQ(ConsoleLineCount, expectedCount);
    EXPECT_LT(threaded.Added, 1000);
    EXPECT_GE(threaded.CaretPlaced, 1);
}

// Clearing the console drops the lines it has not shown yet; what comes
// after goes in as before.
TEST_F(ConsoleOut, ClearingDropsTheLinesNotYetShown)
{
    ThreadedHost threaded;
    SetRunHost(&threaded);
    {
        Gate gate(threaded);
        for (int i = 0; i < 50000; ++i)
            PrintLine(QString::number(i));
        threaded.Post([&] {
            DiscardConsoleLines();
            threaded.Clear();
            ConsoleLineCount = 0;
        });
    }
    Synchronised([] {});
    EXPECT_TRUE(threaded.Lines.isEmpty());
    for (int i = 0; i < 10; ++i)
        PrintLine(QStringLiteral("after %1").arg(i));
    Synchronised([] {});
    SetRunHost(&host);
    ASSERT_EQ(threaded.Lines.size(), 10);
    EXPECT_EQ(threaded.Lines.constFirst(), "after 0");
    EXPECT_EQ(ConsoleLineCount, 10);
}

class InputBox : public ConsoleOut {
protected:
    // The statement's cells from cell 101, its own cell already fetched;
    // a null cell stands for the string literal `literal`.
    void Code(std::initializer_list<CodeType> cells, const char *literal = "")
    {
        InitCode();
        InitStrTables();
        CodePos = ProgramStart;
        for (const CodeType &cell : cells)
            EmitCode(cell.FirstCode == 0 ? AddStrLiteral(QString::fromLatin1(literal)) : cell);
        CodeEnd = CodePos - 1;
        CodePos = InputRestartPos = ProgramStart;
        FetchCurrentCell();
    }
    void SetUp() override
    {
        ConsoleOut::SetUp();
        host.SetLines({"OK"});
        ConsoleLineCount = 1;
        LineInputActive = 0;
        host.Box = [](QString &answer) { return answer = QStringLiteral("Bob"), true; };
    }
    const CodeType input{ckStatement, stINPUT}, comma{ckOperator, opComma}, prompt{ckStrConst, 2};
};

TEST_F(InputBox, InputWritesTheWaitingLineAndReplacesItByTheEcho)
{
    Code({input, {ckOperator, opSemicolon}, {}, {ckStatement, isInputStrItem}}, "Name");
    AppendPrintText(QStringLiteral("> "));  // pending output leads the waiting line
    ShowInputNumForm();
    EXPECT_EQ(host.LinesWhileAsking, QStringList({"OK", QStringLiteral("> Input Name?: 入力中>")}));
    // replaced in place: no blank line, the pending output kept in front
    EXPECT_EQ(host.Lines, QStringList({"OK", "> Input Name? Bob"}));
    EXPECT_EQ(ConsoleLineCount, 2);
    EXPECT_EQ(host.Request.Caption, QStringLiteral("Orvane データ入力"));
    EXPECT_EQ(host.Request.Prompt, "Name?");
    EXPECT_EQ(InputReply, "Bob");
    EXPECT_EQ(CodePos, ProgramStart + 3);

    // asked again after a bad item: the last answer and the retry caption, once
    InputRetry = 1;
    for (const char *text : {"Bob", ""}) {
        Code({input, comma, prompt});
        ShowInputNumForm();
        EXPECT_EQ(host.Request.Text, text);
    }
    EXPECT_EQ(host.Lines.last(), "Input ?  Bob");
    Code({input, comma, prompt});
    InputRetry = 1;
    ShowInputNumForm();
    EXPECT_EQ(host.Request.Caption, QStringLiteral("Orvane データ入力: 再入力"));
}

TEST_F(InputBox, CancelStopsSoThatContAsksAgain)
{
    host.Box = nullptr;
    Code({input, comma, prompt});
    ShowInputNumForm();
    EXPECT_EQ(StopRequested.load(), 1);
    EXPECT_EQ(ContPosition, ProgramStart);
    EXPECT_EQ(host.Buttons, "1100");
    EXPECT_EQ(host.LinesWhileAsking.last(), QStringLiteral("Input ? : 入力中>"));
    EXPECT_EQ(host.Lines, QStringList({"OK", QStringLiteral("Input ? : 入力中>")}));  // the waiting line stays
    EXPECT_EQ(ConsoleLineCount, 2);

    Code({input, comma, prompt});
    InputRestartPos = 1;  // typed in the console: a stopped program keeps its position
    ContPosition = 500;
    AppendPrintText(QStringLiteral("pending"));
    ShowInputNumForm();
    EXPECT_EQ(ContPosition, 500);
    EXPECT_EQ(host.Lines.last(), QStringLiteral("pendingInput ? : 入力中>"));  // the program's output stays
    StopRequested = 0;
}

TEST_F(InputBox, LineInputTakesTheWholeLine)
{
    LineInputActive = 1;
    host.Box = [](QString &answer) { return answer = QStringLiteral(" a, b "), true; };
    Code({{ckStatement, stLINEINPUT}, {}, {ckWorkStrVar, 1}}, "Line");
    ShowInputNumForm();
    EXPECT_EQ(WorkStrVars[1].Value, " a, b ");
    EXPECT_EQ(host.LinesWhileAsking.last(), QStringLiteral("LineInput Line: 入力中>"));
    EXPECT_EQ(host.Lines.last(), "Line Input Line  a, b ");
    EXPECT_EQ(host.Request.Caption, QStringLiteral("Orvane 文字列行入力"));
    EXPECT_TRUE(host.Request.Wide);

    Code({{ckStatement, stLINEINPUT}, {ckWorkStrVar, 1}});
    ShowInputNumForm();  // no prompt literal: "?" and the cell is read again
    EXPECT_EQ(host.Request.Prompt, "?");
    EXPECT_EQ(CodePos, ProgramStart + 2);
    EXPECT_EQ(ErrorNumber, 0);
}

} // namespace
