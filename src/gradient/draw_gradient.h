#pragma once
// DrawGradient: the sweep, the colour table and the painter of one shape, run as a sequence
// of steps of which any may fail without stopping the next.
#include <cstdint>

#include "gradient/colour_table.h"
#include "gradient/gradient_enums.h"
#include "gradient/sweep.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {

// The renderer's properties as they stand when a drawing starts (already translated and
// reduced by the property writes).
struct GradientSettings {
    std::int32_t colour1 = 0xFFFFFF;
    std::int32_t colour2 = 0;
    double angle = 0;        // whole degrees, -359..359
    double repetitions = 1;  // never 0 or negative
    std::int32_t type = gtNormal;
    std::int32_t blend_mode = gbmRGB;
    friend bool operator==(const GradientSettings&, const GradientSettings&) = default;
};

// Everything a drawing computes before it paints: the point list and the colour table.
struct GradientPlan {
    SweepLines sweep;
    ColourTable table;
    std::int32_t steps = 0;  // n as the table builder adjusted it
    bool failed = false;     // some step failed (the count was set to 0 at that point)
};

// Steps 1 to 6 of a drawing: place and extend the sweep, then build the table. A linear
// gradient draws the sweep; the ring shapes use it only to size and fill the table.
GradientPlan PlanGradient(std::int32_t width, std::int32_t height, const GradientSettings& settings);

// Plans and paints on `dc`. Returns what was drawn (twice the lines of a linear gradient, the
// number of rings or rectangles) or 0 when nothing was: an unknown gradient type.
std::int32_t DrawGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const GradientSettings& settings);

}  // namespace ov::gradient
