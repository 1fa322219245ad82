#pragma once
// The ellipse outline: a closed polyline, drawn with the line rule, through the points of a
// midpoint walk of one quadrant mirrored into the other three.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/gdi/internal_only.h"
#include "platform/gdi/raster.h"

namespace ov::gdi::detail {

// The outline polyline is made of unit steps and axis-aligned runs only, so it paints every
// pixel it passes through, and it is symmetric in both axes: the outline is the quadrant's path
// mirrored four ways. WalkEllipseQuadrantRows gives that path row by row for the fast path; the
// vertex list below is kept as the slow reference it is tested against.

// The bottom-right quadrant's path, one call emit(y, lo, hi) per row of the box from the middle
// row (height / 2) down, in increasing y: the path's pixels on row y are columns [lo, hi]
// (relative to the box's top-left corner). The walk stops before row `y_limit`
// (rows past it are never needed by the caller). Both sizes >= 3.
template <typename EmitRow>
void WalkEllipseQuadrantRows(int width, int height, int y_limit, EmitRow&& emit) {
    // The same midpoint walk as EllipseOutlineVertices, with each row's run of points emitted
    // once the walk leaves the row.
    const std::int64_t a = width - 1, b = height - 1;
    const std::int64_t b_odd = b % 2;
    const std::int64_t step_dx = 8 * b * b, step_dy = 8 * a * a;
    std::int64_t dx = 4 * b * b * (1 - a);
    std::int64_t dy = 4 * a * a * (1 + b_odd);
    std::int64_t err = dx + dy + a * a * b_odd;
    const int half_width = width / 2;
    int x = width - 1, y = height / 2;
    if (y >= y_limit) return;
    int row_hi = x;                // the first (largest) column of the current row's run
    int last_x = x, last_y = y;    // the latest point of the path
    while (x >= half_width) {
        last_x = x;
        last_y = y;
        const std::int64_t e2 = 2 * err;
        if (e2 >= dx) {
            --x;
            dx += step_dx;
            err += dx;
        }
        if (e2 <= dy) {
            ++y;
            dy += step_dy;
            err += dy;
            if (x < half_width) break;  // the last row is emitted after the loop
            emit(last_y, last_x, row_hi);
            if (y >= y_limit) return;
            row_hi = x;
        }
    }
    // The run of the last row is still open. Narrow, tall boxes finish with a vertical run down
    // to the bottom row. The join to the mirrored quadrant adds nothing: the walk stops as soon
    // as x drops below width / 2, so the last point is in column width / 2 and the join spans
    // only it and its mirror image.
    const int bottom = height - 1;
    emit(last_y, last_x, row_hi);
    for (int row = last_y + 1; row <= bottom && row < y_limit; ++row) emit(row, last_x, last_x);
}

// Whether the rectangle [0, surface_width) x [0, surface_height) lies wholly inside the ellipse
// of the box at (left, top), width x height, clear of its outline: true only when no outline
// pixel can fall on the surface, so the outline need not be walked at all (the outer rings of
// an elliptical gradient enclose the whole surface). The path's pixels lie within a pixel of
// the ideal ellipse through the corner pixels' centres; the test keeps three pixels of margin
// on the surface and on the ellipse, so rounding can only make it answer false.
inline bool SurfaceInsideOutline(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
                                 int surface_width, int surface_height) {
    constexpr double kMargin = 3;
    const double rx = (width - 1) / 2.0 - kMargin, ry = (height - 1) / 2.0 - kMargin;
    if (rx <= 0 || ry <= 0) return false;
    const double cx = static_cast<double>(left) + (width - 1) / 2.0, cy = static_cast<double>(top) + (height - 1) / 2.0;
    const double dx = std::max(std::abs(cx), std::abs(surface_width - 1 - cx)) + kMargin;
    const double dy = std::max(std::abs(cy), std::abs(surface_height - 1 - cy)) + kMargin;
    return (dx / rx) * (dx / rx) + (dy / ry) * (dy / ry) < 1;
}

// Polyline vertices of the outline of a width x height box (both >= 3), relative to its
// top-left corner, in drawing order; the polyline closes back to the first vertex.
std::vector<POINT> EllipseOutlineVertices(int width, int height);

// Slow reference for a whole Ellipse call on an unclipped canvas: the outline pixels from the
// reference line rule and the brush as the span between the leftmost and rightmost outline
// pixel of each row (boxes of width or height <= 2 follow the rectangle rule). Both lists are
// unclipped and may repeat pixels. Used by tests against the clipped fast path.
struct EllipseReferencePixels {
    std::vector<POINT> brush;
    std::vector<POINT> outline;
};
EllipseReferencePixels EllipseReference(int left, int top, int right, int bottom);

}  // namespace ov::gdi::detail
