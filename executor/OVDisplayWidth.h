// Display width of text in console columns and small Unicode helpers.
#pragma once

#include <QString>

namespace ov {

// True when the first unit of s is wide: East Asian wide or fullwidth, or
// ambiguous under an East Asian locale (the default here).
bool IsWideChar(const QString &s);
// The units of s, counting 2 for a wide unit and 1 for any other.
int StrDisplayWidth(const QString &s);
// True unless the unit is half of a surrogate pair.
bool IsSingleByteChar(char16_t unit);

} // namespace ov
