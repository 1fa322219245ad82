// The one-pixel line rule: pixels painted, end point excluded, rounding of exact halves, polylines,
// analytic clipping, and the fast walk against the slow reference on random segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/internal/line_raster.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;
using Pixels = std::set<std::pair<int, int>>;

constexpr COLORREF kRed = 0x0000FF;

Pixels Painted(const Canvas& c, COLORREF colour) {
    Pixels out;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.At(x, y) == colour) out.emplace(x, y);
    return out;
}

Pixels DrawLine(int x0, int y0, int x1, int y1, int w = 16, int h = 16) {
    Canvas c(w, h);
    c.Pen(kRed);
    MoveToEx(c.dc(), x0, y0, nullptr);
    EXPECT_TRUE(LineTo(c.dc(), x1, y1));
    return Painted(c, kRed);
}

TEST(LineRule, StartPaintedEndExcludedInBothDirections) {
    EXPECT_EQ(DrawLine(0, 0, 7, 3), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 3}}));
    EXPECT_EQ(DrawLine(7, 3, 0, 0), (Pixels{{7, 3}, {6, 3}, {5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}));
}

TEST(LineRule, ExactHalvesGoToTheSmallerCoordinate) {
    EXPECT_EQ(DrawLine(2, 2, 10, 6), (Pixels{{2, 2}, {3, 2}, {4, 3}, {5, 3}, {6, 4}, {7, 4}, {8, 5}, {9, 5}}));
    EXPECT_EQ(DrawLine(12, 12, 10, 11), (Pixels{{12, 12}, {11, 11}}));
    // y-major: the x halves round down as well, going up or down.
    EXPECT_EQ(DrawLine(2, 2, 3, 4), (Pixels{{2, 2}, {2, 3}}));
    EXPECT_EQ(DrawLine(3, 4, 2, 2), (Pixels{{3, 4}, {2, 3}}));
}

TEST(LineRule, FortyFiveDegreesIsXMajorAndDiagonal) {
    EXPECT_EQ(DrawLine(1, 1, 5, 5), (Pixels{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(DrawLine(5, 1, 1, 5), (Pixels{{5, 1}, {4, 2}, {3, 3}, {2, 4}}));
}

TEST(LineRule, ZeroAndOneLengthSegments) {
    EXPECT_TRUE(DrawLine(5, 5, 5, 5).empty());
    EXPECT_EQ(DrawLine(5, 5, 6, 5), (Pixels{{5, 5}}));
    EXPECT_EQ(DrawLine(5, 5, 5, 6), (Pixels{{5, 5}}));
}

TEST(LineRule, CurrentPositionMovesToTheEndAndStartsAtOrigin) {
    Canvas c(8, 8);
    c.Pen(kRed);
    POINT p{-1, -1};
    ASSERT_TRUE(GetCurrentPositionEx(c.dc(), &p));
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    LineTo(c.dc(), 3, 0);
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(Painted(c, kRed), (Pixels{{0, 0}, {1, 0}, {2, 0}}));
    // The position moves even when nothing is painted (null pen, line off the surface).
    c.Pen(0, PS_NULL);
    LineTo(c.dc(), 100, 100);
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 100);
}

TEST(LineRule, ClosedPolylinePaintsEveryCornerOnceOpenOneLacksItsLastPoint) {
    Canvas c(8, 8);
    c.Pen(kRed);
    MoveToEx(c.dc(), 1, 1, nullptr);
    LineTo(c.dc(), 5, 1);
    LineTo(c.dc(), 5, 4);
    LineTo(c.dc(), 1, 4);
    LineTo(c.dc(), 1, 1);
    EXPECT_EQ(c.Art(kRed), testing_support::Rows({"........", ".#####..", ".#...#..", ".#...#..", ".#####..",
                                                  "........", "........", "........"}));
    Canvas open(8, 8);
    open.Pen(kRed);
    MoveToEx(open.dc(), 1, 1, nullptr);
    LineTo(open.dc(), 5, 1);
    LineTo(open.dc(), 5, 4);
    EXPECT_EQ(open.At(5, 4), 0xFFFFFFu);
    EXPECT_EQ(open.At(5, 3), kRed);
}

TEST(LineRule, MonoTargetsTakeTheNearerOfBlackAndWhite) {
    Canvas c(8, 2, 0x000000, /*mono=*/true);
    c.Pen(0x808080);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 4, 0);
    c.Pen(0x7F7F7F);
    c.Fill(0xFFFFFF);
    MoveToEx(c.dc(), 0, 1, nullptr);
    LineTo(c.dc(), 4, 1);
    EXPECT_EQ(c.At(0, 1), 0x000000u);
    EXPECT_EQ(c.At(4, 1), 0xFFFFFFu);
}

TEST(LineClipping, FarEndpointsPaintExactlyTheInSurfacePartOfTheUnclippedLine) {
    // Compare against the same line drawn on a surface large enough to hold it.
    const int x0 = -1234, y0 = -377, x1 = 2345, y1 = 901;
    Canvas small(100, 100);
    small.Pen(kRed);
    MoveToEx(small.dc(), x0, y0, nullptr);
    LineTo(small.dc(), x1, y1);
    const auto reference = detail::LineReferencePixels(x0, y0, x1, y1, detail::PixelRect{0, 0, 100, 100});
    ASSERT_FALSE(reference.empty());
    Pixels expected;
    for (const POINT& p : reference) expected.emplace(p.x, p.y);
    EXPECT_EQ(Painted(small, kRed), expected);
}

TEST(LineClipping, ALongLineCostsOnlyItsVisiblePixels) {
    // A 3000-pixel sweep line across a 100-pixel surface visits ~100 pixels, not 3000.
    int visits = 0;
    detail::WalkLine(-1500, 10, 1500, 80, detail::PixelRect{0, 0, 100, 100}, [&](int, int) { ++visits; });
    EXPECT_EQ(visits, 100);
    visits = 0;
    detail::WalkLine(INT_MIN / 2, -5, INT_MAX / 2, 5, detail::PixelRect{0, 0, 100, 100}, [&](int, int) { ++visits; });
    EXPECT_LE(visits, 100);
}

TEST(LineClipping, FastWalkMatchesTheReferenceOnRandomSegments) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> coord(-60, 100), clip_lo(-5, 20), clip_len(0, 50);
    for (int iteration = 0; iteration < 20000; ++iteration) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        const int cl = clip_lo(rng), ct = clip_lo(rng);
        const detail::PixelRect clip{cl, ct, cl + clip_len(rng), ct + clip_len(rng)};
        std::vector<POINT> fast;
        detail::WalkLine(x0, y0, x1, y1, clip, [&](int x, int y) { fast.push_back(POINT{x, y}); });
        const std::vector<POINT> slow = detail::LineReferencePixels(x0, y0, x1, y1, clip);
        ASSERT_EQ(fast.size(), slow.size()) << "segment (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") clip "
                                            << clip.left << "," << clip.top << "," << clip.right << "," << clip.bottom;
        for (std::size_t i = 0; i < fast.size(); ++i) {
            ASSERT_EQ(fast[i].x, slow[i].x)
                << "segment (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") pixel " << i;
            ASSERT_EQ(fast[i].y, slow[i].y)
                << "segment (" << x0 << "," << y0 << ")-(" << x1 << "," << y1 << ") pixel " << i;
        }
    }
}

TEST(LineClipping, ExtremeCoordinatesDoNotOverflow) {
    Canvas c(20, 20);
    c.Pen(kRed);
    MoveToEx(c.dc(), INT_MIN, INT_MIN, nullptr);
    LineTo(c.dc(), INT_MAX, INT_MAX);
    // The diagonal through the origin: x == y on every painted pixel.
    const Pixels painted = Painted(c, kRed);
    EXPECT_FALSE(painted.empty());
    for (const auto& [x, y] : painted) EXPECT_NEAR(x, y, 1);
}

}  // namespace
}  // namespace ov::gdi
