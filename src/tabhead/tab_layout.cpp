#include "tabhead/tab_layout.h"

#include <cmath>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::tabhead {

namespace {

// Storing into a 16-bit integer: round half to even, overflow error outside the range.
std::int16_t ToInteger16(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -32768 && rounded <= 32767)) throw AutomationError(error::kOverflow);
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

std::int16_t PlateMargin(int twips_per_pixel_x) { return ToInteger16(2.0 * twips_per_pixel_x); }

void LayoutTabs(const TabRowMetrics& metrics, std::int16_t selected_tab, bool has_items, TabRowGeometry& row) {
    const double height = metrics.inner_height;
    const double px = metrics.twips_per_pixel_x;
    const double py = metrics.twips_per_pixel_y;
    const std::int16_t margin = PlateMargin(metrics.twips_per_pixel_x);

    std::int16_t x = ToInteger16(6.0 * margin);
    bool seen = false;
    row.styled_count = 0;
    // Hidden headings are placed too: the plate of a selected index beyond the list still lands
    // where that heading would stand.
    for (int i = 0; i < kHeadingCount; ++i) {
        Box& heading = row.headings[static_cast<std::size_t>(i)];
        heading.left = x;
        heading.top = height - heading.height;  // every heading stands on the bottom edge

        const bool selected = (i == selected_tab);
        if (selected) {
            seen = true;
            row.plate.left = heading.left - margin;
            row.plate.width = heading.width + margin;
            row.plate.top = heading.top - 3.0 * margin;
            if (row.plate.top < 0) row.plate.top = 0;
            // The plate reaches below the control's bottom edge so its lower border never shows.
            row.plate.height = row.plate.top < 1 ? height + py : height + row.plate.top;
        }
        row.selected_style[static_cast<std::size_t>(i)] = selected;
        row.styled_count = i + 1;

        x = ToInteger16(x + heading.width + margin);
    }

    row.plate_visible = has_items && seen;

    const double plate_right = row.plate.right();
    row.left_line.x1 = 0;
    row.left_line.x2 = row.plate_visible ? row.plate.left : plate_right;
    row.right_line.x1 = plate_right - px;
    row.right_line.x2 = metrics.inner_width;

    // The shadow belongs on a pixel column; an x that sits more than 5 twips into a pixel is
    // moved back to the previous column. The remainder keeps the dividend's sign, so a
    // negative x is never moved.
    double shadow_x = plate_right - px;
    const long whole_x = static_cast<long>(RoundHalfEven(shadow_x));
    const long whole_px = static_cast<long>(RoundHalfEven(px));
    if (whole_px != 0 && whole_x % whole_px > 5) shadow_x -= px;
    row.shadow.x1 = row.shadow.x2 = shadow_x;

    const double bottom_row = height - py;
    row.left_line.y1 = row.left_line.y2 = bottom_row;
    row.right_line.y1 = row.right_line.y2 = bottom_row;
    row.shadow.y1 = row.plate.top + py;
    row.shadow.y2 = bottom_row;
}

}  // namespace ov::tabhead
