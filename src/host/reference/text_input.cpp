#include "host/reference/text_input.h"

#include "host/reference/reference_host.h"
#include "host/contract/text_box.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

TextBox* FirstTextBox(const Control& control) {
    for (const auto& c : control.constituents())
        if (c->kind() == ConstituentKind::TextBox) return static_cast<TextBox*>(c.get());
    return nullptr;
}

namespace {

// The box that has the focus on the form, if any.
TextBox* FocusedTextBox(ReferenceHost& host) {
    for (const std::string& name : host.Names()) {
        Control* control = host.FindControl(name);
        TextBox* box = control ? FirstTextBox(*control) : nullptr;
        if (box && box->Focused()) return box;
    }
    return nullptr;
}

}  // namespace

TextBox& TextBoxOf(ReferenceHost& host, std::string_view name) {
    if (!host.Find(name)) throw AutomationError(error::kObjectRequired);
    Control* control = host.FindControl(name);
    TextBox* box = control ? FirstTextBox(*control) : nullptr;
    if (!box) throw AutomationError(error::kObjectDoesntSupport);
    return *box;
}

void FocusTextBox(ReferenceHost& host, std::string_view name) {
    TextBox& box = TextBoxOf(host, name);
    if (box.Focused()) return;
    if (TextBox* other = FocusedTextBox(host)) {
        if (!other->LeaveFocus()) return;
        other->owner().site()->ProcessPendingMessages();
        // A reaction of the box that left may have taken the focus back.
        if (other->Focused()) return;
    }
    box.SetFocus();
}

void BlurTextBox(ReferenceHost& host, std::string_view name) {
    TextBox& box = TextBoxOf(host, name);
    if (!box.LeaveFocus()) return;
    host.ProcessPendingMessages();
}

void TypeIntoTextBox(ReferenceHost& host, std::string_view name, std::string_view text) {
    FocusTextBox(host, name);
    TextBox& box = TextBoxOf(host, name);
    for (const char c : text) box.TypeCharacter(c);
}

void PressKeyInTextBox(ReferenceHost& host, std::string_view name, std::int16_t key_code, std::int16_t shift,
                       std::int16_t ascii) {
    FocusTextBox(host, name);
    TextBoxOf(host, name).Keystroke(key_code, shift, ascii);
}

namespace {

constexpr std::int16_t kLeftButton = 1;

// The box under the pointer after the press has moved the focus to it; nullptr when it could not.
TextBox* PressedTextBox(ReferenceHost& host, std::string_view name) {
    FocusTextBox(host, name);
    TextBox& box = TextBoxOf(host, name);
    return box.Focused() ? &box : nullptr;
}

}  // namespace

void ClickTextBox(ReferenceHost& host, std::string_view name, float x, float y, std::int16_t shift) {
    TextBox* box = PressedTextBox(host, name);
    if (!box) return;
    const auto bx = static_cast<float>(x - box->Left()), by = static_cast<float>(y - box->Top());
    box->MouseDown(kLeftButton, shift, bx, by);
    box->MouseUp(kLeftButton, shift, bx, by);
    box->Click();
}

void DragInTextBox(ReferenceHost& host, std::string_view name, float x1, float y1, float x2, float y2) {
    TextBox* box = PressedTextBox(host, name);
    if (!box) return;
    const auto left = static_cast<float>(box->Left()), top = static_cast<float>(box->Top());
    box->MouseDown(kLeftButton, 0, x1 - left, y1 - top);
    box->MouseMove(kLeftButton, 0, x2 - left, y2 - top);
    box->MouseUp(kLeftButton, 0, x2 - left, y2 - top);
    box->Click();
}

void DoubleClickTextBox(ReferenceHost& host, std::string_view name, float x, float y) {
    TextBox* box = PressedTextBox(host, name);
    if (!box) return;
    const auto bx = static_cast<float>(x - box->Left()), by = static_cast<float>(y - box->Top());
    box->MouseDown(kLeftButton, 0, bx, by);
    box->MouseUp(kLeftButton, 0, bx, by);
    box->Click();
    box->DoubleClick(bx, by);
    box->MouseUp(kLeftButton, 0, bx, by);
}

}  // namespace ov::host
