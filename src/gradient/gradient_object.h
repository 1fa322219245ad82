#pragma once
// The late-bound face of clsGradient: interface _clsGradient, declared once as a member table
// (Draw, Color1, Color2, Angle, Repetitions, GradientType, BlendMode, HUEtoRGB, in that
// order) with the enumerations GradType and GradBlendMode. The table drives the type library
// and dispatch; the library registers the class, creatable by name and by ProgID.
#include <cstdint>

#include "gradient/cls_gradient.h"
#include "platform/runtime/automation_object.h"

namespace ov::gradient {

inline constexpr const char* kGradientClassName = "clsGradient";
inline constexpr const char* kGradientProgId = "OrvelleControls.clsGradient";

class GradientObject : public AutomationObject {
public:
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    clsGradient& gradient() { return gradient_; }
    const clsGradient& gradient() const { return gradient_; }

private:
    clsGradient gradient_;
};

}  // namespace ov::gradient
