// Keys pressed in the program's windows under a window manager, delivered
// by the X server as a keyboard would (XTEST, through the focus the manager
// gave): the console, the graphics screen and the control screen, with a
// button, a text box or nothing focused, each give a running program every
// key of INKEY$'s table with the same code, and each press once.
#include "wm_server.h"

#include "devices/OVGraphForm.h"
#include "devices/OVGraphState.h"
#include "devices/OVGraphSurface.h"

#include "program_windows_fixture.h"
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <gtest/gtest.h>
#include <functional>
#include <ostream>
#include <vector>

// Xlib's macros clash with Qt's names: its headers come last.
#include "tests/environment/xtest_keyboard.h"
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#undef KeyPress  // QEvent's, not the X event type

// Points show as x,y in the failures.
static void PrintTo(const QPoint &point, std::ostream *out)
{
    *out << point.x() << ',' << point.y();
}

using namespace ov;

namespace {

// A key of INKEY$'s table and the character code INKEY$ gives for it.
struct TableKey {
    KeySym keysym;
    int code;
};

std::vector<TableKey> TableKeys()
{
    std::vector<TableKey> keys = {
        {XK_BackSpace, 7}, {XK_Tab, 8},   {XK_Return, 13}, {XK_Escape, 27}, {XK_space, 32},
        {XK_Left, 29},     {XK_Right, 28}, {XK_Up, 30},    {XK_Down, 31},
    };
    for (int d = 0; d <= 9; ++d)
        keys.push_back({KeySym(XK_0 + d), '0' + d});
    for (int c = 0; c < 26; ++c)
        if (c != 'q' - 'a')  // Q ends the program
            keys.push_back({KeySym(XK_a + c), 'A' + c});
    for (int d = 0; d <= 9; ++d)
        keys.push_back({KeySym(XK_KP_0 + d), '0' + d});
    for (const auto &[keysym, code] : {std::pair{XK_KP_Multiply, '*'}, {XK_KP_Add, '+'}, {XK_KP_Subtract, '-'},
                                       {XK_KP_Decimal, '.'}, {XK_KP_Divide, '/'}})
        keys.push_back({KeySym(keysym), code});
    return keys;
}

// Counts the key presses that reach the application's windows.
class KeyPressCounter : public QObject {
public:
    int Count() const { return count_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && watched->isWindowType())
            ++count_;
        return false;
    }

private:
    int count_ = 0;
};

// Where the keys are pressed: a window the program opens, and the widget
// in it given the focus (the window itself: no control has it; none: the
// window focuses what it will).
struct Place {
    const char *name;
    QString opening;
    std::function<QWidget *()> window, focus;
};

QWidget *GraphWindow()
{
    return GraphForm();
}

QWidget *AnyFocus()
{
    return nullptr;
}

// The key a program reads with INKEY$, or the character it reads with
// INPUT$, is still waiting.
bool KeyPending()
{
    return LastKeyCode.load() != 0;
}

bool CharPending()
{
    return LastKeyChar.load() != 0;
}

bool NothingPending()
{
    return false;
}

// Collects INKEY$ until Q, then prints the character codes.
const QString InkeyCollector = QStringLiteral("DO\r\nK$ = INKEY$\r\nIF K$ <> \"\" THEN R$ = R$ + STR$(ASC(K$))\r\n"
                                              "LOOP UNTIL K$ = \"Q\"\r\nPRINT \"got\"; R$\r\n");

// Takes `count` characters with INPUT$, then prints their codes and `more`.
QString InputCollector(int count, const QString &more = QString())
{
    return QStringLiteral("A$ = INPUT$(%1)\r\nFOR I = 1 TO LEN(A$): R$ = R$ + STR$(ASC(MID$(A$, I, 1))): NEXT\r\n"
                          "PRINT \"got\"; R$%2\r\n")
        .arg(count)
        .arg(more);
}

class Keys : public ProgramWindowsFixture {
protected:
    void SetUp() override
    {
        if (!WindowManagerReady)
            GTEST_SKIP() << "no X server with a window manager";
        keyboard_ = OpenXTestKeyboard();
        if (keyboard_ == nullptr)
            GTEST_SKIP() << "no XTEST on the private X server";
        ProgramWindowsFixture::SetUp();
        SetGraphSurface(&GraphSurfaceObject());
        GraphScreenOpen = 0;
        qApp->installEventFilter(&counter_);
        SetNumLock(true);
        set_ = true;
    }
    void TearDown() override
    {
        if (set_) {
            SetNumLock(false);
            qApp->removeEventFilter(&counter_);
            ov::StopRequested = 1;  // a program a failure left waiting for keys
            ProgramWindowsFixture::TearDown();
            DestroyGraphForms();
            SetGraphSurface(nullptr);
            console_.hide();
        }
        if (keyboard_ != nullptr)
            XCloseDisplay(keyboard_);
    }

    void SetNumLock(bool on)
    {
        const unsigned mask = XkbKeysymToModifiers(keyboard_, XK_Num_Lock);
        XkbLockModifiers(keyboard_, XkbUseCoreKbd, mask, on ? mask : 0);
        XSync(keyboard_, False);
    }

    std::vector<Place> Places()
    {
        const auto console = [this]() -> QWidget * { return &console_; };
        const auto control = [this]() -> QWidget * { return &form_; };
        return {
            {"console", QString(), console, [this]() -> QWidget * { return console_.Memo1; }},
            {"graphics screen", QStringLiteral("GSCREEN(200, 100)"), GraphWindow, AnyFocus},
            {"control screen, button", QStringLiteral("CSCREEN(300, 200): CBUTTON(1) ON"), control,
             [this]() -> QWidget * { return form_.Button[1]; }},
            {"control screen, text box", QStringLiteral("CSCREEN(300, 200): CTEXTBOX(1) ON"), control,
             [this]() -> QWidget * { return form_.Edit[1]; }},
            {"control screen, nothing focused", QStringLiteral("CSCREEN(300, 200): CLABEL(1) ON"), control, control},
        };
    }

    // Starts `program` after the place's opening, waits until it has said
    // "ready" and gives the place the focus.
    void Start(const Place &place, const QString &program)
    {
        console_.show();
        console_.Memo1->Clear();
        ov::SourceText = place.opening + QStringLiteral("\r\nPRINT \"ready\"\r\n") + program;
        ov::RunMode = 0;
        ov::ProgramRunning = 1;
        ov::StopRequested = 0;
        ASSERT_TRUE(runs_.Start());
        ASSERT_TRUE(test::WaitUntil([this] { return Console().contains(QStringLiteral("ready")); }))
            << Console().toStdString();
        QWidget *window = place.window(), *target = place.focus();
        ASSERT_NE(window, nullptr);
        window->raise();
        window->activateWindow();
        if (target != nullptr)
            target->setFocus();
        const auto focused = [&] {
            const QWidget *has = QApplication::focusWidget();
            return target == nullptr || has == target || (target == window && (has == nullptr || has == window));
        };
        ASSERT_TRUE(test::WaitUntil([&] { return QGuiApplication::focusWindow() == window->windowHandle(); }))
            << "the window has not the focus";
        ASSERT_TRUE(test::WaitUntil(focused)) << "the focus is not where the keys go";
    }

    // Presses and releases the key through the X server, then waits until
    // the window has taken it and the program has read it (`pending` no
    // longer holds). A key that does not come, or is not read, fails the
    // test at once: the keys after it would wait in vain, and the program
    // for its last key.
    void Press(KeySym keysym, const std::function<bool()> &pending)
    {
        const int before = counter_.Count();
        const KeyCode code = XKeysymToKeycode(keyboard_, keysym);
        ASSERT_NE(code, 0) << keysym;
        XTestFakeKeyEvent(keyboard_, code, True, CurrentTime);
        XTestFakeKeyEvent(keyboard_, code, False, CurrentTime);
        XSync(keyboard_, False);
        ASSERT_TRUE(test::WaitUntil([&] { return counter_.Count() > before; })) << "key " << keysym << " never came";
        ASSERT_TRUE(test::WaitUntil([&] { return !pending(); })) << "key " << keysym << " was not read";
    }
    void PressAll(const std::vector<KeySym> &keysyms, const std::function<bool()> &pending)
    {
        for (const KeySym keysym : keysyms)
            ASSERT_NO_FATAL_FAILURE(Press(keysym, pending));
    }

    // What the program printed after "got", once it has ended; the whole
    // console when it printed none. A program still waiting for a key is
    // stopped.
    QString Result()
    {
        if (!test::WaitUntil([] { return ov::RunThreadActive.load() == 0; })) {
            ADD_FAILURE() << "the program did not end";
            ov::StopRequested = 1;
        }
        WaitForRun(runs_);
        for (const QString &line : Console().split(u'\n'))
            if (line.startsWith(QStringLiteral("got")))
                return line.mid(3);
        return Console();
    }

    Display *keyboard_ = nullptr;
    KeyPressCounter counter_;
    bool set_ = false;
};

} // namespace

TEST_F(Keys, EveryKeyOfInkeysTableGivesItsCodeOnceInEveryWindow)
{
    const std::vector<TableKey> keys = TableKeys();
    QString expected;
    for (const TableKey &key : keys)
        expected += QStringLiteral(" %1").arg(key.code);
    expected += QStringLiteral(" 81");
    std::vector<KeySym> keysyms;
    for (const TableKey &key : keys)
        keysyms.push_back(key.keysym);
    for (const Place &place : Places()) {
        SCOPED_TRACE(place.name);
        ASSERT_NO_FATAL_FAILURE(Start(place, InkeyCollector));
        ASSERT_NO_FATAL_FAILURE(PressAll(keysyms, KeyPending));
        ASSERT_NO_FATAL_FAILURE(Press(XK_q, NothingPending));
        EXPECT_EQ(Result().toStdString(), expected.toStdString());
    }
}

TEST_F(Keys, InputDollarTakesEachTypedCharacterOnceInEveryWindow)
{
    const std::vector<KeySym> typed = {XK_x, XK_5, XK_space, XK_KP_7, XK_Return, XK_q};
    for (const Place &place : Places()) {
        SCOPED_TRACE(place.name);
        ASSERT_NO_FATAL_FAILURE(Start(place, InputCollector(6)));
        ASSERT_NO_FATAL_FAILURE(PressAll(typed, CharPending));
        EXPECT_EQ(Result().toStdString(), " 120 53 32 55 13 113");
    }
}

// The text boxes still take what is typed into them, and Tab still moves on
// to the next box (selecting its text, which the next key replaces), while
// the program reads each key once.
TEST_F(Keys, TextBoxesStillTakeTheirCharactersAndTabMovesOn)
{
    const Place place{"control screen, two text boxes",
                      QStringLiteral("CSCREEN(300, 200): CTEXTBOX(1) ON: CTEXTBOX(2) ON"),
                      [this]() -> QWidget * { return &form_; }, [this]() -> QWidget * { return form_.Edit[1]; }};
    ASSERT_NO_FATAL_FAILURE(
        Start(place, InputCollector(4, QStringLiteral("; \" \"; CTEXTBOX(1).TEXT; \" \"; CTEXTBOX(2).TEXT"))));
    ASSERT_NO_FATAL_FAILURE(PressAll({XK_a, XK_b, XK_Tab, XK_c}, CharPending));
    EXPECT_EQ(Result().toStdString(), " 97 98 9 99 TextBox1ab c");
    EXPECT_EQ(QApplication::focusWidget(), form_.Edit[2]);
}

// On a scrolled picture the arrows are the program's and leave the view
// where it is, each way; the wheel still scrolls it.
TEST_F(Keys, ArrowsOnAScrolledGraphicsScreenGoToTheProgram)
{
    const Place place{"scrolled graphics screen", QStringLiteral("GSCREEN(600, 400, 200, 100): GSCROLL ON"),
                      GraphWindow, AnyFocus};
    ASSERT_NO_FATAL_FAILURE(Start(place, InkeyCollector));
    QScrollArea *area = GraphForm()->ScrollBox1;
    QScrollBar *across = area->horizontalScrollBar(), *down = area->verticalScrollBar();
    const QPoint middle(across->maximum() / 2, down->maximum() / 2);
    ASSERT_GT(middle.x(), 0);
    ASSERT_GT(middle.y(), 0);
    across->setValue(middle.x());
    down->setValue(middle.y());
    const auto view = [across, down] { return QPoint(across->value(), down->value()); };
    ASSERT_NO_FATAL_FAILURE(PressAll({XK_Right, XK_Down}, KeyPending));
    EXPECT_EQ(view(), middle) << "after Right and Down";
    ASSERT_NO_FATAL_FAILURE(PressAll({XK_Left, XK_Up, XK_d}, KeyPending));
    EXPECT_EQ(view(), middle) << "after Left and Up";
    ASSERT_NO_FATAL_FAILURE(Press(XK_q, NothingPending));
    EXPECT_EQ(Result().toStdString(), " 28 31 29 30 68 81");
    down->setValue(0);

    const QPoint pointer = area->viewport()->mapToGlobal(area->viewport()->rect().center());
    XTestFakeMotionEvent(keyboard_, -1, pointer.x(), pointer.y(), CurrentTime);
    XTestFakeButtonEvent(keyboard_, 5, True, CurrentTime);  // the wheel turned towards the user
    XTestFakeButtonEvent(keyboard_, 5, False, CurrentTime);
    XSync(keyboard_, False);
    EXPECT_TRUE(test::WaitUntil([down] { return down->value() > 0; }));
}
