// Wide pens: segment strokes (lines and rectangle frames) and ellipse rings, written a row span
// at a time.
#include "platform/gdi/internal/wide_pen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace ov::gdi::detail {
namespace {

using Int128 = __int128;
using UInt128 = unsigned __int128;

// --- exact arithmetic --------------------------------------------------------------------------
// Squared distances between doubled int coordinates reach 2^68 and the comparisons multiply two
// of them, so they are made on 256-bit products.

struct UInt256 {
    UInt128 high = 0, low = 0;
};

UInt256 Multiply(UInt128 a, UInt128 b) {
    const UInt128 mask = ~std::uint64_t{0};
    const UInt128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
    const UInt128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    // Three terms below 2^64 each: no overflow.
    const UInt128 middle = (p00 >> 64) + (p01 & mask) + (p10 & mask);
    return UInt256{p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64), (p00 & mask) | (middle << 64)};
}

UInt256 Add(const UInt256& x, const UInt256& y) {
    const UInt128 low = x.low + y.low;
    return UInt256{x.high + y.high + (low < x.low ? 1 : 0), low};
}

bool Less(const UInt256& x, const UInt256& y) { return x.high != y.high ? x.high < y.high : x.low < y.low; }

UInt128 Magnitude(Int128 v) { return v < 0 ? -static_cast<UInt128>(v) : static_cast<UInt128>(v); }
// For values below 2^64 in magnitude.
UInt128 Square(Int128 v) { return Magnitude(v) * Magnitude(v); }

std::int64_t FloorHalf(std::int64_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

// Where a pixel's centre lies in doubled coordinates, relative to the path points at even
// values: 2x for an odd width, 2x + 1 for an even one. Moving the samples half a pixel right and
// down is the same as moving the centre line half a pixel up and left, which gives an even-width
// stroke exactly w rows: with the samples on the path (offset 0) the rows at distance exactly w / 2
// would be excluded on both sides, leaving w - 1; moved, one side gains them.
std::int64_t SampleOffset(int pen_width) { return pen_width % 2 == 0 ? 1 : 0; }

// --- spans from estimates ----------------------------------------------------------------------

// The run of columns in [low, high] (inclusive) where `covers` holds, given that the covered
// columns of the row form one run and that [estimate_low, estimate_high] (continuous columns,
// low > high for an empty estimate) is within a pixel of it. The ends are settled by testing
// pixels, so rounding in the estimate never changes the result, only the handful of tests.
template <typename Covers>
ColumnSpan SettleSpan(double estimate_low, double estimate_high, int low, int high, Covers&& covers) {
    if (low > high || !(estimate_low <= estimate_high)) return {};
    const double slack_low = low - 2.0, slack_high = high + 2.0;
    int first = std::max(low, static_cast<int>(std::floor(std::clamp(estimate_low, slack_low, slack_high))) - 1);
    int last = std::min(high, static_cast<int>(std::ceil(std::clamp(estimate_high, slack_low, slack_high))) + 1);
    while (first <= last && !covers(first)) ++first;
    if (first > last) return {};
    while (first > low && covers(first - 1)) --first;
    while (!covers(last)) --last;  // stops at `first` at the latest
    while (last < high && covers(last + 1)) ++last;
    return ColumnSpan{first, last + 1};
}

// Clips the segment (x0, y0)-(x1, y1) to the box [left, right] x [top, bottom] (Liang-Barsky).
// Ends inside the box stay exactly as they were.
bool ClipSegment(double* x0, double* y0, double* x1, double* y1, double left, double top, double right, double bottom) {
    const double dx = *x1 - *x0, dy = *y1 - *y0;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {  // keeps t with p * t <= q
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, *x0 - left) || !edge(dx, right - *x0) || !edge(-dy, *y0 - top) || !edge(dy, bottom - *y0))
        return false;
    const double sx = *x0, sy = *y0;
    if (t1 < 1) *x1 = sx + t1 * dx, *y1 = sy + t1 * dy;
    if (t0 > 0) *x0 = sx + t0 * dx, *y0 = sy + t0 * dy;
    return true;
}

// Rows [first, last) of `surface` whose doubled sample 2y + offset lies in (low, high).
std::pair<int, int> RowsBetween(double low, double high, std::int64_t offset, const PixelRect& surface) {
    const double first = std::floor((low - static_cast<double>(offset)) / 2);
    const double last = std::ceil((high - static_cast<double>(offset)) / 2) + 1;
    const double top = surface.top, bottom = surface.bottom;
    const int a = static_cast<int>(std::clamp(first, top, bottom));
    const int b = static_cast<int>(std::clamp(last, top, bottom));
    return {a, std::max(a, b)};
}

void FillRowSpan(Bitmap& bitmap, int y, const ColumnSpan& span, std::uint32_t pixel) {
    if (span.empty()) return;
    FillSpan(bitmap, y, span.left, span.right, pixel);
}

}  // namespace

// --- segment strokes ---------------------------------------------------------------------------

WideSegment::WideSegment(int x0, int y0, int x1, int y1, int pen_width, const PixelRect& surface)
    : ax_(2 * std::int64_t{x0}),
      ay_(2 * std::int64_t{y0}),
      bx_(2 * std::int64_t{x1}),
      by_(2 * std::int64_t{y1}),
      radius_(pen_width),
      offset_(SampleOffset(pen_width)),
      surface_(surface) {
    if (surface.empty()) return;
    // Only the part of the segment within w / 2 of the surface can paint in it; the box grown by
    // the full width (plus a pixel for rounding) keeps all of that part.
    const double margin = static_cast<double>(radius_) + 2.0;
    near_x0_ = static_cast<double>(ax_), near_y0_ = static_cast<double>(ay_);
    near_x1_ = static_cast<double>(bx_), near_y1_ = static_cast<double>(by_);
    near_surface_ =
        ClipSegment(&near_x0_, &near_y0_, &near_x1_, &near_y1_, 2.0 * surface.left - margin, 2.0 * surface.top - margin,
                    2.0 * (surface.right - 1) + 1 + margin, 2.0 * (surface.bottom - 1) + 1 + margin);
    if (!near_surface_) return;
    const double r = static_cast<double>(radius_);
    std::tie(first_row_, last_row_) =
        RowsBetween(std::min(near_y0_, near_y1_) - r, std::max(near_y0_, near_y1_) + r, offset_, surface);
}

bool WideSegment::Covers(int x, int y) const {
    // Distance from the pixel's centre q to the segment a-b, compared squared with the radius
    // (all doubled): to an end where q projects beyond it, to the line in between.
    const std::int64_t qx = 2 * std::int64_t{x} + offset_, qy = 2 * std::int64_t{y} + offset_;
    const Int128 dx = bx_ - ax_, dy = by_ - ay_;
    const Int128 rx = qx - ax_, ry = qy - ay_;
    const UInt128 radius_squared = Square(radius_);
    const Int128 along = rx * dx + ry * dy;
    const Int128 length_squared = dx * dx + dy * dy;
    if (along <= 0) return Square(rx) + Square(ry) < radius_squared;
    if (along >= length_squared) return Square(qx - bx_) + Square(qy - by_) < radius_squared;
    // Between the ends: |cross| / |d| < r, i.e. cross^2 < r^2 |d|^2.
    const Int128 cross = rx * dy - ry * dx;
    return Less(Multiply(Magnitude(cross), Magnitude(cross)),
                Multiply(radius_squared, static_cast<UInt128>(length_squared)));
}

bool WideSegment::EstimateRow(double sample_y, double* low, double* high) const {
    const double r = static_cast<double>(radius_);
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    auto cap = [&](double px, double py) {
        const double k = r * r - (sample_y - py) * (sample_y - py);
        if (k <= 0) return;
        const double half = std::sqrt(k);
        lo = std::min(lo, px - half);
        hi = std::max(hi, px + half);
    };
    cap(near_x0_, near_y0_);
    cap(near_x1_, near_y1_);
    const double dx = near_x1_ - near_x0_, dy = near_y1_ - near_y0_, ry = sample_y - near_y0_;
    if (dy == 0) {
        if (dx != 0 && std::abs(ry) < r) {
            lo = std::min(lo, std::min(near_x0_, near_x1_));
            hi = std::max(hi, std::max(near_x0_, near_x1_));
        }
    } else {
        // Within r of the line: |(X - x0) dy - ry dx| < r |d|; projecting inside the segment:
        // 0 <= (X - x0) dx + ry dy <= |d|^2.
        const double length = std::hypot(dx, dy);
        double a = near_x0_ + (ry * dx - r * length) / dy, b = near_x0_ + (ry * dx + r * length) / dy;
        if (a > b) std::swap(a, b);
        if (dx != 0) {
            double c = near_x0_ - ry * dy / dx, d = near_x0_ + (dx * dx + dy * dy - ry * dy) / dx;
            if (c > d) std::swap(c, d);
            a = std::max(a, c);
            b = std::min(b, d);
        } else if (ry * dy < 0 || ry * dy > dy * dy) {
            b = a - 1;
        }
        if (a <= b) {
            lo = std::min(lo, a);
            hi = std::max(hi, b);
        }
    }
    *low = lo;
    *high = hi;
    return lo <= hi;
}

ColumnSpan WideSegment::RowSpan(int y) const {
    if (!near_surface_ || y < surface_.top || y >= surface_.bottom) return {};
    const double offset = static_cast<double>(offset_);
    double low = 0, high = 0;
    if (!EstimateRow(2.0 * y + offset, &low, &high)) return {};
    return SettleSpan((low - offset) / 2, (high - offset) / 2, surface_.left, surface_.right - 1,
                      [&](int x) { return Covers(x, y); });
}

// --- ellipse rings -----------------------------------------------------------------------------

namespace {

// Strictly inside the ellipse with doubled semi-axes a, b around the origin: x^2 b^2 + y^2 a^2 <
// a^2 b^2.
bool InsideEllipse(std::int64_t x, std::int64_t y, std::int64_t a, std::int64_t b) {
    const UInt128 a2 = Square(a), b2 = Square(b);
    return Less(Add(Multiply(Square(x), b2), Multiply(Square(y), a2)), Multiply(a2, b2));
}

}  // namespace

WideEllipseRing::WideEllipseRing(int left, int top, int right, int bottom, int pen_width, const PixelRect& surface)
    : centre_x_(std::int64_t{left} + right - 1),
      centre_y_(std::int64_t{top} + bottom - 1),
      outer_a_(std::int64_t{right} - left - 1 + pen_width),
      outer_b_(std::int64_t{bottom} - top - 1 + pen_width),
      inner_a_(std::int64_t{right} - left - 1 - pen_width),
      inner_b_(std::int64_t{bottom} - top - 1 - pen_width),
      has_hole_(inner_a_ > 0 && inner_b_ > 0),
      surface_(surface) {
    if (surface.empty()) return;
    // Rows with |2y - centre_y| < outer_b.
    std::tie(first_row_, last_row_) =
        RowsBetween(static_cast<double>(centre_y_ - outer_b_), static_cast<double>(centre_y_ + outer_b_), 0, surface);
}

bool WideEllipseRing::Covers(int x, int y) const {
    const std::int64_t dx = 2 * std::int64_t{x} - centre_x_, dy = 2 * std::int64_t{y} - centre_y_;
    return InsideEllipse(dx, dy, outer_a_, outer_b_) && !(has_hole_ && InsideEllipse(dx, dy, inner_a_, inner_b_));
}

void WideEllipseRing::RowSpans(int y, ColumnSpan* left_half, ColumnSpan* right_half) const {
    *left_half = *right_half = ColumnSpan{};
    if (y < surface_.top || y >= surface_.bottom) return;
    const double dy = 2.0 * y - static_cast<double>(centre_y_);
    const double outer_b = static_cast<double>(outer_b_);
    if (std::abs(dy) >= outer_b + 1) return;
    // Half-widths of the row's chords through both ellipses, doubled.
    auto chord = [&](double a, double b) {
        const double t = 1 - (dy / b) * (dy / b);
        return t > 0 ? a * std::sqrt(t) : 0.0;
    };
    const double outer = chord(static_cast<double>(outer_a_), outer_b);
    const double inner = has_hole_ ? chord(static_cast<double>(inner_a_), static_cast<double>(inner_b_)) : 0.0;
    // Each half of the row (doubled x <= 0 and > 0) holds one run of the ring, so the halves
    // are settled separately: the hole between them may be narrower than the estimate's slack.
    const double centre = static_cast<double>(centre_x_);
    const std::int64_t middle = FloorHalf(centre_x_);  // last column with 2x <= centre_x
    const int left_end = static_cast<int>(std::clamp<std::int64_t>(middle, surface_.left - 1, surface_.right - 1));
    auto covers = [&](int x) { return Covers(x, y); };
    *left_half = SettleSpan((centre - outer) / 2, (centre - inner) / 2, surface_.left, left_end, covers);
    *right_half = SettleSpan((centre + inner) / 2, (centre + outer) / 2, left_end + 1, surface_.right - 1, covers);
}

// --- drawing -----------------------------------------------------------------------------------

void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, int pen_width, std::uint32_t pixel) {
    const WideSegment stroke(x0, y0, x1, y1, pen_width, BoundsOf(bitmap));
    for (int y = stroke.first_row(); y < stroke.last_row(); ++y) FillRowSpan(bitmap, y, stroke.RowSpan(y), pixel);
}

void DrawWideRectangleFrame(Bitmap& bitmap, int left, int top, int right, int bottom, int pen_width,
                            std::uint32_t pixel) {
    const PixelRect surface = BoundsOf(bitmap);
    const int r = right - 1, b = bottom - 1;
    const WideSegment sides[4] = {
        WideSegment(left, top, r, top, pen_width, surface), WideSegment(r, top, r, b, pen_width, surface),
        WideSegment(r, b, left, b, pen_width, surface), WideSegment(left, b, left, top, pen_width, surface)};
    int first = surface.bottom, last = surface.top;
    for (const WideSegment& side : sides) {
        if (side.first_row() >= side.last_row()) continue;
        first = std::min(first, side.first_row());
        last = std::max(last, side.last_row());
    }
    for (int y = first; y < last; ++y) {
        // The frame is the union of the four sides' strokes: merge their runs so each pixel is
        // written once.
        ColumnSpan runs[4];
        int count = 0;
        for (const WideSegment& side : sides)
            if (const ColumnSpan run = side.RowSpan(y); !run.empty()) runs[count++] = run;
        std::sort(runs, runs + count, [](const ColumnSpan& p, const ColumnSpan& q) { return p.left < q.left; });
        ColumnSpan current{};
        for (int i = 0; i < count; ++i) {
            if (!current.empty() && runs[i].left <= current.right) {
                current.right = std::max(current.right, runs[i].right);
                continue;
            }
            FillRowSpan(bitmap, y, current, pixel);
            current = runs[i];
        }
        FillRowSpan(bitmap, y, current, pixel);
    }
}

void DrawWideEllipseRing(Bitmap& bitmap, int left, int top, int right, int bottom, int pen_width, std::uint32_t pixel) {
    const WideEllipseRing ring(left, top, right, bottom, pen_width, BoundsOf(bitmap));
    for (int y = ring.first_row(); y < ring.last_row(); ++y) {
        ColumnSpan left_half, right_half;
        ring.RowSpans(y, &left_half, &right_half);
        if (!left_half.empty() && left_half.right == right_half.left) {
            FillRowSpan(bitmap, y, ColumnSpan{left_half.left, right_half.right}, pixel);
            continue;
        }
        FillRowSpan(bitmap, y, left_half, pixel);
        FillRowSpan(bitmap, y, right_half, pixel);
    }
}

}  // namespace ov::gdi::detail
