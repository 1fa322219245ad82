#pragma once
// The shaded frames and the bevel: instead of drawing in fixed colours they lighten or darken
// each frame pixel already in the drawing area with ShiftColor, so the frame takes the hue of
// whatever lies beneath it (plain colour, gradient or picture).
//
// Each rendering is built as a ShiftProgram: runs of pixels along a row or a column, each run
// shifting every pixel it covers by one amount. The runs are listed so that every pixel
// receives its shifts in the order the frame's loops visit it; where rings or rows overlap (a
// panel narrower or lower than its frame) a pixel listed twice is shifted twice, and the order
// decides the result because each shift clamps. Runs that leave the bitmap change nothing
// there, as a pixel written outside a bitmap is dropped.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::panel {

// The four shifts, matching the four classic border colours.
inline constexpr std::int64_t kHighlightShift = 96;
inline constexpr std::int64_t kLightShift = 48;
inline constexpr std::int64_t kShadowShift = -80;
inline constexpr std::int64_t kDarkShadowShift = -160;

struct ShiftRun {
    enum class Along : std::uint8_t { Row, Column };
    Along along = Along::Row;
    int line = 0;   // the row's y or the column's x
    int first = 0;  // inclusive range along the run; empty when first > last
    int last = -1;
    std::int64_t delta = 0;
};
using ShiftProgram = std::vector<ShiftRun>;

// `width` and `height` are the drawing area's size in pixels, `offset` the outer ring's
// distance from the edges (0 from the panel's own border).
ShiftProgram ShadedFlatFrame(int width, int height, int offset, bool inset);
ShiftProgram Shaded3DFrame(int width, int height, int offset, bool inset);
ShiftProgram ShadedEtchedFrame(int width, int height, int offset);
// Rings bevel_width, bevel_width - 1, ..., 0 (inner ring first), ring i shifted by
// (bevel_width - i + 1) * intensity: lighter top-left and darker bottom-right when raised.
// A negative width has no rings. Rings lying wholly outside the area are not listed, so an
// absurd width costs no more than one as wide as the area.
ShiftProgram BevelRings(int width, int height, int offset, std::int32_t bevel_width, std::int32_t intensity,
                        bool inset);

// Carries a program out on the bitmap selected into `dc`: every pixel of every run in order,
// read, shifted and written back; with `clip`, only the pixels inside it.
void RunShifts(gdi::HDC dc, const ShiftProgram& program, const gdi::RECT* clip = nullptr);
// The same one pixel at a time through GetPixel and SetPixelV: the reference RunShifts is
// checked against.
void RunShiftsPixelByPixel(gdi::HDC dc, const ShiftProgram& program);

}  // namespace ov::panel
