#pragma once
// The `3-Dimensional` background of the side logo: 50 pairs of full-height boxes spreading out
// from the vertical centre line, each pair six steps darker than the one inside it, like a lit
// cylinder. Positions are twips in 16-bit integers, as the surface's box drawing takes them.
#include <cstdint>
#include <functional>

#include "platform/gdi/gdi.h"
#include "sidelogo/logo_colours.h"

namespace ov::sidelogo {

// Fills the box from (x1, y1) to (x2, y2) in twips, corners included, in one colour.
using FillBox = std::function<void(int x1, int y1, int x2, int y2, gdi::COLORREF colour)>;

inline constexpr int kCylinderPairs = 50;
inline constexpr int kCylinderDarkening = 6;  // per channel and pair

// Draws the pairs through `fill_box`, right box first. Throws AutomationError 6 when a
// position leaves the 16-bit range (a surface wider than about 20000 twips); the boxes filled
// until then stay.
void PaintCylinder(double scale_width, double scale_height, const ChannelTriple& base, const FillBox& fill_box);

}  // namespace ov::sidelogo
