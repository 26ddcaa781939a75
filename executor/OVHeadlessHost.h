// A host without windows: the console memo is a list of lines, window steps
// are recorded, and INPUT replies come from a source the caller supplies.
// The headless runner and the tests use it.
#pragma once

#include "devices/OVMixer.h"
#include "executor/OVRunHost.h"
#include "platform/OVMemoryMixer.h"
#include "platform/OVOutputBuffer.h"

#include <QPoint>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace ov {

class HeadlessMemo : public ConsoleMemo {
public:
    int LineCount() const override { return int(lines_.size()); }
    qsizetype TextLength() const override { return length_; }
    qsizetype MaxLength() const override { return maxLength_; }
    qsizetype LineLength(int index) const override { return lines_.at(index).size(); }
    void AddLine(const QString &line) override;
    void DeleteLine(int index) override;
    void Clear() override;
    int CaretLine() const override { return int(lines_.size()); }
    void PlaceCaretAfterPrompt() override {}
    void SetUpdatesEnabled(bool) override {}
    void SetReadOnly(bool readOnly) override { readOnly_ = readOnly; }

    void SetMaxLength(qsizetype length) { maxLength_ = length; }
    bool ReadOnly() const { return readOnly_; }
    const QStringList &Lines() const { return lines_; }

    // Lines go to `out` as UTF-8, each when the step of the run that added
    // it ends (WriteLines); `out` writes them at once. A line deleted by
    // then (the waiting line of INPUT) is never written.
    void SetOutput(OutputBuffer *out) { out_ = out; }
    void WriteLines() { WriteFinalLines(int(lines_.size())); }
    void FinishOutput();
    bool OutputClosed() const { return out_ != nullptr && out_->Closed(); }
    // While INPUT waits: writes out the lines before the waiting line, then
    // `prompt`, the beginning of the line that will echo the reply; that
    // line, when written, adds only its rest. `ReplyEchoed`: a terminal has
    // shown the reply after the prompt and ended the line itself.
    void ShowPrompt(const QString &prompt);
    void ReplyEchoed(const QString &reply);

private:
    void WriteFinalLines(int upTo);
    void WriteLine(const QString &line);

    QStringList lines_;
    qsizetype length_ = 0;
    qsizetype maxLength_ = 1'048'576;
    int firstUnwritten_ = 0;
    bool readOnly_ = false;
    OutputBuffer *out_ = nullptr;
    // The start of the next line, already on the output (a prompt).
    QString shown_;
    bool promptShown_ = false;
    bool shownLineEnded_ = false;
};

class HeadlessHost : public RunHost {
public:
    // Answers INPUT; false stands for Cancel.
    using InputSource = std::function<bool(const InputBoxRequest &, QString &)>;

    HeadlessHost() { mixer_.Loaded(); }

    void Synchronise(const std::function<void()> &step) override
    {
        step();
        memo_.WriteLines();
    }
    void Post(std::function<void()> step) override { Synchronise(step); }
    ConsoleMemo &Memo() override { return memo_; }
    void SetButtonMode(ButtonMode mode) override { buttonModes_.push_back(mode); }
    void SetRunButtons(bool, bool, bool, bool) override {}
    void SetConsoleCaption(const QString &caption) override;
    void RestoreRunFormLayout() override;
    void ShowRunForm() override {}
    bool ShowInputBox(const InputBoxRequest &request, QString &answer) override;
    void Beep() override { ++beeps_; }
    bool AskYesNo(const QString &, const QString &question) override
    {
        questions_ << question;
        return answerYes_;
    }
    void OpenHelp(const QString &topic) override { helpTopics_ << topic; }
    // The media player, clipboard and mixer are simulated: any file opens
    // (the statements have checked that it exists), the clipboard is a text
    // kept here, and the mixer component works on a simulated speaker line,
    // stereo at full volume, centred and not muted, so that no run changes
    // the machine's volume.
    void CloseMediaPlayer() override { mediaState_ = MediaState::Other; }
    bool OpenMedia(const QString &) override
    {
        mediaState_ = MediaState::Stopped;
        return true;
    }
    bool ControlMedia(MediaCommand command) override;
    MediaState MediaPlayerState() override { return mediaState_; }
    QString ClipboardText() override { return clipboard_; }
    bool SetClipboardText(const QString &text) override
    {
        clipboard_ = text;
        return true;
    }
    void ClearClipboard() override { clipboard_.clear(); }
    int MasterVolume() override { return mixer_.GetMasterVolume(); }
    void SetMasterVolume(int percent) override { mixer_.SetMasterVolume(percent); }
    bool MasterMute() override { return mixer_.GetMasterMute(); }
    void SetMasterMute(bool muted) override { mixer_.SetMasterMute(muted); }
    // Playback reaches the end of the media.
    void EndMediaPlayback();
    void CloseMainForm() override { mainFormClosed_ = true; }
    void SetWindowCaption(ProgramWindow window, const QString &caption) override;
    void MoveProgramWindow(ProgramWindow window, int left, int top) override;
    void SetWindowShowState(ProgramWindow window, WindowShowState state) override;
    WindowShowState WindowShowStateOf(ProgramWindow window) override;
    // Every opening of a screen is a new window in the normal state.
    void ShowGraphWindow() override { windows_[size_t(ProgramWindow::Graphics)].State = WindowShowState::Normal; }
    void ShowControlScreen() override { windows_[size_t(ProgramWindow::Control)].State = WindowShowState::Normal; }
    FontSetting ConsoleFont() override { return consoleFont_; }
    void SetConsoleFont(const FontSetting &font) override { consoleFont_ = font; }
    void SetConsoleBackColor(ColorValue color) override { consoleBackColor_ = color; }

    HeadlessMemo &Console() { return memo_; }
    void SetInputSource(InputSource source) { input_ = std::move(source); }
    // Answers INPUT from the given replies in turn; Cancel when they run out.
    void SetInputReplies(const QStringList &replies);

    const std::vector<ButtonMode> &ButtonModes() const { return buttonModes_; }
    const QStringList &Captions() const { return captions_; }
    int Beeps() const { return beeps_; }
    void SetYesNoAnswer(bool yes) { answerYes_ = yes; }
    const QStringList &Questions() const { return questions_; }
    const QStringList &HelpTopics() const { return helpTopics_; }
    bool MainFormClosed() const { return mainFormClosed_; }
    QString WindowCaption(ProgramWindow window) const { return windows_[size_t(window)].Caption; }
    QPoint WindowPosition(ProgramWindow window) const { return windows_[size_t(window)].Position; }
    ColorValue ConsoleBackColor() const { return consoleBackColor_; }

private:
    HeadlessMemo memo_;
    MediaState mediaState_ = MediaState::Other;
    QString clipboard_;
    TMixer mixer_{MakeSimulatedSpeaker()};
    InputSource input_;
    std::vector<ButtonMode> buttonModes_;
    QStringList captions_;
    int beeps_ = 0;
    bool answerYes_ = true;
    QStringList questions_;
    QStringList helpTopics_;
    bool mainFormClosed_ = false;

    // What the window settings statements gave each window.
    struct WindowValues {
        QString Caption;
        QPoint Position;
        WindowShowState State = WindowShowState::Normal;
    };
    std::array<WindowValues, 4> windows_;
    // The console's look as the settings give it at start-up.
    FontSetting consoleFont_{QStringLiteral(u"ＭＳ ゴシック"), 10, 128, 0, 0xFFFFFF};
    ColorValue consoleBackColor_ = 0;
};

} // namespace ov
