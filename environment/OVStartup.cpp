#include "environment/OVStartup.h"

#include "executor/OVDataFile.h"
#include "executor/OVMThread.h"
#include "resources/OVVersion.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QThread>
#include <QTranslator>

namespace ov {

bool InstallQtTranslations()
{
    static QTranslator *translator = nullptr;
    if (translator != nullptr)
        return true;
    auto *loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(loaded)) {
        delete loaded;
        return false;
    }
    translator = loaded;
    return true;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/orvane-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString ProgramIconFile()
{
    return QStringLiteral(":/icons/orvane-256.png");
}

void SetUpApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationVersion(ProgramVersion());
    // An empty display name, rather than none: the platform leaves titles
    // that end with the display name as they are.
    QGuiApplication::setApplicationDisplayName(QString());
    QGuiApplication::setWindowIcon(ProgramIcon());
    InstallQtTranslations();
}

void EndRuns(RunController &runs)
{
    StopRequested = 1;
    QElapsedTimer clock;
    clock.start();
    while (RunThreadActive.load() != 0 && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    runs.Join();
    CloseFileChannel(0);
}

}  // namespace ov
