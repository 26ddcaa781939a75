#include "platform/OVKeyEvent.h"

#include "platform/OVVirtualKey.h"

#include <QGuiApplication>
#include <QKeyEvent>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/XKBlib.h>

namespace ov {

namespace {

Display *XDisplay()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

// The keysym at the first shift level of an X key code in a keyboard group;
// 0 when unknown.
uint32_t UnshiftedKeysym(Display *display, uint32_t keyCode, unsigned group)
{
    if (display == nullptr || keyCode < 8 || keyCode > 255)
        return 0;
    return uint32_t(XkbKeycodeToKeysym(display, KeyCode(keyCode), int(group), 0));
}

// The unshifted keysym of the key pressed, in the event's keyboard group;
// a key of a layout without Latin letters (a second group, say) goes by the
// first group, where such keys are normally Latin.
uint32_t UnshiftedKeysymOf(const QKeyEvent &event)
{
    Display *display = XDisplay();
    const uint32_t keyCode = event.nativeScanCode();
    const unsigned group = (event.nativeModifiers() >> 13) & 3;  // the XKB group of a core event's state
    const uint32_t keysym = UnshiftedKeysym(display, keyCode, group);
    if (KeysymVirtualKeyCode(keysym) == 0 && group != 0)
        return UnshiftedKeysym(display, keyCode, 0);
    return keysym;
}

} // namespace

int VirtualKeyCodeOf(const QKeyEvent &event)
{
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    return KeyPressVirtualKeyCode(event.key(), keypad, event.nativeVirtualKey(),
                                  keypad ? 0 : UnshiftedKeysymOf(event));
}

} // namespace ov
