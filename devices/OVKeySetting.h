// The user's preferences: 41 named texts in the section "Configuration" of
// one of two stores, and the live values that the rest of the program reads.
//
// The "REGISTRY" store is a per-user file, `Orvane/Orvane.conf` under the
// user's configuration folder; the store exists exactly when the file does.
// The "INIFILE" store is `Orvane.ini` in `ExeDir`. Both are ini files with
// names compared without regard to letter case. At start-up the per-user
// store wins over the one beside the program; with neither, the defaults
// apply and `StorageMode` is empty.
#pragma once

#include "devices/OVColor.h"
#include "devices/OVFontStyle.h"
#include "devices/OVGraphState.h"
#include "devices/OVWindowState.h"

#include <QString>
#include <span>

namespace ov {

// The folder of the program file, without a trailing separator; set at
// start-up before LoadSettings.
extern QString ExeDir;

// "REGISTRY", "INIFILE" or empty (no store): where SaveSettings writes.
extern QString StorageMode;

// Texts of the settings, as read and saved. Where a live value of the same
// meaning exists, the text is named after it with "Text" appended; the two
// paths are both text and live value.
extern QString InstallPath;   // folder of the help file and the tutorial
extern QString WorkingPath;   // folder where programs are kept and run
extern QString FontSizeText;  // "Font Size": a copy of the console's font size text
extern QString EditorFontCharsetText, EditorFontNameText, EditorFontSizeText, EditorFontStyleText;
extern QString EditorFontColorText, EditorBackColorText, EditorKeywordColorText,
    EditorCommentColorText, EditorStringColorText;
extern QString EditorKeywordStyleText, EditorCommentStyleText, EditorStringStyleText;
extern QString EditorTabStopsText;
extern QString TScreenFontCharsetText, TScreenFontNameText, TScreenFontSizeText;
extern QString TScreenFontColorText, TScreenBackColorText, TScreenFontStyleText;
extern QString CursorModeText, ExitMsgCheckText, FormatCheckText, AutoFormatLoadText;  // "ON" / "OFF"
extern QString MainFormHeightText, MainFormWidthText, EditorHeightText, EditorWidthText;
extern QString TScreenHeightText, TScreenWidthText;
extern QString MainFramePosModeText, MainFrameTopText, MainFrameLeftText;  // "Auto" / "Manual"
extern QString TScreenPosModeText, TScreenTopText, TScreenLeftText;
extern QString GScreenPosModeText, GScreenTopText, GScreenLeftText;

// The 41 texts with their value names, in the order in which they are saved.
struct SettingEntry {
    const char16_t *Name;
    QString *Text;
};
inline constexpr int SettingCount = 41;
std::span<const SettingEntry> SettingEntries();

// Live values.
extern QString ProgramFolder;  // the folder the open and save dialogs start in: the last one used

// The user's documents folder, the working folder when the preferences name
// none (the default of "Working Path").
QString DefaultWorkingFolder();
// Makes the working folder the current folder, where programs' data files
// go: the folder "Working Path" names when it exists, else the documents
// folder, created when missing. The folder entered becomes ProgramFolder;
// it is returned, or the empty text when none could be entered.
QString EnterWorkingFolder();

extern QString EditorFontName;
extern int EditorFontCharset;
extern int EditorFontSize;
extern FontStyleSet EditorFontStyle;
extern ColorValue EditorFontColor, EditorBackColor, EditorKeywordColor, EditorCommentColor,
    EditorStringColor;
extern FontStyleSet EditorKeywordStyle, EditorCommentStyle, EditorStringStyle;
extern int EditorTabStops;

extern QString TScreenFontName;
extern int TScreenFontCharset;
extern int TScreenFontSize;
extern ColorValue TScreenFontColor, TScreenBackColor;
extern FontStyleSet TScreenFontStyle;

extern int CursorModeOn;      // the caret does not cross line ends
extern int ExitMsgCheck;      // ask before closing while a program runs
extern int FormatCheckOn;     // colour keywords while typing
extern int AutoFormatLoadOn;  // colour keywords when a file is opened

extern int MainFormHeight, MainFormWidth;  // client size of the main frame
extern int EditorHeight, EditorWidth;      // initial size of a new editor
extern int EditorCurrentHeight, EditorCurrentWidth;
extern int TScreenHeight, TScreenWidth;

// Placement: Auto 1 (the window places itself) or 0 (at Top, Left).
extern int MainFramePosAuto, MainFrameTop, MainFrameLeft;
extern int TScreenPosAuto, TScreenLeft, TScreenTop;
extern int GScreenPosAuto, GScreenLeft, GScreenTop;

extern QString ProgramDir;

// The settings that a program's start-up takes over: the graphics font
// starts as the editor's font, the console and the graphics screen start at
// their stored places, and the close question follows its switch. The
// preferences form changes them on the user-interface thread while runs go
// on, so a worker takes this copy there, in a synchronised step, and reads
// the settings themselves no further.
struct RunStartSettings {
    FontSetting EditorFont;
    int TScreenPosAuto, TScreenLeft, TScreenTop, TScreenHeight;
    int GScreenPosAuto, GScreenLeft, GScreenTop;
    int ExitMsgCheck;
};
// The settings as they are now; on the user-interface thread.
RunStartSettings CurrentRunStartSettings();

// The two store files. The per-user file can be moved elsewhere (tests do);
// an empty `registryFile` restores the one under the configuration folder.
QString RegistrySettingsFile();
QString IniSettingsFile();
void SetSettingsLocations(const QString &registryFile, const QString &exeDir);

// Fills every text and live value and `StorageMode` from the store that
// exists, with defaults for what it does not supply. False with `error` set
// when the store exists but cannot be read; the defaults then apply.
bool LoadSettings(QString *error = nullptr);

// Writes the texts to the store that `StorageMode` names; in "INIFILE" mode
// the per-user store is then deleted so that the next start reads the ini
// file. False with `error` set when a write fails: the store that was being
// written is left as it was, and the other store is kept.
[[nodiscard]] bool SaveSettings(QString *error = nullptr);

// Delete one store; a store that is not there is not an error. The settings
// in memory and `StorageMode` stay as they are.
[[nodiscard]] bool DeleteRegistrySettings(QString *error = nullptr);
[[nodiscard]] bool DeleteIniSettings(QString *error = nullptr);

// A number text of the settings as an integer: leading blanks skipped, an
// optional sign, hexadecimal after "$", "x" or "0x"; the digits up to the
// first other character count, and a text without digits gives 0.
int SettingTextToInt(const QString &text);

// The ranges that window sizes and positions are held to: a window at least
// its smallest size, and a position that stays within the coordinates of
// any desktop. The preferences form refuses values outside them and the
// load brings a stored value back into them.
inline constexpr int MinWindowWidth = 100, MinWindowHeight = 50, MaxWindowExtent = 16384;
inline constexpr int MaxWindowPosition = 32000;

} // namespace ov
