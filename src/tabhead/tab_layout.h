#pragma once
// The geometry of the tab strip: where each heading stands, the raised plate behind the
// selected one, and the three lines (bottom line left and right of the plate, plate shadow).
// Pure arithmetic on twips; the control copies the result onto its constituent controls.
#include <array>
#include <cstdint>

#include "tabhead/tab_string.h"

namespace ov::tabhead {

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
    double right() const { return left + width; }
};

struct Segment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct TabRowMetrics {
    double inner_width = 0;   // twips
    double inner_height = 0;  // twips
    int twips_per_pixel_x = 15;
    int twips_per_pixel_y = 15;
};

// Everything the layout reads and writes. Heading widths and heights are inputs (the labels'
// sizes); their positions are outputs. The plate keeps its last box while it is hidden, and the
// bottom line is still split at that stale position, so the row must be kept between layouts.
struct TabRowGeometry {
    std::array<Box, kHeadingCount> headings{};
    // Which headings the last layout styled as the selected one; only the first `styled_count`
    // entries were reached (an overflow stops the layout part-way).
    std::array<bool, kHeadingCount> selected_style{};
    int styled_count = 0;

    Box plate{};
    bool plate_visible = false;
    Segment left_line{}, right_line{}, shadow{};
};

// Two pixels in twips, rounded to a 16-bit integer: the gap between headings and the plate's
// margin.
std::int16_t PlateMargin(int twips_per_pixel_x);

// Lays the row out. `has_items` is false for an empty heading list, which hides the plate.
// The running x position is a 16-bit integer: when it passes 32767 twips the layout stops with
// AutomationError 6, and the headings placed up to then keep their new positions while the
// plate visibility and the lines keep their previous state.
void LayoutTabs(const TabRowMetrics& metrics, std::int16_t selected_tab, bool has_items, TabRowGeometry& row);

}  // namespace ov::tabhead
