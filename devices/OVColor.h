// Colour values and the three ways programs name a colour: a palette number
// 0 to 15, a colour name such as "RED", or "#RRGGBB".
#pragma once

#include "devices/OVGraphState.h"

#include <QString>
#include <cstdint>

namespace ov {

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

} // namespace ov
