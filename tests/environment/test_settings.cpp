#include "environment/OVFrame.h"
#include "devices/OVKeySetting.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "platform/OVIniFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

using namespace ov;
using namespace Qt::Literals::StringLiterals;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        QDir().mkpath(Tmp.filePath(u"exe"_s));
        // The per-user folder does not exist yet: the first save creates it.
        SetSettingsLocations(Tmp.filePath(u"config/Orvane/Orvane.conf"_s), Tmp.filePath(u"exe"_s));
    }
    void TearDown() override { SetSettingsLocations({}, {}); }

    static void WriteStore(const QString &path, const QByteArray &body)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Configuration]\n" + body);
    }
    static QString Read(const QString &path, const QString &name)
    {
        IniFile f(path);
        f.load();
        return f.readString(u"Configuration"_s, name, u"<missing>"_s);
    }
    static QByteArray Bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A folder where no file can be created; a plain file stands in for it
    // where a read-only folder does not stop this process (root).
    QString UnwritableFolder()
    {
        const QString dir = Tmp.filePath(u"locked"_s);
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(dir + u"/probe"_s);
        if (!probe.open(QIODevice::WriteOnly))
            return dir;
        probe.remove();
        QFile file(Tmp.filePath(u"plain-file"_s));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    QTemporaryDir Tmp;
};

}  // namespace

TEST_F(Settings, NoStoreGivesDefaultsAndSavesNothing)
{
    LoadSettings();
    EXPECT_EQ(StorageMode, u"");
    EXPECT_EQ(InstallPath, ExeDir);
    EXPECT_EQ(WorkingPath, DefaultWorkingFolder());
    EXPECT_EQ(ProgramFolder, DefaultWorkingFolder());
    EXPECT_EQ(FontSizeText, u"10");
    EXPECT_EQ(EditorFontNameText, u"ＭＳ ゴシック");
    EXPECT_EQ(EditorCommentColor, 0x008800u);
    EXPECT_EQ(EditorStringColor, 0x880000u);
    EXPECT_EQ(EditorKeywordStyle, 1);
    EXPECT_EQ(EditorTabStops, 5);
    EXPECT_EQ(TScreenFontColor, 0xFFFFFFu);
    EXPECT_EQ(MainFormWidth, 640);
    EXPECT_EQ(EditorCurrentHeight, 250);
    EXPECT_EQ(TScreenWidth, 620);
    EXPECT_EQ(CursorModeOn + AutoFormatLoadOn, 0);
    EXPECT_EQ(ExitMsgCheck + FormatCheckOn, 2);
    EXPECT_EQ(MainFramePosAuto + TScreenPosAuto + GScreenPosAuto, 3);
    EXPECT_EQ(MainFramePosModeText, u"");
    EXPECT_EQ(GScreenLeftText, u"0");

    ASSERT_TRUE(SaveSettings());
    EXPECT_FALSE(QFile::exists(RegistrySettingsFile()));
    EXPECT_FALSE(QFile::exists(IniSettingsFile()));
}

TEST_F(Settings, RegistryWinsAndMissingValuesFollowTheTable)
{
    WriteStore(IniSettingsFile(), "Editor Font Name=from ini\n");
    WriteStore(RegistrySettingsFile(),
               "working path=/w\n"
               "Editor Font Name=IPAGothic\n"
               "Editor TabStops=\n"
               "Editor Font Color=00ff00\n"
               "Editor Back Color=GG0000\n"
               "Editor String Color=0000\n"
               "Editor Font Style=bold italic underline\n"
               "MainFrame Position Mode=manual\n"
               "MainFrame Position Top=12\n"
               "TScreen Position Mode=Manual\n"
               "TScreen Position Left=-8px\n"
               "exitmsg check=off\n"
               "Cursor Mode=on\n"
               "Format Check=\n"
               "Main Form Width=800abc\n");
    LoadSettings();
    EXPECT_EQ(StorageMode, u"REGISTRY");
    EXPECT_EQ(EditorFontName, u"IPAGothic");
    EXPECT_EQ(InstallPath, u"");  // no fall-back to ExeDir
    EXPECT_EQ(ProgramFolder, u"/w");
    EXPECT_EQ(EditorTabStopsText, u"5");
    EXPECT_EQ(EditorFontColor, 65280u);
    EXPECT_EQ(EditorBackColor, 0u);
    EXPECT_EQ(EditorStringColor, 0u);
    EXPECT_EQ(EditorFontStyle, 1 | 2 | 4);
    EXPECT_EQ(MainFramePosAuto, 1);
    EXPECT_EQ(MainFrameTop, 12);
    EXPECT_EQ(TScreenPosAuto, 0);
    EXPECT_EQ(TScreenTopText, u"0");
    EXPECT_EQ(TScreenLeft, -8);
    EXPECT_EQ(ExitMsgCheck, 1);
    EXPECT_EQ(CursorModeOn, 0);
    EXPECT_EQ(FormatCheckOn, 0);  // kept empty, so off
    EXPECT_EQ(FormatCheckText, u"");
    EXPECT_EQ(MainFormWidth, 800);
    // The console font size was missing: it loads as 10, "Font Size" stays empty.
    EXPECT_EQ(TScreenFontSizeText, u"10");
    EXPECT_EQ(FontSizeText, u"");

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Read(RegistrySettingsFile(), u"Font Size"_s), u"");
    EXPECT_EQ(Read(RegistrySettingsFile(), u"MainFrame Position Top"_s), u"<missing>");
    EXPECT_EQ(Read(RegistrySettingsFile(), u"TScreen Position Left"_s), u"-8px");
    EXPECT_EQ(Read(IniSettingsFile(), u"Editor Font Name"_s), u"from ini");
}

TEST_F(Settings, RoundTripsInBothStoresAndSwitches)
{
    WriteStore(RegistrySettingsFile(), "");
    LoadSettings();
    ASSERT_EQ(StorageMode, u"REGISTRY");
    int n = 0;
    for (const SettingEntry &e : SettingEntries())
        *e.Text = u"v"_s + QString::number(n++);
    // Sizes must be numbers in range: the load replaces any other text.
    for (QString *t : {&MainFormHeightText, &MainFormWidthText, &EditorHeightText, &EditorWidthText,
                       &TScreenHeightText, &TScreenWidthText})
        *t = QString::number(200 + n++);
    EditorFontNameText = u"ＭＳ 明朝"_s;
    EditorFontStyleText = FontStylesToStr(1 | 2);  // begins with a blank
    MainFramePosModeText = TScreenPosModeText = GScreenPosModeText = u"Manual"_s;
    MainFramePosAuto = TScreenPosAuto = GScreenPosAuto = 0;
    FontSizeText = TScreenFontSizeText;  // a load copies it so
    std::vector<QString> saved;
    for (const SettingEntry &e : SettingEntries())
        saved.push_back(*e.Text);

    const auto expectSaved = [&](const char *mode) {
        for (const SettingEntry &e : SettingEntries())
            e.Text->clear();
        LoadSettings();
        EXPECT_EQ(StorageMode, QString::fromLatin1(mode));
        for (size_t i = 0; i < saved.size(); ++i)
            EXPECT_EQ(*SettingEntries()[i].Text, saved[i]) << QString::fromUtf16(SettingEntries()[i].Name).toStdString();
    };

    ASSERT_TRUE(SaveSettings());
    expectSaved("REGISTRY");
    EXPECT_EQ(EditorFontStyle, 1 | 2);

    StorageMode = u"INIFILE"_s;  // the registry goes once the ini file holds everything
    ASSERT_TRUE(SaveSettings());
    EXPECT_FALSE(QFile::exists(RegistrySettingsFile()));
    expectSaved("INIFILE");

    StorageMode = u"REGISTRY"_s;  // back again: the ini file stays but loses
    ASSERT_TRUE(SaveSettings());
    EXPECT_TRUE(QFile::exists(IniSettingsFile()));
    expectSaved("REGISTRY");

    StorageMode.clear();  // no store: nothing written, nothing deleted
    const QByteArray before = Bytes(RegistrySettingsFile());
    EditorFontNameText = u"changed"_s;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Bytes(RegistrySettingsFile()), before);

    // Placement back to Auto removes the window's three values.
    MainFramePosAuto = 1;
    StorageMode = u"REGISTRY"_s;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Read(RegistrySettingsFile(), u"MainFrame Position Mode"_s), u"<missing>");
    EXPECT_EQ(Read(RegistrySettingsFile(), u"MainFrame Position Left"_s), u"<missing>");
    EXPECT_EQ(Read(RegistrySettingsFile(), u"GScreen Position Mode"_s), u"Manual");

    // Deleting leaves memory and the mode alone; the next save recreates.
    ASSERT_TRUE(DeleteRegistrySettings());
    ASSERT_TRUE(DeleteIniSettings());
    EXPECT_FALSE(QFile::exists(RegistrySettingsFile()));
    EXPECT_FALSE(QFile::exists(IniSettingsFile()));
    EXPECT_TRUE(DeleteRegistrySettings());
    EXPECT_EQ(StorageMode, u"REGISTRY");
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Read(RegistrySettingsFile(), u"Editor Font Name"_s), u"changed");
}

// The working folder: the one the settings name, else the documents
// folder, made when it is missing; the dialogs then start there.
TEST_F(Settings, WorkingFolderIsTheDocumentsFolderUnlessNamed)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QString previous = QDir::currentPath();
    qputenv("HOME", QFile::encodeName(Tmp.filePath(u"home"_s)));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Tmp.filePath(u"home/.config"_s)));
    const QString documents = Tmp.filePath(u"home/Documents"_s);

    LoadSettings();
    EXPECT_EQ(WorkingPath, documents);
    EXPECT_FALSE(QFileInfo::exists(documents));
    const QString entered = EnterWorkingFolder();
    EXPECT_EQ(entered, QDir(documents).canonicalPath());
    EXPECT_EQ(QDir::currentPath(), entered);
    EXPECT_EQ(ProgramFolder, QDir::currentPath());

    WorkingPath = Tmp.filePath(u"exe"_s);
    EXPECT_EQ(EnterWorkingFolder(), QDir(WorkingPath).canonicalPath());
    WorkingPath = Tmp.filePath(u"gone"_s);
    EXPECT_EQ(EnterWorkingFolder(), QDir(documents).canonicalPath());

    QDir::setCurrent(previous);
    qputenv("HOME", home);
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}

TEST_F(Settings, FailedWriteIsReportedAndKeepsTheOtherStore)
{
    WriteStore(RegistrySettingsFile(), "Editor Font Name=kept\n");
    const QByteArray registry = Bytes(RegistrySettingsFile());
    LoadSettings();
    EditorFontNameText = u"new"_s;

    SetSettingsLocations(RegistrySettingsFile(), UnwritableFolder());
    StorageMode = u"INIFILE"_s;
    QString error;
    EXPECT_FALSE(SaveSettings(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Bytes(RegistrySettingsFile()), registry);

    // A value that no line can hold: refused, the store unchanged.
    SetSettingsLocations(RegistrySettingsFile(), Tmp.filePath(u"exe"_s));
    StorageMode = u"REGISTRY"_s;
    WorkingPath = u"/a\nTScreen Height=1"_s;
    error.clear();
    EXPECT_FALSE(SaveSettings(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Bytes(RegistrySettingsFile()), registry);
}

// Numbers no window or font can take are saturated when read (a window's
// size or position text then shows the value used), and the windows are
// made from them without any integer overflowing.
TEST_F(Settings, ExtremeNumbersAreSaturated)
{
    InitializeInterpreterUnits();
    WriteStore(RegistrySettingsFile(),
               "Main Form Width=2147483647\n"
               "Main Form Height=$7FFFFFFF\n"
               "Editor Width=99999999999\n"
               "Editor Height=-1\n"
               "TScreen Height=2147483647\n"
               "TScreen Width=-2147483648\n"
               "Editor TabStops=2147483647\n"
               "Editor Font Size=2147483647\n"
               "TScreen Font Size=-2147483648\n"
               "MainFrame Position Mode=Manual\n"
               "MainFrame Position Left=-2147483648\n"
               "MainFrame Position Top=2147483647\n"
               "TScreen Position Mode=Manual\n"
               "TScreen Position Top=2147483647\n"
               "GScreen Position Mode=Manual\n"
               "GScreen Position Left=-2147483648\n");
    LoadSettings();
    EXPECT_EQ(MainFormWidth, MaxWindowExtent);
    EXPECT_EQ(MainFormHeight, MaxWindowExtent);
    EXPECT_EQ(EditorWidth, MaxWindowExtent);
    EXPECT_EQ(EditorHeight, 50);  // a window keeps its least size
    EXPECT_EQ(TScreenHeight, MaxWindowExtent);
    EXPECT_EQ(TScreenWidth, 100);
    EXPECT_EQ(EditorTabStops, 1000);
    EXPECT_EQ(EditorFontSize, 1000);
    EXPECT_EQ(TScreenFontSize, -1000);
    EXPECT_EQ(MainFrameLeft, -32000);
    EXPECT_EQ(MainFrameTop, 32000);
    EXPECT_EQ(TScreenTop, 32000);
    EXPECT_EQ(GScreenLeft, -32000);
    EXPECT_EQ(MainFormWidthText, QString::number(MaxWindowExtent));
    EXPECT_EQ(EditorWidthText, QString::number(MaxWindowExtent));

    InitInterpreter();
    {
        RunController runs;
        TOvFrameForm frame(runs);
        TRunForm console(runs);
        frame.SetRunForm(&console);
        frame.NewEditor();
        TOVRunWindows(console, &frame).RestoreRunFormLayout();
    }
    ASSERT_TRUE(DeleteRegistrySettings());
    LoadSettings();
    InitInterpreter();
}

TEST(SettingConversions, ColoursStylesAndNumbers)
{
    EXPECT_EQ(StrToColor(u"00FF00"_s), 0x00FF00u);
    EXPECT_EQ(StrToColor(u"123456"_s), 0x563412u);
    EXPECT_EQ(StrToColor(u"abcdefXYZ"_s), 0xEFCDABu);  // after the sixth: ignored
    EXPECT_EQ(StrToColor(u"12345"_s), 0u);
    EXPECT_EQ(StrToColor(u"12 456"_s), 0u);
    EXPECT_EQ(ColorToStr(0x563412), u"123456");
    EXPECT_EQ(ColorToStr(0x0000AB), u"AB0000");
    EXPECT_EQ(ColorToStr(0xFF000001), u"010000");

    EXPECT_EQ(FontStylesToStr(0), u"Normal");
    EXPECT_EQ(FontStylesToStr(1 | 2 | 4), u" Bold Italic Underline");
    EXPECT_EQ(FontStylesToStr(15), u" Bold Italic Underline StrikeOut");
    for (FontStyleSet s = 0; s < 16; ++s)
        EXPECT_EQ(StrToFontStyles(FontStylesToStr(s)), s);
    EXPECT_EQ(StrToFontStyles(u"Bold Italic"_s), 3);
    EXPECT_EQ(StrToFontStyles(u" strikeout "_s), 8);
    EXPECT_EQ(StrToFontStyles(u"Heavy"_s), 0);

    EXPECT_EQ(SettingTextToInt(u"  42"_s), 42);
    EXPECT_EQ(SettingTextToInt(u"-7"_s), -7);
    EXPECT_EQ(SettingTextToInt(u"+$1F"_s), 31);
    EXPECT_EQ(SettingTextToInt(u"x10"_s), 16);
    EXPECT_EQ(SettingTextToInt(u"0x1g"_s), 1);
    EXPECT_EQ(SettingTextToInt(u"400abc"_s), 400);
    EXPECT_EQ(SettingTextToInt(u""_s), 0);
    EXPECT_EQ(SettingTextToInt(u"abc"_s), 0);
    EXPECT_EQ(SettingTextToInt(u"-2147483648"_s), INT32_MIN);
    EXPECT_EQ(SettingTextToInt(u"99999999999"_s), 999999999);
}

// Blanks at either end of a text are part of it: a font style (" Bold
// Italic"), a name or a folder keeps them through a save and a load in
// either store.
TEST_F(Settings, BlanksAtEitherEndSurviveBothStores)
{
    LoadSettings();
    const std::vector<std::pair<QString *, QString>> texts = {
        {&EditorFontStyleText, u" Bold Italic"_s},
        {&EditorFontNameText, u"Font "_s},
        {&TScreenFontNameText, u"\u3000ＭＳ ゴシック\u3000"_s},
        {&WorkingPath, u" work \t"_s},
        {&InstallPath, u"\"quoted\" "_s},
    };
    for (const char *mode : {"REGISTRY", "INIFILE"}) {
        StorageMode = QString::fromLatin1(mode);
        for (const auto &[text, value] : texts)
            *text = value;
        ASSERT_TRUE(SaveSettings());
        for (const auto &[text, value] : texts)
            text->clear();
        LoadSettings();
        EXPECT_EQ(StorageMode, QString::fromLatin1(mode));
        for (const auto &[text, value] : texts)
            EXPECT_EQ(*text, value) << mode;
        EXPECT_EQ(EditorFontStyle, 1 | 2);
    }
}
