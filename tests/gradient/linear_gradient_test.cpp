// Linear gradients by pixel value: which edge starts with the first colour, which table entry
// each row or column shows, and the failing builds that still draw.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gradient/cls_gradient.h"
#include "gradient/draw_gradient.h"
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
    const Row rows[] = {
        {0, true, false}, {90, false, true}, {180, true, true}, {270, false, false}, {-90, false, false}};
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
        int white, dark;                 // corner indices: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right
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

// Whatever the colours, repetitions and blend mode make of the table, and whether its build
// completed, each column of a 0-degree gradient shows the table entry of its line and the
// drawing reports success; the entries themselves are the colour table's tests.
TEST(LinearGradient, EveryColumnShowsItsTableEntryForEveryBuild) {
    struct Row {
        std::int32_t colour1, colour2;
        double repetitions;
        std::int32_t blend;
    };
    const Row rows[] = {{0xFFFFFF, 0, 2, gbmRGB},
                        {0xFFFFFF, 0, 0.75, gbmRGB},
                        {0x0000FF, 0, 0.4, gbmRGB},
                        {0x0000FF, 0xFF0000, 0.4, gbmHSL},
                        {0x0000FF, 0xFF0000, 1, gbmHSL},
                        {0, 0, 1, gbmHSL},
                        {0xFFFFFF, 0, 1, 5}};
    for (const Row& row : rows) {
        TestSurface surface(kSide, 4);
        clsGradient g;
        g.SetColor1(row.colour1);
        g.SetColor2(row.colour2);
        g.SetRepetitions(row.repetitions);
        g.SetBlendMode(row.blend);
        const ColourTable table = PlanGradient(kSide, 4, g.settings()).table;
        ASSERT_TRUE(DrawOn(surface, g)) << row.repetitions << " repetitions, blend " << row.blend;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < kSide; ++x)
                ASSERT_EQ(surface.Pixel(x, y), static_cast<gdi::COLORREF>(table[x]))
                    << row.repetitions << " repetitions, blend " << row.blend << " at " << x << "," << y;
    }
}

TEST(LinearGradient, UnknownTypeDrawsNothing) {
    TestSurface untouched(20, 20);
    clsGradient g;
    g.SetGradientType(3);
    EXPECT_FALSE(DrawOn(untouched, g));
    EXPECT_EQ(untouched.CountPixels(testing::kSentinel), 400);
}

}  // namespace
}  // namespace ov::gradient
