#pragma once
// clsGradient: the public, creatable gradient renderer. Set two colours, a direction, a
// repetition count, a shape and a blend mode, then Draw onto any surface that exposes "hWnd"
// and "hDC". Property writes only store: they neither draw nor notify.
#include <cstdint>

#include "gradient/draw_gradient.h"
#include "gradient/gradient_enums.h"

namespace ov {
class IDispatch;
}

namespace ov::gradient {

class clsGradient {
public:
    // Draws on `surface` (read late-bound: "hWnd" for the window, "hDC" for the device
    // context) with the window's updates locked for the whole drawing. True when something was
    // drawn; false for a client area of 1 pixel or less either way, or an unreadable one.
    // An error reading either property reaches the caller unchanged, after the lock is released.
    bool Draw(IDispatch& surface);

    std::int32_t Color1() const { return settings_.colour1; }
    void SetColor1(std::int32_t colour);
    std::int32_t Color2() const { return settings_.colour2; }
    void SetColor2(std::int32_t colour);

    double Angle() const { return settings_.angle; }
    // Rounded (halves to even), then reduced by 360 keeping the sign: 725 -> 5, -725 -> -5.
    // Throws the overflow error (6), leaving the angle as it was, when the rounded value does
    // not fit 32 bits.
    void SetAngle(double degrees);

    double Repetitions() const { return settings_.repetitions; }
    void SetRepetitions(double repetitions);  // the absolute value; 0 becomes 1

    std::int32_t GradientType() const { return settings_.type; }
    void SetGradientType(std::int32_t type) { settings_.type = type; }  // unchecked: unknown types draw nothing
    std::int32_t BlendMode() const { return settings_.blend_mode; }
    void SetBlendMode(std::int32_t mode) { settings_.blend_mode = mode; }  // unchecked: unknown modes ramp black

    // The public hue helper; `fa` and `fb` are by reference and left unchanged.
    std::int32_t HUEtoRGB(const double& fa, const double& fb, double h) const;

    const GradientSettings& settings() const { return settings_; }

private:
    GradientSettings settings_;
};

}  // namespace ov::gradient
