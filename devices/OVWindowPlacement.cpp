#include "devices/OVWindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSize>
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

// Where the client area stands when the frame is at `frame`: the frame's
// offset as the window manager gives it (none before it has framed the
// window, which is then placed again once it has).
QPoint ClientTopLeft(const QWindow &handle, QPoint frame)
{
    const QMargins margins = handle.frameMargins();
    return frame + QPoint(margins.left(), margins.top());
}

// A shown window's frame goes where asked through its native window, which
// leaves its state alone, by the client area: Qt keeps a frame position asked
// as the window's own until the window manager answers, and a size asked
// meanwhile would send it on as the client's, the window landing off by its
// frame.
void MoveFrame(QWidget &window, QPoint frame)
{
    QWindow *handle = window.windowHandle();
    if (handle != nullptr && window.isVisible())
        handle->setPosition(ClientTopLeft(*handle, frame));
    else
        window.move(frame);
}

// Where the frame of a window whose client area has `size` stands centred
// on the window's screen, with the frame the native window knows (none
// before the window manager has framed it).
QPoint CentredFrame(const QWidget &window, const QSize &size)
{
    const QScreen *screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return window.pos();
    const QWindow *handle = window.windowHandle();
    const QMargins margins = handle != nullptr ? handle->frameMargins() : QMargins();
    return screen->availableGeometry().center() - QRect(QPoint(0, 0), size.grownBy(margins)).center();
}

// Shown, but not yet mapped by the window manager: not on screen, and not
// because it is minimised.
bool AwaitingMap(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    return window.isVisible() && handle != nullptr && !handle->isExposed()
           && !window.windowState().testFlag(Qt::WindowMinimized);
}

// Kept as a child of a window placed or given a state here. From the
// showing until the window is first exposed (the window manager has framed
// and mapped it) it holds the state asked meanwhile and gives it to the
// window then, with the frame position once more (centred again, with the
// frame now known, for a centred window). The frame position asked stands
// for the window's until Qt has seen the frame there. A place and size
// asked while the window is minimised wait until it is restored.
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
    static WindowSettler &For(QWidget &window)
    {
        WindowSettler *settler = Of(window);
        return settler != nullptr ? *settler : *new WindowSettler(window);
    }

    // The window has just been shown from hidden, its frame to go to `frame`.
    void Shown(QPoint frame)
    {
        AwaitMap();
        states_.reset();
        centred_.reset();
        size_.reset();
        Asked(frame);
    }
    // The window is shown and waits for the window manager to map it.
    void AwaitMap()
    {
        WatchNativeWindow();
        waiting_ = true;
    }
    void Asked(QPoint frame)
    {
        frame_ = frame;
        seen_ = false;
    }
    void Centred(const QSize &size) { centred_ = size; }
    void Sized(const QSize &size) { size_ = size; }
    bool Waiting() const { return waiting_; }
    // A maximised window's place is where it goes back to, the place asked.
    QPoint Frame() const
    {
        const bool maximised = WindowStatesOf(window_) & (Qt::WindowMaximized | Qt::WindowFullScreen);
        return frame_ && (!seen_ || maximised) ? *frame_ : CurrentFrame(window_);
    }
    std::optional<Qt::WindowStates> States() const { return states_; }
    void SetStates(Qt::WindowStates states) { states_ = states; }

    void PlaceWhenRestored(QPoint frame)
    {
        WatchNativeWindow();
        restoredFrame_ = frame;
    }
    void SizeWhenRestored(const QSize &size)
    {
        WatchNativeWindow();
        restoredSize_ = size;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &window_) {
            if (event->type() == QEvent::Expose && window_.windowHandle()->isExposed())
                OnScreen();
        } else if (event->type() == QEvent::Hide && !event->spontaneous()) {
            waiting_ = false;  // hidden before it was mapped: nothing to give
        } else if (event->type() == QEvent::Move && !waiting_ && frame_ && CurrentFrame(window_) == *frame_) {
            seen_ = true;
        }
        return false;
    }

private:
    // Mapped at last, or back from being minimised.
    void OnScreen()
    {
        if (!waiting_) {
            if (restoredFrame_ || restoredSize_)
                QMetaObject::invokeMethod(this, &WindowSettler::ApplyRestored, Qt::QueuedConnection);
            return;
        }
        waiting_ = false;
        if (centred_)
            Asked(CentredFrame(window_, *centred_));
        centred_.reset();
        // sized first: a move sends the size as Qt last heard it, which may
        // be an earlier one the window manager only now confirms
        if (size_)
            window_.resize(*size_);
        size_.reset();
        if (frame_)
            MoveFrame(window_, *frame_);
        if (states_)
            window_.setWindowState(*states_);
    }
    void WatchNativeWindow()
    {
        if (QWindow *handle = window_.windowHandle())
            handle->installEventFilter(this);
    }
    // The place and size asked while the window was minimised, once it is
    // back on screen.
    void ApplyRestored()
    {
        if (window_.windowState().testFlag(Qt::WindowMinimized))
            return;
        // sized first: a resize sends the client's place as Qt last knew it
        if (restoredSize_)
            window_.resize(*restoredSize_);
        if (restoredFrame_)
            MoveFrame(window_, *restoredFrame_);
        restoredFrame_.reset();
        restoredSize_.reset();
    }

    QWidget &window_;
    bool waiting_ = false;
    std::optional<QPoint> frame_;
    bool seen_ = false;
    std::optional<Qt::WindowStates> states_;
    std::optional<QSize> centred_;  // the client size to centre once framed
    std::optional<QSize> size_;     // the client size asked before the mapping
    std::optional<QPoint> restoredFrame_;
    std::optional<QSize> restoredSize_;
};

WindowSettler *WaitingSettler(const QWidget &window)
{
    WindowSettler *settler = WindowSettler::Of(window);
    return settler != nullptr && settler->Waiting() ? settler : nullptr;
}

// Minimised on screen, or about to be once the window manager maps it.
bool ShownMinimised(const QWidget &window)
{
    return window.isVisible() && WindowStatesOf(window).testFlag(Qt::WindowMinimized);
}

} // namespace

void ShowWindowAt(QWidget &window, QPoint frame)
{
    const bool fresh = !window.isVisible();
    MoveFrame(window, frame);
    window.show();
    WindowSettler &settler = WindowSettler::For(window);
    if (fresh)
        settler.Shown(frame);
    else
        settler.Asked(frame);
}

void PlaceWindow(QWidget &window, QPoint frame)
{
    if (AwaitingMap(window))  // placed again once the frame's offset is known
        WindowSettler::For(window).AwaitMap();
    if (ShownMinimised(window))
        WindowSettler::For(window).PlaceWhenRestored(frame);
    else
        MoveFrame(window, frame);
    if (WindowSettler *settler = WindowSettler::Of(window))
        settler->Asked(frame);
}

void ResizeWindow(QWidget &window, const QSize &size)
{
    if (ShownMinimised(window)) {
        WindowSettler::For(window).SizeWhenRestored(size);
        return;
    }
    if (WindowSettler *settler = WaitingSettler(window))
        settler->Sized(size);
    window.resize(size);
}

void CentreWindow(QWidget &window)
{
    const QPoint frame = CentredFrame(window, window.size());
    if (AwaitingMap(window)) {
        WindowSettler &settler = WindowSettler::For(window);
        settler.AwaitMap();
        settler.Centred(window.size());
    }
    PlaceWindow(window, frame);
}

void SetWindowStates(QWidget &window, Qt::WindowStates states)
{
    WindowSettler *settler = WaitingSettler(window);
    if (settler == nullptr && AwaitingMap(window)) {
        settler = &WindowSettler::For(window);
        settler->AwaitMap();
    }
    if (settler != nullptr) {
        settler->SetStates(states);
        return;
    }
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
