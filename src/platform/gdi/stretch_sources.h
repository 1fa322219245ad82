#pragma once
// Which source pixels StretchBlt combines into each destination pixel it draws, for a caller
// that produces the source a piece at a time instead of holding all of it.
//
// A piece of the source that holds, along each axis, every source pixel of the destination
// pixels it serves, copied with the source origin moved by the piece's offset, gives those
// pixels exactly what one copy from the whole source gives them: the mapping is worked out for
// the whole rectangles, and a destination pixel whose source pixels all lie outside the piece
// is left untouched. Along an axis the source ranges of consecutive destination pixels never
// overlap when several pixels are combined into one, so a piece cut between ranges serves whole
// ranges only; where one source pixel feeds several destination pixels, each reads it whole.
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// One axis of a stretched copy: destination coordinates [dst_start, dst_end) are drawn (on the
// destination bitmap, with a source pixel inside the source), coordinate dst_start + i from the
// source coordinates [first[i], last[i]], clipped to the source.
struct StretchAxis {
    int dst_start = 0, dst_end = 0;
    std::vector<int> first, last;

    bool empty() const { return dst_end <= dst_start; }
};

// The axes of StretchBlt(dst, x, y, width, height, <a source_width x source_height bitmap>,
// src_x, src_y, src_width, src_height, SRCCOPY) under dst's stretch mode, as StretchBlt itself
// maps them. False when dst holds no bitmap (or the maps cannot be allocated).
bool StretchBltSources(HDC dst, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                       int src_height, int source_width, int source_height, StretchAxis* columns, StretchAxis* rows);

}  // namespace ov::gdi
