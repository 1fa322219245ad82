// Elliptical and rectangular gradients by pixel value: the ring colours sampled from the
// linear table at a stride, the ellipse boxes of a wide surface, and the all-black table whose
// rings fall back on the surface's own pen.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "gradient/cls_gradient.h"
#include "gradient/draw_gradient.h"
#include "platform/gdi/gdi.h"
#include "test_surface.h"

namespace ov::gradient {
namespace {

using testing::Grey;
using testing::TestSurface;

constexpr gdi::COLORREF kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(RingGradient, HundredSquareTableHasOneHundredTwoStepsAndLastIndex203) {
    const GradientPlan plan = PlanGradient(100, 100, GradientSettings{});
    EXPECT_EQ(plan.steps, 102);
    EXPECT_EQ(plan.table.size(), 205u);
    EXPECT_EQ(LastRingIndex(plan.table), 203);
    EXPECT_FALSE(plan.failed);
}

TEST(RingGradient, RectangularHundredSquareSamplesEveryFourthEntry) {
    TestSurface surface(100, 100);
    clsGradient g;
    g.SetGradientType(gtRectangular);
    ASSERT_TRUE(g.Draw(surface));
    // Inset d shows entry 4d: white at the border, near black at inset 25, back up to the
    // middle (the ramp is 2.5 grey levels per entry, mirrored after entry 102).
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const int inset = std::min({x, y, 99 - x, 99 - y});
            const int expected = inset <= 25 ? 255 - 10 * inset : 10 * inset - 255;
            ASSERT_EQ(Grey(surface.Pixel(x, y)), expected) << x << "," << y;
        }
}

TEST(RingGradient, EllipticalHundredSquareSamplesEverySecondEntry) {
    TestSurface surface(100, 100);
    clsGradient g;
    g.SetGradientType(gtElliptical);
    ASSERT_TRUE(g.Draw(surface));
    EXPECT_EQ(surface.CountPixels(testing::kSentinel), 0) << "gaps between rings";
    const int corner = Grey(surface.Pixel(0, 0));  // radius ~70: ring 29 or 30, entries 58/60
    EXPECT_GE(corner, 100);
    EXPECT_LE(corner, 120);
    EXPECT_LE(Grey(surface.Pixel(50, 1)), 5);  // radius ~49: ring 51, entry 102, black
    EXPECT_LE(Grey(surface.Pixel(1, 50)), 5);
    const int centre = Grey(surface.Pixel(50, 50));  // ring 99: entry 198 = entry 6
    EXPECT_GE(centre, 230);
    EXPECT_LE(centre, 245);
    // The rings are circles: mirrored across the diagonal, the picture is the same.
    EXPECT_EQ(surface.Pixel(10, 50), surface.Pixel(50, 10));
    EXPECT_EQ(surface.Pixel(20, 70), surface.Pixel(70, 20));
}

TEST(RingGradient, WideSurfaceDrawsEllipsesNotCircles) {
    TestSurface surface(300, 100);
    clsGradient g;
    g.SetGradientType(gtElliptical);
    ASSERT_TRUE(g.Draw(surface));
    EXPECT_EQ(LastRingIndex(PlanGradient(300, 100, GradientSettings{}).table), 603);  // stride 6
    // The ring through the left edge's middle also passes through the top edge's middle:
    // semi-axes shrink together from (200, 100), so both lie on ring ~50, near black.
    EXPECT_LE(Grey(surface.Pixel(0, 50)), 10);
    EXPECT_LE(Grey(surface.Pixel(150, 0)), 10);
    // 130 pixels left of the centre lies ring ~70 (entry ~420 = entry ~184): mid grey.
    const int left = Grey(surface.Pixel(20, 50));
    EXPECT_GE(left, 90);
    EXPECT_LE(left, 110);
    // The last box, (49, 49)-(251, 51), is a flat ellipse along the middle rows in entry
    // 594 = entry 10; the one before it in entry 16.
    const int middle = Grey(surface.Pixel(150, 50));
    EXPECT_TRUE(middle == 247 || middle == 241) << middle;
    EXPECT_EQ(surface.CountPixels(testing::kSentinel), 0);
}

TEST(RingGradient, AllBlackTableLeavesLaterRingsToTheSurfacePen) {
    const gdi::HPEN red_pen = gdi::CreatePen(gdi::PS_SOLID, 1, kRed);
    for (int type : {gtRectangular, gtElliptical}) {
        TestSurface surface(20, 20);
        const gdi::HGDIOBJ original = gdi::SelectObject(surface.hdc(), red_pen);
        clsGradient g;
        g.SetColor1(0);  // black to black: last index -1, stride -1
        g.SetGradientType(type);
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        EXPECT_TRUE(g.Draw(surface));
        EXPECT_EQ(gdi::CountLiveObjects(), before);
        if (type == gtRectangular) {
            EXPECT_EQ(surface.Pixel(0, 0), 0u);  // rectangle 0 in entry 0, black
            EXPECT_EQ(surface.Pixel(19, 7), 0u);
            EXPECT_EQ(surface.Pixel(1, 1), kRed);
            EXPECT_EQ(surface.Pixel(10, 10), kRed);
            EXPECT_EQ(surface.CountPixels(kRed), 400 - 76);
        } else {
            // Ring 0 lies outside the surface; every ring that shows is the surface's pen.
            EXPECT_EQ(surface.CountPixels(kRed), 400);
        }
        // The surface still holds its own pen.
        EXPECT_EQ(gdi::SelectObject(surface.hdc(), original), red_pen);
    }
    gdi::DeleteObject(red_pen);
}

TEST(RingGradient, LastIndexBelowTheShorterSideDrawsEveryRingInEntryZero) {
    for (int type : {gtRectangular, gtElliptical}) {
        TestSurface surface(40, 30);
        clsGradient g;
        g.SetColor1(kRed);
        g.SetColor2(kBlue);
        g.SetRepetitions(1e9);  // table: blue, blue, then black; last index 0
        g.SetGradientType(type);
        EXPECT_TRUE(g.Draw(surface));
        EXPECT_EQ(surface.CountPixels(kBlue), 1200) << type;
    }
}

TEST(RingGradient, AngleChangesRingColoursButNotRingShapes) {
    TestSurface a(60, 60), b(60, 60), c(60, 60);
    clsGradient g;
    g.SetGradientType(gtElliptical);
    ASSERT_TRUE(g.Draw(a));
    g.SetAngle(90);  // a square: same number of sweep lines, same table
    ASSERT_TRUE(g.Draw(b));
    g.SetAngle(45);  // more sweep lines: a longer table and another stride
    ASSERT_TRUE(g.Draw(c));
    EXPECT_EQ(a.Frame(), b.Frame());
    EXPECT_NE(a.Frame(), c.Frame());
    EXPECT_EQ(c.Pixel(5, 30), c.Pixel(30, 5));  // still circles
}

}  // namespace
}  // namespace ov::gradient

namespace ov::gradient {
namespace {

// The elliptical gradient drawn with the drawing layer's batching (its rings written region by
// region) against the same Draw with batching off (every outline drawn as it is called).
std::vector<gdi::COLORREF> EllipticalFrame(int width, int height, double angle, double repetitions, std::int32_t blend,
                                           bool batched) {
    const int previous = gdi::GdiSetBatchLimit(batched ? 0 : 1);
    testing::TestSurface surface(width, height);
    clsGradient g;
    g.SetGradientType(gtElliptical);
    g.SetColor1(0x2060E0);
    g.SetColor2(0xF0F0F0);
    g.SetAngle(angle);
    g.SetRepetitions(repetitions);
    g.SetBlendMode(blend);
    g.Draw(surface);
    std::vector<gdi::COLORREF> frame = surface.Frame();
    gdi::GdiSetBatchLimit(previous);
    return frame;
}

TEST(EllipticalGradient, BatchedDrawMatchesOutlineByOutlineOnRandomSurfaces) {
    struct Case {
        int width, height;
    };
    std::vector<Case> cases = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 3}, {2000, 3}, {3, 2000}, {1999, 1998}, {1200, 7}};
    std::mt19937 rng(19);
    for (int i = 0; i < 24; ++i) {
        const int limit = i % 4 == 0 ? 900 : 160;
        cases.push_back({1 + static_cast<int>(rng() % limit), 1 + static_cast<int>(rng() % limit)});
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const double angle = static_cast<double>(static_cast<int>(rng() % 719) - 359);
        const double repetitions = 0.5 + static_cast<double>(rng() % 90) / 10.0;
        const std::int32_t blend = i % 2 ? gbmHSL : gbmRGB;
        const std::vector<gdi::COLORREF> batched = EllipticalFrame(c.width, c.height, angle, repetitions, blend, true);
        const std::vector<gdi::COLORREF> direct = EllipticalFrame(c.width, c.height, angle, repetitions, blend, false);
        const auto [b, d] = std::mismatch(batched.begin(), batched.end(), direct.begin());
        ASSERT_TRUE(b == batched.end()) << c.width << " x " << c.height << ", angle " << angle << ", repetitions "
                                        << repetitions << ", blend " << blend << ": first difference at pixel "
                                        << (b - batched.begin());
    }
}

}  // namespace
}  // namespace ov::gradient
