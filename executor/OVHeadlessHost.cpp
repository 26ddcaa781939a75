#include "executor/OVHeadlessHost.h"

#include <QTextStream>

namespace ov {

void HeadlessMemo::AddLine(const QString &line)
{
    lines_ << line;
    length_ += line.size() + 2;
    WriteFinalLines(int(lines_.size()) - 1);
}

void HeadlessMemo::DeleteLine(int index)
{
    if (index < 0 || index >= lines_.size())
        return;
    length_ -= lines_[index].size() + 2;
    lines_.removeAt(index);
    if (index < firstUnwritten_)
        --firstUnwritten_;
}

void HeadlessMemo::Clear()
{
    WriteFinalLines(int(lines_.size()));  // what was shown stays shown on a terminal
    lines_.clear();
    length_ = 0;
    firstUnwritten_ = 0;
}

void HeadlessMemo::FinishOutput()
{
    WriteFinalLines(int(lines_.size()));
    if (out_ != nullptr)
        out_->flush();
}

void HeadlessMemo::WriteFinalLines(int upTo)
{
    for (; firstUnwritten_ < upTo; ++firstUnwritten_) {
        if (out_ == nullptr)
            continue;
        const QString &line = lines_.at(firstUnwritten_);
        if (line.contains(u'\r'))
            *out_ << QString(line).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));  // a message of two lines
        else
            *out_ << line;
        *out_ << '\n';
    }
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
