#include "platform/OVWinVersion.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace ov;
using namespace Qt::Literals::StringLiterals;


namespace {

QString NameFor(int platformId, int major, int minor, const QString &servicePack = {})
{
    return WindowsVersionNameFor({true, major, minor, platformId, servicePack});
}

}  // namespace

TEST(WinVersion, UnreadableRecordIsUnknown)
{
    EXPECT_EQ(WindowsVersionNameFor({false, 6, 1, 2, {}}), u"Unknown");
}

TEST(WinVersion, NinetyFiveFamily)
{
    EXPECT_EQ(NameFor(1, 4, 0), u"95");
    EXPECT_EQ(NameFor(1, 4, 10), u"98");
    EXPECT_EQ(NameFor(1, 4, 10, u" A "_s), u"98SE");
    EXPECT_EQ(NameFor(1, 4, 10, u"A"_s), u"98");   // 'A' must be the second character
    EXPECT_EQ(NameFor(1, 4, 10, u" a "_s), u"98");
    EXPECT_EQ(NameFor(1, 4, 90), u"ME");
    EXPECT_EQ(NameFor(1, 4, 1), u"Unknown");
    EXPECT_EQ(NameFor(1, 5, 0), u"Unknown");
}

TEST(WinVersion, NtFamily)
{
    EXPECT_EQ(NameFor(2, 3, 51), u"NT");
    EXPECT_EQ(NameFor(2, 4, 0), u"NT");
    EXPECT_EQ(NameFor(2, 5, 0), u"2000");
    EXPECT_EQ(NameFor(2, 5, 1), u"XP");
    EXPECT_EQ(NameFor(2, 5, 2), u"Unknown");
    EXPECT_EQ(NameFor(2, 6, 0), u"Vista");
    EXPECT_EQ(NameFor(2, 6, 1), u"7");
    EXPECT_EQ(NameFor(2, 6, 2), u"8");
    EXPECT_EQ(NameFor(2, 6, 3), u"8.1");
    EXPECT_EQ(NameFor(2, 10, 0), u"Unknown");
}

TEST(WinVersion, OtherPlatformIdsAreUnknown)
{
    EXPECT_EQ(NameFor(0, 4, 0), u"Unknown");
    EXPECT_EQ(NameFor(3, 6, 1), u"Unknown");
}

TEST(WinVersion, RunningSystemNeverPassesForARefusedOrLargeLimitWindows)
{
    const QString name = GetWindowsVersionName();
    EXPECT_FALSE(name.isEmpty());
    for (const char16_t *w : {u"2000", u"Vista", u"7"})
        EXPECT_NE(name, QString::fromUtf16(w));
}

TEST(WinVersion, TextLimits)
{
    for (const char16_t *large : {u"Vista", u"7"}) {
        EXPECT_EQ(ProgramSizeLimit(QString::fromUtf16(large)), 1048576);
        EXPECT_EQ(ConsoleTextLimit(QString::fromUtf16(large)), 5242880);
    }
    for (const char16_t *other : {u"XP", u"8", u"8.1", u"Unknown", u"7 "})
        EXPECT_EQ(ConsoleTextLimit(QString::fromUtf16(other)), 1048576);
    for (const char16_t *old : {u"95", u"98", u"98SE", u"ME", u"NT", u"2000", u"XP", u"8", u"8.1"})
        EXPECT_EQ(ProgramSizeLimit(QString::fromUtf16(old)), 262144) << QString::fromUtf16(old).toStdString();
}

// The system this runs on is not one of the old Windows systems: programs
// and the editor take a mebi-character.
TEST(WinVersion, ThisSystemTakesLargePrograms)
{
    EXPECT_EQ(ProgramSizeLimit(GetWindowsVersionName()), 1048576);
    for (const char16_t *current : {u"Unknown", u"Debian GNU/Linux 12 (bookworm)", u"7 "})
        EXPECT_EQ(ProgramSizeLimit(QString::fromUtf16(current)), 1048576);
}
