// Start-up of the program: the interpreter units initialise first, in the
// order their state depends on each other; then the settings load and the
// console window opens. A program file named on the command line is run at
// once, as the editor's Run command runs it.
#include "environment/OVKeySetting.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVMThread.h"
#include "executor/OVTextEncoding.h"
#include "language/OVHeader.h"
#include "language/OVInterpreter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QThread>

namespace {

// The Japanese system fonts that settings name, mapped to installed ones.
void SubstituteFonts()
{
    const QStringList gothic{QStringLiteral("IPAGothic"), QStringLiteral(u"IPAゴシック"),
                             QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Monospace")};
    const QStringList proportional{QStringLiteral("IPAPGothic"), QStringLiteral(u"IPAPゴシック"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Sans Serif")};
    QFont::insertSubstitutions(QStringLiteral(u"ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral(u"ＭＳ Ｐゴシック"), proportional);
}

// Runs a program file as the editor's Run command does.
void RunFile(const QString &path, ov::TRunForm &console, ov::RunController &runs)
{
    QString text;
    if (!ov::ReadTextFile(path, text)) {
        QMessageBox::warning(&console, QStringLiteral("Orvane"),
                             QStringLiteral(u"%1 を開けません。").arg(path));
        return;
    }
    ov::SourceText = ov::SplitTextLines(text).join(QStringLiteral("\r\n"));
    ov::ProgramDir = QFileInfo(path).absolutePath();
    ov::RunMode = 0;
    ov::ProgramRunning = 1;
    ov::StopRequested = 0;
    console.SetBtnPrepMode();
    runs.Start();
}

// Closing stops a run and lets its last window steps finish before the
// worker is joined and the windows go.
void StopAndJoin(ov::RunController &runs)
{
    ov::StopRequested = 1;
    QElapsedTimer clock;
    clock.start();
    while (ov::RunThreadActive.load() != 0 && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    runs.Join();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Orvane for Windows"));
    SubstituteFonts();

    ov::InitializeInterpreterUnits();
    ov::ExeDir = QCoreApplication::applicationDirPath();
    ov::LoadSettings();
    ov::InitInterpreter();

    ov::RunController runs;
    ov::TRunForm console(runs);
    ov::TOVRunWindows windows(console, &console);
    ov::TOVQtHost host(windows);
    ov::SetRunHost(&host);
    console.show();
    console.WriteBanner();

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        RunFile(arguments.last(), console, runs);

    const int status = app.exec();
    StopAndJoin(runs);
    ov::SetRunHost(nullptr);
    return status;
}
