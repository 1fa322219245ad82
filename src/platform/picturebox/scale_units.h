#pragma once
// Scale modes of drawing surfaces and containers, and the twips each unit stands for.
#include <optional>

namespace ov {

enum class ScaleMode : int {
    User = 0, Twips = 1, Points = 2, Pixels = 3, Characters = 4, Inches = 5, Millimeters = 6, Centimeters = 7,
    Himetric = 8,  // a conversion unit only (ScaleX/ScaleY), never a surface's mode
};

enum class Axis { X, Y };

// Twips per unit of a fixed mode on one axis (pixels from the screen's twips per pixel,
// characters 120 twips wide and 240 high); nullopt for User and unknown modes.
std::optional<double> TwipsPerUnit(int mode, Axis axis);

// A position or size in device pixels to a whole pixel: to the nearest, halves to the even
// neighbour, saturating at ov::limits::kMaxPixelCoordinate; NaN gives 0. Every conversion to
// pixels (picture boxes, the host's placement of controls and lightweight constituents) ends
// here, so the same position lands on the same pixel whatever is drawn there.
int RoundToPixel(double pixels);

}  // namespace ov
