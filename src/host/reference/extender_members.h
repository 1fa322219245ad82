#pragma once
// The extender: members the host adds to every control it places (Name, Left, Top, Width,
// Height, Visible, Container, TabIndex, TabStop), answering late-bound names the control's own
// table lacks. Position, visibility and the place in the tab order belong to the host's entry;
// the extent is the control's own.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

namespace ov::host {

struct HostEntry;
class ObjectRegistry;

class ExtenderMembers {
public:
    // `form` is what Container gives for a control placed on the form; `objects` holds the
    // entries whose tab order TabIndex reads and changes.
    ExtenderMembers(std::shared_ptr<IDispatch> form, const ObjectRegistry& objects)
        : form_(std::move(form)), objects_(objects) {}

    // The member's id, in a range no control table uses; kDispidUnknown for other names.
    std::int32_t IDOfName(std::string_view name) const;
    // Gets or puts member `dispid` of the control of `entry`. Name and Container are read-only
    // (450 on a put), an unknown id is 438.
    Variant Invoke(HostEntry& entry, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) const;

private:
    std::shared_ptr<IDispatch> form_;
    const ObjectRegistry& objects_;
};

}  // namespace ov::host
