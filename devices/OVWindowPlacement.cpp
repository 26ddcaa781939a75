#include "devices/OVWindowPlacement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace ov {

namespace {

// Where the window's frame is as far as Qt knows: the native window's
// frame margins are read from the window manager when asked, where the
// widget's own idea of its frame may still be that of an unframed window.
QPoint CurrentFrame(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    return handle != nullptr && window.isVisible() ? handle->framePosition() : window.pos();
}

// A shown window's frame goes where asked through its native window, which
// leaves the frame to the window manager.
void MoveFrame(QWidget &window, QPoint frame)
{
    QWindow *handle = window.windowHandle();
    if (handle != nullptr && window.isVisible())
        handle->setFramePosition(frame);
    else
        window.move(frame);
}

// Kept as a child of a window shown through ShowWindowAt. From the showing
// until the window is first exposed (the window manager has framed and
// mapped it) it holds the state asked meanwhile and gives it to the window
// then, with the frame position once more. The frame position asked stands
// for the window's until Qt has seen the frame there.
class WindowSettler : public QObject {
public:
    explicit WindowSettler(QWidget &window) : QObject(&window), window_(window)
    {
        setObjectName(QStringLiteral("ovWindowSettler"));
        window_.installEventFilter(this);
    }

    static WindowSettler *Of(const QWidget &window)
    {
        return window.findChild<WindowSettler *>(QStringLiteral("ovWindowSettler"), Qt::FindDirectChildrenOnly);
    }

    // The window has just been shown from hidden, its frame to go to `frame`.
    void Shown(QPoint frame)
    {
        if (QWindow *handle = window_.windowHandle())
            handle->installEventFilter(this);
        waiting_ = true;
        states_.reset();
        Asked(frame);
    }
    void Asked(QPoint frame)
    {
        frame_ = frame;
        seen_ = false;
    }
    bool Waiting() const { return waiting_; }
    QPoint Frame() const { return seen_ ? CurrentFrame(window_) : frame_; }
    std::optional<Qt::WindowStates> States() const { return states_; }
    void SetStates(Qt::WindowStates states) { states_ = states; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &window_) {
            if (event->type() == QEvent::Hide && !event->spontaneous())
                waiting_ = false;  // hidden before it was mapped: nothing to give
            else if (event->type() == QEvent::Move && !waiting_ && CurrentFrame(window_) == frame_)
                seen_ = true;
        } else if (waiting_ && event->type() == QEvent::Expose && window_.windowHandle()->isExposed()) {
            waiting_ = false;
            MoveFrame(window_, frame_);
            if (states_)
                window_.setWindowState(*states_);
        }
        return false;
    }

private:
    QWidget &window_;
    bool waiting_ = false;
    QPoint frame_;
    bool seen_ = false;
    std::optional<Qt::WindowStates> states_;
};

WindowSettler *WaitingSettler(const QWidget &window)
{
    WindowSettler *settler = WindowSettler::Of(window);
    return settler != nullptr && settler->Waiting() ? settler : nullptr;
}

} // namespace

void ShowWindowAt(QWidget &window, QPoint frame)
{
    const bool fresh = !window.isVisible();
    MoveFrame(window, frame);
    window.show();
    WindowSettler *settler = WindowSettler::Of(window);
    if (settler == nullptr)
        settler = new WindowSettler(window);
    if (fresh)
        settler->Shown(frame);
    else
        settler->Asked(frame);
}

void PlaceWindow(QWidget &window, QPoint frame)
{
    MoveFrame(window, frame);
    if (WindowSettler *settler = WindowSettler::Of(window))
        settler->Asked(frame);
}

void SetWindowStates(QWidget &window, Qt::WindowStates states)
{
    if (WindowSettler *settler = WaitingSettler(window))
        settler->SetStates(states);
    else
        window.setWindowState(states);
}

Qt::WindowStates WindowStatesOf(const QWidget &window)
{
    if (const WindowSettler *settler = WaitingSettler(window); settler != nullptr && settler->States())
        return *settler->States();
    return window.windowState();
}

QPoint FrameTopLeft(const QWidget &window)
{
    const WindowSettler *settler = WindowSettler::Of(window);
    return settler != nullptr ? settler->Frame() : CurrentFrame(window);
}

} // namespace ov
