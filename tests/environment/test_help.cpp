// The help window: the pages compiled into the program, links between them,
// back, forward and home, and every way of opening it: F1 and the Help menu
// of the frame and the HELP statement of a program.
#include "frame_fixture.h"

#include "environment/OVHelpForm.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace ov;

namespace {

const QUrl kIndex(QStringLiteral("qrc:/help/index.html"));
const QUrl kTutorial(QStringLiteral("qrc:/help/tutorial.html"));

class Help : public FrameFixture {
protected:
    void TearDown() override
    {
        CloseHelpWindow();
        FrameFixture::TearDown();
    }

    // Clicks the link whose text is `text`, as a person would.
    static void ClickLink(QTextBrowser *browser, const QString &text)
    {
        const QTextCursor found = browser->document()->find(text);
        ASSERT_FALSE(found.isNull()) << text.toStdString();
        QTextCursor inside(browser->document());
        inside.setPosition(found.selectionStart() + 1);
        browser->setTextCursor(inside);
        browser->ensureCursorVisible();
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(inside).center());
    }

    static QUrl Page(const TOVHelpForm *help)
    {
        return help->Browser->source().adjusted(QUrl::RemoveFragment);
    }
};

} // namespace

TEST_F(Help, OpensAtTheStartPageAndLinksBackForwardAndHomeNavigate)
{
    TOVHelpForm *help = ShowHelpWindow(QString::fromUtf16(kHelpStartPage));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(Page(help), kIndex);
    EXPECT_TRUE(help->windowTitle().startsWith(QStringLiteral(u"Orvane ヘルプ")))
        << help->windowTitle().toStdString();
    EXPECT_FALSE(help->BackBtn->isEnabled());

    ClickLink(help->Browser, QStringLiteral(u"Basic 入門 (Tutorial)"));
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_TRUE(help->Browser->toPlainText().contains(QStringLiteral(u"入門")));
    ASSERT_TRUE(help->BackBtn->isEnabled());

    QTest::mouseClick(help->BackBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kIndex);
    ASSERT_TRUE(help->ForwardBtn->isEnabled());
    QTest::mouseClick(help->ForwardBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kTutorial);
    QTest::mouseClick(help->HomeBtn, Qt::LeftButton);
    EXPECT_EQ(Page(help), kIndex);

    // asking again reuses the one window; a page that is not there opens nothing
    EXPECT_EQ(ShowHelpWindow(QString::fromUtf16(kTutorialPage)), help);
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_EQ(ShowHelpWindow(QStringLiteral("missing.html")), nullptr);
}

TEST_F(Help, F1TheTutorialItemAndTheHelpStatementOpenTheHelpWindow)
{
    frame_->show();
    QApplication::setActiveWindow(frame_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_F1);
    TOVHelpForm *help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(Page(help), kIndex);

    frame_->OVMMenuBasicTutor->trigger();
    EXPECT_EQ(HelpWindow(), help);
    EXPECT_EQ(Page(help), kTutorial);
    EXPECT_TRUE(messages_.isEmpty());  // no failure to report

    // HELP in the console: the run's window step opens the start page
    console_->show();
    QTest::keyClicks(console_->Memo1, QStringLiteral("HELP"));
    QTest::keyClick(console_->Memo1, Qt::Key_Return);
    WaitForRun();
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(Page(HelpWindow()), kIndex);

    windows_->OpenHelp(QStringLiteral("console"));
    EXPECT_EQ(HelpWindow()->Browser->source().fragment(), QStringLiteral("console"));

    // the frame takes the help window with it when it closes
    frame_->close();
    EXPECT_EQ(HelpWindow(), nullptr);
}
