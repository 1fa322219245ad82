#pragma once
// Deferred vertical lines: LineTo records a clipped vertical segment on the bitmap (see
// PendingColumns in objects.h) and the bitmap writes the record out, row by row, the next time
// anything reads or writes its pixels.
#include <cstdint>

#include "platform/gdi/objects.h"

namespace ov::gdi::detail {

// Records column x, rows [top, bottom) (inside the bitmap, top < bottom) in `pixel`. Never
// writes out what is already pending, except to keep the record small.
void AppendPendingColumn(Bitmap& bitmap, int x, int top, int bottom, std::uint32_t pixel);

// Test hook: with deferral off, LineTo writes vertical segments at once, so a test can draw the
// same sequence both ways and compare every pixel.
void SetColumnDeferral(bool enabled);
bool ColumnDeferralEnabled();

}  // namespace ov::gdi::detail
