#pragma once
// The member table of an automation class: every property, method, event, enumeration and
// persisted key is declared once, and that one declaration drives the type library, late-bound
// dispatch (automation_object.h) and the property bag helpers (Control::ReadPersisted and
// WritePersisted in the host).
//
// A class declares its table with ClassBuilder<T>:
//
//   const ClassInfo& OV3DLine::StaticInfo() {   // Info() const override { return StaticInfo(); }
//       static const ClassInfo info = ClassBuilder<OV3DLine>("OV3DLine")
//           .Property("ForeColor", 1, TypeDesc::Color(), &OV3DLine::ForeColor, &OV3DLine::SetForeColor)
//               .Help("Line's forecolor").Default(Variant::FromLong(kButtonShadow))
//           .Property("Orientation", 3, TypeDesc::Enum("lOrientation"), ...).Default(Variant::FromLong(0))
//           .Enum("lOrientation", {{"Horizontal", 0}, {"Vertical", 1}})
//           .Persist("Orientation")        // through the property's put and get
//           .Persist("ForeColor", load, save)  // members set directly
//           .Build();
//
// A property's default is declared once, on the property: persisted keys read and write with
// it, and new-instance defaults read it with ClassInfo::DefaultOf.
//       return info;
//   }
//
// Typed accessors (bool, std::int16_t, std::int32_t, float, double, std::string, Variant,
// std::shared_ptr<IDispatch>) are wrapped so the callee sees a value already converted to the
// declared type; lambdas taking Variant give full control (index arguments, by-reference values).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

namespace ov {

class AutomationObject;

// The declared type of a property, parameter or return value.
struct TypeDesc {
    enum class Kind : std::uint8_t { Void, Value, Variant, Enum, Color, Object };
    Kind kind = Kind::Void;
    VarType var = VarType::Empty;  // storage type of Value, Enum (Long), Color (Long), Object
    std::string name;              // as the type library shows it: "Integer", "OLE_COLOR", "lOrientation"

    static TypeDesc Void();
    static TypeDesc Of(VarType type);                  // Boolean, Byte, Integer, Long, Single, Double, Date, String
    static TypeDesc AnyVariant();                      // "Variant": passed through unconverted
    static TypeDesc Color();                           // "OLE_COLOR": a Long
    static TypeDesc Enum(std::string enumeration);     // a Long named by its enumeration
    static TypeDesc Object(std::string class_name);    // "StdFont", "StdPicture", "Object", a control class

    bool IsVoid() const { return kind == Kind::Void; }
    bool IsObject() const { return kind == Kind::Object; }

    // Converts a value to this type with the runtime's conversions (13 type mismatch, 6
    // overflow). Variant passes anything; Object accepts an object or Nothing only.
    Variant Coerce(const Variant& value) const;
};

struct ParamDesc {
    std::string name;
    TypeDesc type;
    bool optional = false;
    bool by_ref = false;
};

// Shorthands for parameter lists: In("X", TypeDesc::Of(VarType::Single)), Ref(...), Opt(...).
ParamDesc In(std::string name, TypeDesc type);
ParamDesc Ref(std::string name, TypeDesc type);
ParamDesc Opt(std::string name, TypeDesc type);

enum class MemberKind : std::uint8_t { Property, Method };

// Index arguments come first; a put receives its value separately. Both may be changed by the
// callee and are reported back to by-reference callers.
using GetFn = std::function<Variant(AutomationObject&, std::vector<Variant>& index)>;
using PutFn = std::function<void(AutomationObject&, std::vector<Variant>& index, Variant& value)>;
using CallFn = std::function<Variant(AutomationObject&, std::vector<Variant>& args)>;

struct MemberDesc {
    std::string name;
    std::int32_t dispid = 0;
    MemberKind kind = MemberKind::Property;
    TypeDesc type;                  // property value type, or method return type
    std::vector<ParamDesc> params;  // method parameters, or a property's index parameters
    std::string help;
    bool put_value_by_ref = false;  // the put takes its value argument by reference
    bool hidden = false;            // kept out of the host's property browser
    GetFn get;                      // property get (empty: write-only)
    PutFn put;                      // property put (Let)
    PutFn put_ref;                  // property put by reference (Set), for objects
    CallFn call;                    // method body
    // The property's default: the value a new instance starts with and, for a persisted
    // property, the value its key is read and written with (declared once, on the property).
    std::optional<Variant> default_value;
    // The name a put of this property notifies the host with, where it is not the property's
    // own name (Notifies); designers match change notifications to properties by it.
    std::optional<std::string> notification;

    std::string NotificationName() const { return notification.value_or(name); }

    bool CanGet() const { return static_cast<bool>(get); }
    bool CanPut() const { return static_cast<bool>(put); }
    bool CanPutRef() const { return static_cast<bool>(put_ref); }
};

struct EventDesc {
    std::string name;
    std::int32_t dispid = 0;  // 1, 2, ... in declaration order
    std::vector<ParamDesc> params;
    std::string help;
};

struct EnumDesc {
    std::string name;
    std::vector<std::pair<std::string, std::int32_t>> values;
};

// One persisted key. Load receives the bag's value converted to `type` (a conversion failure
// is the runtime's error and skips the key); save returns the value to store.
using LoadFn = std::function<void(AutomationObject&, const Variant&)>;
using SaveFn = std::function<Variant(AutomationObject&)>;

struct PersistDesc {
    std::string key;
    Variant default_value;
    TypeDesc type;
    LoadFn load;
    SaveFn save;
};

// The library every class of the type library belongs to, and a class's ProgID in it.
inline constexpr std::string_view kLibraryName = "OrvelleControls";
inline std::string ProgIdOf(std::string_view class_name) {
    return std::string(kLibraryName) + "." + std::string(class_name);
}

struct ClassInfo {
    std::string name;                 // "OV3DLine"
    std::string help;                 // class documentation string (may be empty)
    // What an error leaving this class's members names as its source when the code that
    // raised it named none: the class's ProgID by default.
    std::string source;
    bool is_control = false;          // has the control lifecycle and an event interface
    std::vector<MemberDesc> members;  // declaration order
    std::vector<EventDesc> events;    // declaration order, dispid 1, 2, ...
    std::vector<EnumDesc> enums;
    std::vector<PersistDesc> persisted;  // read and written in this order

    std::string InterfaceName() const { return "_" + name; }
    std::string EventInterfaceName() const { return "__" + name; }

    // Case-insensitive lookups; nullptr when absent.
    const MemberDesc* FindMember(std::string_view member_name) const;
    const MemberDesc* FindMember(std::int32_t dispid) const;
    const EventDesc* FindEvent(std::string_view event_name) const;
    const EventDesc* FindEvent(std::int32_t dispid) const;
    const EnumDesc* FindEnum(std::string_view enum_name) const;
    // The declared default of a property; Empty when it declares none.
    Variant DefaultOf(std::string_view member_name) const;
};

// --- typed value adapters --------------------------------------------------------------------
namespace detail {

template <class V>
V FromVariant(const Variant& v) {
    using D = std::decay_t<V>;
    if constexpr (std::is_same_v<D, Variant>) return v;
    else if constexpr (std::is_same_v<D, bool>) return CBool(v);
    else if constexpr (std::is_same_v<D, std::uint8_t>) return CByte(v);
    else if constexpr (std::is_same_v<D, std::int16_t>) return CInt(v);
    else if constexpr (std::is_same_v<D, std::int32_t>) return CLng(v);
    else if constexpr (std::is_same_v<D, std::uint32_t>) return static_cast<std::uint32_t>(CLng(v));
    else if constexpr (std::is_same_v<D, float>) return CSng(v);
    else if constexpr (std::is_same_v<D, double>) return CDbl(v);
    else if constexpr (std::is_same_v<D, std::string>) return CStr(v);
    else if constexpr (std::is_same_v<D, std::shared_ptr<IDispatch>>) return CObj(v);
    else static_assert(sizeof(D) == 0, "unsupported accessor type");
}

template <class V>
Variant ToVariant(const V& value) {
    using D = std::decay_t<V>;
    if constexpr (std::is_same_v<D, Variant>) return value;
    else if constexpr (std::is_same_v<D, bool>) return Variant::FromBoolean(value);
    else if constexpr (std::is_same_v<D, std::uint8_t>) return Variant::FromByte(value);
    else if constexpr (std::is_same_v<D, std::int16_t>) return Variant::FromInteger(value);
    else if constexpr (std::is_same_v<D, std::int32_t>) return Variant::FromLong(value);
    else if constexpr (std::is_same_v<D, std::uint32_t>) return Variant::FromLong(static_cast<std::int32_t>(value));
    else if constexpr (std::is_same_v<D, float>) return Variant::FromSingle(value);
    else if constexpr (std::is_same_v<D, double>) return Variant::FromDouble(value);
    else if constexpr (std::is_same_v<D, std::string>) return Variant::FromString(value);
    else if constexpr (std::is_same_v<D, std::shared_ptr<IDispatch>>) return Variant::FromObject(value);
    else static_assert(sizeof(D) == 0, "unsupported accessor type");
}

}  // namespace detail

// --- the builder -----------------------------------------------------------------------------
template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(std::string name, bool is_control = true) {
        info_.source = ProgIdOf(name);
        info_.name = std::move(name);
        info_.is_control = is_control;
    }

    // get/put property with typed accessors: R T::get() const, void T::put(A).
    // (Accessors may be members of a base class of T, such as the surface members of Control.)
    template <class C, class R, class A>
    ClassBuilder& Property(std::string name, std::int32_t dispid, TypeDesc type, R (C::*getter)() const,
                           void (C::*setter)(A)) {
        static_assert(std::is_base_of_v<C, T>);
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Property, std::move(type));
        m.get = [getter](AutomationObject& o, std::vector<Variant>&) {
            return detail::ToVariant((static_cast<T&>(o).*getter)());
        };
        m.put = [setter](AutomationObject& o, std::vector<Variant>&, Variant& value) {
            (static_cast<T&>(o).*setter)(detail::FromVariant<std::decay_t<A>>(value));
        };
        return *this;
    }

    // Read-only property with a typed getter.
    template <class C, class R>
    ClassBuilder& ReadOnly(std::string name, std::int32_t dispid, TypeDesc type, R (C::*getter)() const) {
        static_assert(std::is_base_of_v<C, T>);
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Property, std::move(type));
        m.get = [getter](AutomationObject& o, std::vector<Variant>&) {
            return detail::ToVariant((static_cast<T&>(o).*getter)());
        };
        return *this;
    }

    // Object property: get and put-by-reference (Set) with typed accessors.
    template <class C>
    ClassBuilder& ObjectProperty(std::string name, std::int32_t dispid, TypeDesc type,
                                 std::shared_ptr<IDispatch> (C::*getter)() const,
                                 void (C::*setter)(std::shared_ptr<IDispatch>)) {
        static_assert(std::is_base_of_v<C, T>);
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Property, std::move(type));
        m.get = [getter](AutomationObject& o, std::vector<Variant>&) {
            return Variant::FromObject((static_cast<T&>(o).*getter)());
        };
        m.put_ref = [setter](AutomationObject& o, std::vector<Variant>&, Variant& value) {
            (static_cast<T&>(o).*setter)(CObj(value));
        };
        return *this;
    }

    // General property: lambdas over Variant (index arguments first). Pass nullptr for an
    // absent accessor. `put_ref` is for object-valued properties.
    ClassBuilder& PropertyEx(std::string name, std::int32_t dispid, TypeDesc type, std::vector<ParamDesc> index,
                             std::function<Variant(T&, std::vector<Variant>&)> get,
                             std::function<void(T&, std::vector<Variant>&, Variant&)> put,
                             std::function<void(T&, std::vector<Variant>&, Variant&)> put_ref = nullptr) {
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Property, std::move(type));
        m.params = std::move(index);
        if (get) m.get = [get](AutomationObject& o, std::vector<Variant>& i) { return get(static_cast<T&>(o), i); };
        if (put)
            m.put = [put](AutomationObject& o, std::vector<Variant>& i, Variant& v) { put(static_cast<T&>(o), i, v); };
        if (put_ref)
            m.put_ref = [put_ref](AutomationObject& o, std::vector<Variant>& i, Variant& v) {
                put_ref(static_cast<T&>(o), i, v);
            };
        return *this;
    }

    // Method: arguments arrive converted to their declared types (Missing for an omitted
    // optional one); changes to by-reference arguments reach the caller.
    ClassBuilder& Method(std::string name, std::int32_t dispid, std::vector<ParamDesc> params,
                         std::function<Variant(T&, std::vector<Variant>&)> body,
                         TypeDesc returns = TypeDesc::Void()) {
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Method, std::move(returns));
        m.params = std::move(params);
        m.call = [body](AutomationObject& o, std::vector<Variant>& args) { return body(static_cast<T&>(o), args); };
        return *this;
    }

    // Method without arguments or result: void T::fn().
    template <class C>
    ClassBuilder& Method(std::string name, std::int32_t dispid, void (C::*fn)()) {
        static_assert(std::is_base_of_v<C, T>);
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Method, TypeDesc::Void());
        m.call = [fn](AutomationObject& o, std::vector<Variant>&) {
            (static_cast<T&>(o).*fn)();
            return Variant();
        };
        return *this;
    }

    // Documentation string of the last member or event declared.
    ClassBuilder& Help(std::string text) {
        if (last_is_event_) info_.events.back().help = std::move(text);
        else info_.members.back().help = std::move(text);
        return *this;
    }
    // The last property's put takes its value by reference.
    ClassBuilder& PutByRef() {
        info_.members.back().put_value_by_ref = true;
        return *this;
    }
    // The last member is hidden from the host's property browser (still callable).
    ClassBuilder& Hidden() {
        info_.members.back().hidden = true;
        return *this;
    }
    ClassBuilder& ClassHelp(std::string text) {
        info_.help = std::move(text);
        return *this;
    }
    // The source errors of this class carry when they name none (see ClassInfo::source).
    ClassBuilder& Source(std::string source) {
        info_.source = std::move(source);
        return *this;
    }

    // Events are numbered 1, 2, ... in declaration order.
    ClassBuilder& Event(std::string name, std::vector<ParamDesc> params = {}) {
        EventDesc e;
        e.name = std::move(name);
        e.dispid = static_cast<std::int32_t>(info_.events.size()) + 1;
        e.params = std::move(params);
        info_.events.push_back(std::move(e));
        last_is_event_ = true;
        return *this;
    }

    ClassBuilder& Enum(std::string name, std::vector<std::pair<std::string, std::int32_t>> values) {
        info_.enums.push_back(EnumDesc{std::move(name), std::move(values)});
        return *this;
    }

    // The last property's puts notify the host with `name` instead of the property's own.
    ClassBuilder& Notifies(std::string name) {
        info_.members.back().notification = std::move(name);
        return *this;
    }

    // The default of the last property declared (see MemberDesc::default_value).
    ClassBuilder& Default(Variant value) {
        info_.members.back().default_value = std::move(value);
        return *this;
    }

    // Persisted keys are read and written in the order they are declared here; each names the
    // property it stores and takes that property's type and default.
    //
    // Through the property itself: loaded through its put (Let, or Set for objects) and saved
    // from its get.
    ClassBuilder& Persist(std::string key) {
        const MemberDesc& m = PersistedMember(key);
        PutFn put = m.put ? m.put : m.put_ref;
        GetFn get = m.get;
        return AddPersisted(std::move(key), m.default_value.value_or(Variant()), m.type,
                            [put](AutomationObject& o, const Variant& v) {
                                std::vector<Variant> none;
                                Variant value = v;
                                put(o, none, value);
                            },
                            [get](AutomationObject& o) {
                                std::vector<Variant> none;
                                return get(o, none);
                            });
    }
    // With a load and save of its own (members set directly, without the put's side effects),
    // the value converted to the property's type, or to `stored_as` where the key keeps another
    // type than the property shows (a 16-bit integer for an enumeration, say).
    ClassBuilder& Persist(std::string key, std::function<void(T&, const Variant&)> load, std::function<Variant(T&)> save,
                          std::optional<TypeDesc> stored_as = std::nullopt) {
        const MemberDesc& m = PersistedMember(key);
        return AddPersisted(std::move(key), m.default_value.value_or(Variant()), stored_as.value_or(m.type),
                            [load](AutomationObject& o, const Variant& v) { load(static_cast<T&>(o), v); },
                            [save](AutomationObject& o) { return save(static_cast<T&>(o)); });
    }

    ClassInfo Build() {
        for (const PersistDesc& p : info_.persisted) {
            // Every persisted key's property must exist and declare its default; a table that
            // breaks this is a programming error caught the first time the class is used.
            if (!p.load || !p.save) throw std::logic_error("persisted key without load or save: " + p.key);
        }
        return std::move(info_);
    }

private:
    const MemberDesc& PersistedMember(const std::string& key) const {
        const MemberDesc* m = info_.FindMember(key);
        if (!m || m->kind != MemberKind::Property) throw std::logic_error("persisted key without a property: " + key);
        if (!m->default_value) throw std::logic_error("persisted property without a default: " + key);
        return *m;
    }

    ClassBuilder& AddPersisted(std::string key, Variant default_value, TypeDesc type, LoadFn load, SaveFn save) {
        info_.persisted.push_back(PersistDesc{std::move(key), std::move(default_value), std::move(type),
                                              std::move(load), std::move(save)});
        return *this;
    }

    MemberDesc& AddMember(std::string name, std::int32_t dispid, MemberKind kind, TypeDesc type) {
        MemberDesc m;
        m.name = std::move(name);
        m.dispid = dispid;
        m.kind = kind;
        m.type = std::move(type);
        info_.members.push_back(std::move(m));
        last_is_event_ = false;
        return info_.members.back();
    }

    ClassInfo info_;
    bool last_is_event_ = false;
};

}  // namespace ov
