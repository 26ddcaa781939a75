// The headless program runner: runs a program file as the editor's Run
// command does, writes the console lines to standard output as UTF-8 and
// answers INPUT from standard input, line by line. The lines left after the
// program's run are scripted events: `!notify` ends media playback and sends
// the media player's notification. The exit status is 1 when any run ended
// with an error, 2 when the file could not be read.
#include "executor/OVEventRun.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVMThread.h"
#include "environment/OVKeySetting.h"
#include "executor/OVTextEncoding.h"
#include "language/OVHeader.h"
#include "language/OVInterpreter.h"
#include "platform/OVWinVersion.h"

#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

// The program text as the editor opens it: encoding detected, CR LF line ends.
bool ReadProgram(const QString &path, QString &text)
{
    QString raw;
    if (!ov::ReadTextFile(path, raw))
        return false;
    text = ov::SplitTextLines(raw).join(QStringLiteral("\r\n"));
    return true;
}

bool ReadReply(const ov::InputBoxRequest &, QString &answer)
{
    std::string line;
    if (!std::getline(std::cin, line))
        return false;  // the end of the input cancels, as the box's Cancel does
    answer = QString::fromStdString(line);
    if (answer.endsWith(u'\r'))
        answer.chop(1);
    return true;
}

// Runs the event a scripted line names, if any; true when a run ended with an error.
bool RunScriptedEvent(const QString &line, ov::HeadlessHost &host, ov::RunController &runs)
{
    if (line != QStringLiteral("!notify"))
        return false;
    host.EndMediaPlayback();
    if (!ov::StartEventRun(runs, QStringLiteral("MediaPlayer_OnNotify")))
        return false;
    runs.Join();
    return ov::RunEndedWithError != 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // No application object: the runner needs no event loop, and making one
    // would cost half of its start-up time (it loads every locale category).
    if (argc != 2) {
        std::fprintf(stderr, "usage: ovrun FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QString source;
    if (!ReadProgram(path, source)) {
        std::fprintf(stderr, "ovrun: cannot read %s\n", argv[1]);
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
    ov::SourceText = source;
    ov::ProgramDir = QFileInfo(path).absolutePath();
    ov::RunMode = 0;
    ov::ProgramRunning = 1;
    ov::StopRequested = 0;

    ov::RunController runs;
    runs.Start();
    runs.Join();
    bool failed = ov::RunEndedWithError != 0;
    QString line;
    while (ReadReply(ov::InputBoxRequest(), line))
        failed = RunScriptedEvent(line, host, runs) || failed;
    host.Console().FinishOutput();
    ov::SetRunHost(nullptr);
    return failed ? 1 : 0;
}
