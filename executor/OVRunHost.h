// The narrow interface through which a run reaches the windows. Every step
// that changes a window runs on the user-interface thread through
// Synchronised(); console lines go through the memo in the order written.
// The Qt windows implement it; the headless runner has its own implementation.
#pragma once

#include "devices/OVControlModel.h"
#include "devices/OVMediaState.h"
#include "devices/OVWindowState.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace ov {

// The console window's text: a list of lines with a maximum total length.
// Used on the user-interface thread only (inside Synchronised steps).
class ConsoleMemo {
public:
    virtual ~ConsoleMemo() = default;
    virtual int LineCount() const = 0;
    virtual qsizetype TextLength() const = 0;  // every line counts its CR LF
    virtual qsizetype MaxLength() const = 0;
    virtual qsizetype LineLength(int index) const = 0;  // without its CR LF
    virtual void AddLine(const QString &line) = 0;
    virtual void DeleteLine(int index) = 0;    // 0 is the first line
    // Many lines at once, as one call for each would leave them.
    virtual void AddLines(const QStringList &lines)
    {
        for (const QString &line : lines)
            AddLine(line);
    }
    virtual void DeleteFirstLines(int count)
    {
        while (count-- > 0 && LineCount() > 0)
            DeleteLine(0);
    }
    virtual void Clear() = 0;
    virtual int CaretLine() const = 0;         // the line that holds the caret
    // Puts the caret just before the CR LF of the last line added (INPUT$ prompt).
    virtual void PlaceCaretAfterPrompt() = 0;
    virtual void SetUpdatesEnabled(bool enabled) = 0;  // hidden while many lines go
    virtual void SetReadOnly(bool readOnly) = 0;
};

// The console's buttons, in the states the run sets.
enum class ButtonMode { Prep, Run, Stop, End };

// What the data-input box shows and what it returns.
struct InputBoxRequest {
    QString Caption;
    QString Prompt;
    QString Text;        // the edit field's text when shown
    QString Echo;        // the console line that will show the reply, up to the blank before it
    bool Wide = false;   // the LINE INPUT layout
    bool Placed = false; // shown at Left, Top rather than centred
    int Left = 0;
    int Top = 0;
};

// The windows that the window settings statements name.
enum class ProgramWindow { Console, Control, MainFrame, Graphics };

class RunHost {
public:
    virtual ~RunHost() = default;

    // Runs the step on the user-interface thread and waits for it (directly
    // when already there).
    virtual void Synchronise(const std::function<void()> &step) = 0;
    // Queues the step for the user-interface thread without waiting; queued
    // steps and synchronised ones run in the order they were handed over.
    virtual void Post(std::function<void()> step) = 0;

    // Window steps: called inside Synchronise or Post steps.
    virtual ConsoleMemo &Memo() = 0;
    virtual void SetButtonMode(ButtonMode mode) = 0;
    virtual void SetRunButtons(bool edit, bool run, bool stop, bool cont) = 0;
    virtual void SetConsoleCaption(const QString &caption) = 0;
    virtual void RestoreRunFormLayout() = 0;
    virtual void ShowRunForm() = 0;
    // Shows the data-input box modally; false when it was cancelled.
    virtual bool ShowInputBox(const InputBoxRequest &request, QString &answer) = 0;
    virtual void Beep() = 0;
    // Asks the user a yes-or-no question (FILECOPY before it overwrites).
    virtual bool AskYesNo(const QString &caption, const QString &question) = 0;
    // Opens the HTML help at a topic (empty: its start page).
    virtual void OpenHelp(const QString &topic) = 0;

    // The dialogs programs show. Without windows they answer as if the user
    // pressed OK (message box: 1) or cancelled (the others: empty text).
    // `style` is the message box's button set plus its icon (16, 32, 48, 64).
    virtual int ShowMessageBox(const QString &text, const QString &caption, int style)
    {
        (void)text, (void)caption, (void)style;
        return 1;
    }
    // An input box; `query` is the form with a default text, whose Cancel
    // gives the empty text too.
    virtual QString ShowInputQuery(const QString &prompt, const QString &caption, const QString &defaultText,
                                   bool query)
    {
        (void)prompt, (void)caption, (void)defaultText, (void)query;
        return QString();
    }
    // A file dialog for opening or saving; the chosen file's full name or "".
    virtual QString SelectFile(bool save, const QString &filter, const QString &name)
    {
        (void)save, (void)filter, (void)name;
        return QString();
    }
    virtual void CloseMediaPlayer() = 0;
    // The media player: OpenMedia loads the file and waits until loading
    // ends, false when it is not playable media. Without a player nothing opens.
    virtual bool OpenMedia(const QString &path)
    {
        (void)path;
        return false;
    }
    // False when the player cannot carry out the command (it cannot play).
    virtual bool ControlMedia(MediaCommand command)
    {
        (void)command;
        return true;
    }
    virtual MediaState MediaPlayerState() { return MediaState::Other; }
    // The clipboard's plain text ("" when it holds none); false when the
    // clipboard did not take the text.
    virtual QString ClipboardText() { return QString(); }
    virtual bool SetClipboardText(const QString &text)
    {
        (void)text;
        return false;
    }
    virtual void ClearClipboard() {}
    // The speaker line: volume 0..100, -1 and mute false without a mixer.
    virtual int MasterVolume() { return -1; }
    virtual void SetMasterVolume(int percent) { (void)percent; }
    virtual bool MasterMute() { return false; }
    virtual void SetMasterMute(bool muted) { (void)muted; }
    virtual void CloseMainForm() = 0;

    // Window settings. The graphics and control windows keep their values in
    // the globals and take them when they open; a host without windows keeps
    // what it was given, every window starting in the normal state.
    virtual void SetWindowCaption(ProgramWindow window, const QString &caption)
    {
        if (window == ProgramWindow::Console)
            SetConsoleCaption(caption);
    }
    virtual void MoveProgramWindow(ProgramWindow window, int left, int top)
    {
        (void)window, (void)left, (void)top;
    }
    virtual void SetWindowShowState(ProgramWindow window, WindowShowState state)
    {
        (void)window, (void)state;
    }
    virtual WindowShowState WindowShowStateOf(ProgramWindow window)
    {
        (void)window;
        return WindowShowState::Normal;
    }
    // The console memo's font, background colour, and what it shows now.
    virtual FontSetting ConsoleFont() { return FontSetting{}; }
    virtual void SetConsoleFont(const FontSetting &font) { (void)font; }
    virtual void SetConsoleBackColor(ColorValue color) { (void)color; }
    // The open control screen shows what the C window statement `code`
    // (CBACKCOLOR, CFONT...) has just changed in the control model.
    virtual void ApplyControlSetting(int32_t code) { (void)code; }
    // The control screen shows the control model (Controls()): a fresh form
    // at ControlScreenWidth x Height and ControlWindowLeft, Top; closed; one
    // control taking its record again. Without windows the model alone.
    virtual void ShowControlScreen() {}
    virtual void CloseControlScreen() {}
    virtual void MirrorControl(ControlKind kind, int n) { (void)kind, (void)n; }
    // The graphics window around the surface's picture. Without windows
    // there is the picture alone, and these do nothing.
    // Before a new picture replaces the open one: keeps it in a second window.
    virtual void KeepGraphPicture() {}
    // Shows the window for the new picture (GraphWidth, GraphHeight, the
    // client size when GraphWindowSized, GraphWindowLeft and Top).
    virtual void ShowGraphWindow() {}
    virtual void CloseGraphWindow() {}
    // GSCROLL and GSTRETCH: 0 plain, 1 scrolled, 2 stretched.
    virtual void SetGraphView(int view) { (void)view; }
    // Shows what has been drawn at once (GREFRESH).
    virtual void RefreshGraphWindow() {}
    // TSCREEN: the console window's client size.
    virtual void SetConsoleClientSize(int width, int height) { (void)width, (void)height; }
};

// The host of the runs; set once at start-up.
void SetRunHost(RunHost *host);
RunHost &Host();

// Hands a window step to the user-interface thread and waits; console lines
// written before it reach the memo first.
void Synchronised(const std::function<void()> &step);

} // namespace ov
