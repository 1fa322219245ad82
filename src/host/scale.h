#pragma once
// Scale modes and unit conversions between twips, pixels, HIMETRIC and the other scale units
// a surface can use. Pixel conversions read the screen's twips-per-pixel factors at the time of
// the call, so a test that changes them sees the new factors at once.
#include <cstdint>

namespace ov::host {

enum ScaleMode : int {
    kScaleUser = 0,
    kScaleTwips = 1,
    kScalePoints = 2,
    kScalePixels = 3,
    kScaleCharacters = 4,  // 120 twips across, 240 down
    kScaleInches = 5,
    kScaleMillimeters = 6,
    kScaleCentimeters = 7,
    kScaleHimetric = 8,    // hundredths of a millimetre (picture sizes)
};

enum class Axis : std::uint8_t { X, Y };

// Twips in one unit of `mode` along `axis`; 0 for the user scale, which only a surface knows.
double TwipsPerUnit(int mode, Axis axis);

// Converts between two fixed scale modes (not the user scale); an unknown mode converts as twips.
double ConvertUnits(double value, int from_mode, int to_mode, Axis axis);

// Twips to whole device pixels with ov::RoundToPixel (halves to even, as picture boxes round),
// and back.
int TwipsToPixels(double twips, Axis axis);
double PixelsToTwips(double pixels, Axis axis);

}  // namespace ov::host
