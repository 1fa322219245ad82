#pragma once
// The extender: members the host adds to every control it places (Name, Left, Top, Width,
// Height, Visible, Container), answering late-bound names the control's own table lacks.
// Position and visibility belong to the host's entry; the extent is the control's own.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

namespace ov::host {

struct HostEntry;

class ExtenderMembers {
public:
    // `form` is what Container gives for a control placed on the form.
    explicit ExtenderMembers(std::shared_ptr<IDispatch> form) : form_(std::move(form)) {}

    // The member's id, in a range no control table uses; kDispidUnknown for other names.
    std::int32_t IDOfName(std::string_view name) const;
    // Gets or puts member `dispid` of the control of `entry`. Name and Container are read-only
    // (450 on a put), an unknown id is 438.
    Variant Invoke(HostEntry& entry, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) const;

private:
    std::shared_ptr<IDispatch> form_;
};

}  // namespace ov::host
