// The virtual-key code of a key press in one of the program's windows (see
// OVVirtualKey). Under X the keyboard map names the key's unshifted keysym,
// as the event itself carries only the shifted one.
#pragma once

class QKeyEvent;

namespace ov {

int VirtualKeyCodeOf(const QKeyEvent &event);

} // namespace ov
