#pragma once
// The linear shape: every sweep line drawn in its own table entry's colour.
#include <cstdint>

#include "gradient/colour_table.h"
#include "gradient/sweep.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {

// Draws sweep line j in entry j with a pen created for that line alone. Returns twice the
// number of lines drawn.
std::int32_t PaintLinearGradient(gdi::HDC dc, const SweepLines& sweep, const ColourTable& table);

}  // namespace ov::gradient
