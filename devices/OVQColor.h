// Colour values (0x00BBGGRR) as the windows' QColor, and back.
#pragma once

#include "devices/OVColor.h"

#include <QColor>

namespace ov {

inline QColor ColorValueToQColor(ColorValue c)
{
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

inline ColorValue QColorToColorValue(const QColor &c)
{
    return ColorValue(c.red()) | ColorValue(c.green()) << 8 | ColorValue(c.blue()) << 16;
}

} // namespace ov
