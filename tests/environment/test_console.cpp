// The console window driven as a person would: typing a command and Enter,
// recalling commands, the caret guards and the buttons.
#include "answer_dialog.h"

#include "devices/OVCommandHistory.h"
#include "environment/OVInputNumForm.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"

#include "wait_for_run.h"
#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QThread>
#include <QPushButton>
#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ClearCommandHistory();
        form_ = std::make_unique<TRunForm>(runs_);
        windows_ = std::make_unique<TOVRunWindows>(*form_, nullptr);
        host_ = std::make_unique<TOVQtHost>(*windows_);
        SetRunHost(host_.get());
        form_->Memo1->Clear();
    }
    void TearDown() override
    {
        WaitForRun();
        SetRunHost(nullptr);
    }

    void WaitForRun() { ::WaitForRun(runs_); }

    void TypeCommand(const QString &text)
    {
        QTest::keyClicks(form_->Memo1, text);
        QTest::keyClick(form_->Memo1, Qt::Key_Return);
        WaitForRun();
    }

    QStringList Lines() const { return form_->Memo1->toPlainText().split(u'\n'); }

    RunController runs_;
    std::unique_ptr<TRunForm> form_;
    std::unique_ptr<TOVRunWindows> windows_;
    std::unique_ptr<TOVQtHost> host_;
};

} // namespace

TEST_F(Console, EnterRunsTheLineAtTheCaret)
{
    TypeCommand(QStringLiteral("PRINT 6 * 7"));
    EXPECT_EQ(Lines(), (QStringList{QStringLiteral("PRINT 6 * 7"), QStringLiteral(" 42"), QStringLiteral("OK"),
                                    QString(), QString()}));
    EXPECT_TRUE(form_->RunBtn->isEnabled());
    EXPECT_FALSE(form_->StopBtn->isEnabled());
}

TEST_F(Console, ErrorsOfDirectCommandsHaveNoPosition)
{
    TypeCommand(QStringLiteral("PRINT 1 +"));
    const QString text = form_->Memo1->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral(u"エラー:"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'桁'));
}

TEST_F(Console, HistoryRecallsNewestFirstAndWraps)
{
    for (int i = 1; i <= 101; ++i)
        AddCommandHistory(QStringLiteral("CMD %1").arg(i));
    EXPECT_EQ(HistoryCount, 100);
    HistoryCursor = HistoryCount + 1;
    QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(Lines().last(), QStringLiteral("CMD 101"));
    QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(Lines().last(), QStringLiteral("CMD 100"));
    QTest::keyClick(form_->Memo1, Qt::Key_Down);
    EXPECT_EQ(Lines().last(), QStringLiteral("CMD 101"));
    for (int i = 0; i < 99; ++i)
        QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(Lines().last(), QStringLiteral("CMD 2"));  // the oldest left after the wrap
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(HistoryCursor, 0);  // position 0 names the ring's origin, then Up stops
}

// Lines of nothing but blanks and control characters stay out of the
// history; around a command they are trimmed off.
TEST_F(Console, BlankLinesStayOutOfTheHistory)
{
    TypeCommand(QStringLiteral("PRINT 1"));
    TypeCommand(QString());
    TypeCommand(QStringLiteral("   "));
    AddCommandHistory(QStringLiteral(u"\t\x01 \x3000\x1F"));
    EXPECT_EQ(HistoryCount, 1);
    AddCommandHistory(QStringLiteral(u"\x1B PRINT 2\x7F "));
    EXPECT_EQ(HistoryCount, 2);
    HistoryCursor = HistoryCount + 1;
    QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(Lines().last(), QStringLiteral("PRINT 2"));
    QTest::keyClick(form_->Memo1, Qt::Key_Up);
    EXPECT_EQ(Lines().last(), QStringLiteral("PRINT 1"));
}

TEST_F(Console, CaretStaysOnItsLine)
{
    form_->Memo1->AddLine(QStringLiteral("first"));
    QTest::keyClicks(form_->Memo1, QStringLiteral("ab"));
    QTest::keyClick(form_->Memo1, Qt::Key_Home);
    QTest::keyClick(form_->Memo1, Qt::Key_Left);
    int column = 0, line = 0;
    form_->Memo1->GetCharPos(column, line);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 1);
    QTest::keyClick(form_->Memo1, Qt::Key_End);
    QTest::keyClick(form_->Memo1, Qt::Key_Right);
    form_->Memo1->GetCharPos(column, line);
    EXPECT_EQ(column, 3);
}

TEST_F(Console, MemoCountsLinesAsTheRunDoes)
{
    TConsoleMemo &memo = *form_->Memo1;
    memo.AddLine(QStringLiteral("one"));
    memo.AddLine(QStringLiteral("two"));
    EXPECT_EQ(memo.LineCount(), 2);
    EXPECT_EQ(memo.TextLength(), 10);  // "one" CR LF "two" CR LF
    memo.DeleteLine(0);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("two\n"));
    QTest::mouseClick(form_->CLSBtn, Qt::LeftButton);
    EXPECT_EQ(memo.LineCount(), 0);
}

// Lines added or deleted many at a time leave the memo as one call for each
// line does, after a typed line without its line break too.
TEST_F(Console, MemoTakesManyLinesAsOneAtATime)
{
    const QStringList lines{QStringLiteral("one"), QString(), QStringLiteral("two\r\nlines"),
                            QStringLiteral("cr\r"), QStringLiteral("last")};
    TConsoleMemo single, batch;
    for (TConsoleMemo *memo : {&single, &batch})
        QTest::keyClicks(memo, QStringLiteral("PRINT 1"));
    for (const QString &line : lines)
        single.AddLine(line);
    batch.AddLines(lines);
    EXPECT_EQ(batch.toPlainText(), single.toPlainText());
    EXPECT_EQ(batch.TextLength(), single.TextLength());
    ASSERT_EQ(batch.LineCount(), single.LineCount());
    for (int i = 0; i < single.LineCount(); ++i)
        EXPECT_EQ(single.LineLength(i), single.document()->findBlockByNumber(i).text().size()) << i;
    for (const int count : {2, 1, 10}) {
        for (int i = 0; i < count; ++i)
            single.DeleteLine(0);
        batch.DeleteFirstLines(count);
        EXPECT_EQ(batch.toPlainText(), single.toPlainText()) << count;
    }
}

// The reply replaces the waiting line in place; a cancelled INPUT leaves the
// waiting line standing.
TEST_F(Console, InputEchoesTheReplyInPlaceOfItsWaitingLine)
{
    QStringList asking;
    AnswerNextDialog<TInputNumForm>([this, &asking](TInputNumForm *box) {
        asking = Lines();
        QTest::keyClicks(box->Edit1, QStringLiteral("Bob"));
        QTest::mouseClick(box->Button1, Qt::LeftButton);
    });
    const QString command = QStringLiteral("INPUT \"Name\"; N$");
    TypeCommand(command);
    EXPECT_EQ(asking, (QStringList{command, QStringLiteral(u"Input Name?: 入力中>"), QString()}));
    EXPECT_EQ(Lines(), (QStringList{command, QStringLiteral("Input Name? Bob"), QStringLiteral("OK"), QString(),
                                    QString()}));

    form_->Memo1->Clear();
    AnswerNextDialog<TInputNumForm>([](TInputNumForm *box) { QTest::mouseClick(box->Button2, Qt::LeftButton); });
    TypeCommand(QStringLiteral("INPUT A"));
    EXPECT_EQ(Lines().mid(0, 3), (QStringList{QStringLiteral("INPUT A"), QStringLiteral(u"Input ? : 入力中>"),
                                              QStringLiteral("OK")}))
        << Lines().join(u'|').toStdString();
    EXPECT_TRUE(form_->RunBtn->isEnabled());
}

// While a run holds the console read-only, no item of its context menu
// takes text away.
TEST_F(Console, ContextMenuLeavesTheReadOnlyConsoleAlone)
{
    form_->Memo1->AddLine(QStringLiteral("kept"));
    QTest::keyClicks(form_->Memo1, QStringLiteral("PRINT \"looping\": DO: LOOP"));
    QTest::keyClick(form_->Memo1, Qt::Key_Return);
    // Stop only once the line runs: a stop before its start would be kept
    // for the program, not for the line.
    QElapsedTimer clock;
    clock.start();
    while (!form_->Memo1->toPlainText().contains(QStringLiteral("\nlooping")) && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(form_->Memo1->isReadOnly());
    const QString before = form_->Memo1->toPlainText();
    for (QAction *item : {form_->Memo1->RFDelete, form_->Memo1->RFCut}) {
        form_->Memo1->RFSAll->trigger();
        form_->Memo1->PopupMenu1Popup();
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(form_->Memo1->toPlainText(), before);
    }
    QTest::mouseClick(form_->StopBtn, Qt::LeftButton);
    WaitForRun();
    EXPECT_FALSE(form_->Memo1->isReadOnly());
    form_->Memo1->RFSAll->trigger();
    form_->Memo1->RFDelete->trigger();  // writable again: the selection goes
    EXPECT_TRUE(form_->Memo1->toPlainText().isEmpty());
}

TEST_F(Console, SettingStatementsRestyleTheConsole)
{
    const auto enter = [this](const QString &command) {
        form_->Memo1->insertPlainText(command);  // typing long lines is slow
        QTest::keyClick(form_->Memo1, Qt::Key_Return);
        WaitForRun();
    };
    enter(QStringLiteral("TBACKCOLOR = \"#000080\" : TFONTCOLOR = 12 : TFONTSIZE = 14 : TFONTCHARSET = 1"));
    enter(QStringLiteral("TFONTSTYLE = \"bold underline\" : TFONTNAME = \"Serif\""));
    const QPalette palette = form_->Memo1->palette();
    EXPECT_EQ(palette.color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(palette.color(QPalette::Text), QColor(255, 0, 0));
    const QFont font = form_->Memo1->font();
    EXPECT_EQ(font.family(), QStringLiteral("Serif"));
    EXPECT_EQ(font.pointSize(), 14);
    EXPECT_TRUE(font.bold() && font.underline() && !font.italic());

    enter(QStringLiteral("PRINT TFONTCOLOR; TFONTSIZE; TFONTCHARSET; TFONTSTYLE; TBACKCOLOR"));
    EXPECT_TRUE(Lines().contains(QStringLiteral(" 255 14 1 Bold Underline#000080"))) << Lines().join(u'|').toStdString();
    // size 0 shows the desktop's default size and reads back as 0
    enter(QStringLiteral("TFONTSIZE = 0 : PRINT TFONTSIZE; \"|\""));
    EXPECT_EQ(form_->Memo1->font().pointSize(), QFontInfo(QApplication::font()).pointSize());
    EXPECT_TRUE(Lines().contains(QStringLiteral(" 0|"))) << Lines().join(u'|').toStdString();

    enter(QStringLiteral("TWPOSITION(30, 40) : TWINDOWSTATE = \"maximize\""));
    EXPECT_EQ(form_->pos(), QPoint(30, 40));
    EXPECT_TRUE(form_->isMaximized());
    enter(QStringLiteral("PRINT TWINDOWSTATE : TWINDOWSTATE = \"Normal\""));
    EXPECT_TRUE(Lines().contains(QStringLiteral("Maximize")));
    EXPECT_FALSE(form_->isMaximized());
}
