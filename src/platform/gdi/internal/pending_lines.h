#pragma once
// Deferred lines: LineTo and Rectangle record their clipped segments on the bitmap (see
// PendingLines in line_record.h) and the bitmap writes the record out, a band of rows at a
// time, the next time anything reads or writes its pixels. Each append first runs the blits
// recorded on the bitmap, so a line always comes after them.
#include <cstdint>

#include "platform/gdi/internal/bitmap.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// Column x, rows [top, bottom) (inside the bitmap, top < bottom), in `pixel`.
void AppendPendingColumn(Bitmap& bitmap, int x, int top, int bottom, std::uint32_t pixel);
// Row y, columns [left, right) (inside the bitmap, left < right), in `pixel`.
void AppendPendingRowSpan(Bitmap& bitmap, int y, int left, int right, std::uint32_t pixel);
// The outline of the box [left, right) x [top, bottom) in `pixel`, when the box lies inside the
// bitmap and is at least 3 x 3 (then the outline is exactly the box's ring of edge pixels);
// false, recording nothing, otherwise. An outline one pixel inside the one recorded just before
// joins its record.
bool AppendPendingFrame(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel);
// The steps [first, last) of the line rule's walk from (x0, y0) to (x1, y1), all inside the
// bitmap (see ClipLineWalk), in `pixel`.
void AppendPendingSegment(Bitmap& bitmap, int x0, int y0, int x1, int y1, std::int64_t first, std::int64_t last,
                          std::uint32_t pixel);

// Writes the record out, each pixel in drawing order (later lines win where they overlap), and
// empties it (pending_lines_write.cpp). An allocation failure leaves the record as it was.
void WriteOutPendingLines(Bitmap& bitmap);

// Test hook: with deferral off, lines are written at once and blits run at once (see
// RunBlitChain), so a test can draw the same sequence both ways and compare every pixel.
void SetLineDeferral(bool enabled);
bool LineDeferralEnabled();

}  // namespace ov::gdi::detail
