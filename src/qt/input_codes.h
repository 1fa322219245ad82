#pragma once
// Qt's keyboard and mouse vocabulary in the controls' terms: virtual key codes for KeyDown and
// KeyUp, the character code of KeyPress, the Shift argument's bits (1 Shift, 2 Ctrl, 4 Alt) and
// the Button argument's (1 left, 2 right, 4 middle).
#include <QString>
#include <Qt>
#include <cstdint>

namespace ov::qt {

// The virtual key code of a Qt key, 0 for a key the platform has no code for. Letters are their
// capitals and digits their characters whatever the shift state, as the platform's codes are.
std::int16_t VirtualKeyCode(int qt_key);
std::int16_t ShiftState(Qt::KeyboardModifiers modifiers);
std::int16_t ButtonState(Qt::MouseButtons buttons);
// The character a key press types as KeyPress sees it (a Windows-1252 code 1..255), 0 for a key
// that types none: the text Qt reports, or for Ctrl with a letter the control code (Ctrl+C is
// 3), and Enter, Backspace, Tab and Escape as 13, 8, 9 and 27.
std::int16_t KeyAsciiCode(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text);

}  // namespace ov::qt
