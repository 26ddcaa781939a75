// Colour values and the three ways programs name a colour: a palette number,
// a colour name and "#RRGGBB". Colour values are 0x00BBGGRR (red lowest).
#pragma once

#include <QString>
#include <cstdint>

namespace ov {

using ColorValue = uint32_t;  // 0x00BBGGRR

// "#" and six upper-case hexadecimal digits, red first.
QString ColorToHtml(ColorValue value);

// "#RRGGBB" (any case) or one of the sixteen colour names, compared exactly
// after upper-casing; anything else is black.
ColorValue ParseColorName(const QString &text);

// Palette entry n (0..15; anything else is black). `languageVersion` is the
// version times ten: 9 selects the palette of version 0.9.
ColorValue PaletteColor(int32_t n, int languageVersion);

// The colour argument of the colour statements when it is a number: it must
// lie in 0..15 and is truncated; false when it does not.
bool PaletteArgument(long double n, int languageVersion, ColorValue &color);

} // namespace ov
