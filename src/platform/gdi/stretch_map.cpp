#include "platform/gdi/internal/stretch_map.h"

#include <algorithm>
#include <cstdlib>

namespace ov::gdi::detail {
namespace {

// The shrinking walk (see stretch_map.h) puts source index s into run floor((2Ds + D - 1) / 2S),
// one run per destination index since D < S, so run d starts at the smallest s reaching it:
// ceil((2Sd - D + 1) / 2D), and ends where run d + 1 starts. Worked out directly, a run costs
// the same whatever the extents, and only the destination indices that are drawn are needed.
// 128-bit products: S and d may each approach 2^32.
std::int64_t ShrinkRunStart(std::int64_t d, std::int64_t dst_count, std::int64_t src_count) {
    const __int128 numerator = static_cast<__int128>(2) * src_count * d - dst_count + 1, denominator = 2 * dst_count;
    if (numerator <= 0) return 0;
    return static_cast<std::int64_t>((numerator + denominator - 1) / denominator);
}

void ShrinkRun(std::int64_t d, std::int64_t dst_count, std::int64_t src_count, std::int64_t* first,
               std::int64_t* last) {
    *first = ShrinkRunStart(d, dst_count, src_count);
    *last = d + 1 < dst_count ? ShrinkRunStart(d + 1, dst_count, src_count) - 1 : src_count - 1;
}

}  // namespace

AxisMap MapAxis(int dst_origin, int dst_extent, int dst_limit, int src_origin, int src_extent, int src_limit,
                bool single_pick, bool pick_last) {
    AxisMap map;
    if (dst_extent == 0 || src_extent == 0) return map;
    const std::int64_t dst_count = std::llabs(dst_extent), src_count = std::llabs(src_extent);
    const int dst_dir = dst_extent < 0 ? -1 : 1, src_dir = src_extent < 0 ? -1 : 1;
    const Span dst_span = SpanOfExtent(dst_origin, dst_extent);
    const int lo = std::max(dst_span.start, 0), hi = std::min(dst_span.end, dst_limit);
    if (lo >= hi) return map;

    const bool shrinking = dst_count < src_count;

    // Walk the clipped destination coordinates in increasing order; the drawn ones form one
    // interval because the source index is monotone in the destination index.
    int start = hi, end = lo;
    std::vector<int> first, last;
    for (int X = lo; X < hi; ++X) {
        const std::int64_t d = dst_dir > 0 ? std::int64_t{X} - dst_origin : std::int64_t{dst_origin} - X;
        std::int64_t s0, s1;
        if (!shrinking) {
            s0 = s1 = static_cast<std::int64_t>((static_cast<__int128>(2 * d + 1) * src_count - 1) / (2 * dst_count));
        } else {
            ShrinkRun(d, dst_count, src_count, &s0, &s1);
            if (single_pick) s0 = s1 = pick_last ? s1 : s0;
        }
        // Source indices to source coordinates, then clip to the source bitmap.
        std::int64_t c0 = src_origin + src_dir * s0, c1 = src_origin + src_dir * s1;
        if (c0 > c1) std::swap(c0, c1);
        c0 = std::max<std::int64_t>(c0, 0);
        c1 = std::min<std::int64_t>(c1, std::int64_t{src_limit} - 1);
        if (c0 > c1) continue;
        if (start == hi) start = X;
        end = X + 1;
        first.push_back(static_cast<int>(c0));
        last.push_back(static_cast<int>(c1));
    }
    if (start >= end) return map;
    map.dst_start = start;
    map.dst_end = end;
    map.first = std::move(first);
    map.last = std::move(last);
    map.identity = dst_count == src_count && dst_dir == src_dir;
    map.offset = map.first.front() - start;
    return map;
}

void StretchReference(Bitmap& dst, const Bitmap& src, const StretchReferenceArgs& a) {
    // Averaging has no meaning for black and white; a mono destination keeps one pixel per run.
    const int mode = a.mode == HALFTONE && dst.is_mono() ? COLORONCOLOR : a.mode;
    const int dst_count_x = std::abs(a.width), dst_count_y = std::abs(a.height);
    const int src_count_x = std::abs(a.src_width), src_count_y = std::abs(a.src_height);
    if (!dst_count_x || !dst_count_y || !src_count_x || !src_count_y) return;
    // Source indices combined into destination index d along one axis, straight from the rules.
    auto sources = [&](int d, int D, int S, bool horizontal) {
        std::vector<int> list;
        if (D >= S) {
            list.push_back(static_cast<int>(((2LL * d + 1) * S - 1) / (2LL * D)));
            return list;
        }
        long long err = 3LL * D - 2LL * S - 1;
        int run = 0;
        for (int s = 0; s < S; ++s) {
            if (run == d) list.push_back(s);
            if (err >= 0) {
                ++run;
                err += 2LL * D - 2LL * S;
            } else {
                err += 2LL * D;
            }
        }
        if (mode == COLORONCOLOR && !list.empty()) {
            const int keep = horizontal ? list.back() : list.front();
            list.assign(1, keep);
        }
        return list;
    };
    for (int dy = 0; dy < dst_count_y; ++dy) {
        const int Y = a.height > 0 ? a.y + dy : a.y - dy;
        if (Y < 0 || Y >= dst.height) continue;
        for (int dx = 0; dx < dst_count_x; ++dx) {
            const int X = a.width > 0 ? a.x + dx : a.x - dx;
            if (X < 0 || X >= dst.width) continue;
            std::uint32_t and_all = 0xFFFFFFFFu, or_all = 0;
            std::uint64_t sum[3] = {0, 0, 0};
            int count = 0;
            for (int sy : sources(dy, dst_count_y, src_count_y, false)) {
                const int SY = a.src_height > 0 ? a.src_y + sy : a.src_y - sy;
                if (SY < 0 || SY >= src.height) continue;
                for (int sx : sources(dx, dst_count_x, src_count_x, true)) {
                    const int SX = a.src_width > 0 ? a.src_x + sx : a.src_x - sx;
                    if (SX < 0 || SX >= src.width) continue;
                    const std::uint32_t p = a.convert(src.PixelAt(SX, SY), a.context);
                    and_all &= p;
                    or_all |= p;
                    sum[0] += (p >> 16) & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += p & 0xFF;
                    ++count;
                }
            }
            if (count == 0) continue;
            std::uint32_t s = and_all;
            if (mode == WHITEONBLACK) s = or_all;
            if (mode == HALFTONE) {
                auto avg = [&](std::uint64_t v) { return static_cast<std::uint32_t>((v + count / 2) / count); };
                s = (avg(sum[0]) << 16) | (avg(sum[1]) << 8) | avg(sum[2]);
            }
            // On 32-bit stored values whatever the formats, so the fast paths' byte rows are
            // checked against the word rule they must agree with.
            dst.SetPixelAt(X, Y, RopReference(a.rop_index, a.pattern, s, dst.PixelAt(X, Y)) & 0x00FFFFFFu);
        }
    }
}

}  // namespace ov::gdi::detail
