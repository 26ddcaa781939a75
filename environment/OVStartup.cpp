#include "environment/OVStartup.h"

#include "resources/OVVersion.h"

#include <QGuiApplication>
#include <QLibraryInfo>
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

void SetUpApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationVersion(ProgramVersion());
    // An empty display name, rather than none: the platform leaves titles
    // that end with the display name as they are.
    QGuiApplication::setApplicationDisplayName(QString());
    InstallQtTranslations();
}

}  // namespace ov
