// Wide pens: stroke thickness and placement, round caps and joins, rectangle frames, ellipse rings,
// clipping of strokes far larger than the surface, mono bitmaps, drawing order against pending
// one-pixel lines, and the row rasterizers against a per-pixel reference on random shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "support/canvas.h"
#include "platform/gdi/internal/ellipse_raster.h"
#include "platform/gdi/internal/line_raster.h"
#include "platform/gdi/internal/objects.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;
using testing_support::Rows;

constexpr COLORREF kPen = 0x0000FF, kBrush = 0x00FF00, kBack = 0xFFFFFF;

// Selects a pen of the given width for the scope's lifetime, then deletes it.
class PenScope {
public:
    PenScope(const Canvas& canvas, int width, COLORREF colour = kPen)
        : dc_(canvas.dc()), pen_(CreatePen(PS_SOLID, width, colour)), previous_(SelectObject(dc_, pen_)) {}
    ~PenScope() {
        SelectObject(dc_, previous_);
        DeleteObject(pen_);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ previous_;
};

// Every test leaves the object counts as it found them.
class WidePen : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CountLiveObjects(), before_); }

private:
    LiveObjects before_ = CountLiveObjects();
};

// --- slow reference: the pixel rule evaluated directly ----------------------------------------
// Doubled coordinates: path points at 2p, the centre of pixel x at 2x + 1 for even widths (the
// centre line sits half a pixel up and left) and 2x for odd ones; painted when the distance is
// below the width (the doubled half-width).

bool NearSegment(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, int w, int x, int y) {
    const __int128 s = w % 2 == 0 ? 1 : 0;
    const __int128 qx = 2 * __int128{x} + s - 2 * x0, qy = 2 * __int128{y} + s - 2 * y0;
    const __int128 dx = 2 * (x1 - x0), dy = 2 * (y1 - y0), r2 = __int128{w} * w;
    const __int128 dot = qx * dx + qy * dy, len2 = dx * dx + dy * dy;
    if (dot <= 0) return qx * qx + qy * qy < r2;
    if (dot >= len2) return (qx - dx) * (qx - dx) + (qy - dy) * (qy - dy) < r2;
    const __int128 cross = qx * dy - qy * dx;
    return cross * cross < r2 * len2;
}

bool NearRectanglePath(int l, int t, int r, int b, int w, int x, int y) {
    return NearSegment(l, t, r - 1, t, w, x, y) || NearSegment(r - 1, t, r - 1, b - 1, w, x, y) ||
           NearSegment(r - 1, b - 1, l, b - 1, w, x, y) || NearSegment(l, b - 1, l, t, w, x, y);
}

bool InRing(int l, int t, int r, int b, int w, int x, int y) {
    const __int128 dx = 2 * __int128{x} - (l + r - 1), dy = 2 * __int128{y} - (t + b - 1);
    auto inside = [&](__int128 a, __int128 c) { return dx * dx * c * c + dy * dy * a * a < a * a * c * c; };
    const __int128 inner_a = r - l - 1 - w, inner_b = b - t - 1 - w;
    const bool hole = inner_a > 0 && inner_b > 0 && inside(inner_a, inner_b);
    return inside(r - l - 1 + w, b - t - 1 + w) && !hole;
}

// Compares every pixel of `c` with `expected(x, y)` (pen colour where true, `otherwise` elsewhere).
void ExpectPixels(
    const Canvas& c, const std::function<bool(int, int)>& expected, const std::string& what,
    const std::function<COLORREF(int, int)>& otherwise = [](int, int) { return kBack; }) {
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            ASSERT_EQ(c.At(x, y), expected(x, y) ? kPen : otherwise(x, y)) << what << " at (" << x << "," << y << ")";
}

void Line(const Canvas& c, int x0, int y0, int x1, int y1) {
    MoveToEx(c.dc(), x0, y0, nullptr);
    ASSERT_TRUE(LineTo(c.dc(), x1, y1));
}

// The painted rows of a column (or columns of a row) within [from, to) as [first, last];
// {-1, -1} when none or not one run.
std::pair<int, int> RunOf(const Canvas& c, bool column, int fixed, int from = 0, int to = 1 << 20) {
    int first = -1, last = -1;
    to = std::min(to, column ? c.height() : c.width());
    for (int i = from; i < to; ++i) {
        if ((column ? c.At(fixed, i) : c.At(i, fixed)) != kPen) continue;
        if (first < 0) first = i;
        else if (last != i - 1) return {-1, -1};
        last = i;
    }
    return {first, last};
}

// --- lines -------------------------------------------------------------------------------------

TEST_F(WidePen, AxisLinesAreExactlyWideThickOddCentredEvenUpAndLeft) {
    // w / 2 on the upper (left) side, (w - 1) / 2 on the lower (right) side of the path pixel.
    for (const int w : {2, 3, 4, 5, 8}) {
        Canvas c(32, 32, kBack);
        PenScope pen(c, w);
        Line(c, 6, 12, 20, 12);
        EXPECT_EQ(RunOf(c, true, 13), std::pair(12 - w / 2, 12 + (w - 1) / 2)) << "horizontal, w " << w;
        c.Fill(kBack);
        Line(c, 15, 25, 15, 4);  // drawn upwards
        EXPECT_EQ(RunOf(c, false, 14), std::pair(15 - w / 2, 15 + (w - 1) / 2)) << "vertical, w " << w;
    }
}

TEST_F(WidePen, RoundCapsPaintTheEndPointAndCutTheCapCorners) {
    for (const int w : {2, 3, 4, 5, 6, 9}) {
        Canvas c(40, 30, kBack);
        PenScope pen(c, w);
        Line(c, 10, 15, 25, 15);
        const int up = w / 2, down = (w - 1) / 2;
        // Along the path row the caps reach as far as the sides do.
        EXPECT_EQ(RunOf(c, false, 15), std::pair(10 - up, 25 + down)) << "w " << w;
        EXPECT_EQ(c.At(25, 15), kPen) << "end point, w " << w;
        // The corners of the square around each cap: their centres are (w - 1) / 2 * sqrt 2 from
        // the end point, less than w / 2 only for widths below 4.
        const bool corners = w < 4;
        EXPECT_EQ(c.At(10 - up, 15 - up) == kPen, corners) << "w " << w;
        EXPECT_EQ(c.At(10 - up, 15 + down) == kPen, corners) << "w " << w;
        EXPECT_EQ(c.At(25 + down, 15 - up) == kPen, corners) << "w " << w;
        EXPECT_EQ(c.At(25 + down, 15 + down) == kPen, corners) << "w " << w;
        // Nothing beyond the square.
        EXPECT_EQ(c.At(10 - up - 1, 15), kBack);
        EXPECT_EQ(c.At(25 + down + 1, 15), kBack);
        EXPECT_EQ(c.At(17, 15 - up - 1), kBack);
        EXPECT_EQ(c.At(17, 15 + down + 1), kBack);
    }
}

TEST_F(WidePen, FortyFiveDegreeLineCoversTheBandAroundTheDiagonal) {
    // A pixel's centre is |x - y| / sqrt 2 from the line y = x (the half-pixel move for even widths
    // is along the diagonal), so inside the segment the band is |x - y| < w / sqrt 2.
    for (const auto& [w, reach] : {std::pair{2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 4}}) {
        Canvas c(40, 40, kBack);
        PenScope pen(c, w);
        Line(c, 5, 5, 34, 34);
        for (int y = 12; y < 28; ++y)
            EXPECT_EQ(RunOf(c, false, y), std::pair(y - reach, y + reach)) << "w " << w << " row " << y;
    }
}

TEST_F(WidePen, ZeroLengthLineIsARoundDotAndMovesNothing) {
    Canvas odd(7, 7, kBack), even(6, 6, kBack);
    {
        PenScope pen(odd, 5);
        Line(odd, 3, 3, 3, 3);
        POINT p{};
        GetCurrentPositionEx(odd.dc(), &p);
        EXPECT_EQ(p.x, 3);
        EXPECT_EQ(p.y, 3);
    }
    EXPECT_EQ(odd.Art(kPen), Rows({".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}));
    {
        PenScope pen(even, 4);
        Line(even, 3, 3, 3, 3);
    }
    EXPECT_EQ(even.Art(kPen), Rows({"......", "..##..", ".####.", ".####.", "..##..", "......"}));
}

TEST_F(WidePen, PolylineMovesThePositionAndJoinsRound) {
    Canvas c(24, 24, kBack);
    PenScope pen(c, 5);
    MoveToEx(c.dc(), 4, 4, nullptr);
    LineTo(c.dc(), 18, 4);
    LineTo(c.dc(), 18, 18);
    POINT p{};
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 18);
    EXPECT_EQ(p.y, 18);
    ExpectPixels(
        c, [](int x, int y) { return NearSegment(4, 4, 18, 4, 5, x, y) || NearSegment(18, 4, 18, 18, 5, x, y); },
        "polyline");
    // The outer corner of the join is round: (20, 2) is sqrt 8 > 2.5 from the corner point.
    EXPECT_EQ(c.At(20, 2), kBack);
    EXPECT_EQ(c.At(19, 2), kPen);
}

TEST_F(WidePen, WideLineIsDrawnInOrderWithPendingOnePixelLines) {
    Canvas c(16, 16, kBack);
    constexpr COLORREF kThin = 0xFF0000;
    c.Pen(kThin);
    Line(c, 0, 8, 16, 8);  // one pixel, possibly still pending
    {
        PenScope pen(c, 3);
        Line(c, 8, 2, 8, 14);  // crosses it afterwards: must win at the crossing
    }
    c.Pen(kThin);
    Line(c, 0, 9, 16, 9);  // and a later thin line wins over the wide one
    EXPECT_EQ(c.At(8, 8), kPen);
    EXPECT_EQ(c.At(7, 8), kPen);
    EXPECT_EQ(c.At(6, 8), kThin);
    EXPECT_EQ(c.At(8, 9), kThin);
    EXPECT_EQ(c.At(8, 10), kPen);
}

// --- clipping ----------------------------------------------------------------------------------

TEST_F(WidePen, HugeLinesClipExactlyAtTheSurfaceEdges) {
    {
        // A diagonal two billion pixels long: the band |x - y| <= 2 everywhere on the surface,
        // edges included. Walking it step by step would not finish.
        Canvas c(100, 80, kBack);
        PenScope pen(c, 4);
        Line(c, -1000000000, -1000000000, 1000000000, 1000000000);
        ExpectPixels(
            c, [](int x, int y) { return std::abs(x - y) <= 2; }, "diagonal");
        c.Fill(kBack);
        Line(c, INT_MAX, INT_MAX, INT_MIN, INT_MIN);  // the whole coordinate range
        ExpectPixels(
            c, [](int x, int y) { return std::abs(x - y) <= 2; }, "full-range diagonal");
    }
    {
        // 100,000 pixels long at a shallow slope, against the reference.
        Canvas c(100, 100, kBack);
        PenScope pen(c, 7);
        Line(c, -50000, 10, 50000, 90);
        ExpectPixels(
            c, [](int x, int y) { return NearSegment(-50000, 10, 50000, 90, 7, x, y); }, "shallow");
        EXPECT_EQ(c.At(0, 50), kPen);
        EXPECT_EQ(c.At(99, 50), kPen);
    }
    {
        // A dot centred off the surface: width 8 reaches column 0 (rows 8 to 11), width 6 nothing.
        Canvas c(20, 20, kBack);
        {
            PenScope pen(c, 8);
            Line(c, -3, 10, -3, 10);
        }
        ExpectPixels(
            c, [](int x, int y) { return x == 0 && y >= 8 && y <= 11; }, "dot left of the surface");
        c.Fill(kBack);
        PenScope pen(c, 6);
        Line(c, -3, 10, -3, 10);
        EXPECT_EQ(c.Count(kPen), 0);
    }
    {
        // A pen wider than the coordinates are far apart covers everything, with no overflow.
        Canvas c(20, 20, kBack);
        c.HollowBrush();
        PenScope pen(c, 1 << 30);
        Line(c, -2000000000, 5, 2000000000, 7);
        EXPECT_EQ(c.Count(kPen), 400);
        c.Fill(kBack);
        Ellipse(c.dc(), -10, -2000000000, 2000000000, 2000000000);  // the surface is on the ring
        EXPECT_EQ(c.Count(kPen), 400);
        c.Fill(kBack);
        Ellipse(c.dc(), -2000000000, -2000000000, 2000000000, 2000000000);  // and in the hole
        EXPECT_EQ(c.Count(kPen), 0);
        c.Fill(kBack);
        Rectangle(c.dc(), 100, 100, 200, 200);
        EXPECT_EQ(c.Count(kPen), 400);
    }
}

// --- rectangles --------------------------------------------------------------------------------

TEST_F(WidePen, RectangleFrameHasRoundOuterCornersOverTheBrush) {
    Canvas c(22, 20, kBack);
    c.Brush(kBrush);
    PenScope pen(c, 5);
    ASSERT_TRUE(Rectangle(c.dc(), 16, 15, 4, 5));  // normalised to (4, 5, 16, 15): path x 4..15, y 5..14
    // Two pixels either side of the path; the brush keeps what the frame leaves of x 5..14, y 6..13.
    EXPECT_EQ(RunOf(c, false, 10, 0, 10), std::pair(2, 6));
    EXPECT_EQ(RunOf(c, false, 10, 10, 22), std::pair(13, 17));
    EXPECT_EQ(RunOf(c, true, 10, 0, 10), std::pair(3, 7));
    EXPECT_EQ(RunOf(c, true, 10, 10, 20), std::pair(12, 16));
    EXPECT_EQ(c.At(7, 8), kBrush);
    EXPECT_EQ(c.At(12, 11), kBrush);
    // Outer corners: (2, 3) is sqrt 8 from the corner point (4, 5), (3, 3) and (2, 4) sqrt 5.
    for (const auto& [x, y] : {std::pair{2, 3}, {17, 3}, {2, 16}, {17, 16}})
        EXPECT_EQ(c.At(x, y), kBack) << x << "," << y;
    for (const auto& [x, y] : {std::pair{3, 3}, {2, 4}, {16, 16}, {17, 15}})
        EXPECT_EQ(c.At(x, y), kPen) << x << "," << y;
    ExpectPixels(
        c, [](int x, int y) { return NearRectanglePath(4, 5, 16, 15, 5, x, y); }, "frame",
        [](int x, int y) { return x >= 5 && x < 15 && y >= 6 && y < 14 ? kBrush : kBack; });
}

TEST_F(WidePen, DegenerateRectanglesStrokeTheirPath) {
    // A one-pixel-wide box is a vertical stroke, a 1x1 box a dot; an empty box draws nothing.
    for (const RECT& box : {RECT{6, 3, 7, 12}, RECT{6, 6, 7, 7}, RECT{3, 6, 12, 7}}) {
        Canvas c(16, 16, kBack);
        c.HollowBrush();
        PenScope pen(c, 4);
        Rectangle(c.dc(), box.left, box.top, box.right, box.bottom);
        ExpectPixels(
            c, [&](int x, int y) { return NearSegment(box.left, box.top, box.right - 1, box.bottom - 1, 4, x, y); },
            "degenerate box");
    }
    Canvas c(16, 16, kBack);
    PenScope pen(c, 4);
    Rectangle(c.dc(), 5, 5, 5, 12);
    EXPECT_EQ(c.Count(kBack), 16 * 16);
}

// --- ellipses ----------------------------------------------------------------------------------

TEST_F(WidePen, EllipseRingThicknessAtItsFourExtremes) {
    // Box (2, 3, 27, 20): centre (14, 11), semi-axes 12 and 8. A pixel is in the ring when its
    // distance from the centre along an axis lies in [semi-axis - w/2, semi-axis + w/2).
    struct Case {
        int w;
        std::pair<int, int> left, right, top, bottom;
    };
    for (const Case& k : {Case{2, {2, 3}, {25, 26}, {3, 4}, {18, 19}}, Case{3, {1, 3}, {25, 27}, {2, 4}, {18, 20}},
                          Case{4, {1, 4}, {24, 27}, {2, 5}, {17, 20}}}) {
        Canvas c(32, 24, kBack);
        c.Brush(kBrush);
        PenScope pen(c, k.w);
        ASSERT_TRUE(Ellipse(c.dc(), 2, 3, 27, 20));
        EXPECT_EQ(RunOf(c, false, 11, 0, 14), k.left) << "w " << k.w;
        EXPECT_EQ(RunOf(c, false, 11, 14, 32), k.right) << "w " << k.w;
        EXPECT_EQ(RunOf(c, true, 14, 0, 11), k.top) << "w " << k.w;
        EXPECT_EQ(RunOf(c, true, 14, 11, 24), k.bottom) << "w " << k.w;
        // Off the ring: the brush exactly where a one-pixel pen's ellipse has brush or outline.
        Canvas thin(32, 24, kBack);
        thin.Pen(kPen);
        thin.Brush(kBrush);
        Ellipse(thin.dc(), 2, 3, 27, 20);
        ExpectPixels(
            c, [&](int x, int y) { return InRing(2, 3, 27, 20, k.w, x, y); }, "ring " + std::to_string(k.w),
            [&](int x, int y) { return thin.At(x, y) != kBack ? kBrush : kBack; });
    }
}

TEST_F(WidePen, EllipseNarrowerThanThePenHasNoHole) {
    // Box (5, 5, 10, 8): semi-axes 2 and 1; width 3 leaves an inner semi-axis of -0.5.
    Canvas c(16, 14, kBack);
    c.HollowBrush();
    PenScope pen(c, 3);
    Ellipse(c.dc(), 5, 5, 10, 8);
    // Centre (7, 6); outer semi-axes 3.5 and 2.5.
    EXPECT_EQ(RunOf(c, false, 6), std::pair(4, 10));
    EXPECT_EQ(RunOf(c, true, 7), std::pair(4, 8));
    ExpectPixels(
        c, [](int x, int y) { return InRing(5, 5, 10, 8, 3, x, y); }, "solid ring");
}

TEST_F(WidePen, HugeEllipseRingClipsAgainstTheReference) {
    // Left extreme of an ellipse 200,000 pixels wide passing through the surface.
    Canvas c(40, 30, kBack);
    c.HollowBrush();
    PenScope pen(c, 9);
    Ellipse(c.dc(), 5, -100000, 200005, 100030);
    EXPECT_EQ(c.At(5, 15), kPen);
    ExpectPixels(
        c, [](int x, int y) { return InRing(5, -100000, 200005, 100030, 9, x, y); }, "huge ring");
}

// --- formats and thin pens ---------------------------------------------------------------------

TEST_F(WidePen, MonoBitmapsTakeTheNearestOfBlackAndWhite) {
    Canvas colour(30, 24, 0), mono(30, 24, 0, /*mono=*/true);
    for (Canvas* c : {&colour, &mono}) {
        c->HollowBrush();
        PenScope pen(*c, 3, 0x808080);  // white on a mono bitmap
        Line(*c, 2, 20, 26, 3);
        Rectangle(c->dc(), 4, 4, 12, 10);
        Ellipse(c->dc(), 14, 12, 28, 22);
    }
    int painted = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool on = colour.At(x, y) == 0x808080;
            painted += on;
            ASSERT_EQ(mono.At(x, y), on ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    EXPECT_GT(painted, 100);
}

TEST_F(WidePen, WidthZeroAndOneKeepTheOnePixelRules) {
    for (const int w : {0, 1}) {
        Canvas c(24, 20, kBack);
        c.HollowBrush();
        PenScope pen(c, w);
        Line(c, 2, 3, 17, 9);
        std::string expected(static_cast<std::size_t>(24 * 20), '.');
        for (const POINT& p : detail::LineReferencePixels(2, 3, 17, 9, detail::PixelRect{0, 0, 24, 20}))
            expected[static_cast<std::size_t>(p.y) * 24 + p.x] = '#';
        std::string actual;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 24; ++x) actual += c.At(x, y) == kPen ? '#' : '.';
        EXPECT_EQ(actual, expected) << "line, w " << w;
        EXPECT_EQ(c.At(17, 9), kBack);  // the end point stays unpainted

        c.Fill(kBack);
        Ellipse(c.dc(), 3, 2, 20, 15);
        std::string outline(static_cast<std::size_t>(24 * 20), '.');
        for (const POINT& p : detail::EllipseReference(3, 2, 20, 15).outline)
            outline[static_cast<std::size_t>(p.y) * 24 + p.x] = '#';
        actual.clear();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 24; ++x) actual += c.At(x, y) == kPen ? '#' : '.';
        EXPECT_EQ(actual, outline) << "ellipse, w " << w;

        Canvas box(6, 5, kBack);
        box.HollowBrush();
        PenScope box_pen(box, w);
        Rectangle(box.dc(), 1, 1, 5, 4);
        EXPECT_EQ(box.Art(kPen), Rows({"......", ".####.", ".#..#.", ".####.", "......"})) << "rectangle, w " << w;
    }
}

// --- against the reference ---------------------------------------------------------------------

TEST_F(WidePen, RowRasterizersMatchThePixelRuleOnRandomShapes) {
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> coordinate(-25, 60), width(2, 13), shape(0, 2);
    for (int i = 0; i < 400; ++i) {
        Canvas c(37, 29, kBack);
        c.HollowBrush();
        const int w = width(rng);
        PenScope pen(c, w);
        int l = coordinate(rng), t = coordinate(rng), r = coordinate(rng), b = coordinate(rng);
        const int kind = shape(rng);
        const std::string what = "(" + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
                                 std::to_string(b) + ") w " + std::to_string(w);
        if (kind == 0) {
            Line(c, l, t, r, b);
            ExpectPixels(
                c, [&](int x, int y) { return NearSegment(l, t, r, b, w, x, y); }, "line " + what);
            continue;
        }
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        if (l == r || t == b) continue;
        if (kind == 1) {
            Rectangle(c.dc(), l, t, r, b);
            ExpectPixels(
                c, [&](int x, int y) { return NearRectanglePath(l, t, r, b, w, x, y); }, "rectangle " + what);
        } else {
            Ellipse(c.dc(), l, t, r, b);
            ExpectPixels(
                c, [&](int x, int y) { return InRing(l, t, r, b, w, x, y); }, "ellipse " + what);
        }
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace ov::gdi
