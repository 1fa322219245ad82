#pragma once
// The member table of an automation class: every property, method, event and enumeration is
// declared once, and that one declaration drives late-bound dispatch (automation_object.h), the
// property bag and the new-instance defaults (Control in the host), change notifications, the
// type library and the designer metadata. Generators (widgets, designer plugins) walk the same
// table: everything a property is lives in its MemberDesc.
//
// A class declares its table with ClassBuilder<T>; each property is one declaration:
//
//   const ClassInfo& OV3DLine::StaticInfo() {   // Info() const override { return StaticInfo(); }
//       static const ClassInfo info = ClassBuilder<OV3DLine>("OV3DLine")
//           .Property("Orientation", kOrientation, TypeDesc::Enum("lOrientation"), &OV3DLine::LineOrientation,
//                     &OV3DLine::SetLineOrientation)
//               .Help("Line's orientation").InCategory(Category::Appearance)
//               .Default(Variant::FromLong(0))       // the bag's default and a new instance's value
//               .Persist(&OV3DLine::orientation_)    // key "Orientation": loads store the member
//           .Property("ForeColor", kForeColor, TypeDesc::Color(), ...).Silent()   // a put tells nobody
//           .Enum("lOrientation", {{"Horizontal", 0}, {"Vertical", 1}})
//           .Build();
//       return info;
//   }
//
// A put notifies the host under the property's name unless its declaration says another name
// (Notifies) or none (Silent); the setter asks for it with Control::NotifyChanged(dispid).
// Persisted keys are named as their property and read and written in declaration order unless
// the class gives another (PersistOrder). A new instance gets each persisted property's
// default through the key's load, as loading an empty bag would, unless the declaration gives
// another initial value (Initially), says creation already gave it (AsCreated) or the class
// applies none (NewInstancesAsCreated).
//
// Typed accessors (bool, std::int16_t, std::int32_t, float, double, std::string, Variant,
// std::shared_ptr<IDispatch>) are wrapped so the callee sees a value already converted to the
// declared type; lambdas taking Variant give full control (index arguments, by-reference values).
#include <algorithm>
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
    static TypeDesc Of(VarType type);                // Boolean, Byte, Integer, Long, Single, Double, Date, String
    static TypeDesc AnyVariant();                    // "Variant": passed through unconverted
    static TypeDesc Color();                         // "OLE_COLOR": a Long
    static TypeDesc Enum(std::string enumeration);   // a Long named by its enumeration
    static TypeDesc Object(std::string class_name);  // "StdFont", "StdPicture", "Object", a control class

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

// One persisted key. Load receives the bag's value converted to `type` (a conversion failure
// is the runtime's error and skips the key); save returns the value to store.
using LoadFn = std::function<void(AutomationObject&, const Variant&)>;
using SaveFn = std::function<Variant(AutomationObject&)>;

// Where a value the table states comes from: the table itself, or the site, which only knows
// it once the control is sited (Control resolves it; an unsited control gets the host
// contract's fallbacks: "MS Sans Serif" 8.25 and an empty name).
enum class ValueSource : std::uint8_t {
    Table,               // ValueSpec::value
    AmbientFont,         // the site's ambient font now
    ControlFont,         // the control surface's own font, the ambient font it was sited with
    AmbientDisplayName,  // the name the site gives the instance
};
std::string_view ValueSourceName(ValueSource source);

struct ValueSpec {
    Variant value;  // for ValueSource::Table
    ValueSource source = ValueSource::Table;
    // For a font source: the attribute taken from it ("Name", "Size", "Bold", "Italic",
    // "Underline", "Strikethrough"); empty for the font object itself.
    std::string font_attribute;
};

// The group a designer's property browser shows a property in.
enum class Category : std::uint8_t { Misc, Appearance, Behavior, Font, Text };
std::string_view CategoryName(Category category);

// How a property is kept in the property bag; the key is the property's name.
struct PersistDesc {
    TypeDesc type;  // what the key is read and written as (the property's type unless stated)
    LoadFn load;
    SaveFn save;
    // Loaded through the put and saved from the get, so a load notifies as a put does;
    // otherwise load and save are the declaration's own (members set without side effects).
    bool through_property = false;
};

struct MemberDesc {
    std::string name;
    std::int32_t dispid = 0;
    MemberKind kind = MemberKind::Property;
    TypeDesc type;                  // property value type, or method return type
    std::vector<ParamDesc> params;  // method parameters, or a property's index parameters
    std::string help;
    Category category = Category::Misc;
    bool put_value_by_ref = false;  // the put takes its value argument by reference
    bool hidden = false;            // kept out of the host's property browser
    // The get reads and the put stores one member of the class, nothing else (Field): a
    // generator may map it to a plain member.
    bool bound_to_member = false;
    GetFn get;      // property get (empty: write-only)
    PutFn put;      // property put (Let)
    PutFn put_ref;  // property put by reference (Set), for objects
    CallFn call;    // method body
    // The default: the value the persisted key is read and written with, and what a designer
    // resets the property to.
    std::optional<ValueSpec> default_value;
    // What a new instance starts with (the default unless the declaration says otherwise).
    std::optional<ValueSpec> initial;
    // Whether InitProperties sets `initial` through the key's load; otherwise creation itself
    // gives a new instance that value.
    bool initial_applied = false;
    // The name a put notifies the host with; empty when a put notifies nobody. Designers
    // match change notifications to properties by it.
    std::optional<std::string> notification;
    std::optional<PersistDesc> persist;

    bool CanGet() const { return static_cast<bool>(get); }
    bool CanPut() const { return static_cast<bool>(put); }
    bool CanPutRef() const { return static_cast<bool>(put_ref); }
    bool Writable() const { return CanPut() || CanPutRef(); }
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

// The library every class of the type library belongs to, and a class's ProgID in it.
inline constexpr std::string_view kLibraryName = "OrvelleControls";
inline std::string ProgIdOf(std::string_view class_name) {
    return std::string(kLibraryName) + "." + std::string(class_name);
}

struct ClassInfo {
    std::string name;  // "OV3DLine"
    std::string help;  // class documentation string (may be empty)
    // What an error leaving this class's members names as its source when the code that
    // raised it named none: the class's ProgID by default.
    std::string source;
    bool is_control = false;             // has the control lifecycle and an event interface
    bool container = false;              // other controls can be placed inside it
    bool invisible_at_run_time = false;  // shows nothing on its form while the program runs
    std::vector<MemberDesc> members;     // declaration order
    std::vector<EventDesc> events;       // declaration order, dispid 1, 2, ...
    std::vector<EnumDesc> enums;
    // The persisted properties (indices into `members`), in the order their keys are read
    // and written.
    std::vector<std::size_t> persisted;

    std::string InterfaceName() const { return "_" + name; }
    std::string EventInterfaceName() const { return "__" + name; }

    // Case-insensitive lookups; nullptr when absent.
    const MemberDesc* FindMember(std::string_view member_name) const;
    const MemberDesc* FindMember(std::int32_t dispid) const;
    const EventDesc* FindEvent(std::string_view event_name) const;
    const EventDesc* FindEvent(std::int32_t dispid) const;
    const EnumDesc* FindEnum(std::string_view enum_name) const;
    // The default value the table states for a property; Empty when it states none (or the
    // site gives it).
    Variant DefaultOf(std::string_view member_name) const;
    const MemberDesc& PersistedMember(std::size_t position) const { return members[persisted[position]]; }
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

    // A property bound to a member of the class: the get reads it, a put stores the converted
    // value and reports the change (AutomationObject::MemberChanged, which notifies as declared).
    // Its persisted key, if any, stores and reads the member without notifying.
    template <class C, class V>
    ClassBuilder& Field(std::string name, std::int32_t dispid, TypeDesc type, V C::*field) {
        static_assert(std::is_base_of_v<C, T>);
        MemberDesc& m = AddMember(std::move(name), dispid, MemberKind::Property, std::move(type));
        m.bound_to_member = true;
        m.get = [field](AutomationObject& o, std::vector<Variant>&) {
            return detail::ToVariant(static_cast<T&>(o).*field);
        };
        m.put = [field, dispid](AutomationObject& o, std::vector<Variant>&, Variant& value) {
            T& object = static_cast<T&>(o);
            object.*field = detail::FromVariant<V>(value);
            object.MemberChanged(dispid);
        };
        member_keys_.back() = [field](T& o, const Variant& v) { o.*field = detail::FromVariant<V>(v); };
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
                         std::function<Variant(T&, std::vector<Variant>&)> body, TypeDesc returns = TypeDesc::Void()) {
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
    // The property browser's group for the last member.
    ClassBuilder& InCategory(Category category) {
        info_.members.back().category = category;
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
    // Other controls can be placed inside instances of this class.
    ClassBuilder& Container() {
        info_.container = true;
        return *this;
    }
    // Instances show nothing on their form while the program runs.
    ClassBuilder& InvisibleAtRunTime() {
        info_.invisible_at_run_time = true;
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
    ClassBuilder& Enum(const EnumDesc& enumeration) { return Enum(enumeration.name, enumeration.values); }

    // --- notification ---------------------------------------------------------------------------
    // A control's puts notify under the property's own name unless declared otherwise here.
    // The last property's puts notify the host with `name` instead of the property's own.
    ClassBuilder& Notifies(std::string name) {
        info_.members.back().notification = std::move(name);
        notification_declared_.back() = true;
        return *this;
    }
    // No put of this class notifies (host-side classes that have no one to tell).
    ClassBuilder& SilentPuts() {
        all_silent_ = true;
        return *this;
    }
    // The last property's puts notify nobody.
    ClassBuilder& Silent() {
        info_.members.back().notification.reset();
        notification_declared_.back() = true;
        return *this;
    }

    // --- defaults -------------------------------------------------------------------------------
    // The default of the last property declared (see MemberDesc::default_value).
    ClassBuilder& Default(Variant value) {
        info_.members.back().default_value = ValueSpec{std::move(value), ValueSource::Table, {}};
        return *this;
    }
    // A default the site gives: its ambient font (or one of its attributes), the control's own
    // font, or the instance's name.
    ClassBuilder& DefaultFrom(ValueSource source, std::string font_attribute = {}) {
        info_.members.back().default_value = ValueSpec{Variant(), source, std::move(font_attribute)};
        return *this;
    }
    // A new instance starts the last property at `value` instead of its default.
    ClassBuilder& Initially(Variant value) {
        info_.members.back().initial = ValueSpec{std::move(value), ValueSource::Table, {}};
        return *this;
    }
    ClassBuilder& InitiallyFrom(ValueSource source, std::string font_attribute = {}) {
        info_.members.back().initial = ValueSpec{Variant(), source, std::move(font_attribute)};
        return *this;
    }
    // Creation already gives a new instance the last property's initial value: InitProperties
    // leaves it alone (its load would notify, or redo what initialisation did).
    ClassBuilder& AsCreated() {
        as_created_.back() = true;
        return *this;
    }
    // InitProperties applies no defaults at all: a new instance is as created.
    ClassBuilder& NewInstancesAsCreated() {
        all_as_created_ = true;
        return *this;
    }

    // --- persistence ----------------------------------------------------------------------------
    // The last property is persisted under its name, loaded through its put (Let, or Set for
    // objects) and saved from its get.
    // A property bound to a member (Field) is loaded into the member without notifying.
    ClassBuilder& Persist() {
        const std::size_t index = info_.members.size() - 1;
        if (!member_keys_[index]) return PersistThroughProperty(index);
        const GetFn get = info_.members[index].get;
        return PersistWith(
            index, member_keys_[index],
            [get](T& o) {
                std::vector<Variant> none;
                return get(o, none);
            },
            std::nullopt);
    }
    // With a load and save of its own (members set directly, without the put's side effects),
    // the value converted to the property's type, or to `stored_as` where the key keeps another
    // type than the property shows (a 16-bit integer for an enumeration, say).
    ClassBuilder& Persist(std::function<void(T&, const Variant&)> load, std::function<Variant(T&)> save,
                          std::optional<TypeDesc> stored_as = std::nullopt) {
        return PersistWith(info_.members.size() - 1, std::move(load), std::move(save), std::move(stored_as));
    }
    // Bound to a member of the class: a load stores the converted value, a save reads it.
    template <class C, class V>
    ClassBuilder& Persist(V C::*field, std::optional<TypeDesc> stored_as = std::nullopt) {
        static_assert(std::is_base_of_v<C, T>);
        return PersistWith(
            info_.members.size() - 1, [field](T& o, const Variant& v) { o.*field = detail::FromVariant<V>(v); },
            [field](T& o) { return detail::ToVariant(o.*field); }, std::move(stored_as));
    }
    // The same, naming the property by its key (for tables that list their keys apart).
    ClassBuilder& Persist(std::string key) { return PersistThroughProperty(PersistedIndex(key)); }
    ClassBuilder& Persist(std::string key, std::function<void(T&, const Variant&)> load,
                          std::function<Variant(T&)> save, std::optional<TypeDesc> stored_as = std::nullopt) {
        return PersistWith(PersistedIndex(key), std::move(load), std::move(save), std::move(stored_as));
    }
    // The order keys are read and written in, where it is not the order of declaration: every
    // persisted key once.
    ClassBuilder& PersistOrder(const std::vector<std::string>& keys) {
        std::vector<std::size_t> order;
        for (const std::string& key : keys) order.push_back(PersistedIndex(key));
        std::vector<std::size_t> sorted_given = order, sorted_declared = info_.persisted;
        std::sort(sorted_given.begin(), sorted_given.end());
        std::sort(sorted_declared.begin(), sorted_declared.end());
        if (sorted_given != sorted_declared) throw std::logic_error("key order must name every persisted key once");
        info_.persisted = std::move(order);
        return *this;
    }

    ClassInfo Build() {
        for (std::size_t i = 0; i < info_.members.size(); ++i) {
            MemberDesc& m = info_.members[i];
            if (m.kind != MemberKind::Property) continue;
            // A control's writable property notifies under its own name unless it says otherwise;
            // other objects have no site to tell.
            if (!notification_declared_[i] && info_.is_control && !all_silent_ && m.Writable()) m.notification = m.name;
            if (!m.initial && m.default_value) m.initial = m.default_value;
            m.initial_applied = m.persist && m.initial && !as_created_[i] && !all_as_created_;
        }
        for (std::size_t index : info_.persisted) {
            // Every persisted key's property must declare its default; a table that breaks this
            // is a programming error caught the first time the class is used.
            const MemberDesc& m = info_.members[index];
            if (!m.default_value) throw std::logic_error("persisted property without a default: " + m.name);
            if (!m.persist->load || !m.persist->save)
                throw std::logic_error("persisted key without load or save: " + m.name);
        }
        return std::move(info_);
    }

private:
    std::size_t PersistedIndex(const std::string& key) const {
        const MemberDesc* m = info_.FindMember(key);
        if (!m || m->kind != MemberKind::Property) throw std::logic_error("persisted key without a property: " + key);
        return static_cast<std::size_t>(m - info_.members.data());
    }

    ClassBuilder& PersistThroughProperty(std::size_t index) {
        const MemberDesc& m = info_.members[index];
        PutFn put = m.put ? m.put : m.put_ref;
        GetFn get = m.get;
        if (!put || !get) throw std::logic_error("persisted through a property without put and get: " + m.name);
        AddPersisted(index, PersistDesc{m.type,
                                        [put](AutomationObject& o, const Variant& v) {
                                            std::vector<Variant> none;
                                            Variant value = v;
                                            put(o, none, value);
                                        },
                                        [get](AutomationObject& o) {
                                            std::vector<Variant> none;
                                            return get(o, none);
                                        },
                                        true});
        return *this;
    }

    ClassBuilder& PersistWith(std::size_t index, std::function<void(T&, const Variant&)> load,
                              std::function<Variant(T&)> save, std::optional<TypeDesc> stored_as) {
        AddPersisted(index, PersistDesc{stored_as.value_or(info_.members[index].type),
                                        [load](AutomationObject& o, const Variant& v) { load(static_cast<T&>(o), v); },
                                        [save](AutomationObject& o) { return save(static_cast<T&>(o)); }, false});
        return *this;
    }

    void AddPersisted(std::size_t index, PersistDesc key) {
        MemberDesc& m = info_.members[index];
        if (m.persist) throw std::logic_error("property persisted twice: " + m.name);
        m.persist = std::move(key);
        info_.persisted.push_back(index);
    }

    MemberDesc& AddMember(std::string name, std::int32_t dispid, MemberKind kind, TypeDesc type) {
        MemberDesc m;
        m.name = std::move(name);
        m.dispid = dispid;
        m.kind = kind;
        m.type = std::move(type);
        info_.members.push_back(std::move(m));
        notification_declared_.push_back(false);
        as_created_.push_back(false);
        member_keys_.emplace_back();
        last_is_event_ = false;
        return info_.members.back();
    }

    ClassInfo info_;
    // Per member, in declaration order: whether its notification was declared, whether a new
    // instance is left as created.
    std::vector<bool> notification_declared_;
    std::vector<bool> as_created_;
    // For a property bound to a member: how its key stores a loaded value in that member.
    std::vector<std::function<void(T&, const Variant&)>> member_keys_;
    bool all_as_created_ = false;
    bool all_silent_ = false;
    bool last_is_event_ = false;
};

}  // namespace ov
