#include "panel/shaded_border_painter.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "panel/shift_colour.h"

namespace ov::panel {

namespace {

using Along = ShiftRun::Along;

void Row(ShiftProgram& p, int y, int first, int last, std::int64_t delta) {
    p.push_back(ShiftRun{Along::Row, y, first, last, delta});
}

void Column(ShiftProgram& p, int x, int first, int last, std::int64_t delta) {
    p.push_back(ShiftRun{Along::Column, x, first, last, delta});
}

// A loop over x in [first, last] shifting (x, y1) by d1 and then (x, y2) by d2 touches each
// pixel in the same order as the first row's run followed by the second's: the two rows share
// a pixel only in one column, and there the first row comes first either way.
void RowPair(ShiftProgram& p, int first, int last, int y1, std::int64_t d1, int y2, std::int64_t d2) {
    Row(p, y1, first, last, d1);
    Row(p, y2, first, last, d2);
}

void ColumnPair(ShiftProgram& p, int first, int last, int x1, std::int64_t d1, int x2, std::int64_t d2) {
    Column(p, x1, first, last, d1);
    Column(p, x2, first, last, d2);
}

// A row whose last pixel takes another shift than the rest (the etched frame's top-right
// corners); nothing at all when the loop is empty.
void RowWithLastPixel(ShiftProgram& p, int y, int first, int last, std::int64_t delta, std::int64_t last_delta) {
    if (first > last) return;
    Row(p, y, first, last - 1, delta);
    Row(p, y, last, last, last_delta);
}

}  // namespace

ShiftProgram ShadedFlatFrame(int w, int h, int o, bool inset) {
    const std::int64_t light = inset ? kDarkShadowShift : kHighlightShift;
    const std::int64_t dark = inset ? kHighlightShift : kDarkShadowShift;
    ShiftProgram p;
    RowPair(p, o, w - o - 1, o, light, h - o - 1, dark);
    ColumnPair(p, o + 1, h - o - 2, o, light, w - o - 1, dark);
    return p;
}

ShiftProgram Shaded3DFrame(int w, int h, int o, bool inset) {
    const std::int64_t outer_light = inset ? kDarkShadowShift : kHighlightShift;
    const std::int64_t outer_dark = inset ? kHighlightShift : kDarkShadowShift;
    const std::int64_t inner_light = inset ? kShadowShift : kLightShift;
    const std::int64_t inner_dark = inset ? kLightShift : kShadowShift;
    ShiftProgram p;
    RowPair(p, o, w - o - 1, o, outer_light, h - o - 1, outer_dark);
    RowPair(p, o + 1, w - o - 2, o + 1, inner_light, h - o - 2, inner_dark);
    ColumnPair(p, o + 1, h - o - 2, o, outer_light, w - o - 1, outer_dark);
    ColumnPair(p, o + 2, h - o - 3, o + 1, inner_light, w - o - 2, inner_dark);
    return p;
}

ShiftProgram ShadedEtchedFrame(int w, int h, int o) {
    ShiftProgram p;
    // Outer ring dark on top and left, light on bottom and right; the inner ring the reverse.
    // The top-right pixel of each ring takes the colour of the right edge.
    RowWithLastPixel(p, o, o, w - o - 1, kDarkShadowShift, kHighlightShift);
    Row(p, h - o - 1, o, w - o - 1, kHighlightShift);
    RowWithLastPixel(p, o + 1, o + 1, w - o - 2, kHighlightShift, kDarkShadowShift);
    Row(p, h - o - 2, o + 1, w - o - 2, kDarkShadowShift);
    ColumnPair(p, o + 1, h - o - 2, o, kDarkShadowShift, w - o - 1, kHighlightShift);
    ColumnPair(p, o + 2, h - o - 3, o + 1, kHighlightShift, w - o - 2, kDarkShadowShift);
    return p;
}

ShiftProgram BevelRings(int w, int h, int o, std::int32_t bevel_width, std::int32_t intensity, bool inset) {
    ShiftProgram p;
    if (bevel_width < 0) return p;
    const std::int64_t sign = inset ? -1 : 1;
    // Ring i's rows lie at o + i and h - i - o - 1 and its columns at o + i and w - i - o - 1:
    // from i = max(w, h) on, all four are outside the area.
    const std::int64_t outermost_touching = std::max(w, h);
    const std::int64_t start = std::min<std::int64_t>(bevel_width, outermost_touching);
    for (std::int64_t ring = start; ring >= 0; --ring) {
        const int i = static_cast<int>(ring);
        const std::int64_t d = (static_cast<std::int64_t>(bevel_width) - ring + 1) * intensity;
        RowPair(p, o + i, w - i - o - 1, o + i, sign * d, h - i - o - 1, -sign * d);
        ColumnPair(p, o + i + 1, h - i - o - 2, o + i, sign * d, w - i - o - 1, -sign * d);
    }
    return p;
}

namespace {

// The run's pixels that lie inside `bounds`, as [first, last] along the run; false when none do.
bool ClipRun(const ShiftRun& run, const gdi::RECT& bounds, int* first, int* last) {
    const bool row = run.along == Along::Row;
    const int across_low = row ? bounds.top : bounds.left, across_end = row ? bounds.bottom : bounds.right;
    const int along_low = row ? bounds.left : bounds.top, along_end = row ? bounds.right : bounds.bottom;
    if (run.line < across_low || run.line >= across_end) return false;
    *first = std::max(run.first, along_low);
    *last = std::min(run.last, along_end - 1);
    return *first <= *last;
}

}  // namespace

void RunShifts(gdi::HDC dc, const ShiftProgram& program, const gdi::RECT* clip) {
    const gdi::HBITMAP bitmap = gdi::GetCurrentBitmap(dc);
    gdi::SIZE size{};
    if (!gdi::GetBitmapSize(bitmap, &size)) return;
    gdi::RECT bounds{0, 0, size.cx, size.cy};
    if (clip) {
        bounds = gdi::RECT{std::max(bounds.left, clip->left), std::max(bounds.top, clip->top),
                           std::min(bounds.right, clip->right), std::min(bounds.bottom, clip->bottom)};
    }
    // Each run is read whole, shifted and written back before the next is read, so a pixel
    // listed by several runs takes their shifts in the program's order.
    std::vector<std::uint32_t> words;
    for (const ShiftRun& run : program) {
        int first = 0, last = 0;
        if (!ClipRun(run, bounds, &first, &last)) continue;
        const gdi::RECT line = run.along == Along::Row ? gdi::RECT{first, run.line, last + 1, run.line + 1}
                                                       : gdi::RECT{run.line, first, run.line + 1, last + 1};
        words.resize(static_cast<std::size_t>(last - first) + 1);
        if (gdi::GetBitmapBits32(bitmap, &line, words.data()) == 0) continue;
        for (std::uint32_t& word : words) {
            word = gdi::PixelWordFromColor(
                static_cast<gdi::COLORREF>(ShiftColor(gdi::ColorFromPixelWord(word), run.delta)));
        }
        gdi::SetBitmapBits32(bitmap, &line, words.data());
    }
}

void RunShiftsPixelByPixel(gdi::HDC dc, const ShiftProgram& program) {
    for (const ShiftRun& run : program) {
        for (std::int64_t k = run.first; k <= run.last; ++k) {
            const int x = run.along == Along::Row ? static_cast<int>(k) : run.line;
            const int y = run.along == Along::Row ? run.line : static_cast<int>(k);
            gdi::SetPixelV(dc, x, y, static_cast<gdi::COLORREF>(ShiftColor(gdi::GetPixel(dc, x, y), run.delta)));
        }
    }
}

}  // namespace ov::panel
