#pragma once
// Deferred rings: Ellipse records one-pixel outlines without a brush on the bitmap (see
// PendingRings in ring_record.h) and the bitmap writes them out the next time anything reads or
// writes its pixels. While the outlines keep forming the nested rings of an elliptical gradient
// they join one record, and the record is written with every pixel set once: drawn one by one,
// each ring's five outlines would be walked and written over the last ring's.
#include <cstdint>

#include "platform/gdi/internal/bitmap.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// Records the outline of Ellipse(left, top, right, bottom) (the box as passed, any size the
// outline walk accepts) in `pixel`; false, recording nothing, while deferral is off. An outline
// that is not the next one of the recorded rings first writes the record out and begins a new
// one.
bool AppendPendingRingOutline(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel);

// Writes the record out and empties it. A record of whole rings whose boxes shrink to at most 2
// pixels across in the last ring is written region by region (pending_rings.cpp); any other
// record, outline by outline as Ellipse draws them.
void WriteOutPendingRings(Bitmap& bitmap);

// A one-pixel outline without a brush, drawn at once (shapes.cpp): the box as passed to Ellipse.
void DrawThinEllipseOutline(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel);

}  // namespace ov::gdi::detail
