// The private X server's keyboard, on which tests press real keys through
// the XTEST extension.
#pragma once

// Xlib's macros clash with Qt's names: include this header last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

// A connection to the X server that DISPLAY names, or null when there is
// none or it lacks XTEST.
inline Display *OpenXTestKeyboard()
{
    Display *display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (display != nullptr && !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        display = nullptr;
    }
    return display;
}
