#include "platform/gdi/internal/line_raster.h"

#include <cmath>
#include <cstdlib>

namespace ov::gdi::detail {
namespace {

// Floor and ceiling of a / b for b > 0.
__int128 FloorDiv(__int128 a, __int128 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
__int128 CeilDiv(__int128 a, __int128 b) { return -FloorDiv(-a, b); }

}  // namespace

std::int64_t LineWalk::MinorOffset(std::int64_t i) const {
    return static_cast<std::int64_t>(CeilDiv(static_cast<__int128>(2 * dminor) * i - n, static_cast<__int128>(2 * n)));
}

LineWalk MakeLineWalk(int x0, int y0, int x1, int y1) {
    const std::int64_t dx = std::int64_t{x1} - x0, dy = std::int64_t{y1} - y0;
    LineWalk walk;
    walk.x_major = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t dmajor = walk.x_major ? dx : dy;
    walk.major0 = walk.x_major ? x0 : y0;
    walk.minor0 = walk.x_major ? y0 : x0;
    walk.major_step = dmajor < 0 ? -1 : 1;
    walk.n = std::llabs(dmajor);
    walk.dminor = walk.x_major ? dy : dx;
    return walk;
}

void ClipLineWalk(const LineWalk& walk, const PixelRect& clip, std::int64_t* first, std::int64_t* last) {
    const std::int64_t major_lo = walk.x_major ? clip.left : clip.top;
    const std::int64_t major_hi = walk.x_major ? clip.right : clip.bottom;  // exclusive
    const std::int64_t minor_lo = walk.x_major ? clip.top : clip.left;
    const std::int64_t minor_hi = walk.x_major ? clip.bottom : clip.right;
    // Major axis: solve major0 + step*i in [major_lo, major_hi) for i in [0, n).
    std::int64_t lo, hi;
    if (walk.major_step > 0) {
        lo = major_lo - walk.major0;
        hi = major_hi - walk.major0;
    } else {
        lo = walk.major0 - major_hi + 1;
        hi = walk.major0 - major_lo + 1;
    }
    lo = std::max<std::int64_t>(lo, 0);
    hi = std::min<std::int64_t>(hi, walk.n);
    if (lo >= hi) {
        *first = *last = 0;
        return;
    }
    // Minor axis: the minor coordinate is monotone in i, so the steps inside [minor_lo, minor_hi)
    // form one interval; find its ends by binary search over [lo, hi).
    auto minor_at = [&](std::int64_t i) { return walk.minor0 + walk.MinorOffset(i); };
    auto first_where = [&](auto&& predicate) {  // predicate false...true over [lo, hi)
        std::int64_t a = lo, b = hi;
        while (a < b) {
            const std::int64_t mid = a + (b - a) / 2;
            if (predicate(mid)) b = mid;
            else a = mid + 1;
        }
        return a;
    };
    if (walk.dminor >= 0) {
        *first = first_where([&](std::int64_t i) { return minor_at(i) >= minor_lo; });
        *last = first_where([&](std::int64_t i) { return minor_at(i) >= minor_hi; });
    } else {
        *first = first_where([&](std::int64_t i) { return minor_at(i) < minor_hi; });
        *last = first_where([&](std::int64_t i) { return minor_at(i) < minor_lo; });
    }
}

std::vector<POINT> LineReferencePixels(int x0, int y0, int x1, int y1, const PixelRect& clip) {
    std::vector<POINT> pixels;
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const bool x_major = std::fabs(dx) >= std::fabs(dy);
    const long long n = static_cast<long long>(x_major ? std::fabs(dx) : std::fabs(dy));
    for (long long i = 0; i < n; ++i) {
        // Exact rational minor value m0 + dm*i/n; round to nearest with halves down, done in
        // integers: the smallest m with 2*(m*n) >= 2*dm*i - n.
        const long long dm = static_cast<long long>(x_major ? dy : dx);
        const long long num = 2 * dm * i - n, den = 2 * n;
        long long q = num / den;
        if (q * den < num) ++q;  // ceiling for either sign
        const long long major = (x_major ? x0 : y0) + (((x_major ? dx : dy) < 0) ? -i : i);
        const long long minor = (x_major ? y0 : x0) + q;
        const long long x = x_major ? major : minor, y = x_major ? minor : major;
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            pixels.push_back(POINT{static_cast<int>(x), static_cast<int>(y)});
    }
    return pixels;
}

}  // namespace ov::gdi::detail
