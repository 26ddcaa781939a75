// The control screen's window: its widgets show the control model, typed
// text goes back to it, a click on a real button runs the event sub, a new
// CSCREEN reuses the widgets, and the close box closes the screen. Labels
// lie beneath the other controls; text boxes take long text.
#include "executor/OVControlScreen.h"

#include "program_windows_fixture.h"
#include "wait_for_run.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class ControlScreen : public ProgramWindowsFixture {
protected:
    void SetUp() override
    {
        ProgramWindowsFixture::SetUp();
        QObject::connect(&form_, &TOVControlForm::ButtonClicked, &form_,
                         [this](int n) { ClickControlButton(runs_, n); });
    }
};

} // namespace

TEST_F(ControlScreen, WidgetsMirrorTheModelAndAClickRunsTheSub)
{
    RunProgram(QStringLiteral(
        "CSCREEN(5, 5000): CBUTTON(3) ON: CBUTTON(3).CAPTION = \"Go\": CLABEL(2) ON: CLABEL(2).COLOR = 12\r\n"
        "CTEXTBOX(5) ON: CTEXTBOX(5).MULTILINE = TRUE: CTEXTBOX(5).TEXT = \"a\" + CHR$(13) + CHR$(10) + \"b\"\r\n"
        "END\r\nSUB CButton3_Click\r\nPRINT \"clicked\"; LEN(CTEXTBOX(5).TEXT)\r\nEND SUB"));
    ASSERT_TRUE(form_.isVisible()) << Console().toStdString();
    EXPECT_EQ(form_.size(), QSize(10, 960));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral(u"OVコントロール"));
    EXPECT_TRUE(form_.Button[3]->isVisible());
    EXPECT_FALSE(form_.Button[4]->isVisible());
    EXPECT_EQ(form_.Button[3]->text(), QStringLiteral("Go"));
    EXPECT_EQ(form_.Button[3]->geometry(), QRect(20, 80, 120, 30));
    EXPECT_EQ(form_.Label[2]->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(form_.Memo[5]->isVisible());
    EXPECT_FALSE(form_.Edit[5]->isVisible());
    EXPECT_EQ(form_.Memo[5]->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_EQ(form_.Edit[5]->palette().color(QPalette::Base), QColor(255, 255, 255));

    // The window statements of the control screen reach the open form.
    RunLine(QStringLiteral("CWPOSITION(30, 40): PRINTCTITLE \"T\": CBACKCOLOR = 1: CTEXTBOX(5).COLOR = 12"));
    EXPECT_EQ(form_.pos(), QPoint(30, 40));
    EXPECT_EQ(form_.windowTitle(), QStringLiteral("T"));
    EXPECT_EQ(form_.palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_EQ(form_.Memo[5]->palette().color(QPalette::Base), QColor(255, 0, 0));

    // Typed text reaches the model, the CR LF of the memo's lines kept.
    form_.Memo[5]->setFocus();
    QTest::keyClicks(form_.Memo[5], QStringLiteral("c"));
    QTest::mouseClick(form_.Button[3], Qt::LeftButton);
    WaitForRun(runs_);
    EXPECT_TRUE(Console().contains(QStringLiteral("clicked 5"))) << Console().toStdString();
}

// A label of two lines shows them one below the other, and is as wide as
// its wider line and as high as both.
TEST_F(ControlScreen, ALabelOfTwoLinesIsSizedToItsLines)
{
    RunProgram(QStringLiteral(
        "CSCREEN(400, 300): CLABEL(1) ON: CLABEL(1).CAPTION = \"first\" + CHR$(13) + CHR$(10) + \"second line\""));
    const QLabel *label = form_.Label[1];
    ASSERT_TRUE(label->isVisible()) << Console().toStdString();
    EXPECT_EQ(label->text(), QStringLiteral("first\nsecond line"));
    const QFontMetrics metrics = label->fontMetrics();
    EXPECT_GE(label->height(), 2 * metrics.height());
    EXPECT_GE(label->width(), metrics.horizontalAdvance(QStringLiteral("second line")));
    EXPECT_LT(label->width(), metrics.horizontalAdvance(QStringLiteral("firstsecond line")));
    EXPECT_TRUE(label->contentsRect().contains(QRect(QPoint(0, 0), label->sizeHint())));

    // A caption that looks like markup is shown as written.
    RunProgram(QStringLiteral("CSCREEN(400, 300): CLABEL(2) ON: CLABEL(2).CAPTION = \"<b>x</b> &amp;\""));
    const QLabel *markup = form_.Label[2];
    ASSERT_TRUE(markup->isVisible()) << Console().toStdString();
    EXPECT_GE(markup->sizeHint().width(), metrics.horizontalAdvance(QStringLiteral("<b>x</b> &amp;")));
}

TEST_F(ControlScreen, ANewScreenReusesTheWidgetsAndTheCloseBoxClosesIt)
{
    RunProgram(QStringLiteral("CSCREEN(300, 200): CBUTTON(3) ON"));
    const qsizetype widgets = form_.findChildren<QWidget *>().size();
    RunProgram(QStringLiteral("FOR I = 1 TO 5: CSCREEN(300, 200): NEXT: PRINT CBUTTON(3).VISIBLE"));
    EXPECT_EQ(form_.findChildren<QWidget *>().size(), widgets);
    EXPECT_FALSE(form_.Button[3]->isVisible());
    EXPECT_EQ(form_.size(), QSize(300, 200));

    form_.close();
    EXPECT_EQ(ControlScreenOpen.load(), 0);
    console_.Memo1->Clear();
    RunProgram(QStringLiteral("PRINT CBUTTON(1).TEXT"));
    EXPECT_TRUE(Console().contains(QStringLiteral(u"コントロール画面が開かれていません。"))) << Console().toStdString();
}

// Labels lie beneath every button and text box, also those of lower numbers
// moved onto them.
TEST_F(ControlScreen, LabelsLieBeneathButtonsAndTextBoxes)
{
    RunProgram(QStringLiteral(
        "CSCREEN(800, 400): CLABEL(11) ON: CLABEL(21) ON: CLABEL(31) ON\r\n"
        "CBUTTON(1) ON: CBUTTON(1).LEFT = 200\r\n"
        "CTEXTBOX(2) ON: CTEXTBOX(2).LEFT = 400: CTEXTBOX(2).TOP = 0\r\n"
        "CTEXTBOX(3).MULTILINE = TRUE: CTEXTBOX(3) ON: CTEXTBOX(3).LEFT = 600: CTEXTBOX(3).TOP = 0"));
    ASSERT_TRUE(form_.Label[11]->isVisible()) << Console().toStdString();
    EXPECT_EQ(form_.childAt(form_.Label[11]->geometry().center()), form_.Button[1]);
    EXPECT_EQ(form_.childAt(form_.Label[21]->geometry().center()), form_.Edit[2]);
    EXPECT_TRUE(form_.Memo[3]->isAncestorOf(form_.childAt(form_.Label[31]->geometry().center())));
}

// A one-line text box takes text beyond Qt's usual 32,767 characters, from
// the program and typed.
TEST_F(ControlScreen, AOneLineTextBoxHoldsAndTakesLongText)
{
    RunProgram(QStringLiteral("CSCREEN(400, 300): CTEXTBOX(1) ON\r\n"
                              "A$ = \"abcdefghij\": FOR I = 1 TO 12: A$ = A$ + A$: NEXT: CTEXTBOX(1).TEXT = A$"));
    ASSERT_EQ(form_.Edit[1]->text().size(), 40960) << Console().toStdString();
    form_.Edit[1]->setFocus();
    QTest::keyClick(form_.Edit[1], Qt::Key_End);
    QTest::keyClicks(form_.Edit[1], QStringLiteral("z"));
    RunLine(QStringLiteral("PRINT LEN(CTEXTBOX(1).TEXT); RIGHT$(CTEXTBOX(1).TEXT, 2)"));
    EXPECT_TRUE(Console().contains(QStringLiteral(" 40961jz"))) << Console().right(200).toStdString();
}

// One long unbroken line in a multi-line text box shows within a bound that
// leaves a generous margin (the time once grew with the square of the
// length), and Stop then ends the run.
TEST_F(ControlScreen, ALongUnbrokenLineShowsAtOnceAndStopAnswers)
{
    constexpr int length = 819'200;  // 25 letters doubled 15 times
    QElapsedTimer clock;
    clock.start();
    SourceText = QStringLiteral(
        "CSCREEN(400, 300): CTEXTBOX(1) ON: CTEXTBOX(1).MULTILINE = TRUE\r\n"
        "A$ = \"abcdefghijklmnopqrstuvwxy\": FOR I = 1 TO 15: A$ = A$ + A$: NEXT\r\n"
        "CTEXTBOX(1).TEXT = A$\r\nDO\r\nLOOP");
    RunMode = 0;
    ProgramRunning = 1;
    StopRequested = 0;
    ASSERT_TRUE(runs_.Start());
    while (form_.Memo[1]->document()->characterCount() <= length && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_LT(clock.elapsed(), 10'000);
    EXPECT_EQ(form_.Memo[1]->toPlainText().size(), length);
    QTest::mouseClick(console_.StopBtn, Qt::LeftButton);
    WaitForRun(runs_);
    EXPECT_EQ(RunThreadActive.load(), 0);
    EXPECT_TRUE(Console().contains(QStringLiteral(u"実行中断しました"))) << Console().toStdString();
}

// Font size 0 shows the application's default size, on the controls of a
// property assignment and of CFONTSIZE alike; a size above 500 is kept.
TEST_F(ControlScreen, FontSizeZeroShowsTheDefaultSize)
{
    RunProgram(QStringLiteral("CSCREEN(400, 300): CBUTTON(1).FONTSIZE = 0: CFONTSIZE = 0\r\n"
                              "CBUTTON(21).FONTSIZE = 0: CBUTTON(22).FONTSIZE = 600"));
    const int standard = QFontInfo(QApplication::font()).pointSize();
    ASSERT_GT(standard, 4);
    EXPECT_EQ(form_.Button[1]->font().pointSize(), standard) << Console().toStdString();
    EXPECT_EQ(form_.Button[21]->font().pointSize(), standard);
    EXPECT_EQ(form_.Memo[3]->font().pointSize(), standard);
    EXPECT_EQ(form_.Label[4]->font().pointSize(), standard);
    EXPECT_EQ(form_.Button[22]->font().pointSize(), 600);
}

// Keys typed into a memo leave its text in the window; the model takes it
// once, when the program next uses the text.
TEST_F(ControlScreen, TypedMemoTextMovesIntoTheModelWhenRead)
{
    RunProgram(QStringLiteral("CSCREEN(400, 300): CTEXTBOX(5).MULTILINE = TRUE: CTEXTBOX(5) ON: CTEXTBOX(5).TEXT = \"\""));
    form_.Memo[5]->setFocus();
    QTest::keyClicks(form_.Memo[5], QStringLiteral("x"));
    QTest::keyClick(form_.Memo[5], Qt::Key_Return);
    QTest::keyClicks(form_.Memo[5], QStringLiteral("y"));
    RunLine(QStringLiteral("PRINT LEN(CTEXTBOX(5).TEXT): CTEXTBOX(5).MULTILINE = FALSE: PRINT CTEXTBOX(5).TEXT"));
    EXPECT_TRUE(Console().contains(QStringLiteral(" 4\nx\n"))) << Console().toStdString();

    int fetches = 0;
    Controls().SetMemoTextSource([&fetches](int n) -> std::optional<QString> {
        ++fetches;
        return QStringLiteral("typed %1").arg(n);
    });
    RunLine(QStringLiteral("CTEXTBOX(5).MULTILINE = TRUE"));
    form_.Memo[5]->setFocus();
    QTest::keyClicks(form_.Memo[5], QStringLiteral("abc"));
    EXPECT_EQ(fetches, 0);
    RunLine(QStringLiteral("PRINT CTEXTBOX(5).TEXT; CTEXTBOX(5).TEXT"));
    EXPECT_TRUE(Console().contains(QStringLiteral("typed 5typed 5"))) << Console().toStdString();
    EXPECT_EQ(fetches, 1);
    Controls().SetMemoTextSource({});
}
