#include "gradient/gradient_object.h"

#include <cctype>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::gradient {
namespace {

constexpr std::int32_t kObjectNotSet = 91;

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsRead(InvokeKind kind) { return kind == InvokeKind::PropertyGet || kind == InvokeKind::Method; }

void RequireArguments(const std::vector<Variant>& args, std::size_t count) {
    if (args.size() != count) throw AutomationError(error::kWrongArgumentCount);
}

// A get with no arguments or a put with exactly its value; anything else is refused.
template <class Get, class Put>
Variant Property(InvokeKind kind, std::vector<Variant>& args, Get get, Put put) {
    if (IsRead(kind)) {
        RequireArguments(args, 0);
        return get();
    }
    if (kind == InvokeKind::PropertyPut) {
        RequireArguments(args, 1);
        put(args.back());
        return Variant();
    }
    throw AutomationError(error::kObjectDoesntSupport);
}

}  // namespace

const std::vector<std::string>& GradientMemberNames() {
    static const std::vector<std::string> names{"Draw",        "Color1",       "Color2",    "Angle",
                                                "Repetitions", "GradientType", "BlendMode", "HUEtoRGB"};
    return names;
}

std::int32_t GradientObject::GetIDOfName(std::string_view name) const {
    const auto& names = GradientMemberNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameName(names[i], name)) return static_cast<std::int32_t>(i) + kDispidDraw;
    return kDispidUnknown;
}

Variant GradientObject::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    clsGradient& g = gradient_;
    switch (dispid) {
        case kDispidDraw: {
            if (!IsRead(kind)) throw AutomationError(error::kObjectDoesntSupport);
            RequireArguments(args, 1);
            const std::shared_ptr<IDispatch> surface = CObj(args[0]);
            if (!surface) throw AutomationError(kObjectNotSet);
            return Variant::FromBoolean(g.Draw(*surface));
        }
        case kDispidColor1:
            return Property(kind, args, [&] { return Variant::FromLong(g.Color1()); },
                            [&](const Variant& v) { g.SetColor1(CLng(v)); });
        case kDispidColor2:
            return Property(kind, args, [&] { return Variant::FromLong(g.Color2()); },
                            [&](const Variant& v) { g.SetColor2(CLng(v)); });
        case kDispidAngle:
            return Property(kind, args, [&] { return Variant::FromDouble(g.Angle()); },
                            [&](const Variant& v) { g.SetAngle(CDbl(v)); });
        case kDispidRepetitions:
            return Property(kind, args, [&] { return Variant::FromDouble(g.Repetitions()); },
                            [&](const Variant& v) { g.SetRepetitions(CDbl(v)); });
        case kDispidGradientType:
            return Property(kind, args, [&] { return Variant::FromLong(g.GradientType()); },
                            [&](const Variant& v) { g.SetGradientType(CLng(v)); });
        case kDispidBlendMode:
            return Property(kind, args, [&] { return Variant::FromLong(g.BlendMode()); },
                            [&](const Variant& v) { g.SetBlendMode(CLng(v)); });
        case kDispidHUEtoRGB: {
            if (!IsRead(kind)) throw AutomationError(error::kObjectDoesntSupport);
            RequireArguments(args, 3);
            // FA and FB are by reference but never changed: the caller's variants stay as given.
            const double fa = CDbl(args[0]), fb = CDbl(args[1]), h = CDbl(args[2]);
            return Variant::FromLong(g.HUEtoRGB(fa, fb, h));
        }
        default:
            throw AutomationError(error::kObjectDoesntSupport);
    }
}

}  // namespace ov::gradient
