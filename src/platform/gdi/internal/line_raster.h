#pragma once
// The one-pixel line rule and its analytic clipping.
//
// A segment (x0,y0)->(x1,y1) paints one pixel per step along its major axis (|dx| >= |dy| is
// x-major, so 45 degrees counts as x-major), starting at (x0,y0) and stopping before (x1,y1).
// At step i the minor coordinate is the exact value m0 + dm*i/n rounded to nearest, exact
// halves going to the smaller coordinate whatever the direction, i.e. ceil(v - 1/2). That makes
// a segment drawn backwards cover the same pixels, except the swapped endpoint.
//
// Clipping never moves pixels: the walk starts at the first step whose pixel lies inside the
// clip rectangle (found by solving for the major axis and binary-searching the monotone minor
// coordinate) and stops after the last, so a 3000-pixel line across a 100-pixel surface costs
// about 100 steps.
#include <cstdint>
#include <vector>

#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/raster.h"

namespace ov::gdi::detail {

struct LineWalk {
    bool x_major = true;
    std::int64_t major0 = 0, minor0 = 0;
    int major_step = 1;       // +1 or -1
    std::int64_t n = 0;       // steps (|major delta|), pixels painted when unclipped
    std::int64_t dminor = 0;  // signed minor delta

    // Minor offset from minor0 at step i: ceil((2*dminor*i - n) / (2n)).
    std::int64_t MinorOffset(std::int64_t i) const;
};

LineWalk MakeLineWalk(int x0, int y0, int x1, int y1);

// The steps [first, last) of `walk` whose pixels lie in `clip`; first >= last when none do.
void ClipLineWalk(const LineWalk& walk, const PixelRect& clip, std::int64_t* first, std::int64_t* last);

// Calls plot(x, y) for every pixel of the segment inside `clip`, in walk order.
template <typename Plot>
void WalkLine(int x0, int y0, int x1, int y1, const PixelRect& clip, Plot&& plot) {
    const LineWalk walk = MakeLineWalk(x0, y0, x1, y1);
    if (walk.n == 0 || clip.empty()) return;
    // Error term for the ceiling division: num = 2*dminor*i - n, minor offset q = ceil(num / 2n),
    // err = num - 2n*q, kept in (-2n, 0]. At step 0, q = ceil(-1/2) = 0 and err = -n.
    const std::int64_t two_n = 2 * walk.n, two_d = 2 * walk.dminor;
    std::int64_t first = 0, last = walk.n, q = 0, err = -walk.n;
    if (!clip.contains(x0, y0) || !clip.contains(x1, y1)) {
        ClipLineWalk(walk, clip, &first, &last);
        if (first >= last) return;
        q = walk.MinorOffset(first);
        err =
            static_cast<std::int64_t>(static_cast<__int128>(two_d) * first - walk.n - static_cast<__int128>(two_n) * q);
    }
    std::int64_t major = walk.major0 + walk.major_step * first;
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t minor = walk.minor0 + q;
        if (walk.x_major) plot(static_cast<int>(major), static_cast<int>(minor));
        else plot(static_cast<int>(minor), static_cast<int>(major));
        major += walk.major_step;
        err += two_d;
        if (err > 0) {
            ++q;
            err -= two_n;
        } else if (err <= -two_n) {
            --q;
            err += two_n;
        }
    }
}

// Slow reference: every pixel of the unclipped segment computed directly from the rule, then
// filtered by `clip`. Used by tests to check WalkLine.
std::vector<POINT> LineReferencePixels(int x0, int y0, int x1, int y1, const PixelRect& clip);

}  // namespace ov::gdi::detail
