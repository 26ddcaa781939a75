// The main frame and the console under a real window manager: closing with
// several unsaved editors, opening files without an extension, the close
// question of a long file name, and the console while a program prints as
// fast as it can.
#include "tests/environment/wm_frame_fixture.h"

#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"
#include "resources/OVInterfaceTexts.h"
#include "tests/environment/answer_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <deque>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class WmFrame : public WmFrameFixture {
protected:
    void SetUp() override
    {
        WmFrameFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        frame_->show();
        console_->show();
    }
    void TearDown() override
    {
        StopRequested = 1;
        WmFrameFixture::TearDown();
    }

    QString Write(const QString &name, const QByteArray &text)
    {
        QFile file(tmp_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    TOVEditForm *EditorWith(const QString &text)
    {
        TOVEditForm *editor = frame_->NewEditor();
        if (!text.isEmpty()) {
            editor->Editor->setFocus();
            QTest::keyClicks(editor->Editor, text);
        }
        return editor;
    }
    // Starts a run of `text` from a new editor.
    void Start(const QString &text)
    {
        TOVEditForm *editor = frame_->NewEditor();
        editor->Editor->setPlainText(text);
        ASSERT_TRUE(editor->OVEMenuRunOVClick());
    }
    QStringList ConsoleLines() const
    {
        QStringList lines = console_->Memo1->toPlainText().split(u'\n');
        while (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast();
        return lines;
    }

};

// Answers the message boxes that come while it lives with the buttons
// given, in turn, and Cancel when they are used up; notes each box's text.
class BoxAnswers {
public:
    explicit BoxAnswers(std::deque<QMessageBox::StandardButton> answers) : answers_(std::move(answers))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            Asked.append(box->text());
            QMessageBox::StandardButton answer = QMessageBox::Cancel;
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
            if (QAbstractButton *button = box->button(answer))
                button->click();
            else
                box->reject();
        });
        timer_.start();
    }
    QStringList Asked;

private:
    std::deque<QMessageBox::StandardButton> answers_;
    QTimer timer_;
};

// ---------------------------------------------------------------- closing with unsaved editors

// Every modified editor is asked before any closes: Cancel at any question
// keeps every editor, answered No or not, and the frame open; only when all
// are answered do they close.
TEST_F(WmFrame, CancelAtAnySaveQuestionKeepsEveryEditorOpen)
{
    SetMessageBoxHook({});
    TOVEditForm *first = EditorWith(u"PRINT 1"_s);
    EditorWith({});
    TOVEditForm *third = EditorWith(u"PRINT 3"_s);
    const QStringList questions{ModifiedPromptText(first->FileName), ModifiedPromptText(third->FileName)};
    {
        BoxAnswers answers({QMessageBox::Cancel});
        EXPECT_FALSE(frame_->close());
        EXPECT_EQ(answers.Asked, questions.mid(0, 1));
        EXPECT_EQ(frame_->Editors().size(), 3);
    }
    {
        BoxAnswers answers({QMessageBox::No, QMessageBox::Cancel});
        EXPECT_FALSE(frame_->close());
        EXPECT_EQ(answers.Asked, questions);
        ASSERT_EQ(frame_->Editors().size(), 3);
        EXPECT_TRUE(first->IsModified());
        EXPECT_TRUE(frame_->isVisible());
    }
    {
        // Closing one editor by itself still asks about it.
        BoxAnswers answers({QMessageBox::Cancel});
        EXPECT_FALSE(third->parentWidget()->close());
        EXPECT_EQ(answers.Asked, questions.mid(1));
    }
    {
        BoxAnswers answers({QMessageBox::No, QMessageBox::No});
        EXPECT_TRUE(frame_->close());
        EXPECT_EQ(answers.Asked, questions);
    }
    (void)test::WaitUntil([&] { return frame_->Editors().isEmpty(); });
    EXPECT_TRUE(frame_->Editors().isEmpty());
}

// ---------------------------------------------------------------- files without an extension

class OpenDialog : public WmFrame {
protected:
    // Opens through the frame's Open dialog; `choose` acts in the dialog as
    // the user does. A message box over the dialog is noted and closed, and
    // the dialog cancelled. The file name of the editor opened, or "".
    QString OpenThroughTheDialog(const std::function<void(QFileDialog *)> &choose)
    {
        const auto before = frame_->Editors().size();
        AnswerNextDialog<QFileDialog>([this, choose](QFileDialog *dialog) {
            // a refusal shows a box of its own over the dialog
            auto *watch = new QTimer(dialog);
            QObject::connect(watch, &QTimer::timeout, dialog, [this, dialog, watch] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (box == nullptr || !box->isVisible())
                    return;
                watch->stop();
                refusals_.append(box->text());
                box->done(QMessageBox::Ok);
                dialog->reject();
            });
            watch->start(5);
            choose(dialog);
        });
        frame_->OVMMenuOpenClick();
        const QList<TOVEditForm *> editors = frame_->Editors();
        return editors.size() > before ? editors.constLast()->FileName : QString();
    }
    static std::function<void(QFileDialog *)> Typing(const QString &name)
    {
        return [name](QFileDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
            ASSERT_NE(edit, nullptr);
            edit->setText(name);
            QTest::keyClick(edit, Qt::Key_Return);
        };
    }
    // Picks the file in the list under the all-files filter, and Open.
    static std::function<void(QFileDialog *)> Picking(const QString &name)
    {
        return [name](QFileDialog *dialog) {
            dialog->selectNameFilter(dialog->nameFilters().constLast());
            auto *list = dialog->findChild<QListView *>(u"listView"_s);
            ASSERT_NE(list, nullptr);
            QModelIndex index;
            ASSERT_TRUE(test::WaitUntil([&] {
                const QModelIndex root = list->rootIndex();
                for (int row = 0; row < list->model()->rowCount(root); ++row)
                    if (list->model()->index(row, 0, root).data().toString() == name)
                        index = list->model()->index(row, 0, root);
                return index.isValid();
            })) << name.toStdString();
            list->scrollTo(index);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
            auto *buttons = dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s);
            ASSERT_NE(buttons, nullptr);
            buttons->button(QDialogButtonBox::Open)->click();
        };
    }
    QStringList refusals_;
};

// A file named as given opens when it exists, picked or typed; ".ovt" is
// added only to a typed name that names nothing and has no extension.
TEST_F(OpenDialog, OpensFilesWithoutAnExtensionAndAddsOvtOnlyWhenNothingIsNamed)
{
    const QString noext = Write(u"noext"_s, "PRINT \"noext\"\r\n");
    const QString prog = Write(u"prog.ovt"_s, "PRINT \"prog\"\r\n");
    const QString both = Write(u"both"_s, "PRINT \"both\"\r\n");
    Write(u"both.ovt"_s, "PRINT \"both.ovt\"\r\n");
    ProgramFolder = tmp_.path();

    EXPECT_EQ(OpenThroughTheDialog(Typing(u"noext"_s)), noext);
    EXPECT_EQ(OpenThroughTheDialog(Picking(u"noext"_s)), noext);
    EXPECT_EQ(OpenThroughTheDialog(Typing(u"prog"_s)), prog);
    EXPECT_EQ(OpenThroughTheDialog(Typing(u"both"_s)), both);
    EXPECT_EQ(OpenThroughTheDialog(Typing(noext)), noext);
    EXPECT_TRUE(refusals_.isEmpty()) << refusals_.join(u'|').toStdString();
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'|').toStdString();

    // A name that names nothing, with or without ".ovt", is refused by the dialog.
    EXPECT_EQ(OpenThroughTheDialog(Typing(u"none"_s)), QString());
    ASSERT_EQ(refusals_.size(), 1);
    EXPECT_TRUE(refusals_[0].contains(u"none.ovt"_s)) << refusals_[0].toStdString();
}

// ---------------------------------------------------------------- the close question of a long name

class CloseQuestion : public WmFrame {
protected:
    // A file name that makes the close question about `width` pixels wide
    // in the message box's font.
    static QString NameOfQuestionWidth(int width)
    {
        const QFontMetrics metrics(QApplication::font("QMessageBoxLabel"));
        QString name = u"/home/someone/Documents"_s;
        for (int i = 1; metrics.horizontalAdvance(ModifiedPromptText(name + u"/game.ovt"_s)) < width; ++i)
            name += u"/プログラム集"_s + QString::number(i);
        return name + u"/game.ovt"_s;
    }
    // Asks the close question of an editor of that name; the question's
    // label is looked at while the box is up. Cancel answers.
    void Ask(const QString &name, const std::function<void(QMessageBox *, QLabel *)> &look)
    {
        TOVEditForm *editor = EditorWith(u"PRINT 1"_s);
        editor->FileName = name;
        bool asked = false;
        AnswerNextDialog<QMessageBox>([&](QMessageBox *box) {
            asked = true;
            auto *label = box->findChild<QLabel *>(u"qt_msgbox_label"_s);
            // the window manager has framed and placed it
            (void)test::WaitUntil([&] { return box->windowHandle()->frameMargins().top() > 0; });
            QCoreApplication::processEvents();
            if (label != nullptr)
                look(box, label);
            else
                ADD_FAILURE() << "no label";
            box->button(QMessageBox::Cancel)->click();
        });
        EXPECT_FALSE(editor->parentWidget()->close());
        EXPECT_TRUE(asked);
        editor->Editor->document()->setModified(false);
        editor->parentWidget()->close();
    }
    // The label shows its text on one line, whole, and the box lies on the screen.
    static void ExpectOneWholeLine(QMessageBox *box, QLabel *label)
    {
        const QFontMetrics metrics = label->fontMetrics();
        EXPECT_LT(label->height(), 2 * metrics.lineSpacing());
        EXPECT_GE(label->contentsRect().width(), metrics.horizontalAdvance(label->text()));
        EXPECT_TRUE(box->rect().contains(label->geometry()));
        const QRect screen = box->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(box->frameGeometry()))
            << box->frameGeometry().x() << ',' << box->frameGeometry().y() << ' ' << box->frameGeometry().width()
            << 'x' << box->frameGeometry().height() << " on " << screen.width() << 'x' << screen.height();
    }
};

// Wider than Qt lets a message box grow (the screen less 480, at most 1000
// pixels), the question still stands on one line and whole: the box grows
// to what it needs.
TEST_F(CloseQuestion, WiderThanQtsLimitStaysOneWholeLine)
{
    SetMessageBoxHook({});
    const int screen = frame_->screen()->availableGeometry().width();
    const QString name = NameOfQuestionWidth(std::min(screen - 480, 1000) + 150);
    Ask(name, [&](QMessageBox *box, QLabel *label) {
        EXPECT_EQ(label->text(), ModifiedPromptText(name));
        EXPECT_GT(box->width(), std::min(screen - 480, 1000));
        ExpectOneWholeLine(box, label);
    });
}

// A name wider than the screen is shortened in its middle, so that the box
// is as wide as the screen and the question one whole line.
TEST_F(CloseQuestion, WiderThanTheScreenShortensTheNameInItsMiddle)
{
    SetMessageBoxHook({});
    const int screen = frame_->screen()->availableGeometry().width();
    const QString name = NameOfQuestionWidth(screen + 400);
    Ask(name, [&](QMessageBox *box, QLabel *label) {
        const QString shown = label->text();
        EXPECT_NE(shown, ModifiedPromptText(name));
        EXPECT_TRUE(shown.startsWith(name.left(12))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(ModifiedPromptText(u"game.ovt"_s))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(u'…')) << shown.toStdString();
        EXPECT_GT(box->frameGeometry().width(), screen - 60);
        ExpectOneWholeLine(box, label);
    });
}

// ---------------------------------------------------------------- the console under a flood of output

// Every line printed reaches the console, in order, before the run's "OK".
TEST_F(WmFrame, EveryLineOfAFastRunReachesTheConsoleInOrder)
{
    console_->Memo1->Clear();
    Start(u"FOR I = 1 TO 100000\nPRINT I\nNEXT I\n"_s);
    WaitForRun();
    const QStringList lines = ConsoleLines();
    ASSERT_EQ(lines.size(), 100001) << lines.mid(lines.size() - 3).join(u'|').toStdString();
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(lines[i], u' ' + QString::number(i + 1)) << i;
    EXPECT_EQ(lines[100000], u"OK"_s);
}

// More than the console holds: its oldest lines go, and it ends with the
// run's last lines, consecutive, and the report.
TEST_F(WmFrame, AConsoleOverflowingKeepsTheLastLinesInOrder)
{
    console_->Memo1->Clear();
    Start(u"FOR I = 1 TO 300000\nPRINT I; \"abcdefghij\"\nNEXT I\n"_s);
    WaitForRun();
    const QStringList lines = ConsoleLines();
    ASSERT_GT(lines.size(), 1000);
    EXPECT_EQ(lines.constLast(), u"OK"_s);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        ASSERT_EQ(lines[i], u' ' + QString::number(300000 - (lines.size() - 2 - i)) + u"abcdefghij"_s) << i;
    EXPECT_LT(console_->Memo1->TextLength(), console_->Memo1->MaxLength());
}

// Stop acts while a loop prints as fast as it can: the run ends stopped,
// its numbers consecutive up to the stop notice (which follows what the
// stopped PRINT had written of its line).
TEST_F(WmFrame, StopEndsAFloodOfOutput)
{
    console_->Memo1->Clear();
    Start(u"I = 0\nDO\nI = I + 1\nPRINT I\nLOOP\n"_s);
    ASSERT_TRUE(test::WaitUntil([&] { return console_->Memo1->LineCount() > 1000; }, 20000));
    QTest::mouseClick(console_->StopBtn, Qt::LeftButton);
    WaitForRun();
    ASSERT_EQ(RunThreadActive.load(), 0);
    const QStringList lines = ConsoleLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.constLast(), u"OK"_s);
    const QString notice = lines[lines.size() - 2];
    ASSERT_TRUE(notice.endsWith(InterfaceText(65170))) << notice.toStdString();
    QStringList numbers = lines.mid(0, lines.size() - 2);
    if (notice != InterfaceText(65170))
        numbers.append(notice.chopped(InterfaceText(65170).size()));
    const int last = numbers.constLast().trimmed().toInt();
    for (qsizetype i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i].trimmed().toInt(), last - (numbers.size() - 1 - i)) << i;
}

// Closing the frame ends the program at once: the run is told to stop, the
// console goes, and what the run had yet to show is not shown.
TEST_F(WmFrame, ClosingTheFrameDuringAFloodStopsTheRunAtOnce)
{
    Start(u"I = 0\nDO\nI = I + 1\nPRINT I; \"abcdefghijklmnopqrstuvwxyz\"\nLOOP\n"_s);
    ASSERT_TRUE(test::WaitUntil([&] { return console_->Memo1->LineCount() > 1000; }, 20000));
    ChkMsgOn = 0;  // the run has taken the switch from the settings
    bool closed = false;
    QObject::connect(frame_.get(), &TOvFrameForm::Closed, [&] { closed = true; });
    ASSERT_TRUE(frame_->close());
    EXPECT_TRUE(closed);
    EXPECT_EQ(StopRequested.load(), 1);
    EXPECT_FALSE(console_->isVisible());
    const int shown = console_->Memo1->LineCount();
    StopRequested = 1;  // ends the run also where closing did not
    WaitForRun();
    EXPECT_EQ(RunThreadActive.load(), 0);
    EXPECT_LE(console_->Memo1->LineCount(), shown + 4);
}

} // namespace
