// What the windows say: Qt's own dialogs and buttons in Japanese, window
// titles with nothing appended, the program's name and one release date in
// the banner and the version box, the data-input box shown whole, file
// filter names shown once, and the Window menu's way back to the console.
#include "answer_dialog.h"
#include "frame_fixture.h"

#include "environment/OVInputNumForm.h"
#include "environment/OVStartup.h"
#include "language/OVHeader.h"
#include "resources/OVInterfaceTexts.h"
#include "resources/OVVersion.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

#include <algorithm>

using namespace ov;

namespace {

class WindowsTexts : public FrameFixture {
protected:
    void SetUp() override
    {
        SetUpApplication();
        FrameFixture::SetUp();
    }

    // The filter names a file dialog shows, read while it is up, and
    // whether its own labels are Japanese.
    static void ReadFileDialog(QStringList &names, QString &lookIn)
    {
        AnswerNextDialog<QFileDialog>([&names, &lookIn](QFileDialog *dialog) {
            if (auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
                for (int i = 0; i < types->count(); ++i)
                    names << types->itemText(i);
            if (auto *label = dialog->findChild<QLabel *>(QStringLiteral("lookInLabel")))
                lookIn = label->text();
            dialog->reject();
        });
    }

    // True when the button's face holds its whole caption.
    static bool ShowsWholeCaption(const QPushButton *button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.features = button->autoDefault() ? QStyleOptionButton::AutoDefaultButton
                                                : QStyleOptionButton::None;
        const QRect face = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return face.width() >= button->fontMetrics().horizontalAdvance(button->text())
               && face.height() >= button->fontMetrics().height();
    }
};

} // namespace

TEST_F(WindowsTexts, QtsOwnButtonsAreJapaneseAndTitlesGetNothingAppended)
{
    ASSERT_TRUE(InstallQtTranslations());
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes
                         | QDialogButtonBox::No | QDialogButtonBox::Close);
    for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Yes, QDialogButtonBox::No,
                              QDialogButtonBox::Close}) {
        const QString text = box.button(button)->text();
        EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
            << text.toStdString();
    }
    // the platform appends a display name that is set to every title
    EXPECT_TRUE(QGuiApplication::applicationDisplayName().isEmpty());
    EXPECT_EQ(QCoreApplication::applicationVersion(), ProgramVersion());
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Orvane"));
}

// The program's own icon, in sizes from the task bar's to the desktop's,
// on every window rather than Qt's.
TEST_F(WindowsTexts, EveryWindowShowsTheProgramsIcon)
{
    const QIcon icon = QGuiApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), ProgramIcon().availableSizes());
    EXPECT_EQ(icon.availableSizes().first(), QSize(16, 16));
    EXPECT_EQ(icon.availableSizes().last(), QSize(256, 256));
    EXPECT_EQ(QImage(ProgramIconFile()).size(), QSize(256, 256));
    for (const QWidget *window : {static_cast<QWidget *>(frame_.get()), static_cast<QWidget *>(console_.get())})
        EXPECT_EQ(window->windowIcon().cacheKey(), icon.cacheKey());
}

TEST_F(WindowsTexts, BannerAndVersionBoxNameOrvaneTheSystemAndOneDate)
{
    console_->Memo1->Clear();
    console_->WriteBanner();
    const QString banner = console_->Memo1->toPlainText().section(u'\n', 0, 0);
    EXPECT_EQ(banner, QStringLiteral("Orvane Ver. ") + ProgramVersion() + u'(' + ProgramReleaseDate()
                          + QStringLiteral(") On ") + OSVersionName);
    const QStringList box = VersionBoxText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(box.size(), 3);
    EXPECT_EQ(box[0], QStringLiteral("Orvane v. ") + ProgramVersion() + QStringLiteral(" (") + ProgramReleaseDate()
                          + u')');
    EXPECT_EQ(box[2], QStringLiteral(" Your OS is ") + OSVersionName);
    for (const InterfaceTextEntry &entry : InterfaceTextTable())
        EXPECT_FALSE(QString::fromUtf16(entry.Text).contains(QStringLiteral("for Windows"))) << entry.Id;
    EXPECT_FALSE(banner.contains(QStringLiteral("Windows")));
}

TEST_F(WindowsTexts, DataInputBoxShowsItsWholeTitleAndBothButtons)
{
    InstallQtTranslations();
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSize(16);  // a desktop with larger fonts
    const QString longCaption = QStringLiteral(u"とても長い題名を付けた入力の箱です。名前を入れて下さい");
    for (const QFont &font : {normal, large}) {
        QApplication::setFont(font);
        for (const bool wide : {false, true}) {
            for (const QString &caption : {InterfaceText(65231), longCaption}) {
                InputBoxRequest request;
                request.Caption = caption + InterfaceText(65201);
                request.Prompt = QStringLiteral("Name?");
                request.Wide = wide;
                TInputNumForm box(request);
                box.show();
                QFont bold = box.font();
                bold.setBold(true);
                EXPECT_GT(box.width(), QFontMetrics(bold).horizontalAdvance(request.Caption) + 40)
                    << request.Caption.toStdString();
                EXPECT_GE(box.width(), wide ? 660 : 310);
                for (const QPushButton *button : {box.Button1, box.Button2}) {
                    EXPECT_TRUE(box.rect().contains(button->geometry())) << button->text().toStdString();
                    EXPECT_TRUE(ShowsWholeCaption(button)) << button->text().toStdString() << font.pointSize();
                }
                EXPECT_GE(box.Label1->height(), box.Label1->fontMetrics().height());
                EXPECT_LE(box.Label1->geometry().bottom(), box.Edit1->geometry().top());
                EXPECT_TRUE(box.rect().contains(box.Edit1->geometry()));
                EXPECT_LE(box.Edit1->geometry().right(), box.Button1->geometry().left());
                EXPECT_LE(box.Button1->geometry().right(), box.Button2->geometry().left());
            }
        }
    }
    QApplication::setFont(normal);
}

TEST_F(WindowsTexts, FileDialogsShowEachFilterNameOnceAndInJapanese)
{
    InstallQtTranslations();
    QStringList names;
    QString lookIn;
    ReadFileDialog(names, lookIn);
    frame_->OVMMenuOpenClick();
    EXPECT_EQ(names, QStringList({QStringLiteral("Orvane Text (*.ovt;*.lib)"),
                                  QStringLiteral("Basic File (*.ovt; *.bas;*.lib)"),
                                  QStringLiteral("Text Type File (*.ovt;*.lib;*.bas;*.txt;*.dat)"),
                                  QStringLiteral("All (*.*)")}));
    EXPECT_FALSE(lookIn.isEmpty());
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));

    names.clear();
    ReadFileDialog(names, lookIn);
    EXPECT_EQ(windows_->SelectFile(false, QStringLiteral("Text (*.txt)|*.txt|Pictures|*.bmp;*.png"), QString()),
              QString());
    EXPECT_EQ(names, QStringList({QStringLiteral("Text (*.txt)"), QStringLiteral("Pictures")}));
}

TEST_F(WindowsTexts, TheWindowMenuBringsTheConsoleBack)
{
    frame_->show();
    console_->showMinimized();
    emit frame_->OVMMenuWindow->aboutToShow();
    ASSERT_TRUE(frame_->OVMMenuWindow->actions().contains(frame_->OVMMenuShowConsole));
    frame_->OVMMenuShowConsole->trigger();
    EXPECT_TRUE(console_->isVisible());
    EXPECT_FALSE(console_->isMinimized());
    EXPECT_TRUE(QTest::qWaitForWindowActive(console_.get()));

    console_->hide();  // closed by the user: the item shows it again
    frame_->OVMMenuShowConsole->trigger();
    EXPECT_TRUE(console_->isVisible());
}
