// Linear gradients by pixel value: which edge starts with the first colour, which ramp entry
// each row or column shows, repetitions, blend modes and the failing builds that still draw.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gradient/cls_gradient.h"
#include "test_surface.h"

namespace ov::gradient {
namespace {

using testing::Grey;
using testing::TestSurface;

// White to black over n = 51 lines: 255 / 51 = 5, so entry i is grey 255 - 5i exactly and no
// rounding can blur which entry a pixel shows.
constexpr int kSide = 49;
int RampEntry(int i) { return 255 - 5 * i; }

bool DrawOn(TestSurface& surface, clsGradient& gradient) { return gradient.Draw(surface); }

// The four axis directions, every pixel checked. The first line of the sweep lies on the
// near edge for 0 and 270 (-90 draws like 270) and one line outside the far edge for 90 and
// 180, so there the edge row or column already shows entry 1. A new object draws angle 0.
TEST(LinearGradient, AxisAnglesStartOnTheirEdgeAndStepOneEntryPerLine) {
    struct Row {
        double angle;
        bool along_x;   // the ramp advances with x (else with y)
        bool from_far;  // entry 0 lies just beyond the far edge
    };
    const Row rows[] = {{0, true, false}, {90, false, true}, {180, true, true}, {270, false, false}, {-90, false, false}};
    for (const Row& row : rows) {
        TestSurface surface(row.along_x ? kSide : 10, row.along_x ? 10 : kSide);
        clsGradient g;
        if (row.angle != 0) g.SetAngle(row.angle);
        ASSERT_TRUE(DrawOn(surface, g)) << row.angle;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x) {
                const int along = row.along_x ? x : y;
                ASSERT_EQ(Grey(surface.Pixel(x, y)), RampEntry(row.from_far ? kSide - along : along))
                    << "angle " << row.angle << " at " << x << "," << y;
            }
    }
}

// 45 degrees is white at the bottom-left corner and darkest top-right; 135 white bottom-right
// and darkest top-left. Along the lines the colour stays within an entry (rounded line ends
// make them not quite diagonal), across them it changes by several entries.
TEST(LinearGradient, DiagonalsRunFromTheirWhiteCornerToTheOpposite) {
    struct Row {
        double angle;
        int white, dark;               // corner indices: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
        gdi::POINT along[2], across[2];  // across[0] is the lighter pixel
    };
    const Row rows[] = {{45, 2, 1, {{10, 20}, {20, 30}}, {{10, 20}, {20, 10}}},
                        {135, 3, 0, {{30, 20}, {20, 30}}, {{30, 30}, {20, 20}}}};
    for (const Row& row : rows) {
        TestSurface s(50, 50);
        clsGradient g;
        g.SetAngle(row.angle);
        ASSERT_TRUE(DrawOn(s, g));
        EXPECT_EQ(s.CountPixels(testing::kSentinel), 0) << row.angle;
        const int corner[4] = {Grey(s.Pixel(0, 0)), Grey(s.Pixel(49, 0)), Grey(s.Pixel(0, 49)), Grey(s.Pixel(49, 49))};
        EXPECT_GE(corner[row.white], 245) << row.angle;
        for (int other = 0; other < 4; ++other) {
            if (other == row.white || other == row.dark) continue;
            EXPECT_GT(corner[row.white], corner[other]) << row.angle << " corner " << other;
            EXPECT_LT(corner[row.dark], corner[other]) << row.angle << " corner " << other;
        }
        const auto grey_at = [&](gdi::POINT p) { return Grey(s.Pixel(p.x, p.y)); };
        EXPECT_LE(std::abs(grey_at(row.along[0]) - grey_at(row.along[1])), 4) << row.angle;
        EXPECT_GE(grey_at(row.across[0]) - grey_at(row.across[1]), 40) << row.angle;
    }
}

TEST(LinearGradient, FullTurnAndNegativeAnglesDrawLikeTheirPositiveEquals) {
    for (auto [angle, equal] : {std::pair{360.0, 0.0}, std::pair{-30.0, 330.0}, std::pair{-45.0, 315.0}}) {
        TestSurface a(37, 23), b(37, 23);
        clsGradient g;
        g.SetAngle(angle);
        ASSERT_TRUE(DrawOn(a, g));
        g.SetAngle(equal);
        ASSERT_TRUE(DrawOn(b, g));
        EXPECT_EQ(a.Frame(), b.Frame()) << angle;
        EXPECT_EQ(a.CountPixels(testing::kSentinel), 0) << angle;
    }
}

// Two runs go white-black-white with the mirrored run's halves rounded to even (entries 26
// and 27 equal); three quarters of a run reach only grey 75 at the far edge.
TEST(LinearGradient, RepetitionsRepeatOrCutTheRamp) {
    struct Row {
        double repetitions;
        int x, grey;
    };
    const Row rows[] = {{2, 0, 255},    {2, 24, 15},   {2, 25, 0},      {2, 26, 15},   {2, 27, 15}, {2, 28, 35},
                        {2, 47, 215},   {2, 48, 235},  {0.75, 0, 255},  {0.75, 2, 248}, {0.75, kSide - 1, 75}};
    for (const Row& row : rows) {
        TestSurface surface(kSide, 4);
        clsGradient g;
        g.SetRepetitions(row.repetitions);
        ASSERT_TRUE(DrawOn(surface, g));
        EXPECT_EQ(Grey(surface.Pixel(row.x, 1)), row.grey) << row.repetitions << " repetitions, x " << row.x;
    }
}

TEST(LinearGradient, HslRedToBluePassesThroughMagentaNeverGreen) {
    TestSurface surface(kSide, 6);
    clsGradient g;
    g.SetColor1(0x0000FF);
    g.SetColor2(0xFF0000);
    g.SetBlendMode(gbmHSL);
    ASSERT_TRUE(DrawOn(surface, g));
    for (gdi::COLORREF c : surface.Frame()) ASSERT_EQ(gdi::GetGValue(c), 0) << std::hex << c;
    const gdi::COLORREF middle = surface.Pixel(24, 3);
    EXPECT_GE(gdi::GetRValue(middle), 240);
    EXPECT_GE(gdi::GetBValue(middle), 240);
    EXPECT_GT(gdi::GetRValue(surface.Pixel(0, 3)), gdi::GetBValue(surface.Pixel(0, 3)));
    EXPECT_LT(gdi::GetRValue(surface.Pixel(kSide - 1, 3)), gdi::GetBValue(surface.Pixel(kSide - 1, 3)));
}

TEST(LinearGradient, BlackToBlackIsAllBlack) {
    TestSurface surface(20, 20);
    clsGradient g;
    g.SetColor1(0);
    for (int blend : {gbmRGB, gbmHSL}) {
        g.SetBlendMode(blend);
        ASSERT_TRUE(DrawOn(surface, g));
        EXPECT_EQ(surface.CountPixels(0), 400) << blend;
    }
}

TEST(LinearGradient, RepetitionsAtOrBelowOneHalfStillDraw) {
    TestSurface surface(30, 8);
    clsGradient g;
    g.SetColor1(0x0000FF);
    g.SetRepetitions(0.4);
    EXPECT_TRUE(DrawOn(surface, g));
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(surface.Pixel(0, y), 0x0000FFu);
        for (int x = 1; x < 30; ++x) ASSERT_EQ(surface.Pixel(x, y), 0u) << x;
    }
    // HSL fills the whole table before its loop runs out: no black column.
    g.SetColor2(0xFF0000);
    g.SetBlendMode(gbmHSL);
    EXPECT_TRUE(DrawOn(surface, g));
    for (int x = 0; x < 30; ++x) EXPECT_NE(surface.Pixel(x, 4), 0u) << x;
}

TEST(LinearGradient, UnknownBlendModeDrawsBlackAndUnknownTypeDrawsNothing) {
    TestSurface surface(20, 20);
    clsGradient g;
    g.SetBlendMode(5);
    EXPECT_TRUE(DrawOn(surface, g));
    EXPECT_EQ(surface.CountPixels(0), 400);

    TestSurface untouched(20, 20);
    g.SetBlendMode(gbmRGB);
    g.SetGradientType(3);
    EXPECT_FALSE(DrawOn(untouched, g));
    EXPECT_EQ(untouched.CountPixels(testing::kSentinel), 400);
}

}  // namespace
}  // namespace ov::gradient
