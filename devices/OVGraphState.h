// State of the graphics screen that the worker's drawing statements and the
// graphics window share: pen position, world scale, drawing styles, colours,
// font, window placement, and the mouse and key input the window records.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>

namespace ov {

using ColorValue = uint32_t;  // 0x00BBGGRR
using FontStyleSet = uint8_t; // 1 Bold, 2 Italic, 4 Underline, 8 StrikeOut

extern long double GLocateX, GLocateY;    // text position of GPRINT
extern long double GFLocateX, GFLocateY;  // text position in world coordinates
extern long double WindowScaleX, WindowScaleY;

extern int DrawMode;   // 13: copy pen
extern int DrawStyle;
extern int DrawWidth;
extern int FillStyle;
extern ColorValue GraphForeColor;
extern ColorValue GraphBackColor;
extern ColorValue GraphBorderColor;
extern int BorderColorSet;

extern int GraphFontSize;
extern QString GraphFontName;
extern int GraphFontCharset;
extern FontStyleSet GraphFontStyle;
extern ColorValue GraphFontColor;

extern int GraphWindowLeft, GraphWindowTop;
extern int GraphWindowSized;
extern int GraphPictureWidth, GraphPictureHeight;  // requested picture size, 0 by 0 for the default
extern std::atomic<int> GraphScreenOpen;
extern int MathGraphOn;

// Written by the windows on the user-interface thread, read by the worker.
extern std::atomic<int> MouseEvent;
extern std::atomic<int> MouseX;
extern std::atomic<int> MouseY;
extern std::atomic<int> LastKeyCode;
extern std::atomic<char32_t> LastKeyChar;  // 0 when no character is pending

} // namespace ov
