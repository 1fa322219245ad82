#pragma once
// The ellipse outline: a closed polyline, drawn with the line rule, through the points of a
// midpoint walk of one quadrant mirrored into the other three.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/lockstep_walks.h"
#include "platform/gdi/internal/raster.h"

namespace ov::gdi::detail {

// The outline polyline is made of unit steps and axis-aligned runs only, so it paints every
// pixel it passes through, and it is symmetric in both axes: the outline is the quadrant's path
// mirrored four ways. WalkEllipseQuadrantRows gives that path row by row for the fast path; the
// vertex list below is kept as the slow reference it is tested against.

// The midpoint walk's state at its first point, the right end of the middle row, in 64 bits
// because the error terms grow with the cube of the box size; each step along the row adds
// step_dx to dx, each step down step_dy to dy.
struct QuadrantWalkStart {
    std::int64_t step_dx, step_dy, dx, dy, err;

    QuadrantWalkStart(int width, int height) {
        const std::int64_t a = width - 1, b = height - 1, b_odd = b % 2;
        step_dx = 8 * b * b;
        step_dy = 8 * a * a;
        dx = 4 * b * b * (1 - a);
        dy = 4 * a * a * (1 + b_odd);
        err = dx + dy + a * a * b_odd;
    }
};

// The bottom-right quadrant's path, one call emit(y, lo, hi) per row of the box from the middle
// row (height / 2) down, in increasing y: the path's pixels on row y are columns [lo, hi]
// (relative to the box's top-left corner). The walk stops before row `y_limit`
// (rows past it are never needed by the caller). Both sizes >= 3.
template <typename EmitRow>
void WalkEllipseQuadrantRows(int width, int height, int y_limit, EmitRow&& emit) {
    // The same midpoint walk as EllipseOutlineVertices, with each row's run of points emitted
    // once the walk leaves the row.
    const QuadrantWalkStart start(width, height);
    const std::int64_t step_dx = start.step_dx, step_dy = start.step_dy;
    std::int64_t dx = start.dx, dy = start.dy, err = start.err;
    const int half_width = width / 2;
    int x = width - 1, y = height / 2;
    if (y >= y_limit) return;
    int row_hi = x;              // the first (largest) column of the current row's run
    int last_x = x, last_y = y;  // the latest point of the path
    while (x >= half_width) {
        last_x = x;
        last_y = y;
        const std::int64_t e2 = 2 * err;
        if (e2 >= dx) {
            --x;
            dx += step_dx;
            err += dx;
        }
        if (e2 <= dy) {
            ++y;
            dy += step_dy;
            err += dy;
            if (x < half_width) break;  // the last row is emitted after the loop
            emit(last_y, last_x, row_hi);
            if (y >= y_limit) return;
            row_hi = x;
        }
    }
    // The run of the last row is still open. Narrow, tall boxes finish with a vertical run down
    // to the bottom row. The join to the mirrored quadrant adds nothing: the walk stops as soon
    // as x drops below width / 2, so the last point is in column width / 2 and the join spans
    // only it and its mirror image.
    const int bottom = height - 1;
    emit(last_y, last_x, row_hi);
    for (int row = last_y + 1; row <= bottom && row < y_limit; ++row) emit(row, last_x, last_x);
}

// Twice the walk's error after k more steps of one kind (along the row: d = dx, step = step_dx,
// other = dy; down: d = dy, step = step_dy, other = dx), each adding the next increment d +
// step, d + 2 * step, ..., less the other kind's increment: 2 * (err + k * d + step * k * (k +
// 1) / 2) - other. The sign of this quadratic in k decides where a run of steps of one kind ends,
// so a long run is taken at once: a root estimated in doubles, then checked exactly in `Wide`,
// which must hold every value of the quadratic up to the run's cap.
template <typename Wide>
struct StepsAhead {
    std::int64_t err, d, step, other;

    Wide At(std::int64_t k) const {
        const Wide kk = k;
        return static_cast<Wide>(step) * kk * kk + (2 * static_cast<Wide>(d) + step) * kk + 2 * static_cast<Wide>(err) -
               other;
    }
    // A real root's estimate, the smaller or the larger; NaN when there is none.
    double Root(bool larger) const {
        const double qa = static_cast<double>(step), qb = 2.0 * static_cast<double>(d) + qa;
        const double qc = 2.0 * static_cast<double>(err) - static_cast<double>(other);
        const double disc = qb * qb - 4 * qa * qc;
        if (!(disc >= 0)) return std::numeric_limits<double>::quiet_NaN();
        return (-qb + (larger ? 1 : -1) * std::sqrt(disc)) / (2 * qa);
    }
    bool FallingAt(std::int64_t k) const {
        return 2 * static_cast<Wide>(step) * k + 2 * static_cast<Wide>(d) + step <= 0;
    }
    // The error after k steps.
    std::int64_t ErrorAfter(std::int64_t k) const {
        const Wide kk = k;
        return static_cast<std::int64_t>(err + kk * d + static_cast<Wide>(step) * (kk * (kk + 1) / 2));
    }
};

// The walk at a point that steps along its row (2 * err > dy): how many steps along the row
// take it to the row's last point, where it steps down (the first k with At(k) <= 0; At is
// convex and positive at 0, so a k with At(k) <= 0 < At(k - 1) is the first). Checked exactly
// at a guess and up to two steps either side of it; at most `cap`; 0 when none of them is it.
template <typename Wide>
int FlatRunFromGuess(const StepsAhead<Wide>& f, int guess, int cap) {
    int k = std::max(guess, 1);
    if (k > cap) return 0;
    if (f.At(k) <= 0) {
        // Back while the step before is still at or below zero, two steps at most.
        for (int tries = 0; tries < 3; ++tries, --k)
            if (k == 1 || f.At(k - 1) > 0) return k;
        return 0;
    }
    for (int tries = 0; tries < 2 && k < cap; ++tries)
        if (f.At(++k) <= 0) return k;
    return 0;
}

// The same run from the root of At, for a row whose run is not known from the rows before: 0
// when the estimate does not check out, and the caller then steps one by one.
template <typename Wide>
int FlatRunSteps(const StepsAhead<Wide>& f, int cap) {
    const double root = std::ceil(f.Root(false));  // NaN compares false: no end, k stays at the cap
    const int k = root < cap ? (root < 1 ? 1 : static_cast<int>(root)) : cap;
    if (k < cap || f.At(k) <= 0) return FlatRunFromGuess(f, k, cap);
    // No end within the cap: every step up to it stays on the row if At still falls there.
    return f.FallingAt(cap) ? cap : 0;
}

// The walk at a point that steps only down (2 * err < dx, 2 * err <= dy): how many steps down
// take it to the point where it next steps sideways (the first k with At(k) >= 0; At rises
// with k and is negative at 0). At most `cap`, all of it when no sideways step comes sooner; 0
// when the estimate does not check out.
template <typename Wide>
int SteepRunSteps(const StepsAhead<Wide>& g, int cap) {
    if (cap < 1) return 0;
    const double root = std::ceil(g.Root(true));
    std::int64_t k = !(root >= 1) ? 1 : root > cap ? cap : static_cast<std::int64_t>(root);
    if (k > 1 && g.At(k - 1) >= 0) --k;
    else if (g.At(k) < 0 && k < cap) ++k;
    if (g.At(k) < 0) return k == cap ? cap : 0;
    return k == 1 || g.At(k - 1) < 0 ? static_cast<int>(k) : 0;
}

// A point of the quadrant's path with the walk's state there: the error and its increments
// depend only on how many steps of each kind led to the point, not on their order.
struct QuadrantWalkPoint {
    int x, y;
    std::int64_t dx, dy, err;
};

// The path's first point, the right end of the middle row.
inline QuadrantWalkPoint QuadrantWalkFirstPoint(int width, int height) {
    const QuadrantWalkStart start(width, height);
    return {width - 1, height / 2, start.dx, start.dy, start.err};
}

// Near the middle row the path is steep: it runs down each column, leaving it at the first row
// where the walk's error lets it step sideways, and then enters the next column no lower than
// that row. The row where the path leaves column width - 1 - k is therefore found without
// walking, as the first root of a quadratic in the rows, as long as every column up to it is
// left at least one row below the one before (the roots' steps shrink column by column, so
// checking the last one is enough). The point where the path leaves that column, with the
// walk's state there; none when the path is not that steep there.
template <typename Wide>
std::optional<QuadrantWalkPoint> SteepColumnExit(int width, int height, int k) {
    const QuadrantWalkStart start(width, height);
    if (k < 1 || 2 * k + 2 >= width - 1) return std::nullopt;  // sideways steps must still shrink the error
    // Row j's check against column k's sideways threshold, 2 * err(k, j) - dx(k), rises with j.
    bool fits = true;  // the walk keeps its state in 64 bits
    auto row_check = [&](int column) {
        const Wide kk = column;
        const Wide err_k = start.err + kk * start.dx + static_cast<Wide>(start.step_dx) * (kk * (kk + 1) / 2);
        const Wide dx_k = start.dx + kk * start.step_dx;
        constexpr Wide kMax = std::numeric_limits<std::int64_t>::max() / 4;
        fits = fits && err_k < kMax && err_k > -kMax && dx_k < kMax && dx_k > -kMax;
        return StepsAhead<Wide>{static_cast<std::int64_t>(err_k), start.dy, start.step_dy,
                                static_cast<std::int64_t>(dx_k)};
    };
    // The first row j >= 0 with a non-negative check, as the run of pure down steps from row 0
    // (the box's height when there is none before it); -1 when the estimate fails.
    auto first_row = [&](const StepsAhead<Wide>& f) -> std::int64_t {
        if (f.At(0) >= 0) return 0;
        const int down = SteepRunSteps(f, height);
        return down > 0 ? down : -1;
    };
    const StepsAhead<Wide> at_k = row_check(k);
    const std::int64_t leave_k = first_row(at_k), leave_before = first_row(row_check(k - 1)),
                       leave_first = first_row(row_check(0));
    if (!fits || leave_first < 1 || leave_before < 0 || leave_k - leave_before < 2 || leave_k >= height)
        return std::nullopt;
    return QuadrantWalkPoint{width - 1 - k, height / 2 + static_cast<int>(leave_k), at_k.other,
                             start.dy + leave_k * start.step_dy, at_k.ErrorAfter(leave_k)};
}

// The same path as WalkEllipseQuadrantRows, for callers that need only how far each row
// reaches: emit(y, count, hi) for rows y .. y + count - 1 of the box, from the middle row
// (height / 2) down in increasing y and never past `y_limit`, hi being the largest column of
// the path on each of those rows, so that the outline's leftmost and rightmost pixels on such a
// row (and on its mirror image) are columns width - 1 - hi and hi. Runs of steps of one kind
// (along a row in the flat parts, straight down in the steep parts) are taken in one go. The
// walk goes on from `from`, a point of the path.
template <typename Wide, typename EmitSpans>
void WalkEllipseQuadrantSpansIn(int width, int height, int y_limit, EmitSpans&& emit, const QuadrantWalkPoint& from) {
    const QuadrantWalkStart start(width, height);
    const std::int64_t step_dx = start.step_dx, step_dy = start.step_dy;
    std::int64_t dx = from.dx, dy = from.dy, err = from.err;
    const int half_width = width / 2;
    int x = from.x, y = from.y;
    if (y >= y_limit) return;
    int row_hi = x;
    int last_x = x, last_y = y;
    int straight_down = 0;  // pure down steps just taken
    // A run the estimate could not take (the bottom row's, which runs on to the middle column,
    // has no end to estimate) is walked step by step, without asking again on its row.
    int flat_declined_row = -1;
    // In the flat part each row's run is about as long as the last one's grown as much again:
    // the guess is tried (and checked exactly) as soon as a row begins.
    int last_run = 0, run_before = 0;  // steps along the last two rows
    while (x >= half_width) {
        last_x = x;
        last_y = y;
        const std::int64_t e2 = 2 * err;
        if (e2 > dy && x - half_width > 4 && y != flat_declined_row && (row_hi - x >= 3 || last_run >= 3)) {
            const StepsAhead<Wide> along{err, dx, step_dx, dy};
            int run =
                last_run >= 3 ? FlatRunFromGuess(along, 2 * last_run - run_before - (row_hi - x), x - half_width) : 0;
            if (run == 0 && row_hi - x >= 3) {
                run = FlatRunSteps(along, x - half_width);
                if (run == 0) flat_declined_row = y;
            }
            if (run > 0) {
                err = along.ErrorAfter(run);
                dx += run * step_dx;
                x -= run;
                continue;
            }
        }
        if (straight_down >= 2 && e2 < dx && e2 <= dy) {
            // The row's run is this one point; so is every row down to the next sideways step.
            const int down = SteepRunSteps(StepsAhead<Wide>{err, dy, step_dy, dx}, y_limit - 1 - y);
            if (down > 0) {
                emit(y, down, x);
                err = StepsAhead<Wide>{err, dy, step_dy, dx}.ErrorAfter(down);
                dy += down * step_dy;
                y += down;
                row_hi = x;
                last_run = run_before = 0;
                continue;
            }
        }
        const bool sideways = e2 >= dx;
        if (sideways) {
            --x;
            dx += step_dx;
            err += dx;
        }
        if (e2 <= dy) {
            straight_down = sideways ? 0 : straight_down + 1;
            ++y;
            dy += step_dy;
            err += dy;
            if (x < half_width) break;
            emit(last_y, 1, row_hi);
            if (y >= y_limit) return;
            run_before = last_run;
            last_run = row_hi - last_x;
            row_hi = x;
        } else {
            straight_down = 0;
        }
    }
    // The last row's run is still open; narrow, tall boxes finish straight down to the bottom.
    emit(last_y, 1, row_hi);
    const int bottom = height - 1;
    const int end = std::min(bottom + 1, y_limit);
    if (last_y + 1 < end) emit(last_y + 1, end - last_y - 1, last_x);
}

// Boxes up to this size keep the run checks in 64 bits: the quadratics stay below 2^62.
inline constexpr int kNarrowWalkExtent = 8192;

// With `far_column` given, rows whose path reaches column far_column or further right may be
// reported with any column from far_column on, so that the steep rows around the middle row
// need not be walked: the walk starts where the path leaves a column at or right of it (every
// row above reaches that column), if the path is steep enough there. Emits the rows it skips
// and gives the point the walk goes on from.
template <typename Wide, typename EmitSpans>
QuadrantWalkPoint QuadrantSpansStart(int width, int height, int y_limit, EmitSpans&& emit, int far_column) {
    const int middle = height / 2;
    if (far_column < width - 1 && middle < y_limit) {
        // The furthest column the path may start from; halved, a few times, while the path is
        // not steep enough there.
        int tries = 3;
        for (int k = width - 1 - std::max(far_column, width / 2); k >= 1 && tries-- > 0; k /= 2) {
            const std::optional<QuadrantWalkPoint> exit = SteepColumnExit<Wide>(width, height, k);
            if (!exit) continue;
            if (exit->y > middle) emit(middle, std::min(exit->y, y_limit) - middle, exit->x);
            return *exit;
        }
    }
    return QuadrantWalkFirstPoint(width, height);
}

template <typename Wide, typename EmitSpans>
void WalkEllipseQuadrantSpansFrom(int width, int height, int y_limit, EmitSpans&& emit, int far_column) {
    const QuadrantWalkPoint start = QuadrantSpansStart<Wide>(width, height, y_limit, emit, far_column);
    WalkEllipseQuadrantSpansIn<Wide>(width, height, y_limit, emit, start);
}

template <typename EmitSpans>
void WalkEllipseQuadrantSpans(int width, int height, int y_limit, EmitSpans&& emit, int far_column = INT_MAX) {
    if (width <= kNarrowWalkExtent && height <= kNarrowWalkExtent)
        WalkEllipseQuadrantSpansFrom<std::int64_t>(width, height, y_limit, emit, far_column);
    else WalkEllipseQuadrantSpansFrom<__int128>(width, height, y_limit, emit, far_column);
}

// The arguments of one WalkEllipseQuadrantSpans call, for WalkEllipseQuadrantSpansTogether.
struct QuadrantSpansJob {
    int width, height, y_limit, far_column;
};

// The room WalkEllipseQuadrantSpansTogether needs for the rows it steps together.
inline constexpr int kQuadrantSpansScratch = kLockstepOutput;

// Walks jobs[0 .. count - 1] (boxes at least 3 x 3), each reporting exactly what
// WalkEllipseQuadrantSpans would: emit.Spans(job, y, count, hi) as its emit does, or, for rows
// taken together with other walks, emit.Rows(job, y, count, hi, stride) with the rows' columns
// at hi[0], hi[stride], ...; a job's rows come in increasing y. Up to LockstepWalks::kLanes
// walks are stepped side by side with `kernel` (by default the widest the processor has) up
// to their last rows by the middle column; those, and every walk on a processor without the
// kernel, are walked alone.
template <typename Emit>
void WalkEllipseQuadrantSpansTogether(const QuadrantSpansJob* jobs, int count, Emit& emit, std::int32_t* scratch,
                                      std::optional<LockstepKernel> kernel = WidestLockstepKernel()) {
    const bool together = kernel && LockstepKernelSupported(*kernel);
    int next = 0;
    while (next < count) {
        LockstepWalks walks{};  // lanes left unused stay all zero, never walking
        int job_of_lane[LockstepWalks::kLanes];
        int lanes = 0;
        for (; next < count && lanes < LockstepWalks::kLanes; ++next) {
            const QuadrantSpansJob& job = jobs[next];
            auto spans = [&emit, next](int y, int n, int hi) { emit.Spans(next, y, n, hi); };
            if (!together || job.width > kNarrowWalkExtent || job.height > kNarrowWalkExtent) {
                WalkEllipseQuadrantSpans(job.width, job.height, job.y_limit, spans, job.far_column);
                continue;
            }
            const QuadrantWalkPoint start =
                QuadrantSpansStart<std::int64_t>(job.width, job.height, job.y_limit, spans, job.far_column);
            const QuadrantWalkStart steps(job.width, job.height);
            const int lane = lanes++;
            job_of_lane[lane] = next;
            walks.x[lane] = start.x;
            walks.y[lane] = start.y;
            walks.dx[lane] = start.dx;
            walks.dy[lane] = start.dy;
            walks.err[lane] = start.err;
            walks.step_dx[lane] = steps.step_dx;
            walks.step_dy[lane] = steps.step_dy;
            walks.y_limit[lane] = job.y_limit;
            // Every point of a row taken together, and the next row's first, stays at or right
            // of the middle column, where the walk alone would stop.
            walks.x_floor[lane] = job.width / 2 + LockstepWalks::kMaxPoints;
        }
        if (lanes == 0) continue;
        walks.walking = (std::uint32_t{1} << lanes) - 1;
        while (walks.walking != 0) {
            std::int64_t first_row[LockstepWalks::kLanes];
            for (int lane = 0; lane < lanes; ++lane) first_row[lane] = walks.y[lane];
            StepLockstepWalks(*kernel, walks, scratch);
            for (int lane = 0; lane < lanes; ++lane)
                if (walks.rows[lane] > 0)
                    emit.Rows(job_of_lane[lane], static_cast<int>(first_row[lane]), static_cast<int>(walks.rows[lane]),
                              scratch + lane, LockstepWalks::kLanes);
        }
        for (int lane = 0; lane < lanes; ++lane) {
            const int j = job_of_lane[lane];
            const QuadrantSpansJob& job = jobs[j];
            WalkEllipseQuadrantSpansIn<std::int64_t>(
                job.width, job.height, job.y_limit, [&emit, j](int y, int n, int hi) { emit.Spans(j, y, n, hi); },
                QuadrantWalkPoint{static_cast<int>(walks.x[lane]), static_cast<int>(walks.y[lane]), walks.dx[lane],
                                  walks.dy[lane], walks.err[lane]});
        }
    }
}

// Whether the rectangle [0, surface_width) x [0, surface_height) lies wholly inside the ellipse
// of the box at (left, top), width x height, clear of its outline: true only when no outline
// pixel can fall on the surface, so the outline need not be walked at all (the outer rings of
// an elliptical gradient enclose the whole surface). The path's pixels lie within a pixel of
// the ideal ellipse through the corner pixels' centres; the test keeps three pixels of margin
// on the surface and on the ellipse, so rounding can only make it answer false.
inline bool SurfaceInsideOutline(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
                                 int surface_width, int surface_height) {
    constexpr double kMargin = 3;
    const double rx = (width - 1) / 2.0 - kMargin, ry = (height - 1) / 2.0 - kMargin;
    if (rx <= 0 || ry <= 0) return false;
    const double cx = static_cast<double>(left) + (width - 1) / 2.0, cy = static_cast<double>(top) + (height - 1) / 2.0;
    const double dx = std::max(std::abs(cx), std::abs(surface_width - 1 - cx)) + kMargin;
    const double dy = std::max(std::abs(cy), std::abs(surface_height - 1 - cy)) + kMargin;
    return (dx / rx) * (dx / rx) + (dy / ry) * (dy / ry) < 1;
}

// Polyline vertices of the outline of a width x height box (both >= 3), relative to its
// top-left corner, in drawing order; the polyline closes back to the first vertex.
std::vector<POINT> EllipseOutlineVertices(int width, int height);

// Slow reference for a whole Ellipse call on an unclipped canvas: the outline pixels from the
// reference line rule and the brush as the span between the leftmost and rightmost outline
// pixel of each row (boxes of width or height <= 2 follow the rectangle rule). Both lists are
// unclipped and may repeat pixels. Used by tests against the clipped fast path.
struct EllipseReferencePixels {
    std::vector<POINT> brush;
    std::vector<POINT> outline;
};
EllipseReferencePixels EllipseReference(int left, int top, int right, int bottom);

}  // namespace ov::gdi::detail
