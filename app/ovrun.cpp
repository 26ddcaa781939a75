// The headless program runner: runs a program file as the editor's Run
// command does, writes the console lines to standard output as UTF-8, each
// as it is printed, and answers INPUT from standard input, line by line,
// with the prompt written before the reply is read. The lines left after
// the program's run are scripted events: `!notify` ends media playback and
// sends the media player's notification; `!click N` clicks button N of the
// control screen when it is shown (its latch, then its event sub). A
// `!click N` met by INPUT clicks during the run (the latch alone) and the
// next line replies. The exit status is 1 when any run ended with an error,
// 2 when the file could not be read or the output could not be written.
// When standard output is a pipe that closes, the run stops and the runner
// ends quietly, by the pipe's signal, as command-line programs do.
// With --save-graphics OUT.png the graphics screen, when one is open after
// the runs (also after an error), is written to OUT.png.
// `ovrun --list-mixers` runs no program: it prints the tree of the mixer
// component over ALSA, with every line and control type wanted.
#include "app/OVGraphicsModule.h"
#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphState.h"
#include "devices/OVKeySetting.h"
#include "devices/OVMixer.h"
#include "devices/OVMixerListing.h"
#include "executor/OVControlScreen.h"
#include "executor/OVDataFile.h"
#include "executor/OVEventRun.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"
#include "platform/OVAlsaMixer.h"
#include "platform/OVOutputBuffer.h"
#include "platform/OVPipeSignal.h"
#include "platform/OVTextEncoding.h"
#include "platform/OVTextReader.h"
#include "platform/OVWinVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// The program text as the editor opens it: encoding detected, CR LF line
// ends; read by blocks, and refused when longer than a string holds.
bool ReadProgram(const QString &path, QString &text)
{
    ov::TextReader reader;
    return reader.Open(path, ov::GetFileEncoding(path)) && reader.ReadRestAsLines(text, ov::StringLengthLimit)
        && !reader.Failed();
}

bool ReadLine(QString &answer)
{
    std::string line;
    if (!std::getline(std::cin, line))
        return false;  // the end of the input cancels, as the box's Cancel does
    answer = QString::fromStdString(line);
    if (answer.endsWith(u'\r'))
        answer.chop(1);
    return true;
}

// The button number of a `!click N` line, else 0.
int ClickedButton(const QString &line)
{
    if (!line.startsWith(QStringLiteral("!click ")))
        return 0;
    bool ok = false;
    const int n = line.mid(7).trimmed().toInt(&ok);
    return ok ? n : 0;
}

// The prompt goes out before the reply is read. On a terminal it ends in
// the blank before the reply, and the terminal's own echo of the reply
// completes the line; elsewhere the reply follows on the output as the
// echo line's rest. Clicks during INPUT reach the latches of the shown
// buttons. A closed output cancels, which stops the run.
bool ReadReply(ov::HeadlessMemo &console, const ov::InputBoxRequest &request, QString &answer)
{
    const bool terminal = isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
    console.ShowPrompt(terminal ? request.Echo + u' ' : request.Echo);
    while (!console.OutputClosed() && ReadLine(answer)) {
        const int button = ClickedButton(answer);
        if (button == 0) {
            if (terminal)
                console.ReplyEchoed(answer);
            return true;
        }
        if (ov::ControlButtonClickable(button))
            ov::LatchControlButton(button);
    }
    return false;
}

// ---------------------------------------------------------------- graphics

std::function<void()> ApplicationMaker;
std::atomic<const ov::GraphicsModule *> LoadedGraphics = nullptr;
QByteArray GraphicsModulePath;  // beside the runner, found at start-up

// The module's file in the runner's own folder. Named in full: a run may
// change the current folder, and a sanitizer's dlopen would not search the
// runner's run path.
QByteArray ModuleBesideRunner()
{
    const QString runner = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFile::encodeName(QFileInfo(runner).absolutePath() + u'/' + QLatin1String(ov::GraphicsModuleFile));
}

// The graphics module, loaded once, when a program first draws or the
// runner first needs it; null (after a message) when it cannot be loaded.
const ov::GraphicsModule *Graphics()
{
    static const ov::GraphicsModule *const module = []() -> const ov::GraphicsModule * {
        void *handle = dlopen(GraphicsModulePath.constData(), RTLD_NOW | RTLD_LOCAL);
        void *entry = handle != nullptr ? dlsym(handle, ov::GraphicsModuleEntry) : nullptr;
        if (entry == nullptr) {
            std::fprintf(stderr, "ovrun: no graphics: %s\n", dlerror());
            return nullptr;
        }
        const ov::GraphicsModule *graphics = reinterpret_cast<ov::GraphicsModuleEntryType>(entry)();
        graphics->SetApplicationMaker(ApplicationMaker);
        LoadedGraphics = graphics;
        return graphics;
    }();
    return module;
}

ov::GraphSurfaceAccess *LoadGraphSurface()
{
    return Graphics() != nullptr ? Graphics()->Surface() : nullptr;
}

// The main thread waits for the run; meanwhile it writes the console output
// and makes the application object when the run's first text drawing asks
// for one (Qt wants it made, and ended, on the main thread). A line that
// arrives after a quiet spell wakes it at once; lines that follow within
// ShortestLook of that it takes at its next look, one write for them all
// (a wake-up for each line of a printing loop took more time than the loop).
// The end of a run is not announced: the main thread looks for it at
// intervals that double up to LongestLook while nothing is written, so that
// a long run costs few wake-ups (at 1 ms they took 2 % of a run's time).
constexpr std::chrono::milliseconds ShortestLook{1};
constexpr std::chrono::milliseconds LongestLook{32};

class MainThreadWait {
public:
    explicit MainThreadWait(ov::OutputBuffer &output) : output_(output)
    {
        output_.SetWake([this] {
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard lock(mutex_);
            if (now - lastWake_ < ShortestLook)
                return;
            lastWake_ = now;
            outputWaiting_ = true;
            changed_.notify_all();
        });
    }
    ~MainThreadWait()
    {
        output_.SetWake({});
        if (made_ && Graphics() != nullptr)
            Graphics()->EndApplication();
    }
    std::function<void()> Maker()
    {
        return [this] {
            std::unique_lock lock(mutex_);
            wanted_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return made_; });
        };
    }
    void WaitFor(ov::RunController &runs)
    {
        {
            std::unique_lock lock(mutex_);
            std::chrono::milliseconds interval = ShortestLook;
            while (ov::RunThreadActive.load() != 0) {
                changed_.wait_for(lock, interval, [this] { return outputWaiting_ || (wanted_ && !made_); });
                if (wanted_ && !made_) {
                    if (Graphics() != nullptr)  // only a loaded module asks
                        Graphics()->MakeApplication();
                    made_ = true;
                    changed_.notify_all();
                    continue;
                }
                // Woken for output, it looks again soon for the lines that
                // did not wake it.
                const bool woken = std::exchange(outputWaiting_, false);
                lock.unlock();
                const bool wrote = output_.Write();
                lock.lock();
                interval = woken || wrote ? ShortestLook : std::min(2 * interval, LongestLook);
            }
        }
        runs.Join();
        output_.Write();
    }

private:
    ov::OutputBuffer &output_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::chrono::steady_clock::time_point lastWake_;
    bool outputWaiting_ = false;
    bool wanted_ = false;
    bool made_ = false;
};

// Runs the event a scripted line names, if any; true when a run ended with an error.
bool RunScriptedEvent(const QString &line, ov::HeadlessHost &host, ov::RunController &runs, MainThreadWait &wait)
{
    bool started = false;
    if (line == QStringLiteral("!notify")) {
        host.EndMediaPlayback();
        started = ov::StartEventRun(runs, QStringLiteral("MediaPlayer_OnNotify"));
    } else if (const int button = ClickedButton(line); ov::ControlButtonClickable(button)) {
        started = ov::ClickControlButton(runs, button);
    }
    if (!started)
        return false;
    wait.WaitFor(runs);
    return ov::RunEndedWithError != 0;
}

int ListMixers()
{
    ov::TMixer mixer(ov::MakeAlsaMixerBackend());
    mixer.Target.LineType = ov::TMixerLineTypes::All();
    mixer.Target.ControlType = ov::TMixerControlTypes::All();
    mixer.EnumerateMixers();
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (const QString &line : ov::ListMixerTree(mixer))
        out << line << '\n';
    return 0;
}

constexpr char Usage[] =
    "usage: ovrun [--save-graphics OUT.png] FILE\n"
    "       ovrun --list-mixers\n"
    "       ovrun --help\n"
    "Runs the program FILE without windows: console lines go to standard output,\n"
    "INPUT replies and then scripted events (!notify, !click N) come from\n"
    "standard input. Exit status 1 when a run ended with an error, 2 when FILE\n"
    "could not be read or the output not written.\n"
    "  --save-graphics OUT.png  write the graphics screen to OUT.png after the run\n"
    "  --list-mixers            list the sound mixers and their lines, run nothing\n"
    "  -h, --help               show this and end\n";

// What the command line asks for; `Status` >= 0 ends the runner at once.
struct Arguments {
    int Status = -1;
    bool ListMixers = false;
    const char *GraphicsOut = nullptr;
    const char *File = nullptr;
};

bool KnownOption(const std::string &argument)
{
    return argument == "--help" || argument == "-h" || argument == "--list-mixers" || argument == "--save-graphics";
}

Arguments ReadArguments(int argc, char *argv[])
{
    Arguments arguments;
    const std::string first = argc >= 2 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        std::fputs(Usage, stdout);
        arguments.Status = 0;
        return arguments;
    }
    if (argc == 2 && first == "--list-mixers") {
        arguments.ListMixers = true;
        return arguments;
    }
    if (argc == 4 && first == "--save-graphics") {
        arguments.GraphicsOut = argv[2];
        arguments.File = argv[3];
    } else if (argc == 2) {
        arguments.File = argv[1];
    }
    // A name that begins with "-" is an option the runner does not know, not
    // a file (a file of that name is given as "./-name").
    const char *unknown = nullptr;
    if (arguments.File != nullptr && arguments.File[0] == '-')
        unknown = arguments.File;
    else if (arguments.File == nullptr && first.starts_with('-') && !KnownOption(first))
        unknown = argv[1];
    if (unknown != nullptr)
        std::fprintf(stderr, "ovrun: unknown option %s\n", unknown);
    if (unknown != nullptr || arguments.File == nullptr) {
        std::fputs(Usage, stderr);
        arguments.Status = 2;
    }
    return arguments;
}

// Standard output failed: the run stops at its next step.
std::atomic<int> OutputError = 0;

void StopOnClosedOutput(int error)
{
    OutputError = error;
    ov::StopRequested = 1;
}

// The runner's end after its output failed: a pipe whose reader has gone
// ends it by the pipe's signal, without a message, as command-line programs
// end; any other failure is said, with status 2.
int EndOnClosedOutput()
{
    if (OutputError == EPIPE)
        ov::EndByBrokenPipe();
    std::fprintf(stderr, "ovrun: cannot write the output: %s\n", std::strerror(OutputError));
    return 2;
}

int Run(int argc, char *argv[])
{
    // No application object: the runner needs no event loop, and making one
    // would cost half of its start-up time (it loads every locale category).
    const Arguments arguments = ReadArguments(argc, argv);
    if (arguments.Status >= 0)
        return arguments.Status;
    if (arguments.ListMixers)
        return ListMixers();
    const QString path = QString::fromLocal8Bit(arguments.File);
    QString source;
    if (!ReadProgram(path, source)) {
        std::fprintf(stderr, "ovrun: cannot read %s\n", arguments.File);
        return 2;
    }

    ov::OutputBuffer output(STDOUT_FILENO);
    output.SetClosed(StopOnClosedOutput);
    ov::HeadlessHost host;
    ov::HeadlessMemo &console = host.Console();
    console.SetOutput(&output);
    console.SetMaxLength(ov::ConsoleTextLimit(ov::OSVersionName));
    host.SetInputSource(
        [&console](const ov::InputBoxRequest &request, QString &answer) { return ReadReply(console, request, answer); });
    ov::SetRunHost(&host);

    ov::InitializeInterpreterUnits();
    GraphicsModulePath = ModuleBesideRunner();
    ov::SetGraphSurfaceLoader(LoadGraphSurface);
    ov::SourceText = source;
    ov::ProgramDir = QFileInfo(path).absolutePath();
    ov::RunMode = 0;
    ov::ProgramRunning = 1;
    ov::StopRequested = 0;

    MainThreadWait wait(output);
    ApplicationMaker = wait.Maker();
    ov::RunController runs;
    runs.Start();
    wait.WaitFor(runs);
    bool failed = ov::RunEndedWithError != 0;
    QString line;
    while (!console.OutputClosed() && ReadLine(line))
        failed = RunScriptedEvent(line, host, runs, wait) || failed;
    // No CONT follows: what a stopped program's channels hold goes to their files.
    ov::CloseFileChannel(0);
    console.FinishOutput();
    if (arguments.GraphicsOut != nullptr && ov::GraphScreenOpen.load() != 0
        && (Graphics() == nullptr || !Graphics()->SavePng(QString::fromLocal8Bit(arguments.GraphicsOut))))
        std::fprintf(stderr, "ovrun: cannot write %s\n", arguments.GraphicsOut);
    ov::SetRunHost(nullptr);
    ov::SetGraphSurfaceLoader(nullptr);
    ApplicationMaker = nullptr;
    if (const ov::GraphicsModule *graphics = LoadedGraphics.load())
        graphics->SetApplicationMaker(nullptr);
    if (console.OutputClosed())
        return EndOnClosedOutput();
    return failed ? 1 : 0;
}

} // namespace

// A run that exhausts memory ends with its own error; whatever fails beyond
// it (reading the program, the report) ends the runner with status 2 and a
// message rather than an abort.
int main(int argc, char *argv[])
{
    ov::IgnoreBrokenPipes();
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "ovrun: out of memory\n");
        return 2;
    }
}
