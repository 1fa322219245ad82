#include "gradient/ring_painter.h"

#include <cmath>

#include "gradient/colour_model.h"
#include "gradient/entry_pen.h"

namespace ov::gradient {
namespace {

// floor(dividend / divisor); a zero divisor is a failed step that leaves the stride at 0.
std::int64_t Stride(double dividend, double divisor) {
    if (divisor == 0) return 0;
    return static_cast<std::int64_t>(std::floor(dividend / divisor));
}

}  // namespace

std::int32_t PaintEllipticalGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const ColourTable& table) {
    const std::int32_t shorter = width < height ? width : height;
    const std::int32_t reach = width < height ? width / 2 : height / 2;  // floor for the positive sizes drawn
    // With an all-black table the index is -1 and the stride negative: from the second ring
    // on the entry lies before the table and the ring keeps the surface's own pen.
    const std::int64_t stride = Stride(LastRingIndex(table), shorter);
    for (std::int32_t i = 0; i < shorter; ++i) {
        EntryPen pen(dc, table, i * stride);
        const std::int32_t left = i - reach, top = i - reach;
        const std::int32_t right = width + reach - i, bottom = height + reach - i;
        gdi::Ellipse(dc, left, top, right, bottom);
        // One outline per step leaves gaps between neighbouring rings; four boxes, each with
        // one side pulled in by a pixel, close them.
        gdi::Ellipse(dc, left + 1, top, right - 1, bottom);
        gdi::Ellipse(dc, left + 1, top + 1, right, bottom);
        gdi::Ellipse(dc, left, top + 1, right, bottom - 1);
        gdi::Ellipse(dc, left, top, right - 1, bottom - 1);
    }
    return shorter > 0 ? shorter : 0;
}

std::int32_t PaintRectangularGradient(gdi::HDC dc, std::int32_t width, std::int32_t height, const ColourTable& table) {
    const std::int32_t shorter = width < height ? width : height;
    const double half = shorter / 2.0;
    const std::int64_t stride = Stride(LastRingIndex(table), half);
    const auto last_step = static_cast<std::int32_t>(RoundHalfEven(half));
    for (std::int32_t i = 0; i <= last_step; ++i) {
        EntryPen pen(dc, table, i * stride);
        gdi::Rectangle(dc, i, i, width - i, height - i);
    }
    return last_step >= 0 ? last_step + 1 : 0;
}

}  // namespace ov::gradient
