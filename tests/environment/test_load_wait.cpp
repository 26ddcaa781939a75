// The loading form: its caption and size at creation, and when the editor
// shows it: the tidy-up and the opening of a text above 10000 characters.
#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"
#include "environment/OVFrame.h"
#include "environment/OVLoadWait.h"
#include "environment/OVRunFrame.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "platform/OVTextEncoding.h"

#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

namespace {

class LoadWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeInterpreterUnits();
        ChkMsgOn = 0;
        frame_ = std::make_unique<TOvFrameForm>(runs_);
        console_ = std::make_unique<TRunForm>(runs_);
        frame_->SetRunForm(console_.get());
        form_ = std::make_unique<TOVLoadWaitForm>();
        SetMessageBoxHook([](QMessageBox::Icon, const QString &, const QString &, QMessageBox::StandardButtons) {
            return QMessageBox::Yes;
        });
        frame_->show();
        // What the form shows each time the bar moves.
        QObject::connect(form_->ProgressBar1, &QProgressBar::valueChanged, form_.get(), [this](int value) {
            seen_.append({form_->isVisible(), form_->windowTitle(), value});
        });
    }
    void TearDown() override
    {
        frame_->close();
        SetMessageBoxHook({});
        form_.reset();
        frame_.reset();
    }

    // Lines of 20 characters each, line break included.
    static QString Program(int lines) { return QStringLiteral("A = 1 ' comment 123\n").repeated(lines); }

    struct Seen {
        bool visible;
        QString caption;
        int value;
    };
    RunController runs_;
    std::unique_ptr<TOvFrameForm> frame_;
    std::unique_ptr<TRunForm> console_;
    std::unique_ptr<TOVLoadWaitForm> form_;
    QList<Seen> seen_;
};

} // namespace

TEST_F(LoadWait, IsMadeHiddenWithTheLoadingCaption)
{
    EXPECT_EQ(OVLoadWaitForm, form_.get());
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->windowTitle(), QStringLiteral(u"ロード中"));
    EXPECT_EQ(form_->size(), QSize(222, 28));
    form_.reset();
    EXPECT_EQ(OVLoadWaitForm, nullptr);
}

TEST_F(LoadWait, TidyUpOfALargeTextShowsTheTidyCaptionAndMovesTheBar)
{
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->setPlainText(Program(600));  // 12000 characters
    editor->Editor->document()->setModified(false);
    editor->OVEMenuPrgFormatClick();
    ASSERT_GT(seen_.size(), 100);
    for (const Seen &seen : std::as_const(seen_)) {
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.caption, QStringLiteral(u"書式整形中"));
    }
    EXPECT_EQ(seen_.back().value, 12000);
    EXPECT_EQ(form_->ProgressBar1->maximum(), 12000);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->windowTitle(), QStringLiteral(u"ロード中"));
    EXPECT_FALSE(editor->IsModified());
    EXPECT_EQ(editor->Editor->textCursor().position(), 0);
}

TEST_F(LoadWait, SmallTextsDoNotShowIt)
{
    TOVEditForm *editor = frame_->NewEditor();
    editor->Editor->setPlainText(Program(500));  // exactly 10000 characters
    editor->OVEMenuPrgFormatClick();
    EXPECT_TRUE(seen_.isEmpty());
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(LoadWait, OpeningALargeFileShowsTheLoadingCaption)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.ovt"));
    ASSERT_TRUE(WriteTextFile(path, Program(600), GetEncodingByName(QStringLiteral("UTF-8"))));
    ASSERT_NE(frame_->OpenFile(path, QStringLiteral("Auto"), true), nullptr);
    ASSERT_FALSE(seen_.isEmpty());
    EXPECT_TRUE(seen_.back().visible);
    EXPECT_EQ(seen_.back().caption, QStringLiteral(u"ロード中"));
    EXPECT_FALSE(form_->isVisible());
}
