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

}  // namespace ov
