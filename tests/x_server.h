// A private X server (Xvfb) for the tests that need real windows, and
// optionally a window manager (openbox) on it, so that minimising, frame
// sizes and places behave as on a desktop.
#pragma once

#include "tests/private_server.h"

#include <QList>
#include <QRect>
#include <QProcess>
#include <QString>
#include <QtGui/qwindowdefs.h>

namespace test {

// Starts Xvfb on a display of its own with one screen of `size` (for
// example "640x480x24"). On success DISPLAY names it and Qt is set to use it.
bool StartXServer(QProcess &server, const QString &size);

// Starts openbox on the display that DISPLAY names and waits until it
// manages the screen.
bool StartWindowManager(QProcess &manager);

// The ICCCM state the window manager gives a top-level window: 1 normal,
// 3 iconic, 0 withdrawn, -1 when the window has none (not yet managed).
int XWindowManagerState(WId window);

// The values of a 32-bit CARDINAL list property of a top-level window, such
// as the frame extents the window manager gives it; empty when it has none.
QList<long> XCardinals(WId window, const char *property);

// Where the frame the window manager put around a top-level window lies:
// the window's ancestor just below the root.
QRect XFrameGeometry(WId window);

} // namespace test
