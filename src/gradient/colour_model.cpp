#include "gradient/colour_model.h"

#include <cmath>

#include "platform/runtime/automation_error.h"

namespace ov::gradient {
namespace {

// "Larger" and "smaller" as the colour model defines them: the first argument only when it
// is strictly greater (smaller), otherwise the second.
std::int32_t Larger(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
std::int32_t Smaller(std::int32_t a, std::int32_t b) { return a < b ? a : b; }

double Clamp255(double value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    return value;
}

}  // namespace

ColourChannels SplitColour(std::int32_t colour) {
    const auto bits = static_cast<std::uint32_t>(colour);
    return ColourChannels{static_cast<std::int32_t>(bits & 0xFFu), static_cast<std::int32_t>((bits & 0xFF00u) / 256),
                          static_cast<std::int32_t>((bits & 0xFF0000u) / 65536)};
}

HslTriple RGBtoHSL(std::int32_t colour) {
    const ColourChannels c = SplitColour(colour);
    const std::int32_t max = Larger(Larger(c.red, c.green), c.blue);
    const std::int32_t min = Smaller(Smaller(c.red, c.green), c.blue);
    HslTriple hsl;
    hsl.lightness = (max + min) / 2.0;
    if (max == min) {
        // Greys carry no hue; 170 (blue) is what the ramp then starts from or heads to.
        hsl.hue = 170;
        hsl.saturation = 0;
        return hsl;
    }
    const double spread = max - min;
    if (hsl.lightness > 127.5) hsl.saturation = spread * 255 / (510 - max - min);
    else hsl.saturation = spread * 255 / (max + min);

    const double d_red = (max - c.red) * 255.0 / spread / 6;
    const double d_green = (max - c.green) * 255.0 / spread / 6;
    const double d_blue = (max - c.blue) * 255.0 / spread / 6;
    if (c.red == max) hsl.hue = d_blue - d_green;
    else if (c.green == max) hsl.hue = 85 + d_red - d_blue;
    else hsl.hue = 170 + d_green - d_red;
    if (hsl.hue < 0) hsl.hue += 255;
    return hsl;
}

std::int32_t HUEtoRGB(const double& fa, const double& fb, double h) {
    // One wrap only: 255 itself stays, and a hue further out than one period is not folded.
    if (h < 0) h += 255;
    else if (h > 255) h -= 255;

    // Thresholds 255/6, 255/2 and 510/3 of the 0..255 hue circle.
    double value;
    if (h < 42.5) value = fb + (fa - fb) * 6 * h / 255;
    else if (h < 127.5) value = fa;
    else if (h < 170) value = fb + (fa - fb) * 6 * (170 - h) / 255;
    else value = fb;

    const double rounded = RoundHalfEven(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) throw AutomationError(error::kOverflow);
    return static_cast<std::int32_t>(rounded);
}

std::int32_t HSLtoRGB(const HslTriple& hsl) {
    const double h = Clamp255(hsl.hue);
    const double s = Clamp255(hsl.saturation);
    const double l = Clamp255(hsl.lightness);
    if (s == 0) {
        const auto grey = static_cast<std::int32_t>(RoundHalfEven(l));
        return grey + 256 * grey + 65536 * grey;
    }
    const double m2 = l > 127.5 ? l + s - l * s / 255 : l * (s + 255) / 255;
    const double m1 = 2 * l - m2;
    const std::int32_t red = HUEtoRGB(m2, m1, h + 85);
    const std::int32_t green = HUEtoRGB(m2, m1, h);
    const std::int32_t blue = HUEtoRGB(m2, m1, h - 85);
    return red + 256 * green + 65536 * blue;
}

}  // namespace ov::gradient
