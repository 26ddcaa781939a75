// For the tests of real windows: set by their main when the private X
// server and its window manager run, and what the tests ask of the server.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include "tests/x_server.h"

extern bool WindowManagerReady;

namespace test {

// Processes events until `done` holds or `ms` milliseconds have passed, so
// that the window manager and Qt finish what they were asked.
template <typename Done>
bool WaitUntil(const Done &done, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// The window manager handles requests in order: once it has mapped a
// window shown after them, it has handled every request sent before, and
// what it made of them can be read.
inline bool WindowManagerCaughtUp()
{
    QWidget later;
    later.resize(20, 20);
    later.show();
    return WaitUntil([&] { return XWindowManagerState(later.winId()) == 1 && later.windowHandle()->isExposed(); });
}

} // namespace test
