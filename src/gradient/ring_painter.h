#pragma once
// The ring shapes: concentric ellipses shrinking from outside the surface towards its centre,
// and concentric rectangles from the border inwards. Both sample the colour table of the
// (undrawn) linear sweep at a fixed stride.
#include <cstdint>

#include "gradient/colour_table.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {

// Returns the number of rings drawn (the shorter side m).
std::int32_t PaintEllipticalGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const ColourTable& table);

// Returns the number of rectangles drawn (m / 2 rounded half to even, plus one).
std::int32_t PaintRectangularGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const ColourTable& table);

}  // namespace ov::gradient
