#include "devices/OVColor.h"

#include <array>
#include <cmath>

namespace ov {

namespace {

constexpr ColorValue Rgb(ColorValue r, ColorValue g, ColorValue b)
{
    return r | g << 8 | b << 16;
}

constexpr ColorValue Black = Rgb(0, 0, 0), Blue = Rgb(0, 0, 255), Lime = Rgb(0, 255, 0),
                     Aqua = Rgb(0, 255, 255), Red = Rgb(255, 0, 0), Fuchsia = Rgb(255, 0, 255),
                     Yellow = Rgb(255, 255, 0), White = Rgb(255, 255, 255), Navy = Rgb(0, 0, 128),
                     Green = Rgb(0, 128, 0), Teal = Rgb(0, 128, 128), Maroon = Rgb(128, 0, 0),
                     Purple = Rgb(128, 0, 128), Olive = Rgb(128, 128, 0), Gray = Rgb(128, 128, 128),
                     Silver = Rgb(192, 192, 192);

struct NamedColor {
    const char16_t *Name;
    ColorValue Value;
};

constexpr NamedColor ColorNames[] = {
    {u"BLACK", Black},   {u"BLUE", Blue},     {u"LIME", Lime},     {u"CYAN", Aqua},   {u"AQUA", Aqua},
    {u"RED", Red},       {u"FUCHSIA", Fuchsia}, {u"YELLOW", Yellow}, {u"WHITE", White}, {u"NAVY", Navy},
    {u"GREEN", Green},   {u"TEAL", Teal},     {u"MAROON", Maroon}, {u"PURPLE", Purple}, {u"OLIVE", Olive},
    {u"GRAY", Gray},     {u"SILVER", Silver},
};

constexpr std::array<ColorValue, 16> DefaultPalette = {
    Black, Navy, Green, Teal, Maroon, Purple, Olive, Silver,
    Gray,  Blue, Lime,  Aqua, Red,    Fuchsia, Yellow, White,
};

// Entry 12 is lime, as the palette of that version has it.
constexpr std::array<ColorValue, 16> Version09Palette = {
    Black, Blue,   Red,     Purple, Green, Aqua, Yellow, White,
    Gray,  Navy,   Maroon,  Fuchsia, Lime, Teal, Olive,  Silver,
};

bool IsHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

} // namespace

ColorValue StrToColor(const QString &text)
{
    if (text.size() < 6)
        return Black;
    const QStringView digits = QStringView(text).first(6);
    for (const QChar c : digits) {
        if (!IsHexDigit(c))
            return Black;
    }
    const ColorValue rgb = digits.toUInt(nullptr, 16);
    return Rgb(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

QString ColorToStr(ColorValue color)
{
    const ColorValue rgb = (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
    return QString::number(rgb, 16).toUpper().rightJustified(6, u'0');
}

QString ColorToHtml(ColorValue color)
{
    return u'#' + ColorToStr(color);
}

ColorValue ParseColorName(const QString &text)
{
    const QString name = text.toUpper();
    if (name.size() == 7 && name.startsWith(u'#'))
        return StrToColor(name.mid(1));
    for (const NamedColor &entry : ColorNames) {
        if (name == QStringView(entry.Name))
            return entry.Value;
    }
    return Black;
}

ColorValue PaletteColor(int32_t n, int languageVersion)
{
    if (n < 0 || n > 15)
        return Black;
    return languageVersion == 9 ? Version09Palette[size_t(n)] : DefaultPalette[size_t(n)];
}

bool PaletteArgument(long double n, int languageVersion, ColorValue &color)
{
    if (!(n >= 0 && n <= 15))
        return false;
    color = PaletteColor(int32_t(std::trunc(n)), languageVersion);
    return true;
}

} // namespace ov
