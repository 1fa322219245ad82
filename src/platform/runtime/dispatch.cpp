#include "platform/runtime/dispatch.h"

#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

std::int32_t RequireDispid(const IDispatch& object, std::string_view name) {
    const std::int32_t dispid = object.GetIDOfName(name);
    if (dispid == kDispidUnknown) throw AutomationError(error::kObjectDoesntSupport);
    return dispid;
}

}  // namespace

Variant GetProperty(IDispatch& object, std::string_view name, std::vector<Variant> args) {
    return object.Invoke(RequireDispid(object, name), InvokeKind::PropertyGet, args);
}

void PutProperty(IDispatch& object, std::string_view name, Variant value, std::vector<Variant> args) {
    const std::int32_t dispid = RequireDispid(object, name);
    args.push_back(std::move(value));
    object.Invoke(dispid, InvokeKind::PropertyPut, args);
}

void PutPropertyRef(IDispatch& object, std::string_view name, Variant value) {
    const std::int32_t dispid = RequireDispid(object, name);
    std::vector<Variant> args{std::move(value)};
    object.Invoke(dispid, InvokeKind::PropertyPutRef, args);
}

Variant CallMethod(IDispatch& object, std::string_view name, std::vector<Variant>& args) {
    return object.Invoke(RequireDispid(object, name), InvokeKind::Method, args);
}

}  // namespace ov
