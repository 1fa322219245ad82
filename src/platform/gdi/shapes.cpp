// Lines, rectangles, ellipses, rectangle fills and single pixels. Every primitive clips to the
// target bitmap first and writes only pixels inside it.
#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/ellipse_raster.h"
#include "platform/gdi/internal/line_raster.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/pending_lines.h"
#include "platform/gdi/internal/pending_rings.h"
#include "platform/gdi/internal/raster.h"
#include "platform/gdi/internal/wide_pen.h"
#include "platform/limits.h"

namespace ov::gdi {
namespace detail {
namespace {

// What a drawing call needs from its DC: the target and the pen and brush in stored form.
struct DrawTarget {
    Bitmap* bitmap = nullptr;
    DeviceContext* dc = nullptr;
    bool has_pen = false;
    std::uint32_t pen_pixel = 0;
    int pen_width = 1;
    bool has_brush = false;
    std::uint32_t brush_pixel = 0;
};

// `for_append` looks the bitmap up for recording: the line calls add to its pending lines, and
// any direct pixel access they make goes through Bitmap::row, which writes them out first.
bool ResolveTarget(HDC handle, DrawTarget* target, bool for_append = false) {
    target->dc = LookupDc(handle);
    if (!target->dc) return false;
    const Pen* pen = LookupPen(target->dc->pen);
    if (pen && pen->style != PS_NULL) target->pen_width = pen->width;
    // A wide pen writes its pixels at once instead of adding to the pending lines, so those are
    // written out first to keep the drawing order.
    if (target->pen_width > 1) for_append = false;
    target->bitmap = for_append ? BitmapForRecording(target->dc->bitmap) : BitmapForPixels(target->dc->bitmap);
    if (!target->bitmap) return false;
    if (pen && pen->style != PS_NULL) {
        target->has_pen = true;
        target->pen_pixel = target->bitmap->StoredPixel(pen->colour);
    }
    if (const Brush* brush = LookupBrush(target->dc->brush); brush && !brush->hollow) {
        target->has_brush = true;
        target->brush_pixel = target->bitmap->StoredPixel(brush->colour);
    }
    return true;
}

// One segment of the line rule, clipped to the bitmap. Horizontal and vertical segments take
// direct loops (start included, end excluded, either direction). With `defer` the clipped
// segment is recorded as a pending line instead of written.
void DrawSegment(Bitmap& bitmap, int x0, int y0, int x1, int y1, std::uint32_t pixel, bool defer = false) {
    const PixelRect clip = BoundsOf(bitmap);
    defer = defer && LineDeferralEnabled();
    if (y0 == y1 && x0 != x1) {
        if (y0 < clip.top || y0 >= clip.bottom) return;
        // Start included, end excluded, in either direction.
        const std::int64_t a = x0 < x1 ? x0 : std::int64_t{x1} + 1;
        const std::int64_t b = x0 < x1 ? x1 : std::int64_t{x0} + 1;
        const int left = static_cast<int>(std::max<std::int64_t>(a, clip.left));
        const int right = static_cast<int>(std::min<std::int64_t>(b, clip.right));
        if (left >= right) return;
        if (defer) AppendPendingRowSpan(bitmap, y0, left, right, pixel);
        else FillSpan(bitmap, y0, left, right, pixel);
        return;
    }
    if (x0 == x1 && y0 != y1) {
        if (x0 < clip.left || x0 >= clip.right) return;
        const std::int64_t a = y0 < y1 ? y0 : std::int64_t{y1} + 1;
        const std::int64_t b = y0 < y1 ? y1 : std::int64_t{y0} + 1;
        const int top = static_cast<int>(std::max<std::int64_t>(a, clip.top));
        const int bottom = static_cast<int>(std::min<std::int64_t>(b, clip.bottom));
        if (top >= bottom) return;
        if (defer) {
            AppendPendingColumn(bitmap, x0, top, bottom, pixel);
            return;
        }
        bitmap.VisitFormat([&](auto tag) {
            using T = decltype(tag);
            const T value = StoredAs<T>(pixel);
            T* p = bitmap.row_of<T>(top) + x0;
            for (int y = top; y < bottom; ++y, p += bitmap.width) *p = value;
        });
        return;
    }
    if (defer) {
        const LineWalk walk = MakeLineWalk(x0, y0, x1, y1);
        if (walk.n == 0 || clip.empty()) return;
        std::int64_t first = 0, last = walk.n;
        if (!clip.contains(x0, y0) || !clip.contains(x1, y1)) ClipLineWalk(walk, clip, &first, &last);
        if (first < last) AppendPendingSegment(bitmap, x0, y0, x1, y1, first, last, pixel);
        return;
    }
    bitmap.VisitFormat([&](auto tag) {
        using T = decltype(tag);
        const T value = StoredAs<T>(pixel);
        T* const base = bitmap.row_of<T>(0);
        const auto stride = static_cast<std::ptrdiff_t>(bitmap.width);
        WalkLine(x0, y0, x1, y1, clip, [&](int x, int y) { base[y * stride + x] = value; });
    });
}

void DrawClosedPolyline(Bitmap& bitmap, const std::vector<POINT>& vertices, std::uint32_t pixel, bool defer = false) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const POINT& a = vertices[i];
        const POINT& b = vertices[(i + 1) % vertices.size()];
        // In 64 bits: the vertices may lie at opposite ends of the coordinate range.
        const std::int64_t step_x = std::int64_t{b.x} - a.x, step_y = std::int64_t{b.y} - a.y;
        if (step_x >= -1 && step_x <= 1 && step_y >= -1 && step_y <= 1) {
            // A one-step segment paints just its start; a repeated vertex paints nothing.
            const int x = a.x, y = a.y;
            if ((step_x | step_y) == 0 || x < 0 || x >= bitmap.width || y < 0 || y >= bitmap.height) continue;
            // Recorded with the other segments when they are: a direct write would first have
            // to write out everything recorded before it.
            if (defer && LineDeferralEnabled()) AppendPendingColumn(bitmap, x, y, y + 1, pixel);
            else bitmap.SetPixelAt(x, y, pixel);
            continue;
        }
        DrawSegment(bitmap, a.x, a.y, b.x, b.y, pixel, defer);
    }
}

// Rectangle on a normalised box; also the shape of every ellipse at most 2 pixels wide or high.
void DrawRectangleShape(const DrawTarget& target, int left, int top, int right, int bottom) {
    if (right == left || bottom == top) return;
    Bitmap& bitmap = *target.bitmap;
    if (target.has_brush) {
        // Inside the outline; without a pen the brush still stops one pixel short on the right
        // and bottom, as the platform draws it.
        const PixelRect fill = target.has_pen ? PixelRect{left + 1, top + 1, right - 1, bottom - 1}
                                              : PixelRect{left, top, right - 1, bottom - 1};
        const PixelRect area = fill.intersected(BoundsOf(bitmap));
        if (!area.empty()) FillRectPixels(bitmap, area, target.brush_pixel);
    }
    if (target.has_pen && target.pen_width > 1) {
        DrawWideRectangleFrame(bitmap, left, top, right, bottom, target.pen_width, target.pen_pixel);
    } else if (target.has_pen) {
        if (AppendPendingFrame(bitmap, left, top, right, bottom, target.pen_pixel)) return;
        // A closed polyline through the corner pixels: each corner is the start of one segment,
        // so a 1-pixel-wide box is one full line and a 1x1 box paints nothing.
        const std::vector<POINT> corners = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
        DrawClosedPolyline(bitmap, corners, target.pen_pixel, /*defer=*/true);
    }
}

// Writes [x0, x1) of a row, clipped to [0, width).
template <typename T>
inline void FillClippedSpan(T* row, int width, int x0, int x1, T pixel) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width);
    for (int x = x0; x < x1; ++x) row[x] = pixel;
}

// The rows of an ellipse's brush and outline (see DrawEllipseShape) in a row of stored type T.
template <typename T>
void WriteEllipseRows(const DrawTarget& target, int left, int top, int right, int a, int b, int y_limit) {
    Bitmap& bitmap = *target.bitmap;
    const int width = right - left, height = b + 1;
    T* const base = bitmap.row_of<T>(0);
    const int surface_width = bitmap.width, surface_height = bitmap.height;
    const bool pen = target.has_pen, brush = target.has_brush;
    const T pen_pixel = StoredAs<T>(target.pen_pixel), brush_pixel = StoredAs<T>(target.brush_pixel);
    auto write_row = [&](int row, int lo, int hi) {
        T* const p = base + static_cast<std::ptrdiff_t>(row) * surface_width;
        if (brush) FillClippedSpan(p, surface_width, left + a - hi, left + hi + 1, brush_pixel);
        if (pen) {
            FillClippedSpan(p, surface_width, left + lo, left + hi + 1, pen_pixel);
            FillClippedSpan(p, surface_width, left + a - hi, left + a - lo + 1, pen_pixel);
        }
    };
    // Path row y lands on rows top + y and top + b - y (once when they coincide).
    auto each_image = [&](int y, auto&& write) {
        const int lower = top + y, upper = top + b - y;
        if (lower >= 0 && lower < surface_height) write(lower);
        if (upper != lower && upper >= 0 && upper < surface_height) write(upper);
    };
    auto each_row = [&](auto&& write) {
        WalkEllipseQuadrantRows(width, height, y_limit,
                                [&](int y, int lo, int hi) { each_image(y, [&](int row) { write(row, lo, hi); }); });
    };
    if (pen && !brush && left >= 0 && right <= surface_width) {
        // An outline clear of both side edges (every ring of a gradient once it is inside the
        // surface): no column clipping, and the steep parts' one-pixel runs written directly.
        T* const origin = base + left;
        each_row([&](int row, int lo, int hi) {
            T* const p = origin + static_cast<std::ptrdiff_t>(row) * surface_width;
            if (lo == hi) {
                p[lo] = pen_pixel;
                p[a - lo] = pen_pixel;
                return;
            }
            for (int x = lo; x <= hi; ++x) p[x] = pen_pixel;
            for (int x = a - hi; x <= a - lo; ++x) p[x] = pen_pixel;
        });
        return;
    }
    if (pen && !brush) {
        // An outline cut by a side edge (the outer rings of a gradient): both rows of a path row
        // share its two clipped runs, so they are clipped once, and a path row with nothing
        // left on the surface is dropped before either row is touched.
        const std::int64_t last_column = surface_width - 1;
        WalkEllipseQuadrantRows(width, height, y_limit, [&](int y, int lo, int hi) {
            const std::int64_t right_from = std::max<std::int64_t>(std::int64_t{left} + lo, 0);
            const std::int64_t right_to = std::min<std::int64_t>(std::int64_t{left} + hi, last_column);
            const std::int64_t left_from = std::max<std::int64_t>(std::int64_t{left} + a - hi, 0);
            const std::int64_t left_to = std::min<std::int64_t>(std::int64_t{left} + a - lo, last_column);
            if (right_from > right_to && left_from > left_to) return;
            each_image(y, [&](int row) {
                T* const p = base + static_cast<std::ptrdiff_t>(row) * surface_width;
                for (std::int64_t x = right_from; x <= right_to; ++x) p[x] = pen_pixel;
                for (std::int64_t x = left_from; x <= left_to; ++x) p[x] = pen_pixel;
            });
        });
        return;
    }
    each_row(write_row);
}

void DrawEllipseShape(const DrawTarget& target, int left, int top, int right, int bottom) {
    const int width = right - left, height = bottom - top;
    if (width <= 2 || height <= 2) {
        DrawRectangleShape(target, left, top, right, bottom);
        return;
    }
    if (!target.has_pen && !target.has_brush) return;
    Bitmap& bitmap = *target.bitmap;
    if (!target.has_brush && SurfaceInsideOutline(left, top, width, height, bitmap.width, bitmap.height)) return;
    // The outline is the quadrant's path mirrored four ways, so each row of the path gives two
    // rows of the outline, each with a run on the right and its mirror image on the left. Per
    // row, the brush spans from the leftmost to the rightmost outline pixel and the pen is
    // written over it. Each outline row comes from exactly one path row (the middle row of an
    // odd height is its own mirror, written once), so the rows can be finished one at a time.
    const int a = width - 1, b = height - 1;
    // Path row y lands on rows top + y and top + b - y; past this neither is inside the bitmap.
    const std::int64_t limit = std::max<std::int64_t>(std::int64_t{bitmap.height} - top, std::int64_t{b} + top + 1);
    const int y_limit = static_cast<int>(std::min<std::int64_t>(limit, INT_MAX));
    bitmap.VisitFormat([&](auto tag) { WriteEllipseRows<decltype(tag)>(target, left, top, right, a, b, y_limit); });
}

// Ellipse with a wide pen: the brush as under a one-pixel pen (between the thin outline's
// extreme pixels, nothing for boxes at most 2 pixels wide or high), then the ring over it.
void DrawWideEllipseShape(const DrawTarget& target, int left, int top, int right, int bottom) {
    if (right == left || bottom == top) return;
    if (target.has_brush && right - left > 2 && bottom - top > 2) {
        DrawTarget brush_only = target;
        brush_only.has_pen = false;
        DrawEllipseShape(brush_only, left, top, right, bottom);
    }
    DrawWideEllipseRing(*target.bitmap, left, top, right, bottom, target.pen_width, target.pen_pixel);
}

void Normalise(int* left, int* top, int* right, int* bottom) {
    if (*left > *right) std::swap(*left, *right);
    if (*top > *bottom) std::swap(*top, *bottom);
}

}  // namespace

void DrawThinEllipseOutline(Bitmap& bitmap, int left, int top, int right, int bottom, std::uint32_t pixel) {
    DrawTarget target;
    target.bitmap = &bitmap;
    target.has_pen = true;
    target.pen_pixel = pixel;
    Normalise(&left, &top, &right, &bottom);
    DrawEllipseShape(target, left, top, right, bottom);
}

}  // namespace detail

using namespace detail;

bool LineTo(HDC handle, int x, int y) {
    return Guarded(false, [&] {
        DrawTarget target;
        if (!ResolveTarget(handle, &target, /*for_append=*/true)) return false;
        const POINT from = target.dc->position;
        target.dc->position = POINT{x, y};
        if (target.has_pen && target.pen_width > 1)
            DrawWideLine(*target.bitmap, from.x, from.y, x, y, target.pen_width, target.pen_pixel);
        else if (target.has_pen) DrawSegment(*target.bitmap, from.x, from.y, x, y, target.pen_pixel, /*defer=*/true);
        return true;
    });
}

bool Rectangle(HDC handle, int left, int top, int right, int bottom) {
    return Guarded(false, [&] {
        DrawTarget target;
        if (!ResolveTarget(handle, &target, /*for_append=*/true)) return false;
        Normalise(&left, &top, &right, &bottom);
        DrawRectangleShape(target, left, top, right, bottom);
        return true;
    });
}

bool Ellipse(HDC handle, int left, int top, int right, int bottom) {
    return Guarded(false, [&] {
        DrawTarget target;
        if (!ResolveTarget(handle, &target, /*for_append=*/true)) return false;
        const int given_left = left, given_top = top, given_right = right, given_bottom = bottom;
        Normalise(&left, &top, &right, &bottom);
        // The outline walk (a one-pixel pen, or the brush under any pen) has a size limit; a
        // wide pen's ring alone is exact for every box.
        const bool walks = target.pen_width == 1 || target.has_brush;
        if (walks && (std::int64_t{right} - left > limits::kMaxEllipseExtent ||
                      std::int64_t{bottom} - top > limits::kMaxEllipseExtent))
            return false;
        // A thin outline alone is recorded: it may be one of a gradient's rings.
        if (target.has_pen && target.pen_width == 1 && !target.has_brush &&
            AppendPendingRingOutline(*target.bitmap, given_left, given_top, given_right, given_bottom,
                                     target.pen_pixel))
            return true;
        if (target.bitmap->NeedsPreparation()) target.bitmap->PrepareForAccess();
        if (target.has_pen && target.pen_width > 1) DrawWideEllipseShape(target, left, top, right, bottom);
        else DrawEllipseShape(target, left, top, right, bottom);
        return true;
    });
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush_handle) {
    return Guarded(0, [&] {
        Bitmap* bitmap = TargetBitmap(handle);
        const Brush* brush = LookupBrush(brush_handle);
        if (!bitmap || !brush || !rect) return 0;
        if (brush->hollow) return 1;
        // An inverted extent covers (end, start] like a blit with a negative extent, not a swap.
        const Span xs = SpanBetween(rect->left, rect->right), ys = SpanBetween(rect->top, rect->bottom);
        const PixelRect area = PixelRect{xs.start, ys.start, xs.end, ys.end}.intersected(BoundsOf(*bitmap));
        if (!area.empty()) FillRectPixels(*bitmap, area, bitmap->StoredPixel(brush->colour));
        return 1;
    });
}

COLORREF GetPixel(HDC handle, int x, int y) {
    return Guarded(CLR_INVALID, [&] {
        const UntrackedBitmapAccess read;
        const Bitmap* bitmap = TargetBitmap(handle);
        if (!bitmap || !BoundsOf(*bitmap).contains(x, y)) return CLR_INVALID;
        return ColorFromPixelWord(bitmap->PixelAt(x, y) & 0x00FFFFFFu);
    });
}

bool SetPixelV(HDC handle, int x, int y, COLORREF colour) { return SetPixel(handle, x, y, colour) != CLR_INVALID; }

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
    // Returns the colour actually stored (black or white on a mono bitmap); -1 outside.
    return Guarded(CLR_INVALID, [&] {
        Bitmap* bitmap = TargetBitmap(handle);
        if (!bitmap || !BoundsOf(*bitmap).contains(x, y)) return CLR_INVALID;
        const std::uint32_t pixel = bitmap->StoredPixel(colour & 0x00FFFFFFu);
        bitmap->SetPixelAt(x, y, pixel);
        return ColorFromPixelWord(pixel);
    });
}

bool PatBlt(HDC handle, int x, int y, int width, int height, std::uint32_t rop) {
    return Guarded(false, [&] {
        DrawTarget target;
        if (!ResolveTarget(handle, &target)) return false;
        const std::uint8_t index = RopIndex(rop);
        if (RopUsesSource(index)) return false;
        if (RopUsesPattern(index) && !target.has_brush) return true;  // a hollow pattern draws nothing
        const Span xs = SpanOfExtent(x, width), ys = SpanOfExtent(y, height);
        const PixelRect area = PixelRect{xs.start, ys.start, xs.end, ys.end}.intersected(BoundsOf(*target.bitmap));
        Bitmap& bitmap = *target.bitmap;
        bitmap.VisitFormat([&](auto tag) {
            using T = decltype(tag);
            const RopRowKernelOf<T> kernel = RopKernelFor<T>(index);
            for (int row = area.top; row < area.bottom; ++row)
                kernel(bitmap.row_of<T>(row) + area.left, nullptr, target.brush_pixel, area.width());
        });
        return true;
    });
}

}  // namespace ov::gdi
