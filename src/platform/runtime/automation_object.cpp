#include "platform/runtime/automation_object.h"

#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

// Checks the count against the declared parameters and converts each given argument to its
// declared type. Omitted optional parameters are filled with Missing so the callee always
// sees the full list.
std::vector<Variant> ConvertArguments(const std::vector<ParamDesc>& params, const std::vector<Variant>& given) {
    std::size_t required = 0;
    for (const ParamDesc& p : params)
        if (!p.optional) ++required;
    if (given.size() > params.size() || given.size() < required) throw AutomationError(error::kWrongArgumentCount);
    std::vector<Variant> converted;
    converted.reserve(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (i >= given.size() || given[i].IsMissing()) {
            if (!params[i].optional) throw AutomationError(error::kWrongArgumentCount);
            converted.push_back(Variant::Missing());
        } else {
            converted.push_back(params[i].type.Coerce(given[i]));
        }
    }
    return converted;
}

// By-reference parameters hand the callee's final values back to the caller.
void CopyBackByRef(const std::vector<ParamDesc>& params, const std::vector<Variant>& converted,
                   std::vector<Variant>& given) {
    for (std::size_t i = 0; i < params.size() && i < given.size(); ++i)
        if (params[i].by_ref) given[i] = converted[i];
}

}  // namespace

Variant InvokeMember(AutomationObject& object, const MemberDesc& member, InvokeKind kind, std::vector<Variant>& args) {
    if (member.kind == MemberKind::Method) {
        if (kind != InvokeKind::Method && kind != InvokeKind::PropertyGet)
            throw AutomationError(error::kWrongArgumentCount);
        std::vector<Variant> converted = ConvertArguments(member.params, args);
        Variant result = member.call(object, converted);
        CopyBackByRef(member.params, converted, args);
        return result;
    }

    if (kind == InvokeKind::Method || kind == InvokeKind::PropertyGet) {
        if (!member.CanGet()) throw AutomationError(error::kWrongArgumentCount);
        std::vector<Variant> index = ConvertArguments(member.params, args);
        Variant result = member.get(object, index);
        CopyBackByRef(member.params, index, args);
        return result;
    }

    // Puts: the value is the last argument.
    if (args.empty()) throw AutomationError(error::kWrongArgumentCount);
    const PutFn* put = nullptr;
    if (kind == InvokeKind::PropertyPutRef) put = member.CanPutRef() ? &member.put_ref : (member.CanPut() ? &member.put : nullptr);
    else put = member.CanPut() ? &member.put : (member.CanPutRef() ? &member.put_ref : nullptr);
    if (!put) throw AutomationError(error::kPropertyReadOnly);

    std::vector<Variant> given_index(args.begin(), args.end() - 1);
    std::vector<Variant> index = ConvertArguments(member.params, given_index);
    Variant value = member.type.Coerce(args.back());
    (*put)(object, index, value);
    CopyBackByRef(member.params, index, args);
    if (member.put_value_by_ref) args.back() = value;
    return Variant();
}

std::int32_t AutomationObject::GetIDOfName(std::string_view name) const {
    if (const MemberDesc* m = Info().FindMember(name)) return m->dispid;
    return FallbackIDOfName(name);
}

Variant AutomationObject::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    try {
        if (const MemberDesc* m = Info().FindMember(dispid)) return InvokeMember(*this, *m, kind, args);
        return FallbackInvoke(dispid, kind, args);
    } catch (const AutomationError& error) {
        // The boundary of the class: an error its code raised without naming a source is
        // this class's; one a nested object raised keeps that object's name.
        if (error.has_source()) throw;
        throw error.WithSourceIfNone(Info().source);
    }
}

std::int32_t AutomationObject::FallbackIDOfName(std::string_view) const { return kDispidUnknown; }

Variant AutomationObject::FallbackInvoke(std::int32_t, InvokeKind, std::vector<Variant>&) {
    throw AutomationError(error::kObjectDoesntSupport);
}

}  // namespace ov
