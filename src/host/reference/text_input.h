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

class Control;
class ReferenceHost;
class TextBox;

TextBox& TextBoxOf(ReferenceHost& host, std::string_view name);
// The control's first text box, which takes its input; nullptr when it has none.
TextBox* FirstTextBox(const Control& control);

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

// The left mouse button on the box, at points in the control's scale units from its top-left
// corner. The press gives the box the focus first; when the focus cannot move to it (a
// Validate elsewhere cancels) nothing else happens.
// A click: MouseDown, MouseUp, Click; `shift` is the Shift argument (1 extends the selection).
void ClickTextBox(ReferenceHost& host, std::string_view name, float x, float y, std::int16_t shift);
// A drag from (x1, y1) to (x2, y2): MouseDown, MouseMove, MouseUp, Click.
void DragInTextBox(ReferenceHost& host, std::string_view name, float x1, float y1, float x2, float y2);
// A double click, as the platform delivers one: MouseDown, MouseUp, Click, DblClick, MouseUp.
void DoubleClickTextBox(ReferenceHost& host, std::string_view name, float x, float y);

}  // namespace ov::host
