#include "devices/OVTopLevelWindow.h"

#include <QEvent>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace ov {

namespace {

const QString kKeeperName = QStringLiteral("ovTopLevelKeeper");

// What a window was asked while the window manager could not yet carry it
// out: a state until the window is mapped, a place and size until it is
// restored. One per window, a child of it; it goes when nothing waits.
class Keeper : public QObject {
public:
    explicit Keeper(QWidget &window) : QObject(&window), window_(&window)
    {
        setObjectName(kKeeperName);
        window.windowHandle()->installEventFilter(this);
    }

    std::optional<Qt::WindowStates> state;
    std::optional<QPoint> position;
    std::optional<QSize> size;

    // Places and sizes the window as last asked, once it is not minimised.
    void ApplyGeometry()
    {
        if (window_ != nullptr && !window_->windowState().testFlag(Qt::WindowMinimized)) {
            if (position)
                window_->move(*position);
            if (size)
                window_->resize(*size);
            position.reset();
            size.reset();
        }
        EndWhenIdle();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *handle = qobject_cast<QWindow *>(watched);
        if (handle == nullptr)
            return false;
        const bool managerState = event->type() == QEvent::WindowStateChange && event->spontaneous();
        // The manager's first word on the window, or the window on screen:
        // either way it has mapped it now. Acted on once the event is done.
        if (state && (managerState || (event->type() == QEvent::Expose && handle->isExposed())))
            QMetaObject::invokeMethod(this, &Keeper::SettleState, Qt::QueuedConnection);
        else if (managerState && (position || size))
            QMetaObject::invokeMethod(this, &Keeper::ApplyGeometry, Qt::QueuedConnection);
        return false;
    }

private:
    static constexpr Qt::WindowStates kShownStates =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

    // The window goes back to the state asked when the manager mapped it
    // otherwise.
    void SettleState()
    {
        if (!state)
            return;
        const Qt::WindowStates asked = *state;
        state.reset();
        if (window_ != nullptr && (window_->windowState() & kShownStates) != (asked & kShownStates))
            window_->setWindowState(asked);
        ApplyGeometry();
    }

    void EndWhenIdle()
    {
        if (state || position || size)
            return;
        setObjectName(QString());  // no longer found while it waits to go
        deleteLater();
    }

    QPointer<QWidget> window_;
};

Keeper *KeeperOf(const QWidget &window)
{
    return window.findChild<Keeper *>(kKeeperName, Qt::FindDirectChildrenOnly);
}

Keeper &EnsureKeeper(QWidget &window)
{
    Keeper *keeper = KeeperOf(window);
    return keeper != nullptr ? *keeper : *new Keeper(window);
}

// Shown, but not yet mapped by the window manager.
bool AwaitingMap(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    return window.isVisible() && handle != nullptr && !handle->isExposed();
}

bool KeptMinimised(const QWidget &window)
{
    return window.isVisible() && TopLevelState(window).testFlag(Qt::WindowMinimized);
}

} // namespace

void SetTopLevelState(QWidget &window, Qt::WindowStates states)
{
    window.setWindowState(states);
    Keeper *keeper = KeeperOf(window);
    if (AwaitingMap(window))
        EnsureKeeper(window).state = states;
    else if (keeper != nullptr) {
        keeper->state.reset();  // the manager has the window: the state holds as asked
        keeper->ApplyGeometry();
    }
}

Qt::WindowStates TopLevelState(const QWidget &window)
{
    const Keeper *keeper = KeeperOf(window);
    return keeper != nullptr && keeper->state ? *keeper->state : window.windowState();
}

void MoveTopLevel(QWidget &window, const QPoint &position)
{
    if (KeptMinimised(window))
        EnsureKeeper(window).position = position;
    else
        window.move(position);
}

void ResizeTopLevel(QWidget &window, const QSize &size)
{
    if (KeptMinimised(window))
        EnsureKeeper(window).size = size;
    else
        window.resize(size);
}

} // namespace ov
