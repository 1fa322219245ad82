#pragma once
// An object whose late-bound interface is its member table (type_info.h). Controls, the form
// object, the plain host controls and the gradient renderer derive from it; they implement
// Info() and get GetIDOfName/Invoke with argument checking and conversion for free.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/type_info.h"
#include "platform/runtime/dispatch.h"

namespace ov {

class AutomationObject : public IDispatch {
public:
    virtual const ClassInfo& Info() const = 0;

    std::string TypeName() const override { return Info().name; }
    std::int32_t GetIDOfName(std::string_view name) const override;

    // Invoke by the table:
    // - an unknown dispid throws 438;
    // - too many arguments, or fewer than the required ones, throw 450; so does a get on a
    //   write-only property; a put on a read-only one throws 383;
    // - an error leaving the call without a source of its own gets the class's (ClassInfo::source);
    // - every argument is converted to its declared type (6 overflow, 13 type mismatch), an
    //   omitted optional one arrives as Missing; the member works on converted copies: a
    //   by-reference argument it assigns is written back into `args`, one it leaves alone stays
    //   exactly as passed, and by-value ones are never written back;
    // - an object of another class than the declared one is a type mismatch (13);
    // - Method on a property reads it; PropertyGet on a method calls it; Put on an object
    //   property with only put-by-reference (and the reverse) uses the one it has.
    Variant Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;

    // A put bound to a member (ClassBuilder::Field) stored a new value in property `dispid`.
    // Controls tell their host as the table declares; other objects have no one to tell.
    virtual void MemberChanged(std::int32_t dispid) {}

protected:
    // Names and ids outside the table (the extender of a placed control). Defaults: none.
    virtual std::int32_t FallbackIDOfName(std::string_view name) const;
    virtual Variant FallbackInvoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args);
};

// Invokes `member` of `object` as the table-driven dispatch does (shared with other dispatch
// front ends such as an extender).
Variant InvokeMember(AutomationObject& object, const MemberDesc& member, InvokeKind kind, std::vector<Variant>& args);

}  // namespace ov
