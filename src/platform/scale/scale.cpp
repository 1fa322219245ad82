#include "platform/scale/scale.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/screen.h"
#include "platform/limits.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/rounding.h"

namespace ov {

double TwipsPerPixel(Axis axis) {
    const auto& screen = gdi::Screen();
    const int twips = axis == Axis::X ? screen.twips_per_pixel_x : screen.twips_per_pixel_y;
    return twips > 0 ? twips : 1;
}

double TwipsPerUnit(int mode, Axis axis, double user_twips_per_unit) {
    switch (mode) {
        case kScaleUser: return user_twips_per_unit;
        case kScaleTwips: return 1.0;
        case kScalePoints: return 20.0;
        case kScalePixels: return TwipsPerPixel(axis);
        case kScaleCharacters: return axis == Axis::X ? 120.0 : 240.0;
        case kScaleInches: return 1440.0;
        case kScaleMillimeters: return 1440.0 / 25.4;
        case kScaleCentimeters: return 1440.0 / 2.54;
        case kScaleHimetric: return 1440.0 / 2540.0;
        default: throw AutomationError(error::kInvalidProcedureCall);
    }
}

double ConvertUnits(double value, int from_mode, int to_mode, Axis axis, double user_twips_per_unit) {
    const double from = TwipsPerUnit(from_mode, axis, user_twips_per_unit);
    const double to = TwipsPerUnit(to_mode, axis, user_twips_per_unit);
    if (from_mode == to_mode) return value;
    return value * from / to;
}

int RoundToPixels(double pixels) {
    if (std::isnan(pixels)) return 0;
    const double limit = limits::kMaxPixelCoordinate;
    return static_cast<int>(std::clamp(RoundHalfEven(pixels), -limit, limit));
}

int TwipsToPixels(double twips, Axis axis) { return RoundToPixels(twips / TwipsPerPixel(axis)); }

double PixelsToTwips(double pixels, Axis axis) { return pixels * TwipsPerPixel(axis); }

}  // namespace ov
