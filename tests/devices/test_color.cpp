#include "devices/OVColor.h"

#include <gtest/gtest.h>

using namespace ov;

TEST(Color, HtmlTextPutsRedFirst)
{
    EXPECT_EQ(ColorToHtml(0x0000FF), QStringLiteral("#FF0000"));
    EXPECT_EQ(ColorToHtml(0x0FFFFF), QStringLiteral("#FFFF0F"));
    EXPECT_EQ(ColorToHtml(0), QStringLiteral("#000000"));
}

TEST(Color, NamesAndHashTexts)
{
    EXPECT_EQ(ParseColorName(QStringLiteral("#ff8000")), 0x0080FFu);
    EXPECT_EQ(ParseColorName(QStringLiteral("#FF800")), 0u);     // five digits
    EXPECT_EQ(ParseColorName(QStringLiteral("#FF80G0")), 0u);    // not hexadecimal
    EXPECT_EQ(ParseColorName(QStringLiteral("#+F8000")), 0u);    // a sign is no digit
    EXPECT_EQ(ParseColorName(QStringLiteral("red")), 0x0000FFu);
    EXPECT_EQ(ParseColorName(QStringLiteral(" RED")), 0u);
    EXPECT_EQ(ParseColorName(QStringLiteral("Silver")), 0xC0C0C0u);
    EXPECT_EQ(ParseColorName(QStringLiteral("cyan")), ParseColorName(QStringLiteral("AQUA")));
}

TEST(Color, PalettesOfBothVersions)
{
    EXPECT_EQ(PaletteColor(12, 12), 0x0000FFu);  // red
    EXPECT_EQ(PaletteColor(12, 9), 0x00FF00u);   // lime, as the 0.9 table has it
    EXPECT_EQ(PaletteColor(2, 9), 0x0000FFu);
    EXPECT_EQ(PaletteColor(16, 12), 0u);
    EXPECT_EQ(PaletteColor(-1, 12), 0u);
    ColorValue c = 1;
    EXPECT_FALSE(PaletteArgument(15.9L, 12, c));
    EXPECT_FALSE(PaletteArgument(-0.5L, 12, c));
    EXPECT_TRUE(PaletteArgument(9.7L, 12, c));
    EXPECT_EQ(c, 0xFF0000u);  // blue
}
