#include "gradient/sweep.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "gradient/colour_model.h"

namespace ov::gradient {
namespace {

// Degrees to radians with pi taken as 3.14159265358979, so lines land on the same pixels as
// the renderer always has; a more exact pi moves the rounding of some end points.
constexpr double kRadiansPerDegree = 0.017453292519943278;

// A sweep never needs more than a few points per pixel of the surface's longer side; a list
// this long means the sizes are absurd, and growing it further is treated as a failure.
constexpr std::size_t kMaxSweepPoints = std::size_t{1} << 20;
// The list grows in blocks rather than point by point.
constexpr std::size_t kGrowthBlock = 1000;

// The remainder of a division by 360 carrying the sign of the dividend (-370 gives -10).
double ReduceDegrees(double whole_degrees) { return std::fmod(whole_degrees, 360.0); }

bool FitsCoordinate(double value) { return value >= INT32_MIN && value <= INT32_MAX; }

bool BeyondFarEdge(const gdi::POINT& p, const SweepPlacement& s, std::int32_t width, std::int32_t height) {
    if (s.step_x > 0) return p.x > width;
    if (s.step_x < 0) return p.x < 0;
    if (s.step_y > 0) return p.y > height;
    return p.y < 0;
}

}  // namespace

void RotatePoint(double centre_x, double centre_y, double& point_x, double& point_y, double angle_degrees) {
    const double r = angle_degrees * kRadiansPerDegree;
    const double dx = point_x - centre_x;
    const double dy = point_y - centre_y;
    point_x = centre_x + std::cos(r) * dx + std::sin(r) * dy;
    point_y = centre_y - std::sin(r) * dx + std::cos(r) * dy;
}

SweepPlacement PlaceSweep(std::int32_t width, std::int32_t height, double angle) {
    const double w = width, h = height;
    const double centre_x = std::floor(w / 2), centre_y = std::floor(h / 2);
    const double d = w > h ? w : h;
    // Half of a line longer than the diagonal, so it spans the surface at any angle.
    const double half_length = (std::sqrt(d * d + d * d) + 2) / 2;

    SweepPlacement s;
    s.p0_x = centre_x - half_length;
    s.p0_y = centre_y;
    s.p1_x = centre_x + half_length;
    s.p1_y = centre_y;
    const double turn = ReduceDegrees(RoundHalfEven(angle + 90));
    RotatePoint(centre_x, centre_y, s.p0_x, s.p0_y, turn);
    RotatePoint(centre_x, centre_y, s.p1_x, s.p1_y, turn);

    const double dx_abs = std::fabs(s.p0_x - s.p1_x);
    const double dy_abs = std::fabs(s.p0_y - s.p1_y);
    const double min_x = s.p0_x < s.p1_x ? s.p0_x : s.p1_x;
    const double max_x = s.p0_x > s.p1_x ? s.p0_x : s.p1_x;
    const double min_y = s.p0_y < s.p1_y ? s.p0_y : s.p1_y;
    const double max_y = s.p0_y > s.p1_y ? s.p0_y : s.p1_y;

    // The four starting placements; which one a direction uses depends on its quadrant and
    // on whether the turned line is steeper than 45 degrees.
    auto from_left = [&] {
        s.offset_x = -max_x;
        s.offset_y = 0;
        s.step_x = 1;
        s.step_y = 0;
    };
    auto from_right = [&] {
        s.offset_x = w - min_x;
        s.offset_y = 0;
        s.step_x = -1;
        s.step_y = 0;
    };
    auto from_top = [&] {
        s.offset_x = 0;
        s.offset_y = -max_y;
        s.step_x = 0;
        s.step_y = 1;
    };
    auto from_bottom = [&] {
        s.offset_x = 0;
        s.offset_y = h - min_y;
        s.step_x = 0;
        s.step_y = -1;
    };

    if (angle >= 0 && angle <= 90) {
        if (dy_abs < dx_abs) from_bottom();
        else from_left();
    } else if (angle > 90 && angle <= 180) {
        if (dy_abs >= dx_abs) from_right();
        else from_bottom();
    } else if (angle > 180 && angle <= 270) {
        if (dy_abs < dx_abs) from_top();
        else from_right();
    } else {  // negative, or above 270
        if (dy_abs >= dx_abs) from_left();
        else from_top();
    }
    return s;
}

bool PlaceFirstLine(const SweepPlacement& s, SweepLines& sweep) {
    sweep.points.assign(2, gdi::POINT{});
    // The copies cross the surface plus the line's own extent along the step: reserving that
    // once saves regrowing the list block by block.
    const double extent =
        std::fabs(s.p0_x - s.p1_x) + std::fabs(s.p0_y - s.p1_y) + std::fabs(s.offset_x) + std::fabs(s.offset_y) + 8;
    const double expected = 2 * extent;
    sweep.points.reserve(expected > 0 && expected < kMaxSweepPoints ? static_cast<std::size_t>(expected)
                                                                    : kGrowthBlock);
    const double x0 = RoundHalfEven(s.p0_x + s.offset_x), y0 = RoundHalfEven(s.p0_y + s.offset_y);
    const double x1 = RoundHalfEven(s.p1_x + s.offset_x), y1 = RoundHalfEven(s.p1_y + s.offset_y);
    if (!FitsCoordinate(x0) || !FitsCoordinate(y0) || !FitsCoordinate(x1) || !FitsCoordinate(y1)) return false;
    sweep.points[0] = gdi::POINT{static_cast<int>(x0), static_cast<int>(y0)};
    sweep.points[1] = gdi::POINT{static_cast<int>(x1), static_cast<int>(y1)};
    return true;
}

bool ExtendSweep(const SweepPlacement& s, std::int32_t width, std::int32_t height, SweepLines& sweep) {
    auto& q = sweep.points;
    if (q.size() < 2) return false;
    // The stop test looks at the last two points, which are the two ends of one line only
    // when the count is even: the list may end on an unpaired point.
    do {
        if (q.size() >= kMaxSweepPoints) return false;
        if (q.size() == q.capacity()) {
            try {
                // At least a block, and doubling beyond, so a long list is not copied over and over.
                q.reserve(q.size() + std::max(kGrowthBlock, q.size()));
            } catch (const std::bad_alloc&) {
                return false;  // the list ends where it could not grow
            }
        }
        const gdi::POINT& back = q[q.size() - 2];
        std::int32_t x, y;
        if (__builtin_add_overflow(back.x, static_cast<std::int32_t>(s.step_x), &x) ||
            __builtin_add_overflow(back.y, static_cast<std::int32_t>(s.step_y), &y))
            return false;
        q.push_back(gdi::POINT{x, y});
    } while (!(BeyondFarEdge(q[q.size() - 1], s, width, height) && BeyondFarEdge(q[q.size() - 2], s, width, height)));
    return true;
}

}  // namespace ov::gradient
