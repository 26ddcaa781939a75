// The run host of the windowed program: a worker's synchronised steps run on
// the user-interface thread (a blocking queued call, or a direct call when
// already there), posted steps are queued in order behind them, and the
// window steps go to the windows that registered for them.
#pragma once

#include "executor/OVRunHost.h"

#include <QObject>

namespace ov {

class TOVQtHost : public QObject, public RunHost {
    Q_OBJECT

public:
    // `windows` carries out the window steps; it lives on this object's thread.
    explicit TOVQtHost(RunHost &windows, QObject *parent = nullptr);

    void Synchronise(const std::function<void()> &step) override;
    void Post(std::function<void()> step) override;

    ConsoleMemo &Memo() override { return windows_.Memo(); }
    void SetButtonMode(ButtonMode mode) override { windows_.SetButtonMode(mode); }
    void SetRunButtons(bool edit, bool run, bool stop, bool cont) override
    {
        windows_.SetRunButtons(edit, run, stop, cont);
    }
    void SetConsoleCaption(const QString &caption) override { windows_.SetConsoleCaption(caption); }
    void RestoreRunFormLayout() override { windows_.RestoreRunFormLayout(); }
    void ShowRunForm() override { windows_.ShowRunForm(); }
    bool ShowInputBox(const InputBoxRequest &request, QString &answer) override
    {
        return windows_.ShowInputBox(request, answer);
    }
    void Beep() override { windows_.Beep(); }
    bool AskYesNo(const QString &caption, const QString &question) override
    {
        return windows_.AskYesNo(caption, question);
    }
    void OpenHelp(const QString &topic) override { windows_.OpenHelp(topic); }
    int ShowMessageBox(const QString &text, const QString &caption, int style) override
    {
        return windows_.ShowMessageBox(text, caption, style);
    }
    QString ShowInputQuery(const QString &prompt, const QString &caption, const QString &defaultText,
                           bool query) override
    {
        return windows_.ShowInputQuery(prompt, caption, defaultText, query);
    }
    QString SelectFile(bool save, const QString &filter, const QString &name) override
    {
        return windows_.SelectFile(save, filter, name);
    }
    void CloseMediaPlayer() override { windows_.CloseMediaPlayer(); }
    bool OpenMedia(const QString &path) override { return windows_.OpenMedia(path); }
    bool ControlMedia(MediaCommand command) override { return windows_.ControlMedia(command); }
    MediaState MediaPlayerState() override { return windows_.MediaPlayerState(); }
    QString ClipboardText() override { return windows_.ClipboardText(); }
    bool SetClipboardText(const QString &text) override { return windows_.SetClipboardText(text); }
    void ClearClipboard() override { windows_.ClearClipboard(); }
    int MasterVolume() override { return windows_.MasterVolume(); }
    void SetMasterVolume(int percent) override { windows_.SetMasterVolume(percent); }
    bool MasterMute() override { return windows_.MasterMute(); }
    void SetMasterMute(bool muted) override { windows_.SetMasterMute(muted); }
    void CloseMainForm() override { windows_.CloseMainForm(); }
    void SetWindowCaption(ProgramWindow window, const QString &caption) override
    {
        windows_.SetWindowCaption(window, caption);
    }
    void MoveProgramWindow(ProgramWindow window, int left, int top) override
    {
        windows_.MoveProgramWindow(window, left, top);
    }
    void SetWindowShowState(ProgramWindow window, WindowShowState state) override
    {
        windows_.SetWindowShowState(window, state);
    }
    WindowShowState WindowShowStateOf(ProgramWindow window) override { return windows_.WindowShowStateOf(window); }
    FontSetting ConsoleFont() override { return windows_.ConsoleFont(); }
    void SetConsoleFont(const FontSetting &font) override { windows_.SetConsoleFont(font); }
    void SetConsoleBackColor(ColorValue color) override { windows_.SetConsoleBackColor(color); }
    void ApplyControlSetting(int32_t code) override { windows_.ApplyControlSetting(code); }
    void ShowControlScreen() override { windows_.ShowControlScreen(); }
    void CloseControlScreen() override { windows_.CloseControlScreen(); }
    void MirrorControl(ControlKind kind, int n) override { windows_.MirrorControl(kind, n); }
    void KeepGraphPicture() override { windows_.KeepGraphPicture(); }
    void ShowGraphWindow() override { windows_.ShowGraphWindow(); }
    void CloseGraphWindow() override { windows_.CloseGraphWindow(); }
    void SetGraphView(int view) override { windows_.SetGraphView(view); }
    void RefreshGraphWindow() override { windows_.RefreshGraphWindow(); }
    void SetConsoleClientSize(int width, int height) override { windows_.SetConsoleClientSize(width, height); }

private:
    RunHost &windows_;
};

} // namespace ov
