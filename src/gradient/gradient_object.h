#pragma once
// The late-bound face of clsGradient: interface _clsGradient with its members in declared
// order (Draw, Color1, Color2, Angle, Repetitions, GradientType, BlendMode, HUEtoRGB).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gradient/cls_gradient.h"
#include "platform/runtime/dispatch.h"

namespace ov::gradient {

inline constexpr const char* kGradientClassName = "clsGradient";
inline constexpr const char* kGradientProgId = "OrvelleControls.clsGradient";

enum GradientDispid : std::int32_t {
    kDispidDraw = 1,
    kDispidColor1,
    kDispidColor2,
    kDispidAngle,
    kDispidRepetitions,
    kDispidGradientType,
    kDispidBlendMode,
    kDispidHUEtoRGB,
};

class GradientObject : public IDispatch {
public:
    std::string TypeName() const override { return kGradientClassName; }
    std::int32_t GetIDOfName(std::string_view name) const override;
    // 438 for an unknown member or a kind it lacks, 450 for a wrong argument count, 13 / 6 for
    // values that do not convert, 91 for Draw(Nothing); the members' own errors unchanged.
    Variant Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;

    clsGradient& gradient() { return gradient_; }
    const clsGradient& gradient() const { return gradient_; }

private:
    clsGradient gradient_;
};

// Member names in interface order, for the type library and tests.
const std::vector<std::string>& GradientMemberNames();

}  // namespace ov::gradient
