// The editor under a real window manager, with keys from the X server as a
// keyboard gives them: a program opened and saved with Ctrl+S keeps its
// text and its encoding.
#include "tests/environment/wm_frame_fixture.h"

#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"

#include <QApplication>
#include <QFile>
#include <QWindow>
#include <gtest/gtest.h>

// Xlib's macros clash with Qt's names: its headers come last.
#include "tests/environment/xtest_keyboard.h"
#include <X11/keysym.h>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class WmEditor : public WmFrameFixture {
protected:
    void SetUp() override
    {
        if (!WindowManagerReady)
            GTEST_SKIP() << "no X server with a window manager";
        keyboard_ = OpenXTestKeyboard();
        if (keyboard_ == nullptr)
            GTEST_SKIP() << "no XTEST on the private X server";
        WmFrameFixture::SetUp();
    }
    void TearDown() override
    {
        if (keyboard_ != nullptr)
            XCloseDisplay(keyboard_);
        WmFrameFixture::TearDown();
    }

    QString WriteProgram(const QByteArray &bytes)
    {
        const QString path = tmp_.filePath(u"head.ovt"_s);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray Contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Presses Ctrl with `keysym` through the X server.
    void PressWithCtrl(KeySym keysym)
    {
        const KeyCode ctrl = XKeysymToKeycode(keyboard_, XK_Control_L);
        const KeyCode key = XKeysymToKeycode(keyboard_, keysym);
        ASSERT_TRUE(ctrl != 0 && key != 0);
        XTestFakeKeyEvent(keyboard_, ctrl, True, CurrentTime);
        XTestFakeKeyEvent(keyboard_, key, True, CurrentTime);
        XTestFakeKeyEvent(keyboard_, key, False, CurrentTime);
        XTestFakeKeyEvent(keyboard_, ctrl, False, CurrentTime);
        XSync(keyboard_, False);
    }

    Display *keyboard_ = nullptr;
};

// A UTF-8 program without a mark whose first 1,024 bytes are ASCII opens as
// UTF-8; Ctrl+S with no edit asks nothing and writes the same bytes again.
TEST_F(WmEditor, SavingAUtf8ProgramWithALongAsciiHeadKeepsItsBytes)
{
    const QByteArray bytes = "REM " + QByteArray(1100, '-') + "\r\nPRINT \"日本語\"\r\n";
    const QString path = WriteProgram(bytes);
    frame_->show();
    TOVEditForm *editor = frame_->OpenFile(path, u"Auto"_s, false);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->EncodingName, u"UTF-8"_s);
    EXPECT_TRUE(editor->Editor->toPlainText().endsWith(u"PRINT \"日本語\""_s));
    editor->Editor->setFocus();
    ASSERT_TRUE(test::WaitUntil([&] {
        return QGuiApplication::focusWindow() == frame_->windowHandle() && QApplication::focusWidget() == editor->Editor;
    })) << "the editor has not the focus";

    const QString backup = path.chopped(4) + u".BAK"_s;
    PressWithCtrl(XK_s);
    ASSERT_TRUE(test::WaitUntil([&] { return QFile::exists(backup) || !messages_.isEmpty(); }))
        << "Ctrl+S neither saved nor asked";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
    EXPECT_EQ(Contents(path), bytes);
    EXPECT_EQ(Contents(backup), bytes);
    EXPECT_EQ(editor->EncodingName, u"UTF-8"_s);
    EXPECT_FALSE(editor->Editor->document()->isModified());
}

} // namespace
