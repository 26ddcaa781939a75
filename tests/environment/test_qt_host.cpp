#include "environment/OVDialogHook.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVHeadlessHost.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"

#include "wait_for_run.h"
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <new>
#include <thread>

using namespace ov;

// Steps handed over by a worker run on the user-interface thread, posted
// ones in order ahead of a later synchronised one.
TEST(QtHost, WorkerStepsRunOnTheInterfaceThreadInOrder)
{
    HeadlessHost windows;
    TOVQtHost host(windows);
    QStringList seen;
    std::atomic<bool> done{false};
    QThread *ui = QThread::currentThread();
    std::thread worker([&] {
        host.Post([&] { seen << QStringLiteral("one"); });
        host.Post([&] { seen << QStringLiteral("two"); });
        host.Synchronise([&] {
            seen << (QThread::currentThread() == ui ? QStringLiteral("sync on ui") : QStringLiteral("sync elsewhere"));
        });
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("sync on ui")}));
}

namespace {

// A console whose runs reach the windows through the Qt host, with the
// program dialogs answered by a hook instead of a person.
class ProgramDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        console_ = std::make_unique<TRunForm>(runs_);
        windows_ = std::make_unique<TOVRunWindows>(*console_, nullptr);
        host_ = std::make_unique<TOVQtHost>(*windows_);
        SetRunHost(host_.get());
        SetDialogHook([this](QDialog &dialog) { return Answer(dialog); });
        console_->Memo1->Clear();
    }
    void TearDown() override
    {
        WaitForRun();
        SetDialogHook({});
        SetRunHost(nullptr);
        QDir::setCurrent(previous_);
    }

    // Notes what the dialog shows and answers as `accept_` says: the message
    // box with `button_`, the input box with "Ann", the file dialog with a.txt.
    int Answer(QDialog &dialog)
    {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            seen_ << QStringLiteral("box|%1|%2|%3|%4")
                         .arg(box->windowTitle(), box->text())
                         .arg(int(box->icon()))
                         .arg(int(box->standardButtons()));
            return button_;
        }
        if (auto *input = qobject_cast<QInputDialog *>(&dialog)) {
            seen_ << QStringLiteral("input|%1|%2|%3").arg(input->windowTitle(), input->labelText(), input->textValue());
            input->setTextValue(QStringLiteral("Ann"));
        } else if (auto *files = qobject_cast<QFileDialog *>(&dialog)) {
            seen_ << QStringLiteral("file|%1|%2|%3")
                         .arg(files->acceptMode() == QFileDialog::AcceptSave ? "save" : "open",
                              files->nameFilters().join(u';'),
                              QDir(files->directory()).canonicalPath() == QDir(dir_.path()).canonicalPath()
                                  ? QStringLiteral("current")
                                  : files->directory().path());
            files->selectFile(QStringLiteral("a.txt"));
        }
        return accept_ ? QDialog::Accepted : QDialog::Rejected;
    }

    void Run(const QString &command)
    {
        QTest::keyClicks(console_->Memo1, command);
        QTest::keyClick(console_->Memo1, Qt::Key_Return);
        WaitForRun();
    }

    void WaitForRun() { ::WaitForRun(runs_); }

    QStringList Lines() const { return console_->Memo1->toPlainText().split(u'\n'); }

    QTemporaryDir dir_;
    QString previous_;
    RunController runs_;
    std::unique_ptr<TRunForm> console_;
    std::unique_ptr<TOVRunWindows> windows_;
    std::unique_ptr<TOVQtHost> host_;
    QStringList seen_;
    int button_ = QMessageBox::No;
    bool accept_ = true;
};

} // namespace

// A run's MSGBOX, INPUTBOX and file dialogs show real dialogs on the
// interface thread and return what the user chose there.
TEST_F(ProgramDialogs, AnsweredThroughTheWindows)
{
    Run(QStringLiteral("A = MSGBOX(\"Go?\", 36, \"Q\"): PRINT A: PRINT INPUTBOX(\"Name\", \"T\", \"Bob\"): "
                       "PRINT SELECTOPENFILE(\"Text|*.txt\", \"a.txt\")"));
    const QString chosen = QDir(dir_.path()).filePath(QStringLiteral("a.txt"));
    EXPECT_EQ(Lines().mid(1, 3), (QStringList{QStringLiteral(" 7"), QStringLiteral("Ann"), chosen}))
        << Lines().join(u'|').toStdString();
    EXPECT_EQ(seen_, (QStringList{
                         QStringLiteral("box|Q|Go?|%1|%2")
                             .arg(int(QMessageBox::Question))
                             .arg(int(QMessageBox::Yes | QMessageBox::No)),
                         QStringLiteral("input|T|Name|Bob"),
                         QStringLiteral("file|open|Text (*.txt)|current"),
                     }));

    // Cancelled: the message box's Cancel is 2, the others give "".
    console_->Memo1->Clear();
    seen_.clear();
    button_ = QMessageBox::Cancel;
    accept_ = false;
    Run(QStringLiteral("PRINT MSGBOX(\"x\", 1); \"|\"; INPUTBOX(\"p\"); \"|\"; SELECTSAVEFILE(); \"|\""));
    EXPECT_EQ(Lines().value(1), QStringLiteral(" 2|||")) << Lines().join(u'|').toStdString();
    ASSERT_EQ(seen_.size(), 3);
    EXPECT_EQ(seen_[1], QStringLiteral("input|Orvane Input Box|p|"));
    EXPECT_EQ(seen_[2], QStringLiteral("file|save|All Files (*)|current"));
}


// A step that runs out of memory on the interface thread fails the worker's
// call, not the event loop; a posted one is dropped and the next runs.
TEST(QtHost, StepsOutOfMemoryFailOnTheWorker)
{
    HeadlessHost windows;
    TOVQtHost host(windows);
    std::atomic<bool> done{false};
    bool caught = false;
    bool after = false;
    std::thread worker([&] {
        host.Post([] { throw std::bad_alloc(); });
        try {
            host.Synchronise([] { throw std::bad_alloc(); });
        } catch (const std::bad_alloc &) {
            caught = true;
        }
        host.Synchronise([&] { after = true; });
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(caught);
    EXPECT_TRUE(after);
}

// The clipboard is the system's own: text goes and comes back as it is, the
// empty text empties it, a picture reads as "". Without a media-player
// window nothing opens and the speaker line reads "no value".
TEST_F(ProgramDialogs, ClipboardAndDevicesThroughTheWindows)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    Run(QStringLiteral("CLIPBOARD.SETTEXT(\"a\" + CHR$(13) + CHR$(10) + \"b\"): PRINT LEN(CLIPBOARD.GETTEXT)"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("a\r\nb"));
    EXPECT_EQ(Lines().value(1), QStringLiteral(" 4")) << Lines().join(u'|').toStdString();

    console_->Memo1->Clear();
    clipboard->setImage(QImage(4, 4, QImage::Format_RGB32));
    Run(QStringLiteral("PRINT \"[\"; CLIPBOARD.GETTEXT; \"]\": CLIPBOARD.SETTEXT(\"x\"): CLIPBOARD.SETTEXT(\"\")"));
    EXPECT_EQ(Lines().value(1), QStringLiteral("[]"));
    EXPECT_TRUE(clipboard->text().isEmpty());

    console_->Memo1->Clear();
    clipboard->setText(QStringLiteral("old"));
    Run(QStringLiteral("CLIPBOARD.CLEAR: PRINT \"[\"; CLIPBOARD.GETTEXT; \"]\"; AUDIOMIXER.MASTERVOLUME; "
                       "AUDIOMIXER.MASTERMUTE; MEDIAPLAYER.MODE"));
    EXPECT_EQ(Lines().value(1), QStringLiteral("[]-1FalseNot Open")) << Lines().join(u'|').toStdString();

    console_->Memo1->Clear();
    QFile file(QStringLiteral("a.wav"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Run(QStringLiteral("MEDIAPLAYER.OPEN \"a.wav\""));
    EXPECT_TRUE(Lines().value(1).contains(QStringLiteral(u"MediaPlayer の実行に失敗しました。")))
        << Lines().join(u'|').toStdString();
    console_->Memo1->Clear();
    Run(QStringLiteral("MEDIAPLAYER.PLAY: PRINT MEDIAPLAYER.MODE"));  // the failed file is not open
    EXPECT_EQ(Lines().value(1), QStringLiteral("Not Open")) << Lines().join(u'|').toStdString();
}
