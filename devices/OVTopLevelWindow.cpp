#include "devices/OVTopLevelWindow.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPoint>
#include <QPointer>
#include <QScreen>
#include <QGuiApplication>
#include <QSize>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>

namespace ov {

namespace {

const QString kKeeperName = QStringLiteral("ovTopLevelKeeper");

// Centres the window's client area of `size` with the frame the platform
// window knows (none before the manager has mapped it). The window is
// placed by its client area, which leaves no frame to be guessed, and its
// size is the one it was given: while the manager maps a window, the
// widget's own figures can pass through odd values.
void CentreWithFrame(QWidget &window, const QSize &size)
{
    const QScreen *screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QWindow *handle = window.windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    const QRect outer(QPoint(0, 0), size.grownBy(frame));
    const QPoint corner = screen->availableGeometry().center() - outer.center();
    window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), size));
}

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
    std::optional<QSize> centred;  // the size it was centred with
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
        // The manager's first word on the window, or the window on screen:
        // either way it has mapped it now; on screen, it has framed it too.
        // Acted on once the event is done.
        const bool managerState = event->type() == QEvent::WindowStateChange && event->spontaneous();
        const bool exposed = event->type() == QEvent::Expose && handle->isExposed();
        if (state && (managerState || exposed))
            QMetaObject::invokeMethod(this, &Keeper::SettleState, Qt::QueuedConnection);
        if (centred && exposed)
            QMetaObject::invokeMethod(this, &Keeper::CentreFramed, Qt::QueuedConnection);
        if (managerState && (position || size))
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
        if (window_ != nullptr && state
            && (window_->windowState() & kShownStates) != (*state & kShownStates))
            window_->setWindowState(*state);
        state.reset();
        ApplyGeometry();
    }

    void CentreFramed()
    {
        if (window_ != nullptr && centred)
            CentreWithFrame(*window_, *centred);
        centred.reset();
        EndWhenIdle();
    }

    void EndWhenIdle()
    {
        if (state || centred || position || size)
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

// The width a title bar needs for `title`: the text in a bold title font,
// and the room of a window menu, minimise, maximise and close button, each
// about as wide as the bar is high.
int TitleBarWidth(const QString &title)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = metrics.height() + 10;
    return metrics.horizontalAdvance(title) + 4 * bar;
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

// Dialogs that size themselves from their layouts when shown (message and
// input boxes) keep a width their layouts hold: an empty item that wide.
void WidenForTitle(QWidget &window)
{
    const int least = TitleBarWidth(window.windowTitle());
    (void)window.sizeHint();  // an input box makes its layout only when asked its size
    QLayout *layout = window.layout();
    if (auto *grid = qobject_cast<QGridLayout *>(layout))
        grid->addItem(new QSpacerItem(least, 0), grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
    else if (layout != nullptr)
        layout->addItem(new QSpacerItem(least, 0));
    window.setMinimumWidth(std::max(window.minimumWidth(), least));
}

void CentreOnScreen(QWidget &window)
{
    CentreWithFrame(window, window.size());
    if (AwaitingMap(window))
        EnsureKeeper(window).centred = window.size();
}

} // namespace ov
