#include "host/reference/extender_members.h"

#include "host/contract/control.h"
#include "host/reference/focus_order.h"
#include "host/reference/object_registry.h"
#include "host/contract/visual_changes.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

namespace {

constexpr std::int32_t kExtenderBase = 0x60000000;
enum ExtenderMember : std::int32_t {
    kName = 1,
    kLeft,
    kTop,
    kWidth,
    kHeight,
    kVisible,
    kContainer,
    kTabIndex,
    kTabStop
};

struct ExtenderName {
    const char* name;
    std::int32_t id;
};
constexpr ExtenderName kExtenderNames[] = {{"Name", kName},           {"Left", kLeft},         {"Top", kTop},
                                           {"Width", kWidth},         {"Height", kHeight},     {"Visible", kVisible},
                                           {"Container", kContainer}, {"TabIndex", kTabIndex}, {"TabStop", kTabStop}};

Variant Single(double v) { return Variant::FromSingle(static_cast<float>(v)); }

}  // namespace

std::int32_t ExtenderMembers::IDOfName(std::string_view name) const {
    for (const ExtenderName& n : kExtenderNames)
        if (EqualsIgnoreCase(n.name, name)) return kExtenderBase + n.id;
    return kDispidUnknown;
}

Variant ExtenderMembers::Invoke(HostEntry& entry, std::int32_t dispid, InvokeKind kind,
                                std::vector<Variant>& args) const {
    Control& control = *entry.control;
    const bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    if (put ? args.size() != 1 : !args.empty()) throw AutomationError(error::kWrongArgumentCount);
    if (put) NoteVisualChange();
    switch (dispid - kExtenderBase) {
        case kName:
            if (put) throw AutomationError(error::kWrongArgumentCount);
            return Variant::FromString(entry.name);
        case kLeft:
            if (put) entry.left = CSng(args[0]);
            return put ? Variant() : Single(entry.left);
        case kTop:
            if (put) entry.top = CSng(args[0]);
            return put ? Variant() : Single(entry.top);
        case kWidth:
            if (put) control.SetExtent(CSng(args[0]), control.Height());
            return put ? Variant() : Single(control.Width());
        case kHeight:
            if (put) control.SetExtent(control.Width(), CSng(args[0]));
            return put ? Variant() : Single(control.Height());
        case kVisible:
            if (put) entry.visible = CBool(args[0]);
            return put ? Variant() : Variant::FromBoolean(entry.visible);
        case kContainer:
            if (put) throw AutomationError(error::kWrongArgumentCount);
            return Variant::FromObject(entry.container ? std::shared_ptr<IDispatch>(entry.container->object) : form_);
        case kTabIndex:
            if (put) SetTabIndex(objects_, entry, CInt(args[0]));
            return put ? Variant() : Variant::FromInteger(static_cast<std::int16_t>(TabIndexOf(objects_, entry)));
        case kTabStop:
            if (put) entry.tab_stop = CBool(args[0]);
            return put ? Variant() : Variant::FromBoolean(entry.tab_stop);
        default: throw AutomationError(error::kObjectDoesntSupport);
    }
}

}  // namespace ov::host
