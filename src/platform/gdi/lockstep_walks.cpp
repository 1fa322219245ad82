#include "platform/gdi/lockstep_walks.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORVELLE_LOCKSTEP_WALKS 1
#endif

namespace ov::gdi::detail {

#if ORVELLE_LOCKSTEP_WALKS
namespace {

constexpr int kGroups = LockstepWalks::kLanes / 8;

// Eight lanes of walks in 512-bit registers.
struct LaneGroup {
    __m512i x, y, dx, dy, err, step_dx, step_dy, y_limit, x_floor, rows;
    __mmask8 walking;
};

#define ORVELLE_AVX512 __attribute__((target("avx512f")))

ORVELLE_AVX512 inline __mmask8 MayTakeRow(const LaneGroup& g) {
    return _mm512_cmplt_epi64_mask(g.y, g.y_limit) & _mm512_cmpgt_epi64_mask(g.x, g.x_floor);
}

// One row of every walking lane: up to kMaxPoints steps of the midpoint walk each, the same
// steps as the scalar walk's (a sideways step when 2 * err >= dx, a step down when 2 * err <=
// dy, both from the error before either), a lane leaving the row at its step down. A lane still
// on the row after them has a longer row: it goes back to the row's first point and stops.
ORVELLE_AVX512 __attribute__((always_inline)) inline void StepRow(LaneGroup& g, std::int32_t* hi) {
    const __m512i one = _mm512_set1_epi64(1);
    const __m512i row_x = g.x, row_dx = g.dx, row_err = g.err;
    __mmask8 on_row = g.walking;
    for (int point = 0; point < LockstepWalks::kMaxPoints; ++point) {
        const __m512i e2 = _mm512_add_epi64(g.err, g.err);
        const __mmask8 sideways = _mm512_mask_cmpge_epi64_mask(on_row, e2, g.dx);
        const __mmask8 down = _mm512_mask_cmple_epi64_mask(on_row, e2, g.dy);
        const __m512i dx_next = _mm512_add_epi64(g.dx, g.step_dx), dy_next = _mm512_add_epi64(g.dy, g.step_dy);
        // The error takes both increments at once; they do not depend on each other.
        g.err = _mm512_add_epi64(g.err, _mm512_add_epi64(_mm512_maskz_mov_epi64(sideways, dx_next),
                                                         _mm512_maskz_mov_epi64(down, dy_next)));
        g.x = _mm512_mask_sub_epi64(g.x, sideways, g.x, one);
        g.dx = _mm512_mask_mov_epi64(g.dx, sideways, dx_next);
        g.dy = _mm512_mask_mov_epi64(g.dy, down, dy_next);
        g.y = _mm512_mask_add_epi64(g.y, down, g.y, one);
        on_row &= static_cast<__mmask8>(~down);
    }
    g.x = _mm512_mask_mov_epi64(g.x, on_row, row_x);
    g.dx = _mm512_mask_mov_epi64(g.dx, on_row, row_dx);
    g.err = _mm512_mask_mov_epi64(g.err, on_row, row_err);
    const __mmask8 done = g.walking & static_cast<__mmask8>(~on_row);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(hi), _mm512_maskz_cvtepi64_epi32(0xFF, row_x));
    g.rows = _mm512_mask_add_epi64(g.rows, done, g.rows, one);
    g.walking = done & MayTakeRow(g);
}

ORVELLE_AVX512 void StepGroups(LockstepWalks& w, std::int32_t* hi) {
    LaneGroup groups[kGroups];
    for (int i = 0; i < kGroups; ++i) {
        LaneGroup& g = groups[i];
        const int lane = 8 * i;
        g.x = _mm512_load_si512(w.x + lane);
        g.y = _mm512_load_si512(w.y + lane);
        g.dx = _mm512_load_si512(w.dx + lane);
        g.dy = _mm512_load_si512(w.dy + lane);
        g.err = _mm512_load_si512(w.err + lane);
        g.step_dx = _mm512_load_si512(w.step_dx + lane);
        g.step_dy = _mm512_load_si512(w.step_dy + lane);
        g.y_limit = _mm512_load_si512(w.y_limit + lane);
        g.x_floor = _mm512_load_si512(w.x_floor + lane);
        g.rows = _mm512_setzero_si512();
        g.walking = static_cast<__mmask8>(w.walking >> lane) & MayTakeRow(g);
    }
    // The groups are independent, so their rows overlap in the pipeline.
    for (int row = 0; row < kLockstepRows; ++row) {
        unsigned walking = 0;
        for (int i = 0; i < kGroups; ++i) {
            StepRow(groups[i], hi + row * LockstepWalks::kLanes + 8 * i);
            walking |= groups[i].walking;
        }
        if (walking == 0) break;
    }
    w.walking = 0;
    for (int i = 0; i < kGroups; ++i) {
        const LaneGroup& g = groups[i];
        const int lane = 8 * i;
        _mm512_store_si512(w.x + lane, g.x);
        _mm512_store_si512(w.y + lane, g.y);
        _mm512_store_si512(w.dx + lane, g.dx);
        _mm512_store_si512(w.dy + lane, g.dy);
        _mm512_store_si512(w.err + lane, g.err);
        _mm512_store_si512(w.rows + lane, g.rows);
        w.walking |= static_cast<std::uint32_t>(g.walking) << lane;
    }
}

}  // namespace

bool LockstepWalksSupported() {
    static const bool supported = __builtin_cpu_supports("avx512f");
    return supported;
}

void StepLockstepWalks(LockstepWalks& walks, std::int32_t* hi) { StepGroups(walks, hi); }

#else

bool LockstepWalksSupported() { return false; }

void StepLockstepWalks(LockstepWalks& walks, std::int32_t*) {
    walks.walking = 0;
    for (std::int64_t& rows : walks.rows) rows = 0;
}

#endif

}  // namespace ov::gdi::detail
