// Font-style sets and their texts, shared by the settings and the font-style
// statements and functions of programs, which therefore see the same texts.
#pragma once

#include "devices/OVGraphState.h"

#include <QString>

namespace ov {

// Any text holding the words Bold, Italic, Underline or StrikeOut, in any
// letter case, to its style set; anything else gives the empty set.
FontStyleSet StrToFontStyles(const QString &text);
// "Normal" for the empty set, else " Bold", " Italic", " Underline",
// " StrikeOut" joined in this order for the styles present.
QString FontStylesToStr(FontStyleSet styles);

} // namespace ov
