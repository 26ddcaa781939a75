// The user's preferences as live values that the rest of the program reads.
#pragma once

#include "devices/OVGraphState.h"

namespace ov {

extern QString EditorFontName;
extern int EditorFontCharset;
extern int EditorFontSize;
extern FontStyleSet EditorFontStyle;
extern ColorValue EditorFontColor;
extern int FormatCheckOn;  // colour keywords while typing

extern int TScreenFontSize;
extern int TScreenHeight;
extern int TScreenPosAuto, TScreenLeft, TScreenTop;
extern int GScreenPosAuto, GScreenLeft, GScreenTop;

extern int ExitMsgCheck;   // ask before closing while a program runs
extern QString ProgramDir;

} // namespace ov
