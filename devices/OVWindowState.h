// Placement and fonts that the window settings statements give the console
// and the data-input box.
#pragma once

#include "devices/OVGraphState.h"

namespace ov {

extern int RunFormLeft, RunFormTop;

extern ColorValue ConsoleFontColor;
extern int ConsoleFontCharset;
extern QString ConsoleFontName;
extern int ConsoleFontSize;
extern FontStyleSet ConsoleFontStyle;

extern QString InputBoxTitle;
extern int InputBoxPositionSet;
extern int InputBoxLeft, InputBoxTop;

} // namespace ov
