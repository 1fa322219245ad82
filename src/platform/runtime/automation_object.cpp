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

// What the callee may assign: the converted by-reference arguments as it received them.
std::vector<Variant> ByRefSnapshot(const std::vector<ParamDesc>& params, const std::vector<Variant>& converted) {
    std::vector<Variant> snapshot;
    for (std::size_t i = 0; i < params.size(); ++i)
        if (params[i].by_ref) snapshot.push_back(converted[i]);
    return snapshot;
}

// By-reference parameters the callee assigned hand its values back to the caller; one it left
// alone comes back exactly as the caller passed it, type and value: the conversion worked on
// a copy.
void CopyBackByRef(const std::vector<ParamDesc>& params, const std::vector<Variant>& converted,
                   const std::vector<Variant>& snapshot, std::vector<Variant>& given) {
    std::size_t next = 0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (!params[i].by_ref) continue;
        const Variant& before = snapshot[next++];
        if (i < given.size() && !(converted[i] == before)) given[i] = converted[i];
    }
}

}  // namespace

Variant InvokeMember(AutomationObject& object, const MemberDesc& member, InvokeKind kind, std::vector<Variant>& args) {
    if (member.kind == MemberKind::Method) {
        if (kind != InvokeKind::Method && kind != InvokeKind::PropertyGet)
            throw AutomationError(error::kWrongArgumentCount);
        std::vector<Variant> converted = ConvertArguments(member.params, args);
        const std::vector<Variant> snapshot = ByRefSnapshot(member.params, converted);
        Variant result = member.call(object, converted);
        CopyBackByRef(member.params, converted, snapshot, args);
        return result;
    }

    if (kind == InvokeKind::Method || kind == InvokeKind::PropertyGet) {
        if (!member.CanGet()) throw AutomationError(error::kWrongArgumentCount);
        std::vector<Variant> index = ConvertArguments(member.params, args);
        const std::vector<Variant> snapshot = ByRefSnapshot(member.params, index);
        Variant result = member.get(object, index);
        CopyBackByRef(member.params, index, snapshot, args);
        return result;
    }

    // Puts: the value is the last argument.
    if (args.empty()) throw AutomationError(error::kWrongArgumentCount);
    const PutFn* put = nullptr;
    if (kind == InvokeKind::PropertyPutRef)
        put = member.CanPutRef() ? &member.put_ref : (member.CanPut() ? &member.put : nullptr);
    else put = member.CanPut() ? &member.put : (member.CanPutRef() ? &member.put_ref : nullptr);
    if (!put) throw AutomationError(error::kPropertyReadOnly);

    std::vector<Variant> given_index(args.begin(), args.end() - 1);
    std::vector<Variant> index = ConvertArguments(member.params, given_index);
    const std::vector<Variant> snapshot = ByRefSnapshot(member.params, index);
    Variant value = member.type.Coerce(args.back());
    if (!member.put_value_by_ref) {
        (*put)(object, index, value);
        CopyBackByRef(member.params, index, snapshot, args);
        return Variant();
    }
    const Variant converted = value;
    (*put)(object, index, value);
    CopyBackByRef(member.params, index, snapshot, args);
    if (!(value == converted)) args.back() = value;
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
