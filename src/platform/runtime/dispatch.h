#pragma once
// Late-bound objects: what the component runtime's dispatch interface is to the controls.
// Anything that can be held in a Variant as an Object and called by member name implements it:
// controls, pictures, fonts, forms, picture boxes, the gradient renderer.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/variant.h"

namespace ov {

enum class InvokeKind : std::uint8_t { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };

inline constexpr std::int32_t kDispidUnknown = -1;

class IDispatch : public std::enable_shared_from_this<IDispatch> {
public:
    virtual ~IDispatch() = default;

    // The class name shown for the object ("OV3DLine", "PictureBox", "StdPicture").
    virtual std::string TypeName() const = 0;

    // Case-insensitive member lookup; kDispidUnknown when the object has no such member.
    virtual std::int32_t GetIDOfName(std::string_view name) const = 0;

    // Calls a member. `args` are in declaration order and passed by reference: a member may
    // change them and the caller sees the change. For puts the value is the last argument.
    // Throws AutomationError (438 unknown member, 450 wrong argument count, the member's own).
    virtual Variant Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) = 0;
};

// Name-based helpers over GetIDOfName + Invoke; an unknown name throws error 438.
Variant GetProperty(IDispatch& object, std::string_view name, std::vector<Variant> args = {});
void PutProperty(IDispatch& object, std::string_view name, Variant value, std::vector<Variant> args = {});
void PutPropertyRef(IDispatch& object, std::string_view name, Variant value);
Variant CallMethod(IDispatch& object, std::string_view name, std::vector<Variant>& args);

}  // namespace ov
