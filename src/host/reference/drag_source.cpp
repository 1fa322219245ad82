#include "host/reference/drag_source.h"

#include "host/contract/text_box.h"
#include "host/reference/drop_target.h"
#include "host/reference/reference_host.h"
#include "host/reference/text_input.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"

namespace ov::host {

namespace {

TextBox* InputTextBoxOf(const ReferenceHost& host, const std::string& control) {
    const Control* c = host.FindControl(control);
    return c ? InputTextBox(*c) : nullptr;
}

}  // namespace

OutgoingDrag BeginDrag(ReferenceHost& host, const std::string& control) {
    OutgoingDrag drag{control, "surface", std::make_shared<DataObject>(), kDropEffectCopy | kDropEffectMove};
    if (const TextBox* box = InputTextBoxOf(host, control)) {
        drag.target = box->QualifiedName();
        if (box->SelLength() > 0) drag.data->SetText(box->SelText());
    }
    try {
        for (const ChangedArgument& changed :
             host.Fire(control, drag.target, "OLEStartDrag",
                       {Variant::FromObject(drag.data), Variant::FromLong(drag.allowed)}))
            if (EqualsIgnoreCase(changed.name, "AllowedEffects")) drag.allowed = CLng(changed.value);
    } catch (const AutomationError&) {
        drag.allowed = kDropEffectNone;  // a handler that fails starts no drag
    }
    if (!drag.data->HasFormat(kDataFormatText) && !drag.data->HasFormat(kDataFormatFiles))
        drag.allowed = kDropEffectNone;
    return drag;
}

void EndDrag(ReferenceHost& host, const OutgoingDrag& drag, std::int32_t effect) {
    if (effect == kDropEffectMove)
        if (TextBox* box = InputTextBoxOf(host, drag.control); box && box->SelLength() > 0) {
            try {
                box->MenuPaste("");
            } catch (const AutomationError&) {
            }
        }
    try {
        host.Fire(drag.control, drag.target, "OLECompleteDrag", {Variant::FromLong(effect)});
    } catch (const AutomationError&) {
    }
}

}  // namespace ov::host
