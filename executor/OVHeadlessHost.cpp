#include "executor/OVHeadlessHost.h"

#include <utility>

namespace ov {

void HeadlessMemo::AddLine(const QString &line)
{
    lines_ << line;
    length_ += line.size() + 2;
}

// A line the memo drops before it was written is written first: the output
// holds every line printed. Only the last line, INPUT's waiting line, goes
// unwritten when it is deleted.
void HeadlessMemo::DeleteLine(int index)
{
    if (index < 0 || index >= lines_.size())
        return;
    if (index < lines_.size() - 1)
        WriteFinalLines(index + 1);
    length_ -= lines_[index].size() + 2;
    lines_.removeAt(index);
    if (index < firstUnwritten_)
        --firstUnwritten_;
}

void HeadlessMemo::Clear()
{
    WriteLines();  // what was shown stays shown on a terminal
    lines_.clear();
    length_ = 0;
    firstUnwritten_ = 0;
}

void HeadlessMemo::FinishOutput()
{
    WriteLines();
    if (out_ != nullptr)
        out_->Write();
}

void HeadlessMemo::ShowPrompt(const QString &prompt)
{
    WriteFinalLines(int(lines_.size()) - 1);
    shown_ = prompt;
    promptShown_ = true;
    shownLineEnded_ = false;
    if (out_ == nullptr)
        return;
    out_->Add(prompt, false);
    out_->Write();
}

void HeadlessMemo::ReplyEchoed(const QString &reply)
{
    shown_ += reply;
    shownLineEnded_ = true;
}

void HeadlessMemo::WriteFinalLines(int upTo)
{
    for (; firstUnwritten_ < upTo; ++firstUnwritten_)
        WriteLine(lines_.at(firstUnwritten_));
}

// A line that begins as the prompt shown adds only its rest; any other line
// stands on a line of its own.
void HeadlessMemo::WriteLine(const QString &line)
{
    if (out_ == nullptr)
        return;
    QStringView text = line;
    QString joined;  // a message of two lines
    if (line.contains(u'\r')) {
        joined = QString(line).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text = joined;
    }
    if (std::exchange(promptShown_, false)) {
        if (shownLineEnded_ && text == shown_)
            return;
        if (!shownLineEnded_ && text.startsWith(shown_))
            text = text.sliced(shown_.size());
        else if (!shownLineEnded_)
            out_->Add({}, true);
    }
    out_->Add(text, true);
}

bool HeadlessHost::ShowInputBox(const InputBoxRequest &request, QString &answer)
{
    return input_ ? input_(request, answer) : false;
}

void HeadlessHost::RestoreRunFormLayout()
{
    windows_[size_t(ProgramWindow::Console)].Position = QPoint(RunFormLeft, RunFormTop);
}

void HeadlessHost::SetConsoleCaption(const QString &caption)
{
    captions_ << caption;
    windows_[size_t(ProgramWindow::Console)].Caption = caption;
}

void HeadlessHost::SetWindowCaption(ProgramWindow window, const QString &caption)
{
    if (window == ProgramWindow::Console)
        SetConsoleCaption(caption);
    else
        windows_[size_t(window)].Caption = caption;
}

void HeadlessHost::MoveProgramWindow(ProgramWindow window, int left, int top)
{
    windows_[size_t(window)].Position = QPoint(left, top);
}

void HeadlessHost::SetWindowShowState(ProgramWindow window, WindowShowState state)
{
    windows_[size_t(window)].State = state;
}

WindowShowState HeadlessHost::WindowShowStateOf(ProgramWindow window)
{
    return windows_[size_t(window)].State;
}

void HeadlessHost::SetInputReplies(const QStringList &replies)
{
    auto queue = std::make_shared<QStringList>(replies);
    input_ = [queue](const InputBoxRequest &, QString &answer) {
        if (queue->isEmpty())
            return false;
        answer = queue->takeFirst();
        return true;
    };
}

// ---------------------------------------------------------------- simulated devices

bool HeadlessHost::ControlMedia(MediaCommand command)
{
    switch (command) {
    case MediaCommand::Play: mediaState_ = MediaState::Playing; break;
    case MediaCommand::Stop: mediaState_ = MediaState::Stopped; break;
    case MediaCommand::Pause:  // toggles between paused and playing
        if (mediaState_ == MediaState::Playing)
            mediaState_ = MediaState::Paused;
        else if (mediaState_ == MediaState::Paused)
            mediaState_ = MediaState::Playing;
        break;
    }
    return true;
}

void HeadlessHost::EndMediaPlayback()
{
    if (mediaState_ == MediaState::Playing || mediaState_ == MediaState::Paused)
        mediaState_ = MediaState::Stopped;
}

} // namespace ov
