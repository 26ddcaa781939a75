#include "devices/OVKeyPreview.h"

#include "devices/OVGraphState.h"
#include "platform/OVKeyEvent.h"

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace ov {

TKeyPreview::TKeyPreview(QWidget &window) : QObject(&window), window_(window)
{
    window.installEventFilter(this);
}

// A key press comes to the native window once and is handed from there to
// the focused widget, which may pass it on to its parents. The native window
// is made anew whenever the widget is shown after being destroyed: the
// preview watches each one as the widget shows.
bool TKeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &window_) {
        if (event->type() == QEvent::Show && window_.windowHandle() != nullptr)
            window_.windowHandle()->installEventFilter(this);
    } else if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        NoteProgramKey(VirtualKeyCodeOf(*key), key->text());
    }
    return false;
}

} // namespace ov
