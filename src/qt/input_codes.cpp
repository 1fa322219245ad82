#include "qt/input_codes.h"

#include "platform/codepage/windows1252.h"

namespace ov::qt {

namespace {

struct KeyPair {
    int qt_key;
    std::int16_t code;
};

// Keys whose Qt code is not the platform's; letters, digits and space are the same in both.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, 8},     {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
    {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},      {Qt::Key_Alt, 18},         {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},     {Qt::Key_Escape, 27},      {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},     {Qt::Key_End, 35},         {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},         {Qt::Key_Up, 38},          {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},         {Qt::Key_Insert, 45},      {Qt::Key_Delete, 46},
    {Qt::Key_NumLock, 144},     {Qt::Key_ScrollLock, 145}, {Qt::Key_Semicolon, 186},
    {Qt::Key_Equal, 187},       {Qt::Key_Comma, 188},      {Qt::Key_Minus, 189},
    {Qt::Key_Period, 190},      {Qt::Key_Slash, 191},      {Qt::Key_QuoteLeft, 192},
    {Qt::Key_BracketLeft, 219}, {Qt::Key_Backslash, 220},  {Qt::Key_BracketRight, 221},
    {Qt::Key_Apostrophe, 222},
};

}  // namespace

std::int16_t VirtualKeyCode(int qt_key) {
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) ||
        qt_key == Qt::Key_Space)
        return static_cast<std::int16_t>(qt_key);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return static_cast<std::int16_t>(112 + (qt_key - Qt::Key_F1));
    for (const KeyPair& pair : kKeys)
        if (pair.qt_key == qt_key) return pair.code;
    return 0;
}

std::int16_t ShiftState(Qt::KeyboardModifiers modifiers) {
    std::int16_t shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}

std::int16_t ButtonState(Qt::MouseButtons buttons) {
    std::int16_t button = 0;
    if (buttons & Qt::LeftButton) button |= 1;
    if (buttons & Qt::RightButton) button |= 2;
    if (buttons & Qt::MiddleButton) button |= 4;
    return button;
}

std::int16_t KeyAsciiCode(int qt_key, Qt::KeyboardModifiers modifiers, const QString& text) {
    // Ctrl with a letter types the letter's control code whatever text the platform reports.
    if ((modifiers & Qt::ControlModifier) && qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return static_cast<std::int16_t>(qt_key - Qt::Key_A + 1);
    switch (qt_key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Escape: return 27;
        default: break;
    }
    if (text.isEmpty()) return 0;
    const std::string single_byte = codepage::Utf8ToWindows1252(text.left(1).toStdString());
    if (single_byte.empty()) return 0;
    const auto code = static_cast<unsigned char>(single_byte[0]);
    // Control characters other than the ones above type nothing.
    return code < 32 || code == 127 ? 0 : static_cast<std::int16_t>(code);
}

}  // namespace ov::qt
