#include "platform/gdi/lockstep_walks.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORVELLE_LOCKSTEP_WALKS 1
#endif
// GCC's AVX-512 intrinsics start their results from an undefined vector, which its own
// uninitialised-value warnings then report in every caller.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
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

#define ORVELLE_AVX512 __attribute__((target("avx512f,avx512dq")))

ORVELLE_AVX512 inline __mmask8 MayTakeRow(const LaneGroup& g) {
    return _mm512_cmplt_epi64_mask(g.y, g.y_limit) & _mm512_cmpgt_epi64_mask(g.x, g.x_floor);
}

// One point of the midpoint walk in the lanes `on_row`, the same step as the walk alone takes:
// sideways when 2 * err >= dx, down when 2 * err <= dy, both decided by the error before
// either. A lane stepping down leaves `on_row`.
ORVELLE_AVX512 __attribute__((always_inline)) inline void StepPoint(LaneGroup& g, __mmask8& on_row) {
    const __m512i e2 = _mm512_add_epi64(g.err, g.err);
    const __mmask8 sideways = _mm512_mask_cmpge_epi64_mask(on_row, e2, g.dx);
    const __mmask8 down = _mm512_mask_cmple_epi64_mask(on_row, e2, g.dy);
    const __m512i dx_next = _mm512_add_epi64(g.dx, g.step_dx), dy_next = _mm512_add_epi64(g.dy, g.step_dy);
    // The error takes both increments at once; they do not depend on each other.
    g.err = _mm512_add_epi64(g.err, _mm512_add_epi64(_mm512_maskz_mov_epi64(sideways, dx_next),
                                                     _mm512_maskz_mov_epi64(down, dy_next)));
    g.x = _mm512_mask_sub_epi64(g.x, sideways, g.x, _mm512_set1_epi64(1));
    g.dx = _mm512_mask_mov_epi64(g.dx, sideways, dx_next);
    g.dy = _mm512_mask_mov_epi64(g.dy, down, dy_next);
    g.y = _mm512_mask_add_epi64(g.y, down, g.y, _mm512_set1_epi64(1));
    on_row &= static_cast<__mmask8>(~down);
}

// Twice the error after k more steps along the row, less dy: (step_dx * k + 2 * dx + step_dx)
// * k + 2 * err - dy, the walk's own check in the walk's own 64 bits.
ORVELLE_AVX512 inline __m512i AlongRowCheck(const LaneGroup& g, __m512i k) {
    const __m512i linear = _mm512_add_epi64(_mm512_add_epi64(g.dx, g.dx), g.step_dx);
    const __m512i constant = _mm512_sub_epi64(_mm512_add_epi64(g.err, g.err), g.dy);
    return _mm512_add_epi64(_mm512_mullo_epi64(_mm512_add_epi64(_mm512_mullo_epi64(g.step_dx, k), linear), k), constant);
}

// The rest of a row longer than the steps taken one by one, in one go: the lanes `on_row` step
// along it k times, k the first with a non-positive check (estimated from the root of the
// quadratic and checked exactly), then take its last point's step down. Leaves in `on_row` the
// lanes whose estimate does not check out or whose row would run too close to the middle column.
ORVELLE_AVX512 inline void TakeRestOfRow(LaneGroup& g, __mmask8& on_row) {
    const __m512i one = _mm512_set1_epi64(1), zero = _mm512_setzero_si512();
    const __m512d a = _mm512_cvtepi64_pd(g.step_dx);
    const __m512d b = _mm512_cvtepi64_pd(_mm512_add_epi64(_mm512_add_epi64(g.dx, g.dx), g.step_dx));
    const __m512d c = _mm512_cvtepi64_pd(_mm512_sub_epi64(_mm512_add_epi64(g.err, g.err), g.dy));
    const __m512d disc = _mm512_fmsub_pd(b, b, _mm512_mul_pd(_mm512_mul_pd(_mm512_set1_pd(4), a), c));
    const __m512d root = _mm512_div_pd(_mm512_sub_pd(_mm512_sub_pd(_mm512_setzero_pd(), b), _mm512_sqrt_pd(disc)),
                                       _mm512_add_pd(a, a));
    // No root (NaN) converts to the most negative value and is caught by the checks below.
    const __m512i cap = _mm512_sub_epi64(_mm512_sub_epi64(g.x, g.x_floor), one);
    const __m512i k = _mm512_min_epi64(_mm512_max_epi64(_mm512_cvttpd_epi64(_mm512_roundscale_pd(root, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC)), zero), cap);
    const __mmask8 room = _mm512_mask_cmpge_epi64_mask(on_row, k, zero);  // a negative cap leaves none
    const __mmask8 ends = _mm512_mask_cmple_epi64_mask(room, AlongRowCheck(g, k), zero);
    const __mmask8 first = _mm512_mask_cmpeq_epi64_mask(ends, k, zero) |
                           _mm512_mask_cmpgt_epi64_mask(ends, AlongRowCheck(g, _mm512_sub_epi64(k, one)), zero);
    __mmask8 taken = first;
    const __m512i steps = _mm512_maskz_mov_epi64(taken, k);
    const __m512i triangle = _mm512_srai_epi64(_mm512_mullo_epi64(steps, _mm512_add_epi64(steps, one)), 1);
    g.err = _mm512_add_epi64(g.err, _mm512_add_epi64(_mm512_mullo_epi64(steps, g.dx), _mm512_mullo_epi64(triangle, g.step_dx)));
    g.dx = _mm512_add_epi64(g.dx, _mm512_mullo_epi64(steps, g.step_dx));
    g.x = _mm512_sub_epi64(g.x, steps);
    StepPoint(g, taken);  // the row's last point steps down
    on_row &= static_cast<__mmask8>(~first);
}

// One row of every walking lane: its points stepped one by one up to kMaxPoints, the rest of a
// longer row in one go. A lane whose row cannot be taken goes back to the row's first point
// and stops.
ORVELLE_AVX512 __attribute__((always_inline)) inline void StepRow(LaneGroup& g, std::int32_t* hi) {
    const __m512i row_x = g.x, row_dx = g.dx, row_err = g.err;
    __mmask8 on_row = g.walking;
    for (int point = 0; point < LockstepWalks::kMaxPoints; ++point) StepPoint(g, on_row);
    if (on_row) TakeRestOfRow(g, on_row);
    g.x = _mm512_mask_mov_epi64(g.x, on_row, row_x);
    g.dx = _mm512_mask_mov_epi64(g.dx, on_row, row_dx);
    g.err = _mm512_mask_mov_epi64(g.err, on_row, row_err);
    const __mmask8 done = g.walking & static_cast<__mmask8>(~on_row);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(hi), _mm512_cvtepi64_epi32(row_x));
    g.rows = _mm512_mask_add_epi64(g.rows, done, g.rows, _mm512_set1_epi64(1));
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
    static const bool supported = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
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
