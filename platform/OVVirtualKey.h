// Key codes as programs know them: the virtual-key numbers of the system the
// language was made for, from Qt's key codes.
#pragma once

namespace ov {

// The virtual-key code of a Qt key (Qt::Key); 0 for a key without one.
int VirtualKeyCode(int qtKey);

} // namespace ov
