// Key codes name the physical key: a shifted digit is its digit key, the
// keypad has codes of its own. Real key events of a private X server reach
// the console, the graphics screen and the control screen, which all note
// the same codes.
#include "keyboard_server.h"

#include "devices/OVControlFrame.h"
#include "devices/OVGraphForm.h"
#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"
#include "environment/OVRunFrame.h"
#include "executor/OVMThread.h"
#include "platform/OVVirtualKey.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/Xlib.h>

using namespace ov;

namespace {

constexpr unsigned kShift = ShiftMask, kNumLock = Mod2Mask;

TEST(VirtualKey, KeysymsAndQtKeysGiveThePhysicalKey)
{
    struct Case {
        int qtKey;
        bool keypad;
        uint32_t keysym, unshifted;
        int code;
    };
    const Case cases[] = {
        {Qt::Key_Exclam, false, '!', '1', 49},           // Shift+1
        {Qt::Key_ParenRight, false, ')', '0', 48},       // Shift+0
        {Qt::Key_A, false, 'A', 'a', 65},
        {Qt::Key_Backtab, false, 0xFE20, 0xFF09, 9},     // Shift+Tab
        {Qt::Key_F5, false, 0xFFC2, 0xFFC2, 0x74},
        {Qt::Key_Exclam, false, 0, 0, 0},                // no keysyms: the Qt key decides
        {Qt::Key_Asterisk, true, 0xFFAA, 0, 106},
        {Qt::Key_Plus, true, 0xFFAB, 0, 107},
        {Qt::Key_Minus, true, 0xFFAD, 0, 109},
        {Qt::Key_Period, true, 0xFFAE, 0, 110},
        {Qt::Key_Comma, true, 0xFFAC, 0, 110},           // the decimal key of a comma layout
        {Qt::Key_Slash, true, 0xFFAF, 0, 111},
        {Qt::Key_1, true, 0xFFB1, 0, 97},                // NumLock on
        {Qt::Key_End, true, 0xFF9C, 0, 0x23},            // NumLock off
        {Qt::Key_Enter, true, 0xFF8D, 0, 13},
        {Qt::Key_Asterisk, true, 0, 0, 106},             // keypad keys without keysyms
        {Qt::Key_9, true, 0, 0, 105},
        {Qt::Key_Period, true, 0, 0, 110},
        {Qt::Key_Left, true, 0, 0, 0x25},
    };
    for (const Case &c : cases)
        EXPECT_EQ(KeyPressVirtualKeyCode(c.qtKey, c.keypad, c.keysym, c.unshifted), c.code)
            << std::hex << c.qtKey << " " << c.keysym;
    EXPECT_EQ(KeysymVirtualKeyCode('z'), 'Z');
    EXPECT_EQ(KeysymVirtualKeyCode('?'), 0);
}

class XKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XServerRunning)
            GTEST_SKIP() << "no private X server";
        display_ = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
    }

    // Sends a key press to the top-level window of `target` as the X server
    // would, then lets the window take it; the code noted, or -1.
    int Press(QWidget *target, unsigned keyCode, unsigned state)
    {
        QWidget *window = target->window();
        window->show();
        target->setFocus();
        QCoreApplication::processEvents();
        LastKeyCode = -1;
        XKeyEvent event{};
        event.type = KeyPress;
        event.display = display_;
        event.window = window->winId();
        event.root = DefaultRootWindow(display_);
        event.time = CurrentTime;
        event.same_screen = True;
        event.keycode = keyCode;
        event.state = state;
        XSendEvent(display_, event.window, True, KeyPressMask, reinterpret_cast<XEvent *>(&event));
        XFlush(display_);
        QElapsedTimer clock;
        clock.start();
        while (LastKeyCode.load() == -1 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return LastKeyCode.exchange(0);
    }

    // Key codes of the server's usual keyboard map (evdev, us).
    void ExpectPhysicalKeys(QWidget *target)
    {
        EXPECT_EQ(Press(target, 10, 0), 49);              // 1
        EXPECT_EQ(Press(target, 10, kShift), 49);         // Shift+1 types "!"
        EXPECT_EQ(LastKeyChar.exchange(0), U'!');
        EXPECT_EQ(Press(target, 19, kShift), 48);         // Shift+0
        EXPECT_EQ(Press(target, 38, kShift), 65);         // Shift+A
        EXPECT_EQ(Press(target, 63, 0), 106);             // keypad *
        EXPECT_EQ(Press(target, 86, 0), 107);             // keypad +
        EXPECT_EQ(Press(target, 82, 0), 109);             // keypad -
        EXPECT_EQ(Press(target, 91, kNumLock), 110);      // keypad .
        EXPECT_EQ(Press(target, 106, 0), 111);            // keypad /
        EXPECT_EQ(Press(target, 87, kNumLock), 97);       // keypad 1
        EXPECT_EQ(Press(target, 87, 0), 0x23);            // keypad 1 without NumLock: End
    }

    Display *display_ = nullptr;
};

TEST_F(XKeys, TheConsoleNotesThePhysicalKey)
{
    RunController runs;
    TRunForm console(runs);
    ExpectPhysicalKeys(console.Memo1);
}

TEST_F(XKeys, TheGraphicsScreenNotesThePhysicalKey)
{
    TOVGraphForm form(GraphSurfaceObject());
    ExpectPhysicalKeys(&form);
}

TEST_F(XKeys, TheControlScreenNotesThePhysicalKey)
{
    TOVControlForm form;
    form.Edit[1]->show();
    ExpectPhysicalKeys(form.Edit[1]);
}

} // namespace
