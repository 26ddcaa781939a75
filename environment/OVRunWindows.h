// The window steps of a run, carried out by the windows of the environment:
// the console, the data-input box, message boxes, input boxes, file dialogs,
// the help and the main frame.
#pragma once

#include "executor/OVRunHost.h"

#include <QWidget>

namespace ov {

class TMPlayerForm;
class TOVControlForm;
class TRunForm;

class TOVRunWindows : public RunHost {
public:
    TOVRunWindows(TRunForm &console, QWidget *mainFrame);

    // The window steps run on the thread that owns the windows; the Qt host
    // routes a worker's steps there.
    void Synchronise(const std::function<void()> &step) override { step(); }
    void Post(std::function<void()> step) override { step(); }

    ConsoleMemo &Memo() override;
    void SetButtonMode(ButtonMode mode) override;
    void SetRunButtons(bool edit, bool run, bool stop, bool cont) override;
    void SetConsoleCaption(const QString &caption) override;
    void RestoreRunFormLayout() override;
    void ShowRunForm() override;
    bool ShowInputBox(const InputBoxRequest &request, QString &answer) override;
    void Beep() override;
    bool AskYesNo(const QString &caption, const QString &question) override;
    void OpenHelp(const QString &topic) override;
    int ShowMessageBox(const QString &text, const QString &caption, int style) override;
    QString ShowInputQuery(const QString &prompt, const QString &caption, const QString &defaultText,
                           bool query) override;
    QString SelectFile(bool save, const QString &filter, const QString &name) override;
    void CloseMediaPlayer() override;
    bool OpenMedia(const QString &path) override;
    bool ControlMedia(MediaCommand command) override;
    MediaState MediaPlayerState() override;
    QString ClipboardText() override;
    bool SetClipboardText(const QString &text) override;
    void ClearClipboard() override;
    int MasterVolume() override;
    void SetMasterVolume(int percent) override;
    bool MasterMute() override;
    void SetMasterMute(bool muted) override;
    void CloseMainForm() override;
    void SetWindowCaption(ProgramWindow window, const QString &caption) override;
    void MoveProgramWindow(ProgramWindow window, int left, int top) override;
    void SetWindowShowState(ProgramWindow window, WindowShowState state) override;
    WindowShowState WindowShowStateOf(ProgramWindow window) override;
    FontSetting ConsoleFont() override;
    void SetConsoleFont(const FontSetting &font) override;
    void SetConsoleBackColor(ColorValue color) override;
    void KeepGraphPicture() override;
    void ShowGraphWindow() override;
    void CloseGraphWindow() override;
    void SetGraphView(int view) override;
    void RefreshGraphWindow() override;
    void SetConsoleClientSize(int width, int height) override;
    void ApplyControlSetting(int32_t code) override;
    void ShowControlScreen() override;
    void CloseControlScreen() override;
    void MirrorControl(ControlKind kind, int n) override;

    // The media-player window, created at start-up and not shown by the
    // statements; without it nothing opens and the mixer reads "no value".
    void SetMediaPlayer(TMPlayerForm *player) { player_ = player; }
    // The control screen's window, created at start-up and shown by CSCREEN;
    // without it the control model alone changes.
    void SetControlForm(TOVControlForm *form) { controlForm_ = form; }

private:
    // The console or the main frame; null for the windows that take their
    // settings from the globals when they open.
    QWidget *WidgetOf(ProgramWindow window) const;

    TRunForm &console_;
    QWidget *mainFrame_;
    int consoleCharset_;  // Qt fonts carry no character set: kept for the reads
    bool consoleDefaultSize_ = false;  // size 0 asked: shown at the default size, read back as 0
    TMPlayerForm *player_ = nullptr;
    TOVControlForm *controlForm_ = nullptr;
};

} // namespace ov
