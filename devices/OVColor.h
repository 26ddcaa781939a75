// Colour values and the three ways programs name a colour: a palette number
// 0 to 15, a colour name such as "RED", or "#RRGGBB".
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

using ColorValue = uint32_t;  // 0x00BBGGRR

// The settings' colour text "RRGGBB" to a colour value 0x00BBGGRR; black
// when one of the first six characters is not a hexadecimal digit or the
// text is shorter. Characters after the sixth are ignored.
ColorValue StrToColor(const QString &text);
// A colour value to "RRGGBB" in upper case.
QString ColorToStr(ColorValue color);

// "#" and six upper-case hexadecimal digits, red first: 0x0000FF gives "#FF0000".
QString ColorToHtml(ColorValue color);

// "#RRGGBB" (any letter case) or one of the seventeen colour names, compared
// exactly after upper-casing; anything else, or a malformed "#" text, is black.
ColorValue ParseColorName(const QString &text);

// Entry n of the palette of the language version (stored times ten: 9 is the
// 0.9 palette, anything else the default one); n outside 0..15 is black.
ColorValue PaletteColor(int32_t n, int languageVersion);

// The colour argument of the colour statements when it is a number: it must
// lie in 0..15 and is truncated; false when it does not.
bool PaletteArgument(long double n, int languageVersion, ColorValue &color);

} // namespace ov
