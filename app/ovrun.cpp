// The headless program runner: runs a program file as the editor's Run
// command does, writes the console lines to standard output as UTF-8 and
// answers INPUT from standard input, line by line. The exit status is 1 when
// the run ended with an error, 2 when the file could not be read.
#include "executor/OVHeadlessHost.h"
#include "executor/OVMThread.h"
#include "environment/OVKeySetting.h"
#include "executor/OVTextEncoding.h"
#include "executor/OVTextReader.h"
#include "language/OVHeader.h"
#include "language/OVInterpreter.h"
#include "platform/OVWinVersion.h"

#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
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

} // namespace

namespace {

int Run(int argc, char *argv[])
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
    host.Console().FinishOutput();
    ov::SetRunHost(nullptr);
    return ov::ErrorNumber != 0 ? 1 : 0;
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
