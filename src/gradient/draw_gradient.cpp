#include "gradient/draw_gradient.h"

#include <cmath>

#include "gradient/colour_model.h"
#include "gradient/linear_painter.h"
#include "gradient/ring_painter.h"

namespace ov::gradient {

GradientPlan PlanGradient(std::int32_t width, std::int32_t height, const GradientSettings& settings) {
    GradientPlan plan;
    const SweepPlacement placement = PlaceSweep(width, height, settings.angle);
    // A failing step only marks the drawing as failed; the next step runs on what is there.
    if (!PlaceFirstLine(placement, plan.sweep)) plan.failed = true;
    if (!ExtendSweep(placement, width, height, plan.sweep)) plan.failed = true;

    // n = k / 2 rounded, halves to even: an odd point count rounds to the even neighbour.
    const auto points = static_cast<double>(plan.sweep.points.size());
    const auto steps = static_cast<std::int32_t>(RoundHalfEven(points / 2));
    const ColourTableBuild build = BuildGradientColors(settings.colour1, settings.colour2, steps, settings.repetitions,
                                                       settings.blend_mode, plan.table);
    plan.steps = build.steps;
    if (!build.completed) plan.failed = true;
    return plan;
}

std::int32_t DrawGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const GradientSettings& settings) {
    const GradientPlan plan = PlanGradient(width, height, settings);
    // A shape drawn to the end sets the count again, whatever failed while planning; the
    // painters themselves skip a failing step (a pen outside the table) and carry on.
    switch (settings.type) {
        case gtNormal: return PaintLinearGradient(dc, plan.sweep, plan.table);
        case gtElliptical: return PaintEllipticalGradient(dc, width, height, plan.table);
        case gtRectangular: return PaintRectangularGradient(dc, width, height, plan.table);
        default: return 0;
    }
}

}  // namespace ov::gradient
