// OVMaskedTextBox driven by random keystroke sequences. Input: one byte choosing the input
// format, the mask up to the first NUL, then one operation per byte: printable bytes and bytes
// above 127 are typed, low bytes press a key, select, paste or move the focus away. After
// every operation the box's colour must tell the truth: red means the shown text breaks the mask
// and Text is "", black means both the shown text and Text satisfy it.
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "host/contract/text_box.h"
#include "maskedit/mask_engine.h"
#include "maskedit/masked_text_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"

namespace {

using ov::host::TextBox;
namespace keys = ov::host::keys;

void Operate(TextBox& txt, unsigned char op) {
    switch (op % 16) {
        case 0: txt.Keystroke(keys::kBackspace, 0, keys::kBackspace); break;
        case 1: txt.Keystroke(keys::kDelete, 0, 0); break;
        case 2: txt.Keystroke(keys::kHome, 0, 0); break;
        case 3: txt.Keystroke(keys::kEnd, 0, 0); break;
        case 4: txt.Keystroke(keys::kLeft, 0, 0); break;
        case 5: txt.Keystroke(keys::kRight, keys::kShiftMask, 0); break;
        case 6: txt.Keystroke(keys::kLeft, keys::kShiftMask, 0); break;
        case 7: txt.Keystroke('C', keys::kCtrlMask, keys::kCopy); break;
        case 8: txt.Keystroke('X', keys::kCtrlMask, keys::kCut); break;
        case 9: txt.Keystroke('V', keys::kCtrlMask, keys::kPaste); break;
        case 10: txt.Keystroke(keys::kEnter, 0, keys::kEnter); break;
        case 11: txt.DragSelect(op / 16, 3); break;
        case 12: txt.MenuPaste(std::string(1 + op / 64, static_cast<char>('0' + op % 10))); break;
        case 13: txt.LeaveFocus(); break;
        case 14: txt.SetFocus(); break;
        default: txt.DragSelect(0, 0); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // One host for the whole run (its form surface is costly to make); each input gets a new
    // control and an empty clipboard, so a finding replays alone. Only the control under test
    // is registered, so the target needs no other control.
    static const ov::host::ClassRegistry registry = [] {
        ov::host::ClassRegistry r;
        r.Add(ov::host::ControlEntry<ov::maskedit::OVMaskedTextBox>("OVMaskedTextBox", ov::maskedit::kNewInstanceWidth,
                                                                    ov::maskedit::kNewInstanceHeight));
        return r;
    }();
    static ov::host::ReferenceHost host(registry);
    host.SetNow(45444.5);
    *host.ClipboardText() = "";
    host.New("M", "OVMaskedTextBox");
    struct Unload {
        ~Unload() { host.Terminate("M"); }
    } unload;
    auto& box = dynamic_cast<ov::maskedit::OVMaskedTextBox&>(*host.FindControl("M"));
    std::string_view mask, ops;
    SplitInput(data + 1, size - 1, mask, ops);
    if (mask.size() > 64 || ops.size() > 256) return 0;
    try {
        ov::PutProperty(*host.Find("M"), "InputFormat", ov::Variant::FromLong(data[0] % 3));
        ov::PutProperty(*host.Find("M"), "Mask", ov::Variant::FromString(std::string(mask)));
        ov::PutProperty(*host.Find("M"), "OnInvalidEntry", ov::Variant::FromLong(data[0] / 3 % 3));
    } catch (const ov::AutomationError&) {}
    TextBox& txt = box.txt();
    txt.SetFocus();
    const auto context = ov::maskedit::MaskContext::At(45444.5);
    for (const char c : ops) {
        const auto op = static_cast<unsigned char>(c);
        if (op >= 32) txt.TypeCharacter(c);
        else Operate(txt, op);
        // The colour is that of the last validation of the box's text, and every edit
        // validates again: it must agree with the engine's verdict on the text shown now.
        const std::int32_t colour = txt.ForeColor();
        const bool valid = ov::maskedit::IsTextValid(txt.Text(), box.Mask(), box.InputFormat(), context).valid;
        const std::string text = box.Text();
        if (colour == ov::maskedit::kInvalidColour && (valid || !text.empty())) std::abort();
        if (colour == ov::maskedit::kValidColour &&
            (!valid || !ov::maskedit::IsTextValid(text, box.Mask(), box.InputFormat(), context).valid))
            std::abort();
    }
    return 0;
}
