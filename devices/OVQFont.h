// Font-style sets (1 bold, 2 italic, 4 underline, 8 strike-out) on the
// windows' QFont, and back.
#pragma once

#include "devices/OVGraphState.h"

#include <QFont>

namespace ov {

inline void ApplyFontStyles(QFont &font, FontStyleSet styles)
{
    font.setBold((styles & 1) != 0);
    font.setItalic((styles & 2) != 0);
    font.setUnderline((styles & 4) != 0);
    font.setStrikeOut((styles & 8) != 0);
}

inline FontStyleSet FontStylesOf(const QFont &font)
{
    return FontStyleSet((font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0)
                        | (font.strikeOut() ? 8 : 0));
}

} // namespace ov
