// Key codes as programs know them: the virtual-key numbers of the system the
// language was made for. A code names the physical key, not the character
// it typed: Shift+1 is the key "1" (49), and the keys of the numeric keypad
// have codes of their own ("0".."9" 96..105, "*" 106, "+" 107, "-" 109,
// "." 110, "/" 111).
#pragma once

#include <cstdint>

namespace ov {

// The virtual-key code of a Qt key (Qt::Key); 0 for a key without one.
int VirtualKeyCode(int qtKey);

// The virtual-key code of an X keysym; 0 for a keysym without one.
int KeysymVirtualKeyCode(uint32_t keysym);

// The virtual-key code of a key press. A keypad key goes by the keysym it
// produced, so that NumLock decides between its digit and its arrow; any
// other key by the keysym of the key unshifted. Where these keysyms are
// unknown (0) or name no key, the Qt key decides.
int KeyPressVirtualKeyCode(int qtKey, bool keypad, uint32_t keysym, uint32_t unshiftedKeysym);

} // namespace ov
