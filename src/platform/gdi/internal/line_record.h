#pragma once
// The record of lines drawn on a bitmap but not yet written (see pending_lines.h). A line that
// is not horizontal writes one pixel per row, each in a new cache line; recorded and written
// out a band of rows at a time, neighbouring lines share those cache lines instead.
// Neighbouring vertical columns with the same rows form one run, written as one row-major copy
// per row; so do neighbouring copies of one steep segment (a gradient's parallel lines).
#include <cstdint>
#include <vector>

#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

struct PendingLines {
    struct Item {
        enum class Kind : std::uint8_t { ColumnRun, RowSpan, Segment, SegmentRun, FrameRun } kind = Kind::ColumnRun;
        // ColumnRun: columns x, x + step, ... (step +1 or -1; 0 while count is 1), rows
        // [top, bottom) already clipped, colours[first, first + count) one per column.
        // RowSpan: row top, columns [x, x1), in `pixel`.
        // Segment: the line rule's walk from (x, top) to (x1, bottom), steps [first_step,
        // last_step) inside the bitmap, in `pixel`.
        // SegmentRun: copies of the segment (x, top) -> (x1, bottom), copy k moved k * step
        // columns (step +1 or -1), each painting its pixels inside the bitmap in
        // colours[first + k]. Only segments with one pixel per row form runs, so the copies
        // never share a pixel and each row is one contiguous stretch of colours.
        // FrameRun: rectangle outlines nested one pixel apart, outline k on the box
        // [x + k, x1 - k) x [top + k, bottom - k) in colours[first + k], all inside the bitmap
        // and each at least 3 x 3. The outlines never share a pixel, so a row is a stretch of
        // left edges, one outline's top or bottom edge, and the mirrored stretch of right edges.
        int x = 0, step = 0, top = 0, bottom = 0, x1 = 0;
        std::uint32_t first = 0, count = 0;
        std::uint32_t pixel = 0;
        std::int64_t first_step = 0, last_step = 0;
    };
    std::vector<Item> items;             // in drawing order
    std::vector<std::uint32_t> colours;  // the runs' pixels, one per column or copy

    bool empty() const { return items.empty(); }
};

}  // namespace ov::gdi::detail
