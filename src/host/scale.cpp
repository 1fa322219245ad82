#include "host/scale.h"

#include "platform/gdi/screen.h"
#include "platform/picturebox/scale_units.h"

namespace ov::host {

double TwipsPerUnit(int mode, Axis axis) {
    const auto& screen = gdi::Screen();
    switch (mode) {
        case kScaleUser: return 0.0;
        case kScaleTwips: return 1.0;
        case kScalePoints: return 20.0;
        case kScalePixels: return axis == Axis::X ? screen.twips_per_pixel_x : screen.twips_per_pixel_y;
        case kScaleCharacters: return axis == Axis::X ? 120.0 : 240.0;
        case kScaleInches: return 1440.0;
        case kScaleMillimeters: return 1440.0 / 25.4;
        case kScaleCentimeters: return 1440.0 / 2.54;
        case kScaleHimetric: return 1440.0 / 2540.0;
        default: return 1.0;
    }
}

double ConvertUnits(double value, int from_mode, int to_mode, Axis axis) {
    if (from_mode == to_mode) return value;
    double from = TwipsPerUnit(from_mode, axis);
    double to = TwipsPerUnit(to_mode, axis);
    if (from == 0.0) from = 1.0;
    if (to == 0.0) to = 1.0;
    return value * from / to;
}

int TwipsToPixels(double twips, Axis axis) { return ov::RoundToPixel(twips / TwipsPerUnit(kScalePixels, axis)); }

double PixelsToTwips(double pixels, Axis axis) { return pixels * TwipsPerUnit(kScalePixels, axis); }

}  // namespace ov::host
