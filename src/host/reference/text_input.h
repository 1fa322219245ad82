#pragma once
// User input into the text boxes of the controls on a reference host's form: the focus moving
// between them and to the form, typed characters and keystrokes, mouse selection and the
// context-menu paste. A control takes input through its first text box constituent; a name the
// host does not know is 424, a control without a text box 438.
#include <cstdint>
#include <string>
#include <string_view>

#include "host/reference/reference_only.h"

namespace ov::host {

class ReferenceHost;
class TextBox;

TextBox& TextBoxOf(ReferenceHost& host, std::string_view name);

// The box takes the focus; one that has it elsewhere on the form leaves it first (and keeps
// it if its Validate cancels, in which case the focus does not move).
void FocusTextBox(ReferenceHost& host, std::string_view name);
// The focus moves to the form: Validate and LostFocus run, then pending messages. Nothing
// when the box does not have the focus.
void BlurTextBox(ReferenceHost& host, std::string_view name);
// Each character as a user types it, after the box takes the focus.
void TypeIntoTextBox(ReferenceHost& host, std::string_view name, std::string_view text);
// One keystroke as the keyboard sends it, after the box takes the focus.
void PressKeyInTextBox(ReferenceHost& host, std::string_view name, std::int16_t key_code, std::int16_t shift,
                       std::int16_t ascii);

}  // namespace ov::host
