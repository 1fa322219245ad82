#pragma once
// How StretchBlt maps one axis of the destination onto the source.
//
// With D destination and S source pixels along an axis (extents may be negative: the covered
// span is then (origin + extent, origin] and the traversal runs backwards, which mirrors the
// copy when the two signs differ):
// * enlarging (D >= S, so also D == S): destination pixel d samples source
//   ((2d+1)*S - 1) div (2D), the centre rule with exact halves going to the lower index;
// * shrinking (D < S): the source pixels are split into D runs by a Bresenham walk
//   (err = 3D - 2S - 1; pixel s joins run d; then if err >= 0 { d++; err += 2D - 2S } else
//   err += 2D), and the stretch mode combines a run: AND, OR, average, or one pixel (the last of
//   a horizontal run but the first of a vertical one).
// The mapping is computed for the whole rectangles; clipping the destination does not change
// it, and destination pixels whose source lies outside the source bitmap are left untouched.
#include <vector>

#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/raster.h"

namespace ov::gdi::detail {

struct AxisMap {
    // Destination coordinates [dst_start, dst_end) that are drawn: inside the destination
    // bitmap and with at least one source pixel inside the source bitmap.
    int dst_start = 0, dst_end = 0;
    // For destination coordinate dst_start + i: the source coordinates [first[i], last[i]]
    // (inclusive, first <= last) combined into it, clipped to the source bitmap.
    std::vector<int> first, last;
    // True when every destination pixel maps to exactly source = destination + offset.
    bool identity = false;
    int offset = 0;

    bool empty() const { return dst_end <= dst_start; }
};

// `single_pick` selects one pixel per shrink run (COLORONCOLOR): the last of the run when
// `pick_last`, else the first.
AxisMap MapAxis(int dst_origin, int dst_extent, int dst_limit, int src_origin, int src_extent, int src_limit,
                bool single_pick, bool pick_last);

// Slow reference of the whole StretchBlt, pixel by pixel from the rules above with the
// operation's truth table evaluated bit by bit. `dst` must not alias `src`.
// `convert` maps a source pixel into the destination's format before combining.
struct StretchReferenceArgs {
    int x, y, width, height, src_x, src_y, src_width, src_height;
    int mode;  // stretch mode of the destination DC
    std::uint8_t rop_index;
    std::uint32_t pattern;  // stored pixel
    std::uint32_t (*convert)(std::uint32_t pixel, const void* context);
    const void* context;
};
void StretchReference(Bitmap& dst, const Bitmap& src, const StretchReferenceArgs& args);

}  // namespace ov::gdi::detail

namespace ov::gdi::detail {
// StretchReference applied between two DCs with the conversions and pattern StretchBlt uses
// (the DCs must hold different bitmaps). For tests.
bool StretchBltReference(HDC dst, int x, int y, int width, int height, HDC src, int src_x, int src_y, int src_width,
                         int src_height, std::uint32_t rop);
}  // namespace ov::gdi::detail
