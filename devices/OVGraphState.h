// State of the graphics screen that the worker's drawing statements and the
// graphics window share: picture size, world coordinates, pen position,
// drawing styles, colours, font, window placement, and the mouse and key
// input the window records.
#pragma once

#include "devices/OVColor.h"

#include <QString>
#include <atomic>
#include <cstdint>

namespace ov {

using FontStyleSet = uint8_t; // 1 Bold, 2 Italic, 4 Underline, 8 StrikeOut

// The picture: 50..3000 by 10..2500 pixels once a screen has opened.
extern int32_t GraphWidth, GraphHeight;
extern int32_t PreviousGraphWidth, PreviousGraphHeight;  // before the last size step
extern int32_t GraphClientWidth, GraphClientHeight;      // window client size of the four-number GSCREEN

// World coordinates: the rectangle of WINDOW, the pixels it maps onto, and
// pixels per world unit.
extern long double WindowX1, WindowY1, WindowX2, WindowY2;
extern int32_t ViewLeft, ViewTop, ViewRight, ViewBottom;
extern long double WindowScaleX, WindowScaleY;

extern int32_t GLocateX, GLocateY;    // pen and GPRINT position in pixels
extern int32_t GFLocateX, GFLocateY;  // origin of the picture rectangle of LOADPICTURE and SAVEPICTURE

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
extern std::atomic<int> GraphScreenOpen;
extern int MathGraphOn;

// The last mouse event (0 none, 1 move, 2 left, 3 right, 4 middle button,
// 5 double click) and its position in picture pixels. The window publishes
// all three at once, so the worker never reads a torn triple.
struct MouseSample {
    int Event = 0;
    int X = 0;
    int Y = 0;
};
void PublishMouse(MouseSample sample);
MouseSample PeekMouse();
// The sample with its event cleared (MOUSE reads it so); a later event is kept.
MouseSample TakeMouseEvent();
void ClearMouse();

// Written by the windows on the user-interface thread, read by the worker.
extern std::atomic<int> LastKeyCode;
extern std::atomic<char32_t> LastKeyChar;  // 0 when no character is pending
// A key typed in a program window: its virtual-key code, then its character
// (when it has one), each followed by a pause of 5 ms so that a program
// polling the keys sees the value.
void NoteProgramKey(int virtualKey, const QString &text);

} // namespace ov
