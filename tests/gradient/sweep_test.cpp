// The sweep: which edge the first line sits on, which way the copies move, and how many
// points the list ends with, for the directions whose geometry is fixed. Where the first line
// of the other axis directions lies shows in the linear tests' pixels, every one checked.
#include <gtest/gtest.h>

#include <algorithm>

#include "gradient/sweep.h"

namespace ov::gradient {
namespace {

SweepLines Sweep(int width, int height, double angle, SweepPlacement* placement = nullptr) {
    const SweepPlacement p = PlaceSweep(width, height, angle);
    if (placement) *placement = p;
    SweepLines lines;
    EXPECT_TRUE(PlaceFirstLine(p, lines));
    EXPECT_TRUE(ExtendSweep(p, width, height, lines));
    return lines;
}

TEST(GradientSweep, RotationTurnsAnticlockwiseOnTheScreen) {
    double x = 11, y = 5;
    RotatePoint(10, 5, x, y, 90);
    EXPECT_NEAR(x, 10, 1e-12);
    EXPECT_NEAR(y, 4, 1e-12);  // up is smaller y
    RotatePoint(10, 5, x, y, 90);
    EXPECT_NEAR(x, 9, 1e-12);
    EXPECT_NEAR(y, 5, 1e-12);
}

TEST(GradientSweep, AngleZeroDrawsWPlusTwoVerticalLinesFromTheLeftEdge) {
    for (int width : {2, 3, 49, 100, 300}) {
        SweepPlacement p;
        const SweepLines s = Sweep(width, 40, 0, &p);
        EXPECT_EQ(p.step_x, 1);
        EXPECT_EQ(p.step_y, 0);
        ASSERT_EQ(s.points.size(), static_cast<std::size_t>(2 * width + 4)) << width;
        for (std::size_t j = 0; j < s.line_count(); ++j) {
            const auto& a = s.points[2 * j];
            const auto& b = s.points[2 * j + 1];
            EXPECT_EQ(a.x, static_cast<int>(j));
            EXPECT_EQ(b.x, static_cast<int>(j));
            EXPECT_LT(std::min(a.y, b.y), 0);  // each line spans the surface's height
            EXPECT_GT(std::max(a.y, b.y), 40);
        }
    }
}

TEST(GradientSweep, DiagonalsStartFromTheLeftOrBottomEdge) {
    SweepPlacement p;
    SweepLines s = Sweep(50, 50, 45, &p);
    EXPECT_EQ(p.step_x, 1);  // right end on the left edge, moving right
    EXPECT_EQ(std::max(s.points[0].x, s.points[1].x), 0);

    s = Sweep(50, 50, 135, &p);
    EXPECT_EQ(p.step_y, -1);  // upper end on the bottom edge, moving up
    EXPECT_EQ(std::min(s.points[0].y, s.points[1].y), 50);
}

TEST(GradientSweep, ListEndsOnceBothLastPointsAreBeyondTheFarEdge) {
    for (double angle : {0.0, 17.0, 45.0, 90.0, 137.0, 200.0, 300.0, -30.0, -200.0}) {
        SweepPlacement p;
        const SweepLines s = Sweep(64, 37, angle, &p);
        const auto beyond = [&](const gdi::POINT& q) {
            if (p.step_x > 0) return q.x > 64;
            if (p.step_x < 0) return q.x < 0;
            if (p.step_y > 0) return q.y > 37;
            return q.y < 0;
        };
        const auto& q = s.points;
        ASSERT_GE(q.size(), 3u);
        EXPECT_TRUE(beyond(q[q.size() - 1]) && beyond(q[q.size() - 2])) << angle;
        EXPECT_FALSE(beyond(q[q.size() - 2]) && beyond(q[q.size() - 3])) << angle;
        // Each point is the point two places back moved by one step.
        for (std::size_t k = 2; k < q.size(); ++k) {
            EXPECT_EQ(q[k].x, q[k - 2].x + p.step_x);
            EXPECT_EQ(q[k].y, q[k - 2].y + p.step_y);
        }
    }
}

}  // namespace
}  // namespace ov::gradient
