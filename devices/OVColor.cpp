#include "devices/OVColor.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ov {

namespace {

constexpr ColorValue Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

struct NamedColor {
    const char16_t *Name;
    ColorValue Value;
};

constexpr ColorValue Black = Rgb(0, 0, 0), Blue = Rgb(0, 0, 255), Lime = Rgb(0, 255, 0),
                     Aqua = Rgb(0, 255, 255), Red = Rgb(255, 0, 0), Fuchsia = Rgb(255, 0, 255),
                     Yellow = Rgb(255, 255, 0), White = Rgb(255, 255, 255), Navy = Rgb(0, 0, 128),
                     Green = Rgb(0, 128, 0), Teal = Rgb(0, 128, 128), Maroon = Rgb(128, 0, 0),
                     Purple = Rgb(128, 0, 128), Olive = Rgb(128, 128, 0), Gray = Rgb(128, 128, 128),
                     Silver = Rgb(192, 192, 192);

constexpr std::array<NamedColor, 17> ColorNames{{
    {u"BLACK", Black}, {u"BLUE", Blue}, {u"LIME", Lime}, {u"CYAN", Aqua}, {u"AQUA", Aqua},
    {u"RED", Red}, {u"FUCHSIA", Fuchsia}, {u"YELLOW", Yellow}, {u"WHITE", White},
    {u"NAVY", Navy}, {u"GREEN", Green}, {u"TEAL", Teal}, {u"MAROON", Maroon},
    {u"PURPLE", Purple}, {u"OLIVE", Olive}, {u"GRAY", Gray}, {u"SILVER", Silver},
}};

constexpr std::array<ColorValue, 16> Palette{Black, Navy, Green,  Teal, Maroon, Purple, Olive,   Silver,
                                             Gray,  Blue, Lime,   Aqua, Red,    Fuchsia, Yellow, White};

// Entry 12 is lime, as in the rest of this table (not red).
constexpr std::array<ColorValue, 16> Palette09{Black, Blue,  Red,    Purple,  Green, Aqua, Yellow, White,
                                               Gray,  Navy, Maroon, Fuchsia, Lime,  Teal, Olive,  Silver};

} // namespace

QString ColorToHtml(ColorValue value)
{
    const QString hex = QStringLiteral("%1").arg(value & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
    return QLatin1Char('#') + hex.mid(4, 2) + hex.mid(2, 2) + hex.mid(0, 2);
}

ColorValue ParseColorName(const QString &text)
{
    const QString upper = text.toUpper();
    if (upper.size() == 7 && upper.startsWith(u'#')) {
        bool ok = false;
        const uint32_t rgb = upper.mid(1).toUInt(&ok, 16);
        const bool allHex = std::all_of(upper.begin() + 1, upper.end(), [](QChar c) { return c.isDigit() || (c >= u'A' && c <= u'F'); });
        if (!ok || !allHex)
            return Black;
        return Rgb(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    }
    for (const NamedColor &named : ColorNames) {
        if (upper == QStringView(named.Name))
            return named.Value;
    }
    return Black;
}

ColorValue PaletteColor(int32_t n, int languageVersion)
{
    if (n < 0 || n > 15)
        return Black;
    return languageVersion == 9 ? Palette09[size_t(n)] : Palette[size_t(n)];
}

bool PaletteArgument(long double n, int languageVersion, ColorValue &color)
{
    if (!(n >= 0 && n <= 15))
        return false;
    color = PaletteColor(int32_t(std::trunc(n)), languageVersion);
    return true;
}

} // namespace ov
