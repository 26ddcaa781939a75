// Placement, colours and fonts that the window settings statements give the
// console, the control screen, the graphics screen and the data-input box.
#pragma once

#include "devices/OVGraphState.h"

namespace ov {

enum class WindowShowState { Normal, Minimize, Maximize };

// A font as the console memo and the controls of the control screen carry
// it; the character set is kept for the reads only.
struct FontSetting {
    QString Name;
    int Size = 10;  // points
    int Charset = 128;
    FontStyleSet Style = 0;
    ColorValue Color = 0xFFFFFF;
};

extern int RunFormLeft, RunFormTop;

// The console's colours as TBACKCOLOR and TFONTCOLOR last set them (black
// until then); the console's font itself is read from its memo.
extern ColorValue TextBackColor;
extern ColorValue TextFontColor;

// The control screen's font as CFONT... last set it.
extern ColorValue ConsoleFontColor;
extern int ConsoleFontCharset;
extern QString ConsoleFontName;
extern int ConsoleFontSize;
extern FontStyleSet ConsoleFontStyle;

extern QString InputBoxTitle;
extern int InputBoxPositionSet;
extern int InputBoxLeft, InputBoxTop;

} // namespace ov
