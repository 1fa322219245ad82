#pragma once
// The text a keystroke would leave in the box, built before the box applies it, so the mask
// engine can judge it first. t is the current text, s the caret (selection start) and n the
// selection length; both are clamped to the text.
#include <string>
#include <string_view>

namespace ov::maskedit {

// KeyPress: Backspace (8) removes the selection, or the character before the caret; any other
// code — control characters included — puts its character in place of the selection.
std::string KeyPressCandidate(std::string_view t, int s, int n, int key_ascii);

// Delete: removes the selection, or the character after the caret (nothing at the end).
std::string DeleteCandidate(std::string_view t, int s, int n);

}  // namespace ov::maskedit
