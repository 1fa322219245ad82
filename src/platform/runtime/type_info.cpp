#include "platform/runtime/type_info.h"

#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov {

namespace {

// An object where a value is expected stands for its default member (dispatch id 0), as in
// the language: a picture assigned to a Long gives its Handle. An object without one, or
// Nothing, stays a type mismatch.
Variant DefaultMemberValue(const Variant& value) {
    if (value.type() != VarType::Object || !value.object()) throw AutomationError(error::kTypeMismatch);
    std::vector<Variant> none;
    Variant member;
    try {
        member = value.object()->Invoke(0, InvokeKind::PropertyGet, none);
    } catch (const AutomationError& error) {
        if (error.number() == error::kObjectDoesntSupport) throw AutomationError(error::kTypeMismatch);
        throw;
    }
    if (member.type() == VarType::Object) throw AutomationError(error::kTypeMismatch);
    return member;
}

}  // namespace

TypeDesc TypeDesc::Void() { return TypeDesc{Kind::Void, VarType::Empty, "void"}; }

TypeDesc TypeDesc::Of(VarType type) { return TypeDesc{Kind::Value, type, VarTypeName(type)}; }

TypeDesc TypeDesc::AnyVariant() { return TypeDesc{Kind::Variant, VarType::Empty, "Variant"}; }

TypeDesc TypeDesc::Color() { return TypeDesc{Kind::Color, VarType::Long, "OLE_COLOR"}; }

TypeDesc TypeDesc::Enum(std::string enumeration) { return TypeDesc{Kind::Enum, VarType::Long, std::move(enumeration)}; }

TypeDesc TypeDesc::Object(std::string class_name) {
    return TypeDesc{Kind::Object, VarType::Object, std::move(class_name)};
}

Variant TypeDesc::Coerce(const Variant& value) const {
    switch (kind) {
        case Kind::Void:
        case Kind::Variant: return value;
        case Kind::Object: {
            // An object of another class than the one declared is a type mismatch, as the
            // platform's typed object parameters refuse it; "Object" takes any.
            std::shared_ptr<IDispatch> object = CObj(value);
            if (object && name != "Object" && object->TypeName() != name) throw AutomationError(error::kTypeMismatch);
            return Variant::FromObject(std::move(object));
        }
        case Kind::Value:
        case Kind::Enum:
        case Kind::Color: return ConvertTo(value.type() == VarType::Object ? DefaultMemberValue(value) : value, var);
    }
    return value;
}

ParamDesc In(std::string name, TypeDesc type) { return ParamDesc{std::move(name), std::move(type), false, false}; }
ParamDesc Ref(std::string name, TypeDesc type) { return ParamDesc{std::move(name), std::move(type), false, true}; }
ParamDesc Opt(std::string name, TypeDesc type) { return ParamDesc{std::move(name), std::move(type), true, false}; }

const MemberDesc* ClassInfo::FindMember(std::string_view member_name) const {
    for (const MemberDesc& m : members)
        if (EqualsIgnoreCase(m.name, member_name)) return &m;
    return nullptr;
}

const MemberDesc* ClassInfo::FindMember(std::int32_t dispid) const {
    for (const MemberDesc& m : members)
        if (m.dispid == dispid) return &m;
    return nullptr;
}

const EventDesc* ClassInfo::FindEvent(std::string_view event_name) const {
    for (const EventDesc& e : events)
        if (EqualsIgnoreCase(e.name, event_name)) return &e;
    return nullptr;
}

const EventDesc* ClassInfo::FindEvent(std::int32_t dispid) const {
    for (const EventDesc& e : events)
        if (e.dispid == dispid) return &e;
    return nullptr;
}

Variant ClassInfo::DefaultOf(std::string_view member_name) const {
    const MemberDesc* m = FindMember(member_name);
    return m && m->default_value && m->default_value->source == ValueSource::Table ? m->default_value->value
                                                                                   : Variant();
}

std::string_view ValueSourceName(ValueSource source) {
    switch (source) {
        case ValueSource::Table: return "Table";
        case ValueSource::AmbientFont: return "AmbientFont";
        case ValueSource::ControlFont: return "ControlFont";
        case ValueSource::AmbientDisplayName: return "AmbientDisplayName";
    }
    return "Table";
}

std::string_view CategoryName(Category category) {
    switch (category) {
        case Category::Misc: return "Misc";
        case Category::Appearance: return "Appearance";
        case Category::Behavior: return "Behavior";
        case Category::Font: return "Font";
        case Category::Text: return "Text";
    }
    return "Misc";
}

const EnumDesc* ClassInfo::FindEnum(std::string_view enum_name) const {
    for (const EnumDesc& e : enums)
        if (EqualsIgnoreCase(e.name, enum_name)) return &e;
    return nullptr;
}

}  // namespace ov
