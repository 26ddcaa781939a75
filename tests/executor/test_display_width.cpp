#include "executor/OVDisplayWidth.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace ov;

namespace {

// The process's default locale for the length of a test.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

} // namespace

TEST(DisplayWidth, CountsWideUnitsTwice)
{
    const DefaultLocale japanese{QLocale(QLocale::Japanese, QLocale::Japan)};
    EXPECT_EQ(StrDisplayWidth(QString()), 0);
    EXPECT_EQ(StrDisplayWidth(u"abc"), 3);
    EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("ひらが")), 6);
    EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("漢字")), 4);
    EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("ｶﾀｶﾅ")), 4);  // half-width katakana
    EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("　α")), 4);  // ideographic space, ambiguous alpha
    EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("𠀋")), 2);    // a surrogate pair: two narrow units
}

TEST(DisplayWidth, TableFollowsUnicode51)
{
    const DefaultLocale japanese{QLocale(QLocale::Japanese, QLocale::Japan)};
    const struct { char16_t unit; bool wide; } table[] = {
        // wide and fullwidth, with the narrow units just outside
        {0x1100, true}, {0x115A, false}, {0x115F, true}, {0x232A, true}, {0x232B, false},
        {0x2E9A, false}, {0x303F, false}, {0x3099, true}, {0x31E4, false}, {0x3244, false},
        {0x32FF, false}, {0x4DB5, true}, {0x4DB6, false}, {0x4DC0, false}, {0x9FC3, true},
        {0x9FC4, false}, {0xD7A3, true}, {0xFE53, false}, {0xFF60, true}, {0xFF61, false},
        {0xFF9F, false}, {0xFFE6, true}, {0xFFE7, false},
        // ambiguous
        {0x00A0, false}, {0x00A1, true}, {0x00C0, false}, {0x00C6, true}, {0x036F, true},
        {0x03A2, false}, {0x0402, false}, {0x0451, true}, {0x216C, false}, {0x254C, false},
        {0x2614, true}, {0xF8FF, true}, {0xFE0F, true}, {0xFFFD, true},
        // emoji made wide after 5.1 and later additions stay narrow
        {0x231A, false}, {0x2648, false}, {0x2B50, false}, {0x26BD, false},
        {0x007E, false}, {0xD800, false},
    };
    for (const auto &row : table)
        EXPECT_EQ(IsWideChar(QString(QChar(row.unit))), row.wide) << std::hex << int(row.unit);
    EXPECT_FALSE(IsWideChar(QString()));

    // The per-string count agrees with the per-unit test everywhere.
    QString all;
    int expected = 0;
    for (int unit = 0; unit <= 0xFFFF; ++unit) {
        all += QChar(char16_t(unit));
        expected += IsWideChar(all.right(1)) ? 2 : 1;
    }
    EXPECT_EQ(StrDisplayWidth(all), expected);
}

// Ambiguous units are wide under a Japanese, Chinese or Korean locale only,
// the locale asked at each call; wide units are wide under every locale.
TEST(DisplayWidth, AmbiguousUnitsFollowTheLocale)
{
    const QString ambiguous = QString::fromUtf8("α○→");
    const QString wide = QString::fromUtf8("漢ア");
    for (const QLocale &eastAsian : {QLocale(QLocale::Japanese, QLocale::Japan), QLocale(QLocale::Chinese, QLocale::Taiwan),
                                     QLocale(QLocale::Chinese, QLocale::China), QLocale(QLocale::Korean, QLocale::SouthKorea)}) {
        const DefaultLocale locale{eastAsian};
        EXPECT_EQ(StrDisplayWidth(ambiguous), 6) << eastAsian.name().toStdString();
        EXPECT_TRUE(IsWideChar(ambiguous));
        EXPECT_EQ(StrDisplayWidth(wide), 4);
    }
    for (const QLocale &other : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany),
                                 QLocale::c()}) {
        const DefaultLocale locale{other};
        EXPECT_EQ(StrDisplayWidth(ambiguous), 3) << other.name().toStdString();
        EXPECT_FALSE(IsWideChar(ambiguous));
        EXPECT_EQ(StrDisplayWidth(wide), 4);
        EXPECT_TRUE(IsWideChar(wide));
        EXPECT_EQ(StrDisplayWidth(QString::fromUtf8("ｶﾀｶﾅ")), 4);
    }
}

TEST(DisplayWidth, SingleByteCharIsAnyUnitOutsideSurrogates)
{
    for (const char16_t unit : {u'A', u'日', char16_t(0xD7FF), char16_t(0xE000)})
        EXPECT_TRUE(IsSingleByteChar(unit));
    for (const char16_t unit : {0xD800, 0xDBFF, 0xDC00, 0xDFFF})
        EXPECT_FALSE(IsSingleByteChar(unit));
}
