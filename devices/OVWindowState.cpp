#include "devices/OVWindowState.h"

namespace ov {

int RunFormLeft = 0, RunFormTop = 0;

ColorValue TextBackColor = 0;
ColorValue TextFontColor = 0;

ColorValue ConsoleFontColor = 0;
int ConsoleFontCharset = 128;
QString ConsoleFontName;
int ConsoleFontSize = 9;
FontStyleSet ConsoleFontStyle = 0;

QString InputBoxTitle;
int InputBoxPositionSet = 0;
int InputBoxLeft = 0, InputBoxTop = 0;

} // namespace ov
