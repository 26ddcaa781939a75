// libFuzzer target: arbitrary bytes are decoded as a program file is, then
// pre-scanned, scanned, translated and run on the headless host with a cell
// budget and a time limit; then the first line runs as a console line. The
// files a program writes land in an empty temporary folder, emptied before
// every input, and SHELL and SYSCMD cannot start a process.
#include "devices/OVKeySetting.h"
#include "executor/OVFileFunc.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "platform/OVTextEncoding.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Enough cells for the loops of real programs; a run that needs more is stopped.
constexpr int64_t kCellBudget = 50'000;
// A run that waits (SLEEP, INKEY$ in a loop) is stopped after this long.
constexpr auto kTimeBudget = std::chrono::milliseconds(300);
// Longer inputs only make the runs slower.
constexpr size_t kMaxInput = 64 * 1024;

QString WorkFolder;
QString StartFolder;  // libFuzzer's relative paths (corpus, artifacts) start here

void MakeWorkFolder()
{
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = "/tmp";
    QByteArray pattern = base + "/ovfuzz.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    WorkFolder = QString::fromLocal8Bit(pattern);
    StartFolder = QDir::currentPath();
    std::atexit([] { QDir(WorkFolder).removeRecursively(); });
}

// The program may have changed the current folder and left files behind.
void EnterEmptyWorkFolder()
{
    if (!QDir::setCurrent(WorkFolder))
        std::abort();
    QDir folder(WorkFolder);
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        QDir child(folder.filePath(name));
        if (!child.removeRecursively())
            folder.remove(name);
    }
}

// The start of the current run in steady-clock ticks, 0 between runs. A
// watchdog thread presses Stop when a run has lasted past the time budget;
// the run itself happens on the fuzzer's thread, as a new thread per input
// would cost more than most runs.
std::atomic<int64_t> RunStartedAt{0};

int64_t Now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

void StartWatchdog()
{
    std::thread([] {
        const int64_t budget = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kTimeBudget).count();
        for (;;) {
            std::this_thread::sleep_for(kTimeBudget / 10);
            const int64_t started = RunStartedAt.load();
            if (started != 0 && Now() - started > budget)
                ov::StopRequested = 1;
        }
    }).detach();
}

void RunWithinBudget()
{
    ov::RunThreadActive = 1;
    RunStartedAt = Now();
    ov::TOVMTHread().Execute();
    RunStartedAt = 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    MakeWorkFolder();
    ov::ShellProgram.clear();  // an empty program name never starts
    ov::InitializeInterpreterUnits();
    StartWatchdog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return -1;
    EnterEmptyWorkFolder();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = ov::DecodeText(bytes, ov::DetectEncoding(bytes));

    ov::HeadlessHost host;  // INPUT is cancelled: no replies
    ov::SetRunHost(&host);
    ov::SourceText = ov::SplitTextLines(text).join(QStringLiteral("\r\n"));
    ov::ProgramDir = WorkFolder;
    ov::RunMode = 0;
    ov::ProgramRunning = 1;
    ov::StopRequested = 0;
    ov::StopAfterCells = kCellBudget;
    RunWithinBudget();
    // Then the first line is typed in the console, as after any run: a
    // statement, CONT of a stopped program, or RUN.
    ov::RunCommand = ov::SourceText.section(QStringLiteral("\r\n"), 0, 0);
    ov::RunMode = 1;
    ov::EventSubRun = 0;
    ov::StopAfterCells = kCellBudget;
    RunWithinBudget();
    ov::StopAfterCells = 0;
    ov::SetRunHost(nullptr);
    QDir::setCurrent(StartFolder);
    return 0;
}
