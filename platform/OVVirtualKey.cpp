#include "platform/OVVirtualKey.h"

#include <Qt>

namespace ov {

namespace {

// The keypad's own codes by the Qt key it reports, for key events that
// carry no keysym.
int KeypadKeyCode(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period: case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    default: return VirtualKeyCode(key);
    }
}

// The keypad's keysyms (0xFF80..0xFFB9).
int KeypadKeysymCode(uint32_t keysym)
{
    if (keysym >= 0xFFB0 && keysym <= 0xFFB9)  // KP_0 .. KP_9
        return 96 + int(keysym - 0xFFB0);
    switch (keysym) {
    case 0xFF89: return 0x09;   // KP_Tab
    case 0xFF8D: return 0x0D;   // KP_Enter
    case 0xFF95: return 0x24;   // KP_Home
    case 0xFF96: return 0x25;   // KP_Left
    case 0xFF97: return 0x26;   // KP_Up
    case 0xFF98: return 0x27;   // KP_Right
    case 0xFF99: return 0x28;   // KP_Down
    case 0xFF9A: return 0x21;   // KP_Prior
    case 0xFF9B: return 0x22;   // KP_Next
    case 0xFF9C: return 0x23;   // KP_End
    case 0xFF9D: return 0x0C;   // KP_Begin: the keypad's 5 without NumLock
    case 0xFF9E: return 0x2D;   // KP_Insert
    case 0xFF9F: return 0x2E;   // KP_Delete
    case 0xFFAA: return 106;    // KP_Multiply
    case 0xFFAB: return 107;    // KP_Add
    case 0xFFAC: return 110;    // KP_Separator: the decimal key of layouts that type a comma
    case 0xFFAD: return 109;    // KP_Subtract
    case 0xFFAE: return 110;    // KP_Decimal
    case 0xFFAF: return 111;    // KP_Divide
    default: return 0;
    }
}

} // namespace

int VirtualKeyCode(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;  // 'A'..'Z' share their codes
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

int KeysymVirtualKeyCode(uint32_t keysym)
{
    if (keysym >= 'a' && keysym <= 'z')
        return int(keysym - 'a' + 'A');
    if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9') || keysym == ' ')
        return int(keysym);
    if (keysym >= 0xFFBE && keysym <= 0xFFD5)  // F1 .. F24
        return 0x70 + int(keysym - 0xFFBE);
    if (keysym >= 0xFF80 && keysym <= 0xFFB9)
        return KeypadKeysymCode(keysym);
    switch (keysym) {
    case 0xFF08: return 0x08;   // BackSpace
    case 0xFF09: return 0x09;   // Tab
    case 0xFE20: return 0x09;   // ISO_Left_Tab: Shift+Tab
    case 0xFF0D: return 0x0D;   // Return
    case 0xFF13: return 0x13;   // Pause
    case 0xFF1B: return 0x1B;   // Escape
    case 0xFF50: return 0x24;   // Home
    case 0xFF51: return 0x25;   // Left
    case 0xFF52: return 0x26;   // Up
    case 0xFF53: return 0x27;   // Right
    case 0xFF54: return 0x28;   // Down
    case 0xFF55: return 0x21;   // Prior
    case 0xFF56: return 0x22;   // Next
    case 0xFF57: return 0x23;   // End
    case 0xFF61: return 0x2C;   // Print
    case 0xFF63: return 0x2D;   // Insert
    case 0xFFFF: return 0x2E;   // Delete
    case 0xFFE1: case 0xFFE2: return 0x10;  // Shift_L, Shift_R
    case 0xFFE3: case 0xFFE4: return 0x11;  // Control_L, Control_R
    case 0xFFE9: case 0xFFEA: return 0x12;  // Alt_L, Alt_R
    case 0xFFE5: return 0x14;   // Caps_Lock
    default: return 0;
    }
}

int KeyPressVirtualKeyCode(int qtKey, bool keypad, uint32_t keysym, uint32_t unshiftedKeysym)
{
    if (keypad) {
        const int code = KeysymVirtualKeyCode(keysym);
        return code != 0 ? code : KeypadKeyCode(qtKey);
    }
    const int code = KeysymVirtualKeyCode(unshiftedKeysym);
    return code != 0 ? code : VirtualKeyCode(qtKey);
}

} // namespace ov
