// Ellipse: the small outlines, the narrow-box rectangle rule, brush spans, the null pen, clipping
// of boxes far larger than the surface, and the fast path against the slow reference.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/internal/ellipse_raster.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;
using testing_support::Rows;

constexpr COLORREF kPen = 0x0000FF, kBrush = 0x00FF00, kBack = 0xFFFFFF;

std::string Outline(int w, int h) {
    Canvas c(w, h);
    c.Pen(kPen);
    c.HollowBrush();
    EXPECT_TRUE(Ellipse(c.dc(), 0, 0, w, h));
    return c.Art(kPen);
}

TEST(EllipseOutline, SmallBoxes) {
    EXPECT_EQ(Outline(3, 3), Rows({".#.", "#.#", ".#."}));
    EXPECT_EQ(Outline(4, 4), Rows({".##.", "#..#", "#..#", ".##."}));
    EXPECT_EQ(Outline(5, 5), Rows({".###.", "#...#", "#...#", "#...#", ".###."}));
    EXPECT_EQ(Outline(6, 6), Rows({"..##..", ".#..#.", "#....#", "#....#", ".#..#.", "..##.."}));
    EXPECT_EQ(Outline(8, 8),
              Rows({"..####..", ".#....#.", "#......#", "#......#", "#......#", "#......#", ".#....#.", "..####.."}));
    // Corners may be two pixels thick.
    EXPECT_EQ(Outline(7, 5), Rows({"..###..", "##...##", "#.....#", "##...##", "..###.."}));
    EXPECT_EQ(Outline(9, 4), Rows({"..#####..", "##.....##", "##.....##", "..#####.."}));
}

TEST(EllipseOutline, TouchesAllFourSidesOfRoundishBoxes) {
    for (int w = 3; w <= 40; ++w)
        for (int h = 3; h <= 40; ++h) {
            if (h > 3 * w || w > 3 * h) continue;  // very narrow boxes are covered separately
            const auto ref = detail::EllipseReference(0, 0, w, h);
            int min_x = w, max_x = -1, min_y = h, max_y = -1;
            for (const POINT& p : ref.outline) {
                ASSERT_TRUE(p.x >= 0 && p.x < w && p.y >= 0 && p.y < h) << w << "x" << h;
                min_x = std::min(min_x, p.x), max_x = std::max(max_x, p.x);
                min_y = std::min(min_y, p.y), max_y = std::max(max_y, p.y);
            }
            EXPECT_EQ(min_x, 0) << w << "x" << h;
            EXPECT_EQ(max_x, w - 1) << w << "x" << h;
            EXPECT_EQ(min_y, 0) << w << "x" << h;
            EXPECT_EQ(max_y, h - 1) << w << "x" << h;
        }
}

TEST(EllipseNarrow, TwoPixelBoxesFollowTheRectangleRule) {
    for (const auto& [w, h] : {std::pair{12, 2}, {2, 9}, {1, 6}, {6, 1}, {2, 2}, {1, 1}}) {
        Canvas a(16, 12, kBack), b(16, 12, kBack);
        for (Canvas* c : {&a, &b}) {
            c->Pen(kPen);
            c->Brush(kBrush);
        }
        Ellipse(a.dc(), 2, 2, 2 + w, 2 + h);
        Rectangle(b.dc(), 2, 2, 2 + w, 2 + h);
        EXPECT_EQ(a.Art(kPen) + a.Art(kBrush), b.Art(kPen) + b.Art(kBrush)) << w << "x" << h;
    }
    Canvas block(16, 4);
    block.Pen(kPen);
    Ellipse(block.dc(), 2, 1, 14, 3);  // 12x2: a full block
    EXPECT_EQ(block.Count(kPen), 24);
}

TEST(EllipseFill, BrushSpansFromLeftmostToRightmostOutlinePixelPenOnTop) {
    Canvas c(7, 7, kBack);
    c.Pen(kPen);
    c.Brush(kBrush);
    Ellipse(c.dc(), 0, 0, 7, 7);
    EXPECT_EQ(c.Art(kPen, '#'), Rows({"..###..", ".#...#.", "#.....#", "#.....#", "#.....#", ".#...#.", "..###.."}));
    EXPECT_EQ(c.Art(kBrush, 'o'), Rows({".......", "..ooo..", ".ooooo.", ".ooooo.", ".ooooo.", "..ooo..", "......."}));
}

TEST(EllipseFill, NullPenBrushCoversTheWholeFootprint) {
    Canvas with_pen(9, 9, kBack), null_pen(9, 9, kBack);
    with_pen.Pen(kBrush);
    with_pen.Brush(kBrush);
    null_pen.Pen(0, PS_NULL);
    null_pen.Brush(kBrush);
    Ellipse(with_pen.dc(), 0, 0, 9, 9);
    Ellipse(null_pen.dc(), 0, 0, 9, 9);
    EXPECT_EQ(null_pen.Art(kBrush), with_pen.Art(kBrush));
}

TEST(EllipseFill, ReversedBoxIsNormalised) {
    Canvas a(12, 12), b(12, 12);
    a.Pen(kPen);
    b.Pen(kPen);
    Ellipse(a.dc(), 10, 9, 1, 2);
    Ellipse(b.dc(), 1, 2, 10, 9);
    EXPECT_EQ(a.Art(kPen), b.Art(kPen));
}

// Draws an ellipse through the public call and through the slow reference (on an unclipped
// virtual canvas, then clipped) and compares every pixel.
void ExpectMatchesReference(int w, int h, int l, int t, int r, int b, bool pen, bool brush) {
    Canvas c(w, h, kBack);
    if (pen) c.Pen(kPen);
    else c.Pen(0, PS_NULL);
    if (brush) c.Brush(kBrush);
    else c.HollowBrush();
    Ellipse(c.dc(), l, t, r, b);
    std::vector<COLORREF> expected(static_cast<std::size_t>(w) * h, kBack);
    const auto ref = detail::EllipseReference(l, t, r, b);
    auto put = [&](const POINT& p, COLORREF colour) {
        if (p.x >= 0 && p.x < w && p.y >= 0 && p.y < h) expected[static_cast<std::size_t>(p.y) * w + p.x] = colour;
    };
    const bool small = std::abs(r - l) <= 2 || std::abs(b - t) <= 2;
    if (brush) {
        if (small && !pen) {
            // Rectangle rule without a pen: the brush over [l, r-1) x [t, b-1).
            const int L = std::min(l, r), R = std::max(l, r), T = std::min(t, b), B = std::max(t, b);
            for (int y = T; y < B - 1; ++y)
                for (int x = L; x < R - 1; ++x) put(POINT{x, y}, kBrush);
        } else {
            for (const POINT& p : ref.brush) put(p, kBrush);
        }
    }
    if (pen)
        for (const POINT& p : ref.outline) put(p, kPen);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(c.At(x, y), expected[static_cast<std::size_t>(y) * w + x])
                << "Ellipse(" << l << "," << t << "," << r << "," << b << ") on " << w << "x" << h << " pen " << pen
                << " brush " << brush << " at (" << x << "," << y << ")";
}

TEST(EllipseReference, FastPathMatchesOnRandomClippedBoxes) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> coord(-30, 70);
    std::uniform_int_distribution<int> flag(0, 1);
    for (int i = 0; i < 1500; ++i) {
        const bool pen = flag(rng), brush = flag(rng);
        ExpectMatchesReference(40, 30, coord(rng), coord(rng), coord(rng), coord(rng), pen || !brush, brush);
    }
}

// Every box size up to 34 pixels and the narrow, tall boxes whose path ends in a vertical run,
// each inside the canvas and cut by each pair of edges, with and without the brush, so every
// row and column clip of the mirrored runs is met.
TEST(EllipseReference, FastPathMatchesEverySmallBoxInsideAndAcrossEdges) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 3; w <= 34; ++w)
        for (int h = 3; h <= 34; ++h) sizes.emplace_back(w, h);
    for (int n = 3; n <= 6; ++n)
        for (int m : {17, 32, 33, 57}) sizes.insert(sizes.end(), {{n, m}, {m, n}});
    for (const auto& [w, h] : sizes) {
        ExpectMatchesReference(64, 64, 3, 2, 3 + w, 2 + h, true, true);
        ExpectMatchesReference(40, 36, 2, -h / 2, 2 + w, h - h / 2, true, false);
        ExpectMatchesReference(40, 36, -w / 3, -h / 2, w - w / 3, h - h / 2, true, false);
        ExpectMatchesReference(40, 36, 40 - w / 2, 36 - h / 3, 40 - w / 2 + w, 36 - h / 3 + h, true, true);
    }
}

// Outlines around the whole surface are skipped unwalked; these boxes grow from just touching
// the surface's corners to well clear of them, so the last ones drawn and the first ones
// skipped are both compared with the reference.
TEST(EllipseClipping, OutlinesAroundTheSurfaceNearTheirCorners) {
    bool touched = false, clear = false;
    for (int grow = 0; grow < 30; ++grow) {
        for (int skew : {0, 3, 11}) {
            const int l = -9 - grow, t = -6 - grow - skew / 2, r = 49 + grow + skew, b = 36 + grow;
            ExpectMatchesReference(40, 30, l, t, r, b, true, false);
            ExpectMatchesReference(40, 30, l, t, r, b, true, true);
            Canvas c(40, 30, kBack);
            c.Pen(kPen);
            c.HollowBrush();
            Ellipse(c.dc(), l, t, r, b);
            bool painted = false;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) painted = painted || c.At(x, y) == kPen;
            (painted ? touched : clear) = true;
        }
    }
    // The boxes cross from outlines through the corners to outlines clear of the surface.
    EXPECT_TRUE(touched);
    EXPECT_TRUE(clear);
}

TEST(EllipseClipping, HugeBoxIsClippedCheaplyAndExactly) {
    ExpectMatchesReference(300, 100, -50, -50, 350, 150, true, true);
    ExpectMatchesReference(60, 40, -600, -400, 660, 440, true, true);
}

}  // namespace
}  // namespace ov::gdi
