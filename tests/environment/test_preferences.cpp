// The preferences form, the association form, the console's context menu and
// the data-input box, driven through their controls with the dialogs and
// message boxes answered by hooks.
#include "answer_dialog.h"

#include "environment/OVFrame.h"
#include "devices/OVFontNames.h"
#include "devices/OVFontStyle.h"
#include "devices/OVKeySetting.h"
#include "devices/OVQFont.h"
#include "environment/OVFontDialog.h"
#include "environment/OVInputNumForm.h"
#include "environment/OVKeySettingForm.h"
#include "environment/OVOption.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "environment/OVStartup.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "executor/OVRunCommands.h"
#include "platform/OVFileAssociation.h"
#include "platform/OVIniFile.h"
#include "resources/OVInterfaceTexts.h"
#include "devices/OVWindowState.h"
#include "tests/xdg_sandbox.h"
#include "wait_for_run.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QImage>
#include <QListWidget>
#include <QSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class Preferences : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        InitializeInterpreterUnits();
        QDir().mkpath(Tmp.filePath(u"exe"_s));
        SetSettingsLocations(Tmp.filePath(u"user/Orvane.conf"_s), Tmp.filePath(u"exe"_s));
        ChkMsgOn = 0;
        SetMessageBoxHook([this](QMessageBox::Icon, const QString &, const QString &text,
                                 QMessageBox::StandardButtons) {
            Messages.append(text);
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        if (Frame)
            Frame->close();
        Frame.reset();
        Console.reset();
        SetMessageBoxHook({});
        SetColorDialogHook({});
        SetFontDialogHook({});
        SetFolderDialogHook({});
        SetSettingsLocations({}, {});
    }

    // Loads `store` as the per-user settings and opens the frame and console.
    void Start(const QByteArray &store = {})
    {
        if (!store.isEmpty())
            Write(RegistrySettingsFile(), "[Configuration]\n" + store);
        LoadSettings();
        Frame = std::make_unique<TOvFrameForm>(Runs);
        Console = std::make_unique<TRunForm>(Runs);
        Frame->SetRunForm(Console.get());
        Frame->show();
    }
    TOVOptionFrame *OpenOptions()
    {
        Frame->OVMMenuPreferenceSetting->trigger();
        return Frame->findChildren<TOVOptionFrame *>().constLast();
    }
    TOVASForm *OpenAssociation()
    {
        Frame->OVMMenuAssociationSetting->trigger();
        return Frame->findChildren<TOVASForm *>().constLast();
    }
    static void Write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QString Stored(const QString &path, const QString &name)
    {
        IniFile f(path);
        f.load();
        return f.readString(u"Configuration"_s, name, u"<missing>"_s);
    }
    static void Deliver() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir Tmp;
    XdgSandbox Sandbox{Tmp.path()};
    RunController Runs;
    std::unique_ptr<TOvFrameForm> Frame;
    std::unique_ptr<TRunForm> Console;
    QStringList Messages;
};

} // namespace

TEST_F(Preferences, EachMenuChoiceOpensAFreshFormThatGoesWhenClosed)
{
    Start();
    ASSERT_TRUE(Frame->OVMMenuPreferenceSetting->isEnabled());
    TOVOptionFrame *first = OpenOptions();
    OpenOptions();
    EXPECT_EQ(Frame->findChildren<TOVOptionFrame *>().size(), 2);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), InterfaceText(65096));
    first->CancelButton->click();
    Deliver();
    EXPECT_EQ(Frame->findChildren<TOVOptionFrame *>().size(), 1);
    TOVASForm *association = OpenAssociation();
    association->CancelBtn->click();
    Deliver();
    EXPECT_TRUE(Frame->findChildren<TOVASForm *>().isEmpty());
}

// General page: folders through the folder dialog, the switches, and the
// store; the exit question follows the switch at once.
TEST_F(Preferences, GeneralPageSavesIntoTheChosenStore)
{
    Start("Install Path=/opt/ov\n");
    SetFolderDialogHook([](QWidget *, QString &folder) {
        EXPECT_EQ(folder, u"/opt/ov");
        folder = u"/srv/help"_s;
        return true;
    });
    TOVOptionFrame *form = OpenOptions();
    EXPECT_TRUE(form->RegiRadioButton->isChecked());
    EXPECT_EQ(form->PresentSettingBox->text(), InterfaceText(65095));
    EXPECT_TRUE(form->ExitMSGCheckBox->isChecked());
    form->SelectHelpPathButton->click();
    EXPECT_EQ(form->HelpFilePathBox->text(), u"/srv/help");
    ChkMsgOn = 1;
    form->ExitMSGCheckBox->setChecked(false);
    form->IniRadioButton->setChecked(true);
    form->SaveButton->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ChkMsgOn, 0);
    EXPECT_EQ(Stored(IniSettingsFile(), u"Install Path"_s), u"/srv/help");
    EXPECT_EQ(Stored(IniSettingsFile(), u"ExitMSG Check"_s), u"OFF");
    EXPECT_FALSE(QFile::exists(RegistrySettingsFile()));
}

// An ini store beside a program in a folder that cannot be written: the
// error is shown and the form stays open, for Save-and-close too.
TEST_F(Preferences, AStoreThatCannotBeWrittenKeepsTheFormOpen)
{
    Start();
    const QString plain = Tmp.filePath(u"plain"_s);
    Write(plain, "");
    SetSettingsLocations(RegistrySettingsFile(), plain);  // a file where the folder should be
    TOVOptionFrame *form = OpenOptions();
    form->IniRadioButton->setChecked(true);
    form->SaveExitButton->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_FALSE(Messages.first().isEmpty());
}

TEST_F(Preferences, EditorPageKeepsStylesTheCombosCannotShow)
{
    Start("Editor Font Style= Underline\nEditor TabStops=12\nEditor Keyword Style=Bold Italic\n");
    TOVOptionFrame *form = OpenOptions();
    EXPECT_EQ(form->EFStyleBox->text(), u" Underline");
    EXPECT_EQ(form->ETabStopsComboBox->currentIndex(), -1);
    EXPECT_EQ(form->KSComboBox->currentIndex(), 3);
    SetColorDialogHook([](QWidget *, QColor &colour) {
        colour = QColor(0, 255, 0);
        return true;
    });
    form->Button3->click();
    form->CSComboBox->setCurrentIndex(2);
    form->ESaveButton->click();
    EXPECT_EQ(EditorFontStyle, 4);
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Editor Font Style"_s), u" Underline");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Editor TabStops"_s), u"12");
    EXPECT_EQ(EditorKeywordColor, 0x00FF00u);
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Editor Keyword Color"_s), u"00FF00");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Editor Comment Style"_s), u"Bold");
    EXPECT_EQ(EditorCommentStyle, 1);

    // The font dialog's Bold + Italic is written with the leading blank.
    SetFontDialogHook([](QWidget *, QFont &font) {
        font.setBold(true);
        font.setItalic(true);
        font.setUnderline(false);
        font.setPointSize(14);
        return true;
    });
    form->EFChange->click();
    EXPECT_EQ(form->EFStyleBox->text(), u" Bold Italic");
    EXPECT_EQ(form->EFSizeBox->text(), u"14");
    EXPECT_EQ(form->EFCharSetBox->text(), u"128");
    form->ESaveExitButton->click();
    EXPECT_EQ(EditorFontStyle, 3);
    EXPECT_EQ(EditorFontSize, 14);
}

// The font dialog opens on the family that the stored name is drawn in and
// gives the stored name back when OK is pressed without a change; its
// styles are the four the settings hold, each once.
TEST_F(Preferences, FontDialogKeepsTheStoredNameAndOffersEachStyleOnce)
{
    SubstituteFonts();
    Start("Editor Font Size=12\n");
    TOVOptionFrame *form = OpenOptions();
    ASSERT_EQ(form->EFNameBox->text(), u"ＭＳ ゴシック");
    AnswerNextDialog<QDialog>([](QDialog *dialog) { dialog->accept(); });
    form->EFChange->click();
    EXPECT_EQ(form->EFNameBox->text(), u"ＭＳ ゴシック");
    EXPECT_EQ(form->EFSizeBox->text(), u"12");
    EXPECT_EQ(form->EFStyleBox->text(), u"Normal");

    const QFont stored(u"ＭＳ ゴシック"_s, 12);
    TOVFontDialog dialog(stored);
    const QString shown = ShownFamily(stored);
    EXPECT_TRUE(QFontDatabase::families().contains(shown)) << shown.toStdString();
    ASSERT_NE(dialog.FamilyList->currentItem(), nullptr);
    EXPECT_EQ(dialog.FamilyList->currentItem()->text(), shown);
    QStringList styles;
    for (int row = 0; row < dialog.StyleList->count(); ++row)
        styles.append(dialog.StyleList->item(row)->text());
    EXPECT_EQ(styles, (QStringList{u"標準"_s, u"斜体"_s, u"太字"_s, u"太字 斜体"_s}));
    EXPECT_EQ(dialog.StyleList->currentRow(), 0);

    const int other = dialog.FamilyList->currentRow() == 0 ? 1 : 0;
    dialog.FamilyList->setCurrentRow(other);
    dialog.StyleList->setCurrentRow(3);
    dialog.UnderlineBox->setChecked(true);
    dialog.SizeBox->setValue(9);
    QFont chosen = dialog.SelectedFont();
    EXPECT_EQ(chosen.family(), dialog.FamilyList->item(other)->text());
    EXPECT_EQ(FontStylesToStr(FontStylesOf(chosen)), u" Bold Italic Underline");
    EXPECT_EQ(chosen.pointSize(), 9);
    dialog.FamilyList->setCurrentItem(dialog.FamilyList->findItems(shown, Qt::MatchExactly).first());
    EXPECT_EQ(dialog.SelectedFont().family(), u"ＭＳ ゴシック");
}

TEST_F(Preferences, ConsolePageRestylesTheConsoleAtOnce)
{
    Start("Cursor Mode=OFF\n");
    TOVOptionFrame *form = OpenOptions();
    SetColorDialogHook([](QWidget *, QColor &colour) {
        colour = QColor(0, 0, 128);
        return true;
    });
    form->ConsoleBackColorButton->click();
    SetFontDialogHook([](QWidget *, QFont &font) {
        font.setItalic(true);
        font.setStrikeOut(true);
        return true;
    });
    form->TFRefButton->click();
    EXPECT_EQ(form->TFStyleBox->text(), u" Italic StrikeOut");
    form->TSaveButton->click();
    EXPECT_EQ(Console->Memo1->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_TRUE(Console->Memo1->font().italic());
    EXPECT_TRUE(Console->Memo1->font().strikeOut());
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"TScreen Back Color"_s), u"000080");
}

// Sizes and positions: only integers in range, positions on a screen.
TEST_F(Preferences, SizesAndPositionsAreCheckedBeforeSaving)
{
    Start("Main Form Width=700\n");
    TOVOptionFrame *form = OpenOptions();
    for (const QString &bad : {u"0"_s, u"abc"_s, u"640px"_s, u"99999"_s}) {
        form->TScreenWidthBox->setText(bad);
        form->SSaveButton->click();
        EXPECT_EQ(Stored(RegistrySettingsFile(), u"TScreen Width"_s), u"<missing>") << bad.toStdString();
    }
    EXPECT_EQ(Messages.size(), 4);
    Console->resize(640, 250);
    form->TScreenCurrentSizeButton->click();
    EXPECT_EQ(form->TScreenWidthBox->text(), u"620");  // the window less 20 each way
    EXPECT_EQ(form->TScreenHeightBox->text(), u"230");
    form->SSaveButton->click();
    EXPECT_EQ(TScreenWidth, 620);
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Main Form Width"_s), u"700");

    EXPECT_TRUE(form->Edit1->isHidden());
    form->MScreenAutoPositionModeComboBox->setCurrentIndex(1);
    EXPECT_FALSE(form->Edit1->isHidden());
    form->Edit1->setText(u"5000"_s);
    form->Edit2->setText(u"5000"_s);
    form->PSaveButton->click();
    EXPECT_EQ(MainFramePosAuto, 1);
    EXPECT_EQ(Messages.size(), 5);
    form->Edit1->setText(u"20"_s);
    form->Edit2->setText(u"10"_s);
    form->PSaveExitButton->click();
    EXPECT_EQ(MainFramePosAuto, 0);
    EXPECT_EQ(MainFrameTop, 20);
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"MainFrame Position Mode"_s), u"Manual");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"MainFrame Position Left"_s), u"10");
    EXPECT_FALSE(form->isVisible());
}

// A stored size of 0 or text, or a position far off, no longer hides a
// window: the load brings it back into range, and onto a screen.
TEST_F(Preferences, StoredSizesAndPositionsAreClampedWhenLoaded)
{
    Write(RegistrySettingsFile(), "[Configuration]\nMain Form Width=0\nTScreen Height=abc\nEditor Width=-5\n"
                                  "MainFrame Position Mode=Manual\nMainFrame Position Top=99999999\n"
                                  "MainFrame Position Left=5000\nTScreen Position Left=-12px\n");
    LoadSettings();
    EXPECT_EQ(MainFormWidth, MinWindowWidth);
    EXPECT_EQ(MainFormWidthText, QString::number(MinWindowWidth));
    EXPECT_EQ(TScreenHeight, MinWindowHeight);
    EXPECT_EQ(EditorCurrentWidth, MinWindowWidth);
    EXPECT_EQ(MainFrameTop, MaxWindowPosition);
    EXPECT_EQ(TScreenLeftText, u"-12px");  // in range: kept as written
    KeepPlacementsOnScreens();
    EXPECT_TRUE(PositionOnSomeScreen(MainFrameLeft, MainFrameTop));
    EXPECT_EQ(MainFrameTopText, QString::number(MainFrameTop));
}

// The stored sizes and the form share one limit: a hand-edited width far
// beyond it loads as the limit, its text shows the limit, and the size page
// saves it without complaint.
TEST_F(Preferences, AStoredSizeBeyondTheLimitLoadsAndSavesAsTheLimit)
{
    Start("Main Form Width=99999999\nTScreen Height=16385\n");
    EXPECT_EQ(MainFormWidth, MaxWindowExtent);
    EXPECT_EQ(MainFormWidthText, QString::number(MaxWindowExtent));
    EXPECT_EQ(TScreenHeight, MaxWindowExtent);
    TOVOptionFrame *form = OpenOptions();
    EXPECT_EQ(form->MainWidthBox->text(), QString::number(MaxWindowExtent));
    form->SSaveButton->click();
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join(u'|').toStdString();
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Main Form Width"_s), QString::number(MaxWindowExtent));
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"TScreen Height"_s), QString::number(MaxWindowExtent));
}

// The console's current size is measured as its size is stored, so that
// saving it keeps the console as it is; the least sizes of every window
// are accepted and come back the same.
TEST_F(Preferences, CurrentConsoleSizeSavesAsItIsAndLeastSizesAreAccepted)
{
    Start("TScreen Width=620\nTScreen Height=230\n");
    TOVOptionFrame *form = OpenOptions();
    form->TScreenCurrentSizeButton->click();
    EXPECT_EQ(form->TScreenWidthBox->text(), u"620");
    EXPECT_EQ(form->TScreenHeightBox->text(), u"230");

    for (QLineEdit *width : {form->MainWidthBox, form->EditorWidthBox, form->TScreenWidthBox})
        width->setText(QString::number(MinWindowWidth));
    for (QLineEdit *height : {form->MainHeightBox, form->EditorHeightBox, form->TScreenHeightBox})
        height->setText(QString::number(MinWindowHeight));
    form->SSaveButton->click();
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join(u'|').toStdString();
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"TScreen Width"_s), u"100");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"TScreen Height"_s), u"50");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Main Form Height"_s), u"50");
    EXPECT_EQ(Stored(RegistrySettingsFile(), u"Editor Width"_s), u"100");

    LoadSettings();
    EXPECT_EQ(TScreenWidth, 100);
    EXPECT_EQ(TScreenHeight, 50);
    TRunForm console(Runs);
    form->TScreenCurrentSizeButton->click();  // the frame's console, still 620 by 230
    EXPECT_EQ(form->TScreenHeightBox->text(), u"230");
    console.show();
    EXPECT_EQ(console.SizeSetting(), QSize(100, 50));
}

// The association form reads the choice in force on each opening, registers
// and removes it, and reports a failure without the closing message.
TEST_F(Preferences, AssociationFormRegistersShowsAndRemoves)
{
    Start();
    TOVASForm *form = OpenAssociation();
    EXPECT_EQ(form->windowTitle(), InterfaceText(65117));
    EXPECT_TRUE(form->RadioButton4->isChecked());
    EXPECT_EQ(form->Edit1->text(), InterfaceText(65116));
    form->RadioButton2->setChecked(true);
    form->OkBtn->click();
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages.first(), InterfaceText(65112));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(QueryAssociation(), AssociationKind::RunShown);
    // The desktop is given the program's own icon.
    const QImage icon(ProgramIconPath());
    EXPECT_EQ(icon.size(), QSize(256, 256));
    EXPECT_EQ(icon, QImage(ProgramIconFile()));

    form = OpenAssociation();
    EXPECT_TRUE(form->RadioButton2->isChecked());
    EXPECT_EQ(form->Edit1->text(), InterfaceText(65114));
    form->RadioButton4->setChecked(true);
    form->OkBtn->click();
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);

    QDir(Tmp.filePath(u"data/applications"_s)).removeRecursively();
    Write(Tmp.filePath(u"data/applications"_s), "");  // the entry cannot be written
    form = OpenAssociation();
    form->RadioButton1->setChecked(true);
    form->OkBtn->click();
    ASSERT_EQ(Messages.size(), 3);
    EXPECT_NE(Messages.last(), InterfaceText(65112));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QueryAssociation(), AssociationKind::None);
}

TEST_F(Preferences, ConsoleContextMenuFollowsSelectionAndClipboard)
{
    Start();
    TConsoleMemo *memo = Console->Memo1;
    memo->AddLine(u"PRINT 1"_s);
    EXPECT_EQ(memo->RFCut->text(), InterfaceText(65226));
    EXPECT_EQ(memo->RFSAll->text(), InterfaceText(65230));
    QApplication::clipboard()->clear();
    memo->PopupMenu1Popup();
    EXPECT_FALSE(memo->RFCut->isEnabled());
    EXPECT_FALSE(memo->RFCopy->isEnabled());
    EXPECT_FALSE(memo->RFDelete->isEnabled());
    EXPECT_FALSE(memo->RFPaste->isEnabled());
    memo->RFSAll->trigger();
    memo->PopupMenu1Popup();
    EXPECT_TRUE(memo->RFCopy->isEnabled());
    memo->RFCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"PRINT 1\n");
    EXPECT_FALSE(memo->textCursor().hasSelection());
    EXPECT_TRUE(memo->textCursor().atEnd());
    memo->PopupMenu1Popup();
    EXPECT_TRUE(memo->RFPaste->isEnabled());
    EXPECT_FALSE(memo->RFDelete->isEnabled());
}

TEST_F(Preferences, InputBoxHasNoWindowButtonsAndStaysOnTop)
{
    TInputNumForm box(InputBoxRequest{});
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

namespace {

// One of two sets of the settings that a run's start-up takes over: the
// editor's font, the console's height and place, and the close question
// (which the form also hands to a stopped program, so it is not compared).
struct StartSet {
    QString name;
    int size, charset;
    const char16_t *style;
    FontStyleSet styles;
    QColor colour;
    int height, left;
    bool exitCheck;
};
const StartSet kStartSets[] = {
    {u"Alpha"_s, 11, 1, u"Bold", 1, QColor(0, 0, 255), 230, 10, true},
    {u"Beta Sans"_s, 12, 128, u"Italic", 2, QColor(255, 0, 0), 240, 20, false},
};

// Saves the editor, size, position and general pages with one set.
void SaveStartSet(TOVOptionFrame &form, const StartSet &set)
{
    SetColorDialogHook([&set](QWidget *, QColor &colour) {
        colour = set.colour;
        return true;
    });
    form.Button1->click();
    form.EFNameBox->setText(set.name);
    form.EFSizeBox->setText(QString::number(set.size));
    form.EFCharSetBox->setText(QString::number(set.charset));
    form.EFStyleBox->setText(QString::fromUtf16(set.style));
    form.ESaveButton->click();
    form.TScreenHeightBox->setText(QString::number(set.height));
    form.SSaveButton->click();
    form.TScreenAutoPositionModeComboBox->setCurrentIndex(1);
    form.Edit3->setText(u"5"_s);
    form.Edit4->setText(QString::number(set.left));
    form.PSaveButton->click();
    form.ExitMSGCheckBox->setChecked(set.exitCheck);
    form.SaveButton->click();
}

// The set that the last run started with, or -1 when it mixed the two.
int SetOfLastRun()
{
    for (int i = 0; i < 2; ++i) {
        const StartSet &set = kStartSets[i];
        if (GraphFontName == set.name && GraphFontSize == set.size && GraphFontCharset == set.charset
            && GraphFontStyle == set.styles && GraphFontColor == QColorToColorValue(set.colour)
            && GraphWindowTop == set.height + 59 && RunFormLeft == set.left && RunFormTop == 5)
            return i;
    }
    return -1;
}

} // namespace

// The form is not modal: its pages are saved while runs start on the worker.
// Each run starts with one whole set of the settings, never a mixture.
TEST_F(Preferences, RunsStartWithWholeSettingsWhilePagesAreSaved)
{
    Start();
    TOVRunWindows windows(*Console, Frame.get());
    TOVQtHost host(windows);
    SetRunHost(&host);
    TOVOptionFrame *form = OpenOptions();
    form->NoRadioButton->setChecked(true);
    int saves = 0;
    for (int run = 0; run < 40; ++run) {
        SourceText = u"X = 1"_s;
        RunMode = 0;
        ProgramRunning = 1;
        StopRequested = 0;
        ASSERT_TRUE(Runs.Start());
        while (RunThreadActive.load() != 0) {
            SaveStartSet(*form, kStartSets[++saves % 2]);
            QCoreApplication::processEvents();
        }
        WaitForRun(Runs);
        ASSERT_NE(SetOfLastRun(), -1) << "run " << run << ": " << GraphFontName.toStdString() << ' '
                                      << GraphFontSize << ' ' << GraphWindowTop << ' ' << RunFormLeft;
    }
    SetRunHost(nullptr);
    form->close();
    LoadSettings();  // no store: the defaults again
}
