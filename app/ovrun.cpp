// The headless program runner: runs a program file as the editor's Run
// command does, writes the console lines to standard output as UTF-8 and
// answers INPUT from standard input, line by line. The lines left after the
// program's run are scripted events: `!notify` ends media playback and sends
// the media player's notification; `!click N` clicks button N of the control
// screen when it is shown (its latch, then its event sub). A `!click N` met
// by INPUT clicks during the run (the latch alone) and the next line replies. The exit status is 1 when any run ended
// with an error, 2 when the file could not be read.
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
#include "executor/OVEventRun.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"
#include "platform/OVAlsaMixer.h"
#include "platform/OVTextEncoding.h"
#include "platform/OVTextReader.h"
#include "platform/OVWinVersion.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <mutex>
#include <iostream>
#include <new>
#include <string>

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

// Clicks during INPUT reach the latches of the shown buttons.
bool ReadReply(const ov::InputBoxRequest &, QString &answer)
{
    while (ReadLine(answer)) {
        const int button = ClickedButton(answer);
        if (button == 0)
            return true;
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

// The main thread waits for the run; meanwhile it makes the application
// object when the run's first text drawing asks for one (Qt wants it made,
// and ended, on the main thread). The end of a run is not announced: the
// main thread looks for it at intervals that double up to this, so that a
// long run costs few wake-ups (at 1 ms they took 2 % of a run's time).
constexpr std::chrono::milliseconds LongestLook{32};

class MainThreadWait {
public:
    ~MainThreadWait()
    {
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
            std::chrono::milliseconds interval{1};
            while (ov::RunThreadActive.load() != 0) {
                if (!changed_.wait_for(lock, interval, [this] { return wanted_ && !made_; })) {
                    interval = std::min(2 * interval, LongestLook);
                    continue;
                }
                if (Graphics() != nullptr)  // only a loaded module asks
                    Graphics()->MakeApplication();
                made_ = true;
                changed_.notify_all();
            }
        }
        runs.Join();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
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

int Run(int argc, char *argv[])
{
    // No application object: the runner needs no event loop, and making one
    // would cost half of its start-up time (it loads every locale category).
    QString graphicsOut;
    int fileArg = 1;
    if (argc == 2 && std::string(argv[1]) == "--list-mixers")
        return ListMixers();
    if (argc == 4 && std::string(argv[1]) == "--save-graphics") {
        graphicsOut = QString::fromLocal8Bit(argv[2]);
        fileArg = 3;
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: ovrun [--save-graphics OUT.png] FILE\n       ovrun --list-mixers\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[fileArg]);
    QString source;
    if (!ReadProgram(path, source)) {
        std::fprintf(stderr, "ovrun: cannot read %s\n", argv[fileArg]);
        return 2;
    }

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    ov::HeadlessHost host;
    host.Console().SetOutput(&out);
    host.Console().SetMaxLength(ov::ConsoleTextLimit(ov::OSVersionName));
    host.SetInputSource(ReadReply);
    ov::SetRunHost(&host);

    ov::InitializeInterpreterUnits();
    GraphicsModulePath = ModuleBesideRunner();
    ov::SetGraphSurfaceLoader(LoadGraphSurface);
    ov::SourceText = source;
    ov::ProgramDir = QFileInfo(path).absolutePath();
    ov::RunMode = 0;
    ov::ProgramRunning = 1;
    ov::StopRequested = 0;

    MainThreadWait wait;
    ApplicationMaker = wait.Maker();
    ov::RunController runs;
    runs.Start();
    wait.WaitFor(runs);
    bool failed = ov::RunEndedWithError != 0;
    QString line;
    while (ReadLine(line))
        failed = RunScriptedEvent(line, host, runs, wait) || failed;
    host.Console().FinishOutput();
    if (!graphicsOut.isEmpty() && ov::GraphScreenOpen.load() != 0
        && (Graphics() == nullptr || !Graphics()->SavePng(graphicsOut)))
        std::fprintf(stderr, "ovrun: cannot write %s\n", argv[2]);
    ov::SetRunHost(nullptr);
    ov::SetGraphSurfaceLoader(nullptr);
    ApplicationMaker = nullptr;
    if (const ov::GraphicsModule *graphics = LoadedGraphics.load())
        graphics->SetApplicationMaker(nullptr);
    return failed ? 1 : 0;
}

} // namespace

// A run that exhausts memory ends with its own error; whatever fails beyond
// it (reading the program, the report) ends the runner with status 2 and a
// message rather than an abort.
int main(int argc, char *argv[])
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "ovrun: out of memory\n");
        return 2;
    }
}
