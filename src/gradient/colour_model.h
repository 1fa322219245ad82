#pragma once
// Colour arithmetic of the gradient engine: the split of an 0x00BBGGRR colour into channels,
// the conversion between colours and HSL triples on 0..255 scales and the hue-to-channel
// helper. The colour properties translate system colours as they are written
// (ResolveSystemColorUpToIndex24, ole_colour.h).
#include <cmath>
#include <cstdint>

#include "platform/runtime/rounding.h"

namespace ov::gradient {

struct ColourChannels {
    std::int32_t red = 0, green = 0, blue = 0;
};

// Hue, saturation and lightness, each on a 0..255 scale. Hue is circular with period 255:
// 0 red, 85 green, 170 blue.
struct HslTriple {
    double hue = 0, saturation = 0, lightness = 0;
};

// The high byte is ignored: a stored system-colour value with an index of 25 or more is read
// as red, green and blue from its low three bytes.
ColourChannels SplitColour(std::int32_t colour);

HslTriple RGBtoHSL(std::int32_t colour);
std::int32_t HSLtoRGB(const HslTriple& hsl);

// One channel (0..255 for in-range arguments) for the hue `h`. `fa` and `fb` are taken by
// reference, as the automation member declares them, and are never changed. Throws the
// overflow error (6) when the rounded result does not fit 32 bits.
std::int32_t HUEtoRGB(const double& fa, const double& fb, double h);

}  // namespace ov::gradient
