// The window manager of the window tests frames and minimises windows as a
// desktop's does; the other window tests rely on it.
#include "wm_server.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(WindowManager, FramesAndMinimisesATopLevelWindow)
{
    if (!WindowManagerReady)
        GTEST_SKIP() << "no X server with a window manager";
    QWidget window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(test::WaitUntil([&] { return test::XWindowManagerState(window.winId()) == 1; }));
    // the frame (title bar and borders) lies around the client area
    ASSERT_TRUE(test::WaitUntil([&] { return window.frameGeometry().height() > window.height(); }));
    window.showMinimized();
    EXPECT_TRUE(test::WaitUntil([&] { return test::XWindowManagerState(window.winId()) == 3; }));
    EXPECT_TRUE(window.isMinimized());
}

} // namespace
