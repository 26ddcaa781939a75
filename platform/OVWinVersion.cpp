#include "platform/OVWinVersion.h"

#include <QStringList>
#include <QSysInfo>

using namespace Qt::Literals::StringLiterals;

namespace ov {

namespace {

bool HasLargeTextLimits(const QString &versionName)
{
    return versionName == u"Vista" || versionName == u"7";
}

// The names a Windows version record gives, "Unknown" aside.
const QStringList &WindowsNames()
{
    static const QStringList names = {u"95"_s, u"98"_s, u"98SE"_s, u"ME"_s, u"NT"_s, u"2000"_s,
                                      u"XP"_s, u"Vista"_s, u"7"_s, u"8"_s, u"8.1"_s};
    return names;
}

// The Windows systems that keep the small program size. "Unknown" is not
// one: a later Windows gives it, and so does a desktop without a product
// name.
bool HasSmallProgramLimit(const QString &versionName)
{
    return WindowsNames().contains(versionName) && !HasLargeTextLimits(versionName);
}

}  // namespace

QString WindowsVersionNameFor(const VersionRecord &r)
{
    if (!r.Valid)
        return QStringLiteral("Unknown");
    const auto is = [&r](int major, int minor) { return r.Major == major && r.Minor == minor; };
    if (r.PlatformId == 1) {
        if (is(4, 0))
            return QStringLiteral("95");
        if (is(4, 10)) {
            const bool secondEdition = r.ServicePack.size() >= 2 && r.ServicePack.at(1) == u'A';
            return secondEdition ? QStringLiteral("98SE") : QStringLiteral("98");
        }
        if (is(4, 90))
            return QStringLiteral("ME");
    } else if (r.PlatformId == 2) {
        if (r.Major <= 4)
            return QStringLiteral("NT");
        if (is(5, 0))
            return QStringLiteral("2000");
        if (is(5, 1))
            return QStringLiteral("XP");
        if (is(6, 0))
            return QStringLiteral("Vista");
        if (is(6, 1))
            return QStringLiteral("7");
        if (is(6, 2))  // also later systems, which report 6.2 to undeclared programs
            return QStringLiteral("8");
        if (is(6, 3))
            return QStringLiteral("8.1");
    }
    return QStringLiteral("Unknown");  // e.g. 5.2 (Server 2003) or 10.0
}

QString GetWindowsVersionName()
{
    // A product name that happened to equal a Windows name would trigger the
    // start-up refusal or the large limits, so it is reported as "Unknown".
    const QString name = QSysInfo::prettyProductName();
    if (name.isEmpty() || WindowsNames().contains(name))
        return QStringLiteral("Unknown");
    return name;
}

int ProgramSizeLimit(const QString &versionName)
{
    return HasSmallProgramLimit(versionName) ? 0x40000 : 0x100000;
}

int ConsoleTextLimit(const QString &versionName)
{
    return HasLargeTextLimits(versionName) ? 0x500000 : 0x100000;
}

}  // namespace ov
