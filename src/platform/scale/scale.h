#pragma once
// Scale modes and the units they stand for: the one place that knows how many twips a point,
// a character or a pixel is, how values convert between modes, and how twips round to device
// pixels. Surfaces (controls, forms, picture boxes) keep their own user scale and hand its size
// in where a conversion needs it. Pixel factors are read from the screen at each call, so a
// change of the screen's twips per pixel shows at once.
#include <cstdint>

namespace ov {

enum ScaleMode : int {
    kScaleUser = 0,
    kScaleTwips = 1,
    kScalePoints = 2,
    kScalePixels = 3,
    kScaleCharacters = 4,  // 120 twips across, 240 down
    kScaleInches = 5,
    kScaleMillimeters = 6,
    kScaleCentimeters = 7,
    kScaleHimetric = 8,  // hundredths of a millimetre: a conversion unit (picture sizes), never a surface's mode
};

enum class Axis : std::uint8_t { X, Y };

// The modes a surface's ScaleMode can hold: the user scale and the fixed ones up to centimetres.
constexpr bool IsSurfaceScaleMode(int mode) { return mode >= kScaleUser && mode <= kScaleCentimeters; }
// The modes a conversion accepts: those and HIMETRIC.
constexpr bool IsConversionScaleMode(int mode) { return mode >= kScaleUser && mode <= kScaleHimetric; }

// Twips in one unit of `mode` along `axis`. The user scale has no size of its own: a surface
// passes the twips one of its user units covers. A value that is no scale mode is "Invalid
// procedure call or argument" (5), whoever asks: a surface's ScaleX/ScaleY, a container's
// placement, the host's conversions.
double TwipsPerUnit(int mode, Axis axis, double user_twips_per_unit = 1.0);

// `value` in `from_mode` expressed in `to_mode` (5 for an unknown mode, as TwipsPerUnit).
double ConvertUnits(double value, int from_mode, int to_mode, Axis axis, double user_twips_per_unit = 1.0);

// The screen's twips per pixel (15 on a common display; never less than 1).
double TwipsPerPixel(Axis axis);

// A length in twips as whole device pixels: to the nearest pixel with halves to the even
// neighbour, the language's rounding (37.5 twips at 15 per pixel is 2 pixels, 52.5 is 4).
// Far-off values saturate at ov::limits::kMaxPixelCoordinate instead of overflowing.
int TwipsToPixels(double twips, Axis axis);
double PixelsToTwips(double pixels, Axis axis);

// A length in pixels rounded the same way (for values already scaled to pixels).
int RoundToPixels(double pixels);

}  // namespace ov
