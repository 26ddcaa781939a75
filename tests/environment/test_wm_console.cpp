// The main frame, the console, the association form and the small boxes
// under a real window manager: minimising for a hidden run, the console's
// size across runs, the status panels, where new editors open, centring and
// the widths that keep titles whole.
#include "tests/environment/wm_frame_fixture.h"

#include "environment/MyRichEdit.h"
#include "environment/OVDialogHook.h"
#include "environment/OVEdit.h"
#include "environment/OVInputNumForm.h"
#include "environment/OVKeySettingForm.h"
#include "environment/OVOption.h"
#include "resources/OVInterfaceTexts.h"
#include "tests/environment/answer_dialog.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <ostream>

// Sizes show as width x height in the failures.
static void PrintTo(const QSize &size, std::ostream *out)
{
    *out << size.width() << 'x' << size.height();
}

static void PrintTo(const QPoint &point, std::ostream *out)
{
    *out << point.x() << ',' << point.y();
}

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class WmConsole : public WmFrameFixture {
protected:
    void TearDown() override
    {
        if (WindowManagerReady)
            SetDialogHook({});
        WmFrameFixture::TearDown();
    }

    // Loads `store` as the user's settings and makes the frame and the
    // console again from them; nothing is shown yet.
    void Start(const QByteArray &store = {})
    {
        if (!store.isEmpty()) {
            QDir().mkpath(tmp_.filePath(u"user"_s));
            QFile file(tmp_.filePath(u"user/Orvane.conf"_s));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("[Configuration]\n" + store);
        }
        LoadSettings();
        InitInterpreter();
        MakeWindows();
    }

    QString Program(const QString &name, const QString &text)
    {
        const QString path = tmp_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }
    // Runs `text` from a new editor, as the editor's Run command does.
    void RunFromEditor(const QString &text)
    {
        TOVEditForm *editor = frame_->NewEditor();
        editor->Editor->setPlainText(text);
        ASSERT_TRUE(editor->OVEMenuRunOVClick());
        WaitForRun();
    }
    // The console's size as the preferences' current-size button reads it,
    // saved from there.
    QSize MeasureAndSaveConsoleSize()
    {
        frame_->OVMMenuPreferenceSetting->trigger();
        TOVOptionFrame *form = frame_->findChildren<TOVOptionFrame *>().constLast();
        form->TScreenCurrentSizeButton->click();
        const QSize measured(form->TScreenWidthBox->text().toInt(), form->TScreenHeightBox->text().toInt());
        form->SSaveExitButton->click();
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();
        return measured;
    }
    // Shows the console, then measures, saves and runs twice: the console
    // keeps one size throughout.
    void ExpectConsoleSizeFixed(const QSize &stored)
    {
        const QSize window = stored + QSize(20, 20);
        frame_->show();
        console_->show();
        ASSERT_TRUE(Mapped(*console_));
        EXPECT_EQ(console_->size(), window);
        for (int cycle = 0; cycle < 2; ++cycle) {
            RunFromEditor(u"PRINT 1\r\n"_s);
            (void)test::WaitUntil([&] { return console_->size() == window; });
            EXPECT_EQ(console_->size(), window) << cycle;
            EXPECT_EQ(MeasureAndSaveConsoleSize(), stored) << cycle;
            EXPECT_EQ(QSize(TScreenWidth, TScreenHeight), stored) << cycle;
        }
    }

    QStringList ConsoleLines() const { return console_->Memo1->toPlainText().split(u'\n'); }
    static int WmState(const QWidget &window) { return test::XWindowManagerState(window.winId()); }
    static bool Mapped(const QWidget &window)
    {
        return test::WaitUntil([&] { return WmState(window) == 1 && window.windowHandle()->isExposed(); });
    }
};

// -H asks the minimise as the program starts, before the window manager
// has mapped either window: both become iconic and stay so through the run
// and after it, and the program reads the console as minimised.
TEST_F(WmConsole, HiddenRunMinimisesFrameAndConsoleUnderTheWindowManager)
{
    Start();
    const QString path = Program(u"h.ovt"_s, u"A = MSGBOX(\"wait\")\r\nPRINT TWINDOWSTATE; \" \"; EWINDOWSTATE\r\n"_s);
    bool iconicDuringRun = false;
    SetDialogHook([&](QDialog &) {
        iconicDuringRun = test::WaitUntil([&] { return WmState(*frame_) == 3 && WmState(*console_) == 3; });
        return int(QMessageBox::Ok);
    });
    frame_->show();
    console_->show();
    frame_->ActOnCommandLine({u"-H"_s, path});
    WaitForRun();
    EXPECT_TRUE(iconicDuringRun);
    EXPECT_TRUE(ConsoleLines().contains(u"Minimize Minimize"_s)) << ConsoleLines().join(u'|').toStdString();
    EXPECT_EQ(WmState(*frame_), 3);
    EXPECT_EQ(WmState(*console_), 3);
    EXPECT_TRUE(console_->isMinimized());
}

// A minimise asked right after the console is shown reads as asked all the
// while the window manager maps the window, and holds.
TEST_F(WmConsole, AMinimiseAskedAsTheConsoleIsShownReadsSoThroughout)
{
    Start();
    console_->show();
    windows_->SetWindowShowState(ProgramWindow::Console, WindowShowState::Minimize);
    bool minimised = true;
    EXPECT_TRUE(test::WaitUntil([&] {
        minimised = minimised && windows_->WindowShowStateOf(ProgramWindow::Console) == WindowShowState::Minimize;
        return WmState(*console_) == 3 && console_->isMinimized();
    }));
    EXPECT_TRUE(minimised);
}

// A place and size asked as the console is shown, before the window manager
// has framed it (a run started with the program), are its frame's.
TEST_F(WmConsole, APlaceAskedAsTheConsoleIsShownIsItsFrames)
{
    Start();
    console_->hide();
    ASSERT_TRUE(test::WindowManagerCaughtUp());
    console_->show();
    RunFormLeft = 30;
    RunFormTop = 20;
    windows_->RestoreRunFormLayout();
    windows_->SetConsoleClientSize(400, 200);
    ASSERT_TRUE(Mapped(*console_));
    ASSERT_TRUE(test::WindowManagerCaughtUp());
    EXPECT_EQ(test::XFrameGeometry(console_->winId()).topLeft(), QPoint(30, 20));
    EXPECT_EQ(console_->size(), QSize(400, 200));
}

// The layout before a run puts the console's frame at its place and the
// window at its size. A minimised console that a run lays out again, or a
// program moves or sizes, stays minimised (the manager would restore a
// window configured while iconic) and takes the place and size when it is
// restored.
TEST_F(WmConsole, AMinimisedConsoleTakesItsNewPlaceAndSizeWhenRestored)
{
    Start();
    console_->show();
    ASSERT_TRUE(Mapped(*console_));
    const QWindow *handle = console_->windowHandle();
    RunFormLeft = 30;
    RunFormTop = 20;
    TScreenWidth = 400;
    TScreenHeight = 200;
    windows_->RestoreRunFormLayout();
    EXPECT_TRUE(test::WaitUntil([&] {
        return handle->framePosition() == QPoint(30, 20) && console_->size() == QSize(420, 220);
    })) << handle->framePosition().x() << ',' << handle->framePosition().y();
    windows_->SetWindowShowState(ProgramWindow::Console, WindowShowState::Minimize);
    ASSERT_TRUE(test::WaitUntil([&] { return WmState(*console_) == 3; }));
    windows_->RestoreRunFormLayout();
    windows_->MoveProgramWindow(ProgramWindow::Console, 40, 50);
    windows_->SetConsoleClientSize(500, 300);
    // the manager handles requests in order: once it has mapped a window
    // shown after them, it has handled them
    QWidget later;
    later.show();
    ASSERT_TRUE(Mapped(later));
    EXPECT_EQ(WmState(*console_), 3);
    EXPECT_EQ(windows_->WindowShowStateOf(ProgramWindow::Console), WindowShowState::Minimize);

    windows_->SetWindowShowState(ProgramWindow::Console, WindowShowState::Normal);
    EXPECT_TRUE(test::WaitUntil([&] {
        return WmState(*console_) == 1 && console_->size() == QSize(500, 300)
               && handle->framePosition() == QPoint(40, 50);
    })) << handle->framePosition().x() << ',' << handle->framePosition().y();
}

// TSCREEN sizes the console and leaves its frame where it is, title bar on
// the screen; the runs after it put the frame back at its place and the
// window at its size, and a place given just before the size holds.
TEST_F(WmConsole, TScreenSizesTheConsoleAndKeepsItsFrameInPlace)
{
    Start();
    frame_->show();
    console_->show();
    ASSERT_TRUE(Mapped(*console_));
    const auto expectFrame = [&](QPoint at, QSize size, const char *after) {
        ASSERT_TRUE(test::WindowManagerCaughtUp());
        EXPECT_EQ(test::XFrameGeometry(console_->winId()).topLeft(), at) << after;
        EXPECT_EQ(console_->windowHandle()->framePosition(), at) << after;  // where Qt has it too
        EXPECT_EQ(console_->size(), size) << after;
    };
    expectFrame(QPoint(0, 0), QSize(640, 250), "the start");
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        RunFromEditor(u"TSCREEN(300, 100)\r\nPRINT 1\r\n"_s);
        expectFrame(QPoint(0, 0), QSize(320, 120), "TSCREEN");
        RunFromEditor(u"PRINT 2\r\n"_s);
        expectFrame(QPoint(0, 0), QSize(640, 250), "the next run");
    }
    RunFromEditor(u"TWPOSITION(100, 50): TSCREEN(400, 200)\r\n"_s);
    expectFrame(QPoint(100, 50), QSize(420, 220), "TWPOSITION and TSCREEN");
}

// The console's size setting is the window less 20 pixels each way, as it
// is applied before every run, as the current-size button measures it and
// as the console starts: measuring, saving and running changes nothing.
TEST_F(WmConsole, ConsoleKeepsItsStoredSizeThroughRunsAndSaves)
{
    Start("TScreen Width=700\nTScreen Height=279\n");
    ExpectConsoleSizeFixed(QSize(700, 279));
}

TEST_F(WmConsole, ConsoleKeepsItsDefaultSizeThroughRunsAndSaves)
{
    Start();
    ExpectConsoleSizeFixed(QSize(620, 230));
}

// At the default width of 640 the six status panels stand side by side
// inside the status bar, and each shows the longest text it commonly has.
TEST_F(WmConsole, StatusPanelsShowTheirTextsSideBySideAtTheDefaultWidth)
{
    Start();
    frame_->show();
    ASSERT_TRUE(Mapped(*frame_));
    ASSERT_EQ(frame_->width(), 640);
    const QString texts[6] = {u"Untitled12"_s,         LineColumnText(1234, 567), InterfaceText(65173),
                              InterfaceText(65177),    InterfaceText(65175),      u"Big Endian Unicode"_s};
    for (int i = 0; i < 6; ++i)
        frame_->SetPanel(i, texts[i]);
    QCoreApplication::processEvents();
    int right = -1;
    for (int i = 0; i < 6; ++i) {
        const QLabel *panel = frame_->StatusPanel(i);
        const QRect box(panel->mapTo(frame_.get(), QPoint(0, 0)), panel->size());
        EXPECT_GT(box.left(), right) << "panel " << i << " overlaps the one before";
        right = box.right();
        const int indent = panel->fontMetrics().horizontalAdvance(u'x') / 2;  // a framed label's
        EXPECT_GE(panel->contentsRect().width(), indent + panel->fontMetrics().horizontalAdvance(texts[i]))
            << "panel " << i << ' ' << texts[i].toStdString();
    }
    EXPECT_LE(right, frame_->statusBar()->mapTo(frame_.get(), frame_->statusBar()->rect().topRight()).x());
}

// Narrower than the panels' texts need, down to the frame's least width, the
// panels shrink alike: each stays inside the status bar, none lies over
// another.
TEST_F(WmConsole, StatusPanelsStayInsideTheBarWhenTheFrameIsNarrowerThanTheirTexts)
{
    Start();
    frame_->show();
    ASSERT_TRUE(Mapped(*frame_));
    const QString texts[6] = {u"Untitled12"_s,         LineColumnText(1234, 567), InterfaceText(65173),
                              InterfaceText(65177),    InterfaceText(65175),      u"Big Endian Unicode"_s};
    int needed = 0;
    for (int i = 0; i < 6; ++i) {
        frame_->SetPanel(i, texts[i]);
        needed += frame_->StatusPanel(i)->fontMetrics().horizontalAdvance(texts[i]);
    }
    const QStatusBar *bar = frame_->statusBar();
    for (const int width : {500, 300, 200, 120, 60, 1}) {
        frame_->resize(width, 300);
        (void)test::WaitUntil([&] { return frame_->width() <= std::max(width, frame_->minimumSizeHint().width()); });
        QCoreApplication::processEvents();
        ASSERT_LT(bar->width(), needed) << width;
        // the panels' strip lies in the bar, left of its size grip, and
        // clips what lies outside it
        const QWidget *strip = frame_->StatusPanel(0)->parentWidget();
        EXPECT_TRUE(bar->rect().contains(QRect(strip->mapTo(bar, QPoint(0, 0)), strip->size())));
        int right = -1;
        for (int i = 0; i < 6; ++i) {
            const QLabel *panel = frame_->StatusPanel(i);
            const QRect box = panel->geometry();
            EXPECT_TRUE(strip->rect().contains(box)) << "panel " << i << " at frame width " << frame_->width();
            EXPECT_GT(box.left(), right) << "panel " << i << " at frame width " << frame_->width();
            right = box.right();
        }
    }
}

// New editors, made or opened, open inside the frame's visible area, each
// below and right of the one before as a cascade places them, so the area
// needs no scroll bars.
TEST_F(WmConsole, NewEditorsCascadeInsideTheFramesVisibleArea)
{
    Start();
    frame_->show();
    ASSERT_TRUE(Mapped(*frame_));
    const QString path = Program(u"open.ovt"_s, u"PRINT 1\r\n"_s);
    QPoint last(-1, -1);
    for (int n = 0; n < 4; ++n) {
        TOVEditForm *editor = n == 2 ? frame_->OpenFile(path, u"Auto"_s, false) : frame_->NewEditor();
        ASSERT_NE(editor, nullptr);
        QCoreApplication::processEvents();
        const QMdiSubWindow *window = frame_->MdiArea->activeSubWindow();
        const QRect area = frame_->MdiArea->viewport()->rect();
        EXPECT_TRUE(area.contains(window->geometry())) << n;
        if (n > 0 && n < 3) {
            EXPECT_TRUE(window->x() > last.x() && window->y() > last.y()) << n;
        }
        last = window->pos();
    }
    EXPECT_FALSE(frame_->MdiArea->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(frame_->MdiArea->verticalScrollBar()->isVisible());
}

// The association form opens with its texts in place, centred on the
// screen, frame and all.
TEST_F(WmConsole, AssociationFormOpensCentredOnTheScreen)
{
    Start();
    frame_->show();
    frame_->OVMMenuAssociationSetting->trigger();
    TOVASForm *form = frame_->findChildren<TOVASForm *>().constLast();
    ASSERT_TRUE(Mapped(*form));
    const QWindow *handle = form->windowHandle();
    const auto offset = [&] { return handle->frameGeometry().center() - form->screen()->availableGeometry().center(); };
    // centred again once the manager has put its frame around it
    EXPECT_TRUE(test::WaitUntil([&] { return handle->frameMargins().top() > 0 && offset().manhattanLength() <= 1; }))
        << offset().x() << ',' << offset().y();
}

// A small box is wide enough for the window manager to show its whole
// title next to its buttons: the title's width in a bold title font and a
// title bar's height for each of the four buttons.
TEST_F(WmConsole, SmallBoxesAreWideEnoughForTheirTitles)
{
    Start();
    frame_->show();
    QStringList titles;
    SetDialogHook([&](QDialog &dialog) {
        dialog.show();
        const bool framed = Mapped(dialog)
                            && test::WaitUntil([&] { return dialog.windowHandle()->frameMargins().top() > 0; });
        QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        font.setBold(true);
        const QMargins frame = dialog.windowHandle()->frameMargins();
        const int bar = frame.top() + frame.bottom();
        const int title = QFontMetrics(font).horizontalAdvance(dialog.windowTitle());
        titles.append(dialog.windowTitle());
        EXPECT_TRUE(framed) << dialog.windowTitle().toStdString();
        EXPECT_GE(dialog.width(), title + 4 * bar) << dialog.windowTitle().toStdString();
        dialog.hide();
        return int(QDialog::Accepted);
    });
    windows_->ShowMessageBox(u"OK"_s, u"Orvane MsgBox"_s, 0);
    windows_->ShowInputQuery(u"?"_s, u"Orvane Input Box"_s, QString(), false);
    frame_->OVMMenuAssociationSetting->trigger();
    TOVASForm *form = frame_->findChildren<TOVASForm *>().constLast();
    form->RadioButton4->setChecked(true);
    SetMessageBoxHook({});  // the real closing box, through the dialog hook
    form->OkBtn->click();
    EXPECT_EQ(titles, QStringList({u"Orvane MsgBox"_s, u"Orvane Input Box"_s, InterfaceText(65117)}));
}

// The data-input box has a title bar without minimise, maximise or close:
// the window manager draws no frame around it (openbox keeps those buttons
// in any title bar it draws), and the box shows its caption in a bar of its
// own, by which it is dragged. The edit field has the focus; Enter answers,
// and Esc stops the run as Cancel does.
TEST_F(WmConsole, TheDataInputBoxShowsItsTitleWithoutWindowButtonsAndMoves)
{
    Start();
    frame_->show();
    console_->show();
    ASSERT_TRUE(Mapped(*console_));
    int asked = 0;
    const auto check = [&](TInputNumForm *box) {
        ++asked;
        EXPECT_TRUE(Mapped(*box));
        EXPECT_TRUE(test::WaitUntil([&] { return test::XCardinals(box->winId(), "_NET_FRAME_EXTENTS").size() == 4; }));
        EXPECT_EQ(test::XCardinals(box->winId(), "_NET_FRAME_EXTENTS"), QList<long>({0, 0, 0, 0}));
        ASSERT_NE(box->Caption, nullptr);
        EXPECT_TRUE(box->Caption->isVisible());
        EXPECT_EQ(box->Caption->text(), box->windowTitle());
        EXPECT_LE(box->Caption->geometry().bottom(), box->Label1->geometry().top());
        EXPECT_GE(box->Caption->contentsRect().width(),
                  box->Caption->fontMetrics().horizontalAdvance(box->windowTitle()));
        EXPECT_TRUE(test::WaitUntil([&] { return box->Edit1->hasFocus(); }));
    };
    AnswerNextDialog<TInputNumForm>([&](TInputNumForm *box) {
        check(box);
        EXPECT_EQ(box->windowTitle(), InterfaceText(65231));
        const QPoint before = box->pos();
        QTest::mousePress(box->Caption, Qt::LeftButton, {}, QPoint(20, 5));
        QTest::mouseMove(box->Caption, QPoint(60, 35));
        QTest::mouseRelease(box->Caption, Qt::LeftButton, {}, QPoint(60, 35));
        EXPECT_TRUE(test::WaitUntil([&] { return box->pos() == before + QPoint(40, 30); }))
            << box->x() - before.x() << ',' << box->y() - before.y();
        QTest::keyClicks(box->Edit1, u"Bob"_s);
        QTest::keyClick(box->Edit1, Qt::Key_Return);
        // the second INPUT: Esc
        AnswerNextDialog<TInputNumForm>([&](TInputNumForm *second) {
            check(second);
            QTest::keyClick(second->Edit1, Qt::Key_Escape);
        });
    });
    RunFromEditor(u"INPUT \"Name\"; N$\r\nPRINT N$\r\nINPUT A\r\nPRINT \"after\"\r\n"_s);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(ConsoleLines().contains(u"Bob"_s)) << ConsoleLines().join(u'|').toStdString();
    EXPECT_FALSE(ConsoleLines().contains(u"after"_s));
    EXPECT_TRUE(console_->RunBtn->isEnabled());
}

// The data-input box widens to its prompt, for INPUT and LINE INPUT, as far
// as the screen is wide; a longer prompt wraps, between words, between
// Japanese characters and within a word longer than a line, and shows whole.
TEST_F(WmConsole, TheDataInputBoxWidensToItsPromptAndWrapsItBeyondTheScreen)
{
    Start();
    frame_->show();
    console_->show();
    ASSERT_TRUE(Mapped(*console_));
    const QString sentence = u"Please type the name of the file that holds the data for the data input box "_s;
    const QString prompts[] = {sentence + u"here"_s, sentence.repeated(5) + u"here"_s,
                               QString(u"データ入力の箱に入れる名前を書いて下さい。"_s).repeated(12),
                               QString(300, u'x')};
    QString program;
    for (const QString &prompt : prompts)
        program += u"INPUT \"%1\", A$\r\nLINE INPUT \"%1\"; B$\r\n"_s.arg(prompt);
    QStringList shown;
    std::function<void(TInputNumForm *)> check = [&](TInputNumForm *box) {
        const QString prompt = prompts[shown.size() / 2];
        SCOPED_TRACE(prompt.left(20).toStdString());
        shown.append(box->Label1->text());
        EXPECT_TRUE(Mapped(*box));
        const QRect area = box->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(box->frameGeometry()))
            << box->width() << " wide at " << box->x() << " on a screen " << area.width() << " wide";
        const QLabel *label = box->Label1;
        const QStringList lines = label->text().split(u'\n');
        QString whole = label->text();
        whole.remove(u'\n').remove(u' ');
        EXPECT_EQ(whole, QString(prompt).remove(u' '));
        const QFontMetrics metrics = label->fontMetrics();
        for (const QString &line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), label->contentsRect().width()) << line.toStdString();
        EXPECT_GE(label->height(), int(lines.size()) * metrics.height());
        EXPECT_TRUE(box->rect().contains(label->geometry()));
        EXPECT_LE(label->geometry().bottom(), box->Edit1->geometry().top());
        if (metrics.horizontalAdvance(prompt) + 40 < area.width()) {
            EXPECT_EQ(lines.size(), 1);  // one line while the screen is wide enough
        }
        QTest::keyClick(box->Edit1, Qt::Key_Return);
        if (shown.size() < 2 * int(std::size(prompts)))
            AnswerNextDialog<TInputNumForm>(check);
    };
    AnswerNextDialog<TInputNumForm>(check);
    RunFromEditor(program);
    ASSERT_EQ(shown.size(), 2 * int(std::size(prompts)));
    EXPECT_EQ(shown[0].count(u'\n'), 0);
    EXPECT_GT(shown[2].count(u'\n'), 0);  // five sentences do not fit 1600 pixels
}

// The close question of a modified editor, a question of one line, is no
// wider than the wider of its rows needs, the icon and the whole line of the
// question or the buttons, plus the box's margins (allowed twice: the box
// may hold its width in an item as wide as a whole row, inside its margins).
TEST_F(WmConsole, TheCloseQuestionIsNoWiderThanItsRowsNeed)
{
    Start();
    frame_->show();
    SetMessageBoxHook({});  // the real box
    const QString names[] = {u"Untitled1"_s, u"/home/someone/Documents/programs/game.ovt"_s,
                             u"/home/someone/ドキュメント/プログラム集/ゲームその一.ovt"_s};
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        TOVEditForm *editor = frame_->NewEditor();
        editor->FileName = name;
        editor->Editor->insertPlainText(u"PRINT 1"_s);
        bool asked = false;
        AnswerNextDialog<QMessageBox>([&](QMessageBox *box) {
            asked = true;
            const auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
            const auto *buttons = box->findChild<QDialogButtonBox *>();
            ASSERT_NE(label, nullptr);
            ASSERT_NE(buttons, nullptr);
            const QMargins margins = box->layout()->contentsMargins();
            const int line = label->x() - margins.left() + label->fontMetrics().horizontalAdvance(label->text());
            const int row = buttons->sizeHint().width();
            EXPECT_LE(box->width(), std::max(line, row) + margins.left() + margins.right())
                << "line " << line << ", buttons " << row;
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_FALSE(editor->parentWidget()->close());
        EXPECT_TRUE(asked);
        editor->Editor->document()->setModified(false);
        editor->parentWidget()->close();
    }
}

} // namespace
