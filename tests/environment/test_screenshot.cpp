// Pictures of the main frame and the console with a Japanese program open,
// and the check that Japanese text draws with real glyphs: a CJK font is
// installed and the settings' font name reaches it.
#include "devices/OVControlFrame.h"
#include "devices/OVFontNames.h"
#include "devices/OVMPlayerForm.h"
#include "environment/MyRichEdit.h"
#include "environment/OVEdit.h"
#include "environment/OVFrame.h"
#include "environment/OVRunFrame.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "platform/OVTextEncoding.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ov;

namespace {

// `text` in `font`, black on white.
QImage Render(const QString &text, const QFont &font)
{
    QLabel label(text);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.adjustSize();
    return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The number of runs of columns holding a dark pixel.
int DarkColumnRuns(const QImage &image)
{
    int runs = 0;
    bool previous = false;
    for (int x = 0; x < image.width(); ++x) {
        bool dark = false;
        for (int y = 0; y < image.height() && !dark; ++y)
            dark = qGray(image.pixel(x, y)) < 128;
        if (dark && !previous)
            ++runs;
        previous = dark;
    }
    return runs;
}

class Screenshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        SubstituteFonts();
        InitializeInterpreterUnits();
        ChkMsgOn = 0;
        frame_ = std::make_unique<TOvFrameForm>(runs_);
        console_ = std::make_unique<TRunForm>(runs_);
        frame_->SetRunForm(console_.get());
        frame_->show();
        console_->show();
        ASSERT_TRUE(dir_.isValid());
        // Kept for a look when asked for; otherwise removed with the test.
        dir_.setAutoRemove(qEnvironmentVariableIsEmpty("OV_KEEP_SCREENSHOTS"));
    }
    void TearDown() override
    {
        frame_->close();
        frame_.reset();
        console_.reset();
    }

    RunController runs_;
    std::unique_ptr<TOvFrameForm> frame_;
    std::unique_ptr<TRunForm> console_;
    QTemporaryDir dir_;
};

} // namespace

TEST_F(Screenshot, FrameAndConsoleWithAJapaneseProgramAreGrabbedAndSaved)
{
    const QString program = dir_.filePath(QStringLiteral("hello.ovt"));
    ASSERT_TRUE(WriteTextFile(program, QStringLiteral(u"PRINT \"こんにちは\"\r\n"),
                              GetEncodingByName(QStringLiteral("UTF-8"))));
    TOVEditForm *editor = frame_->OpenFile(program, QStringLiteral("Auto"), true);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Editor->toPlainText(), QStringLiteral(u"PRINT \"こんにちは\""));
    QApplication::processEvents();

    const QImage frameImage = frame_->grab().toImage();
    const QImage consoleImage = console_->grab().toImage();
    ASSERT_FALSE(frameImage.isNull());
    ASSERT_FALSE(consoleImage.isNull());
    EXPECT_EQ(frameImage.size(), frame_->size() * frameImage.devicePixelRatio());
    EXPECT_EQ(consoleImage.size(), console_->size() * consoleImage.devicePixelRatio());

    // The editor's picture shows its text: not one flat colour.
    const QImage editorImage = editor->Editor->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(DarkColumnRuns(editorImage), 5);

    const QString framePath = dir_.filePath(QStringLiteral("frame.png"));
    const QString consolePath = dir_.filePath(QStringLiteral("console.png"));
    ASSERT_TRUE(frameImage.save(framePath));
    ASSERT_TRUE(consoleImage.save(consolePath));
    EXPECT_EQ(QImage(framePath).size(), frameImage.size());
    EXPECT_EQ(QImage(consolePath).size(), consoleImage.size());
    if (!dir_.autoRemove())
        std::printf("screenshots in %s\n", qPrintable(dir_.path()));
}

TEST_F(Screenshot, JapaneseTextDrawsWithRealGlyphsInTheEditorFont)
{
    TOVEditForm *editor = frame_->NewEditor();
    ASSERT_NE(editor, nullptr);
    const QFont font = editor->Editor->font();
    // The settings' font name reaches an installed CJK font.
    EXPECT_TRUE(QFontInfo(font).family().contains(QStringLiteral("IPA"))) << qPrintable(QFontInfo(font).family());

    const QString hello = QStringLiteral(u"こんにちは");
    const QImage text = Render(hello, font);
    ASSERT_FALSE(text.isNull());
    EXPECT_GE(DarkColumnRuns(text), 5);
    EXPECT_NE(text, Render(QStringLiteral(u"□□□□□"), font));
    EXPECT_NE(text, Render(QStringLiteral("     "), font));

    // Missing glyphs all draw as the same box: real ones differ from each other.
    QList<QImage> glyphs;
    for (const QChar c : hello) {
        const QImage glyph = Render(QString(c), font);
        if (!glyphs.contains(glyph))
            glyphs.append(glyph);
    }
    EXPECT_EQ(glyphs.size(), hello.size());
}

// The media-player window: its five buttons, all off while no file is open,
// and the volume control, which is off without a mixer.
TEST_F(Screenshot, MediaPlayerWindowIsGrabbedAndSaved)
{
    TMPlayerForm player;
    player.show();
    QApplication::processEvents();
    EXPECT_EQ(player.windowTitle(), QStringLiteral("Media Player"));
    QStringList captions;
    for (const QPushButton *button :
         {player.PlayBtn, player.PauseBtn, player.StopBtn, player.NextBtn, player.PrevBtn}) {
        captions << button->text();
        EXPECT_TRUE(button->isVisible());
        EXPECT_FALSE(button->isEnabled());
    }
    EXPECT_EQ(captions.join(u' '), QStringLiteral("Play Pause Stop Next Prev"));
    EXPECT_EQ(player.VolumeBar->isEnabled(), player.Mixer1.GetMasterVolume() >= 0);

    const QImage image = player.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_NE(image.convertToFormat(QImage::Format_RGB32).pixel(0, 0),
              image.convertToFormat(QImage::Format_RGB32).pixel(player.PlayBtn->geometry().center()));
    ASSERT_TRUE(image.save(dir_.filePath(QStringLiteral("mediaplayer.png"))));
    if (!dir_.autoRemove())
        std::printf("screenshots in %s\n", qPrintable(dir_.path()));
}

// The control screen with a label, a button and both kinds of text box shown.
TEST_F(Screenshot, ControlScreenIsGrabbedAndSaved)
{
    ControlScreenWidth = 400;
    ControlScreenHeight = 200;
    ControlModel &model = Controls();
    model.Reset();
    for (const ControlKind kind : {ControlKind::Label, ControlKind::Button, ControlKind::Edit})
        model.Record(kind, kind == ControlKind::Label ? 1 : kind == ControlKind::Button ? 2 : 3).Visible = true;
    model.Record(ControlKind::Memo, 14).Visible = true;
    model.Record(ControlKind::Memo, 14).Text = QStringLiteral(u"一行目\r\n二行目");
    TOVControlForm form;
    form.ShowFresh();
    QApplication::processEvents();

    const QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(400, 200) * image.devicePixelRatio());
    const QRgb background = image.pixel(390, 190);
    EXPECT_EQ(background, QColor(240, 240, 240).rgb());
    EXPECT_GT(DarkColumnRuns(image.copy(form.Button[2]->geometry())), 3);  // the caption "Button2"
    EXPECT_GT(DarkColumnRuns(image.copy(form.Memo[14]->geometry())), 3);
    ASSERT_TRUE(image.save(dir_.filePath(QStringLiteral("controlscreen.png"))));
    if (!dir_.autoRemove())
        std::printf("screenshots in %s\n", qPrintable(dir_.path()));
}
