#pragma once
// The late-bound face of clsGradient: interface _clsGradient, declared once as a member table
// (Draw, Color1, Color2, Angle, Repetitions, GradientType, BlendMode, HUEtoRGB, in that
// order) with the enumerations GradType and GradBlendMode. The table drives the type library
// and dispatch; the class is creatable by name and by ProgID.
#include <cstdint>

#include "gradient/cls_gradient.h"
#include "platform/runtime/automation_object.h"
#include "host/class_registry.h"

namespace ov::gradient {

inline constexpr const char* kGradientClassName = "clsGradient";
inline constexpr const char* kGradientProgId = "OrvelleControls.clsGradient";
inline constexpr const char* kGradientClassId = "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7020}";

class GradientObject : public AutomationObject {
public:
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    clsGradient& gradient() { return gradient_; }
    const clsGradient& gradient() const { return gradient_; }

private:
    clsGradient gradient_;
};

// The registry entry the library adds for the class ("clsGradient",
// "OrvelleControls.clsGradient", its class id), creatable and in the type library.
host::ClassEntry GradientClassEntry();

}  // namespace ov::gradient
