#include "devices/OVKeySetting.h"

#include "platform/OVIniFile.h"
#include "resources/OVInterfaceTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;

namespace ov {

QString ExeDir;
QString StorageMode;

QString InstallPath, WorkingPath, FontSizeText;
QString EditorFontCharsetText, EditorFontNameText, EditorFontSizeText, EditorFontStyleText;
QString EditorFontColorText, EditorBackColorText, EditorKeywordColorText, EditorCommentColorText,
    EditorStringColorText;
QString EditorKeywordStyleText, EditorCommentStyleText, EditorStringStyleText;
QString EditorTabStopsText;
QString TScreenFontCharsetText, TScreenFontNameText, TScreenFontSizeText;
QString TScreenFontColorText, TScreenBackColorText, TScreenFontStyleText;
QString CursorModeText, ExitMsgCheckText, FormatCheckText, AutoFormatLoadText;
QString MainFormHeightText, MainFormWidthText, EditorHeightText, EditorWidthText;
QString TScreenHeightText, TScreenWidthText;
QString MainFramePosModeText, MainFrameTopText, MainFrameLeftText;
QString TScreenPosModeText, TScreenTopText, TScreenLeftText;
QString GScreenPosModeText, GScreenTopText, GScreenLeftText;

QString ProgramFolder;

QString EditorFontName = QStringLiteral(u"ＭＳ ゴシック");
int EditorFontCharset = 128;
int EditorFontSize = 10;
FontStyleSet EditorFontStyle = 0;
ColorValue EditorFontColor = 0;
ColorValue EditorBackColor = 0xFFFFFF;
ColorValue EditorKeywordColor = 0;
ColorValue EditorCommentColor = 0x008800;
ColorValue EditorStringColor = 0x880000;
FontStyleSet EditorKeywordStyle = 1;
FontStyleSet EditorCommentStyle = 0;
FontStyleSet EditorStringStyle = 0;
int EditorTabStops = 5;

QString TScreenFontName = QStringLiteral(u"ＭＳ ゴシック");
int TScreenFontCharset = 128;
int TScreenFontSize = 10;
ColorValue TScreenFontColor = 0xFFFFFF;
ColorValue TScreenBackColor = 0;
FontStyleSet TScreenFontStyle = 0;

int CursorModeOn = 0;
int ExitMsgCheck = 1;
int FormatCheckOn = 1;
int AutoFormatLoadOn = 0;

int MainFormHeight = 400, MainFormWidth = 640;
int EditorHeight = 250, EditorWidth = 400;
int EditorCurrentHeight = 250, EditorCurrentWidth = 400;
int TScreenHeight = 230, TScreenWidth = 620;

int MainFramePosAuto = 1, MainFrameTop = 0, MainFrameLeft = 0;
int TScreenPosAuto = 1, TScreenLeft = 0, TScreenTop = 0;
int GScreenPosAuto = 1, GScreenLeft = 0, GScreenTop = 0;

QString ProgramDir;

namespace {

const QString Section = u"Configuration"_s;
const QString RegistryMode = u"REGISTRY"_s;
const QString IniMode = u"INIFILE"_s;

const std::array<SettingEntry, SettingCount> Entries = {{
    {u"Install Path", &InstallPath},
    {u"Working Path", &WorkingPath},
    {u"Font Size", &FontSizeText},
    {u"Editor Font Charset", &EditorFontCharsetText},
    {u"Editor Font Name", &EditorFontNameText},
    {u"Editor Font Size", &EditorFontSizeText},
    {u"Editor Font Style", &EditorFontStyleText},
    {u"Editor Font Color", &EditorFontColorText},
    {u"Editor Back Color", &EditorBackColorText},
    {u"Editor Keyword Color", &EditorKeywordColorText},
    {u"Editor Comment Color", &EditorCommentColorText},
    {u"Editor String Color", &EditorStringColorText},
    {u"Editor Keyword Style", &EditorKeywordStyleText},
    {u"Editor Comment Style", &EditorCommentStyleText},
    {u"Editor String Style", &EditorStringStyleText},
    {u"Editor TabStops", &EditorTabStopsText},
    {u"TScreen Font Charset", &TScreenFontCharsetText},
    {u"TScreen Font Name", &TScreenFontNameText},
    {u"TScreen Font Size", &TScreenFontSizeText},
    {u"TScreen Font Color", &TScreenFontColorText},
    {u"TScreen Back Color", &TScreenBackColorText},
    {u"TScreen Font Style", &TScreenFontStyleText},
    {u"Cursor Mode", &CursorModeText},
    {u"ExitMSG Check", &ExitMsgCheckText},
    {u"Format Check", &FormatCheckText},
    {u"Auto Format Load", &AutoFormatLoadText},
    {u"Main Form Height", &MainFormHeightText},
    {u"Main Form Width", &MainFormWidthText},
    {u"Editor Height", &EditorHeightText},
    {u"Editor Width", &EditorWidthText},
    {u"TScreen Height", &TScreenHeightText},
    {u"TScreen Width", &TScreenWidthText},
    {u"MainFrame Position Mode", &MainFramePosModeText},
    {u"MainFrame Position Top", &MainFrameTopText},
    {u"MainFrame Position Left", &MainFrameLeftText},
    {u"TScreen Position Mode", &TScreenPosModeText},
    {u"TScreen Position Top", &TScreenTopText},
    {u"TScreen Position Left", &TScreenLeftText},
    {u"GScreen Position Mode", &GScreenPosModeText},
    {u"GScreen Position Top", &GScreenTopText},
    {u"GScreen Position Left", &GScreenLeftText},
}};

// Rows 1 to 32 are always written; the placement rows after them only for a
// window placed by hand.
constexpr int AlwaysWrittenCount = 32;

// Texts with a default in the interface texts, in the order in which an
// empty text gets its default. "TScreen Font Size" comes after "Font Size"
// has copied it.
struct DefaultText {
    QString *Text;
    int Id;
};
const std::array<DefaultText, 25> Defaults = {{
    {&EditorFontCharsetText, 65079},  {&EditorFontNameText, 65081},
    {&EditorFontSizeText, 65060},     {&EditorFontStyleText, 65056},
    {&EditorFontColorText, 65083},    {&EditorBackColorText, 65084},
    {&EditorKeywordColorText, 65085}, {&EditorCommentColorText, 65086},
    {&EditorStringColorText, 65087},  {&EditorKeywordStyleText, 65057},
    {&EditorCommentStyleText, 65058}, {&EditorStringStyleText, 65059},
    {&EditorTabStopsText, 65065},     {&TScreenFontCharsetText, 65080},
    {&TScreenFontNameText, 65082},    {&TScreenFontSizeText, 65061},
    {&TScreenFontColorText, 65062},   {&TScreenBackColorText, 65063},
    {&TScreenFontStyleText, 65064},   {&MainFormHeightText, 65066},
    {&MainFormWidthText, 65067},      {&EditorHeightText, 65068},
    {&EditorWidthText, 65069},        {&TScreenHeightText, 65070},
    {&TScreenWidthText, 65071},
}};

// The three placed windows: mode, top and left texts and the live values.
struct Placement {
    QString *Mode, *Top, *Left;
    int *Auto, *TopValue, *LeftValue;
};
const std::array<Placement, 3> Placements = {{
    {&MainFramePosModeText, &MainFrameTopText, &MainFrameLeftText, &MainFramePosAuto, &MainFrameTop,
     &MainFrameLeft},
    {&TScreenPosModeText, &TScreenTopText, &TScreenLeftText, &TScreenPosAuto, &TScreenTop,
     &TScreenLeft},
    {&GScreenPosModeText, &GScreenTopText, &GScreenLeftText, &GScreenPosAuto, &GScreenTop,
     &GScreenLeft},
}};

QString RegistryFileOverride;

// Bounds of the live font numbers, so that a hand-edited store cannot carry
// the font arithmetic past the integer range. Window sizes and positions are
// held to the ranges the preferences form accepts (LoadWindowPlaces).
constexpr int MaxFontSize = 1000;
constexpr int MaxTabStops = 1000;

int SettingInRange(const QString &text, int low, int high)
{
    return std::clamp(SettingTextToInt(text), low, high);
}

int FontSize(const QString &text)
{
    return SettingInRange(text, -MaxFontSize, MaxFontSize);
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

void SetError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Reads all 41 texts from `file`; a missing value reads as the empty text.
bool ReadStore(IniFile &file, QString *error)
{
    const bool loaded = file.load(error);
    for (const SettingEntry &e : Entries)
        *e.Text = file.readString(Section, QString::fromUtf16(e.Name));
    return loaded;
}

// Writes rows 1 to 32, then the placement of each window: deleted for one
// placed automatically, written for one placed by hand. The file changes
// only when every write succeeds.
bool WriteStore(IniFile &file, QString *error)
{
    if (file.path().isEmpty()) {
        SetError(error, u"No folder for the settings file"_s);
        return false;
    }
    if (!file.load(error))
        return false;
    const auto write = [&](const SettingEntry &e) {
        return file.writeString(Section, QString::fromUtf16(e.Name), *e.Text, error);
    };
    for (int i = 0; i < AlwaysWrittenCount; ++i)
        if (!write(Entries[i]))
            return false;
    for (int w = 0; w < 3; ++w) {
        for (int k = 0; k < 3; ++k) {
            const SettingEntry &e = Entries[AlwaysWrittenCount + 3 * w + k];
            if (*Placements[w].Auto != 0)
                file.deleteKey(Section, QString::fromUtf16(e.Name));
            else if (!write(e))
                return false;
        }
    }
    return file.save(error);
}

// A window number read from its text and brought into [low, high], the
// range the preferences form accepts; a text out of range then shows the
// value used, so that a window of size 0 or far off every desktop cannot
// come back from the store.
void LoadWindowNumber(int &value, QString &text, int low, int high)
{
    const int read = SettingTextToInt(text);
    value = std::clamp(read, low, high);
    if (value != read)
        text = QString::number(value);
}

void LoadWindowPlaces()
{
    LoadWindowNumber(MainFormHeight, MainFormHeightText, MinWindowHeight, MaxWindowExtent);
    LoadWindowNumber(MainFormWidth, MainFormWidthText, MinWindowWidth, MaxWindowExtent);
    LoadWindowNumber(EditorHeight, EditorHeightText, MinWindowHeight, MaxWindowExtent);
    LoadWindowNumber(EditorWidth, EditorWidthText, MinWindowWidth, MaxWindowExtent);
    LoadWindowNumber(TScreenHeight, TScreenHeightText, MinWindowHeight, MaxWindowExtent);
    LoadWindowNumber(TScreenWidth, TScreenWidthText, MinWindowWidth, MaxWindowExtent);
    EditorCurrentHeight = EditorHeight;
    EditorCurrentWidth = EditorWidth;
    for (const Placement &p : Placements) {
        if (*p.Mode == u"Manual")
            *p.Auto = 0;
        for (QString *t : {p.Top, p.Left})
            if (t->isEmpty())
                *t = u"0"_s;
        LoadWindowNumber(*p.TopValue, *p.Top, -MaxWindowPosition, MaxWindowPosition);
        LoadWindowNumber(*p.LeftValue, *p.Left, -MaxWindowPosition, MaxWindowPosition);
    }
}

bool RemoveStore(const QString &path, QString *error)
{
    return path.isEmpty() || IniFile(path).remove(error);
}

}  // namespace

std::span<const SettingEntry> SettingEntries()
{
    return Entries;
}

QString RegistrySettingsFile()
{
    if (!RegistryFileOverride.isEmpty())
        return RegistryFileOverride;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + u"/Orvane/Orvane.conf"_s;
}

QString IniSettingsFile()
{
    return ExeDir.isEmpty() ? QString() : QDir(ExeDir).filePath(u"Orvane.ini"_s);
}

void SetSettingsLocations(const QString &registryFile, const QString &exeDir)
{
    RegistryFileOverride = registryFile;
    ExeDir = exeDir;
}

bool LoadSettings(QString *error)
{
    InstallPath = ExeDir;
    WorkingPath = ProgramFolder = DefaultWorkingFolder();
    FontSizeText = u"10"_s;
    for (const DefaultText &d : Defaults)
        *d.Text = InterfaceText(d.Id);
    CursorModeText = u"OFF"_s;
    AutoFormatLoadText = u"OFF"_s;
    FormatCheckText = u"ON"_s;
    ExitMsgCheckText = u"ON"_s;
    StorageMode = u"OFF"_s;
    CursorModeOn = 0;
    ExitMsgCheck = 1;
    AutoFormatLoadOn = 0;
    FormatCheckOn = 1;
    // The placement texts have no defaults; clearing them makes a repeated
    // load give the same result as the first.
    for (const Placement &p : Placements) {
        p.Mode->clear();
        p.Top->clear();
        p.Left->clear();
        *p.Auto = 1;
    }

    bool ok = true;
    IniFile registry(RegistrySettingsFile());
    IniFile ini(IniSettingsFile());
    if (!registry.path().isEmpty() && registry.exists()) {
        StorageMode = RegistryMode;
        ok = ReadStore(registry, error);
    } else if (!ini.path().isEmpty() && ini.exists()) {
        StorageMode = IniMode;
        ok = ReadStore(ini, error);
    }

    FontSizeText = TScreenFontSizeText;  // before that text's own default
    for (const DefaultText &d : Defaults)
        if (d.Text->isEmpty())
            *d.Text = InterfaceText(d.Id);

    LoadWindowPlaces();

    ProgramFolder = WorkingPath;

    TScreenFontSize = FontSize(TScreenFontSizeText);
    TScreenFontCharset = SettingTextToInt(TScreenFontCharsetText);
    EditorFontSize = FontSize(EditorFontSizeText);
    EditorFontCharset = SettingTextToInt(EditorFontCharsetText);
    EditorTabStops = SettingInRange(EditorTabStopsText, 0, MaxTabStops);
    EditorFontName = EditorFontNameText;
    TScreenFontName = TScreenFontNameText;
    EditorFontColor = StrToColor(EditorFontColorText);
    EditorBackColor = StrToColor(EditorBackColorText);
    EditorKeywordColor = StrToColor(EditorKeywordColorText);
    EditorCommentColor = StrToColor(EditorCommentColorText);
    EditorStringColor = StrToColor(EditorStringColorText);
    TScreenFontColor = StrToColor(TScreenFontColorText);
    TScreenBackColor = StrToColor(TScreenBackColorText);
    EditorFontStyle = StrToFontStyles(EditorFontStyleText);
    EditorKeywordStyle = StrToFontStyles(EditorKeywordStyleText);
    EditorCommentStyle = StrToFontStyles(EditorCommentStyleText);
    EditorStringStyle = StrToFontStyles(EditorStringStyleText);
    TScreenFontStyle = StrToFontStyles(TScreenFontStyleText);

    // Exact comparisons: "on" is off, and "off" leaves the exit question on.
    CursorModeOn = CursorModeText == u"ON" ? 1 : 0;
    ExitMsgCheck = ExitMsgCheckText == u"OFF" ? 0 : 1;
    FormatCheckOn = FormatCheckText == u"ON" ? 1 : 0;
    AutoFormatLoadOn = AutoFormatLoadText == u"ON" ? 1 : 0;

    if (StorageMode != RegistryMode && StorageMode != IniMode)
        StorageMode.clear();
    return ok;
}

RunStartSettings CurrentRunStartSettings()
{
    return {{EditorFontName, EditorFontSize, EditorFontCharset, EditorFontStyle, EditorFontColor},
            TScreenPosAuto, TScreenLeft, TScreenTop, TScreenHeight,
            GScreenPosAuto, GScreenLeft, GScreenTop,
            ExitMsgCheck};
}

QString DefaultWorkingFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString EnterWorkingFolder()
{
    QString folder = WorkingPath;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = DefaultWorkingFolder();
        QDir().mkpath(folder);
    }
    if (!QDir::setCurrent(folder))
        return QString();
    ProgramFolder = QDir::currentPath();
    return ProgramFolder;
}

bool SaveSettings(QString *error)
{
    if (StorageMode == RegistryMode) {
        // The ini file, if any, is left alone: the per-user store wins anyway.
        IniFile registry(RegistrySettingsFile());
        return WriteStore(registry, error);
    }
    if (StorageMode == IniMode) {
        IniFile ini(IniSettingsFile());
        // The per-user store would win at the next start; it goes only once
        // the ini file holds the settings.
        return WriteStore(ini, error) && RemoveStore(RegistrySettingsFile(), error);
    }
    return true;
}

bool DeleteRegistrySettings(QString *error)
{
    return RemoveStore(RegistrySettingsFile(), error);
}

bool DeleteIniSettings(QString *error)
{
    return RemoveStore(IniSettingsFile(), error);
}

int SettingTextToInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        negative = text.at(i++) == u'-';
    int base = 10;
    if (i < n && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    }
    // The digits before one that would leave the integer range still count.
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : INT32_MAX;
    int64_t value = 0;
    for (; i < n; ++i) {
        const int d = HexDigit(text.at(i));
        if (d < 0 || d >= base || value * base + d > limit)
            break;
        value = value * base + d;
    }
    return int(negative ? -value : value);
}

} // namespace ov
