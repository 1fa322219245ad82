#pragma once
// The ellipse outline: a closed polyline, drawn with the line rule, through the points of a
// midpoint walk of one quadrant mirrored into the other three.
#include <vector>

#include "platform/gdi/raster.h"

namespace ov::gdi::detail {

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
