#include "gradient/linear_painter.h"

#include "gradient/entry_pen.h"

namespace ov::gradient {

std::int32_t PaintLinearGradient(gdi::HDC dc, const SweepLines& sweep, const ColourTable& table) {
    const std::size_t lines = sweep.line_count();
    for (std::size_t j = 0; j < lines; ++j) {
        const gdi::POINT& from = sweep.points[2 * j];
        const gdi::POINT& to = sweep.points[2 * j + 1];
        gdi::MoveToEx(dc, from.x, from.y, nullptr);
        EntryPen pen(dc, table, static_cast<std::int64_t>(j));
        gdi::LineTo(dc, to.x, to.y);  // the end point itself stays unpainted
    }
    return static_cast<std::int32_t>(2 * lines);
}

}  // namespace ov::gradient
