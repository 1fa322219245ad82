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

// The same steps in four lanes of 256-bit registers, for processors without AVX-512. Masks are
// vectors of all-ones lanes; a lane's 64-bit products take two 32-bit multiplies, each of its
// factors k being small and non-negative where the product is used.
#define ORVELLE_AVX2 __attribute__((target("avx2")))

constexpr int kQuads = LockstepWalks::kLanes / 4;

struct LaneQuad {
    __m256i x, y, dx, dy, err, step_dx, step_dy, y_limit, x_floor, rows, walking;
};

ORVELLE_AVX2 inline __m256i Greater(__m256i a, __m256i b) { return _mm256_cmpgt_epi64(a, b); }
ORVELLE_AVX2 inline __m256i Unless(__m256i mask, __m256i lanes) { return _mm256_andnot_si256(mask, lanes); }
ORVELLE_AVX2 inline __m256i Select(__m256i mask, __m256i if_set, __m256i if_clear) {
    return _mm256_blendv_epi8(if_clear, if_set, mask);
}
ORVELLE_AVX2 inline bool Any(__m256i mask) { return _mm256_movemask_pd(_mm256_castsi256_pd(mask)) != 0; }
ORVELLE_AVX2 inline __m256i TimesSmall(__m256i v, __m256i k) {
    const __m256i low = _mm256_mul_epu32(v, k), high = _mm256_mul_epu32(_mm256_srli_epi64(v, 32), k);
    return _mm256_add_epi64(low, _mm256_slli_epi64(high, 32));
}
// Close to v as a double (an estimate only): its high half signed, its low half unsigned.
ORVELLE_AVX2 inline __m256d Approximately(__m256i v) {
    const __m256i magic = _mm256_set1_epi64x(0x4330000000000000);  // 2^52 as a double
    const __m256d low = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi64x(0xFFFFFFFF)), magic)),
        _mm256_set1_pd(4503599627370496.0));
    const __m256i high_biased = _mm256_xor_si256(_mm256_srli_epi64(v, 32), _mm256_set1_epi64x(0x80000000));
    const __m256d high = _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(high_biased, magic)),
                                       _mm256_set1_pd(4503599627370496.0 + 2147483648.0));
    return _mm256_add_pd(_mm256_mul_pd(high, _mm256_set1_pd(4294967296.0)), low);
}
ORVELLE_AVX2 inline __m256i LoadQuad(const std::int64_t* lanes) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}
ORVELLE_AVX2 inline void StoreQuad(std::int64_t* lanes, __m256i v) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
}
ORVELLE_AVX2 inline __m256i MayTakeRow(const LaneQuad& g) {
    return _mm256_and_si256(Greater(g.y_limit, g.y), Greater(g.x, g.x_floor));
}

ORVELLE_AVX2 __attribute__((always_inline)) inline void StepPoint(LaneQuad& g, __m256i& on_row) {
    const __m256i e2 = _mm256_add_epi64(g.err, g.err);
    const __m256i sideways = Unless(Greater(g.dx, e2), on_row);
    const __m256i down = Unless(Greater(e2, g.dy), on_row);
    const __m256i dx_next = _mm256_add_epi64(g.dx, g.step_dx), dy_next = _mm256_add_epi64(g.dy, g.step_dy);
    g.err = _mm256_add_epi64(g.err, _mm256_add_epi64(_mm256_and_si256(sideways, dx_next), _mm256_and_si256(down, dy_next)));
    g.x = _mm256_add_epi64(g.x, sideways);  // all-ones lanes are -1
    g.dx = Select(sideways, dx_next, g.dx);
    g.dy = Select(down, dy_next, g.dy);
    g.y = _mm256_sub_epi64(g.y, down);
    on_row = Unless(down, on_row);
}

ORVELLE_AVX2 inline __m256i AlongRowCheck(const LaneQuad& g, __m256i k) {
    const __m256i linear = _mm256_add_epi64(_mm256_add_epi64(g.dx, g.dx), g.step_dx);
    const __m256i constant = _mm256_sub_epi64(_mm256_add_epi64(g.err, g.err), g.dy);
    return _mm256_add_epi64(TimesSmall(_mm256_add_epi64(TimesSmall(g.step_dx, k), linear), k), constant);
}

ORVELLE_AVX2 inline void TakeRestOfRow(LaneQuad& g, __m256i& on_row) {
    const __m256i one = _mm256_set1_epi64x(1), zero = _mm256_setzero_si256();
    const __m256d a = Approximately(g.step_dx);
    const __m256d b = Approximately(_mm256_add_epi64(_mm256_add_epi64(g.dx, g.dx), g.step_dx));
    const __m256d c = Approximately(_mm256_sub_epi64(_mm256_add_epi64(g.err, g.err), g.dy));
    const __m256d disc = _mm256_sub_pd(_mm256_mul_pd(b, b), _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(4), a), c));
    const __m256d root = _mm256_div_pd(_mm256_sub_pd(_mm256_sub_pd(_mm256_setzero_pd(), b), _mm256_sqrt_pd(disc)),
                                       _mm256_add_pd(a, a));
    // No root, or one past 32 bits, converts to the most negative value, caught below.
    const __m256i estimate =
        _mm256_cvtepi32_epi64(_mm256_cvttpd_epi32(_mm256_round_pd(root, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC)));
    const __m256i cap = _mm256_sub_epi64(_mm256_sub_epi64(g.x, g.x_floor), one);
    const __m256i at_least_zero = Select(Greater(estimate, zero), estimate, zero);
    const __m256i k = Select(Greater(at_least_zero, cap), cap, at_least_zero);
    const __m256i room = Unless(Greater(zero, k), on_row);
    const __m256i ends = Unless(Greater(AlongRowCheck(g, k), zero), room);
    const __m256i first = _mm256_and_si256(
        ends, _mm256_or_si256(_mm256_cmpeq_epi64(k, zero), Greater(AlongRowCheck(g, _mm256_sub_epi64(k, one)), zero)));
    __m256i taken = first;
    const __m256i steps = _mm256_and_si256(taken, k);
    const __m256i triangle = _mm256_srli_epi64(_mm256_mul_epu32(steps, _mm256_add_epi64(steps, one)), 1);
    g.err = _mm256_add_epi64(g.err, _mm256_add_epi64(TimesSmall(g.dx, steps), _mm256_mul_epu32(triangle, g.step_dx)));
    g.dx = _mm256_add_epi64(g.dx, _mm256_mul_epu32(steps, g.step_dx));
    g.x = _mm256_sub_epi64(g.x, steps);
    StepPoint(g, taken);
    on_row = Unless(first, on_row);
}

ORVELLE_AVX2 __attribute__((always_inline)) inline void StepRow(LaneQuad& g, std::int32_t* hi) {
    const __m256i row_x = g.x, row_dx = g.dx, row_err = g.err;
    __m256i on_row = g.walking;
    for (int point = 0; point < LockstepWalks::kMaxPoints; ++point) StepPoint(g, on_row);
    if (Any(on_row)) TakeRestOfRow(g, on_row);
    g.x = Select(on_row, row_x, g.x);
    g.dx = Select(on_row, row_dx, g.dx);
    g.err = Select(on_row, row_err, g.err);
    const __m256i done = Unless(on_row, g.walking);
    const __m256i low_halves = _mm256_permutevar8x32_epi32(row_x, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(hi), _mm256_castsi256_si128(low_halves));
    g.rows = _mm256_sub_epi64(g.rows, done);
    g.walking = _mm256_and_si256(done, MayTakeRow(g));
}

// Three quads at a time: enough independent rows for the pipeline (more only spill).
ORVELLE_AVX2 void StepQuads(LockstepWalks& w, std::int32_t* hi) {
    constexpr int kTogether = 3;
    const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
    std::uint32_t walking_after = 0;
    for (int run = 0; run < kQuads; run += kTogether) {
        LaneQuad quads[kTogether];
        for (int i = 0; i < kTogether; ++i) {
            LaneQuad& g = quads[i];
            const int lane = 4 * (run + i);
            g.x = LoadQuad(w.x + lane);
            g.y = LoadQuad(w.y + lane);
            g.dx = LoadQuad(w.dx + lane);
            g.dy = LoadQuad(w.dy + lane);
            g.err = LoadQuad(w.err + lane);
            g.step_dx = LoadQuad(w.step_dx + lane);
            g.step_dy = LoadQuad(w.step_dy + lane);
            g.y_limit = LoadQuad(w.y_limit + lane);
            g.x_floor = LoadQuad(w.x_floor + lane);
            g.rows = _mm256_setzero_si256();
            const __m256i bits = _mm256_and_si256(_mm256_set1_epi64x(w.walking >> lane), bit);
            g.walking = _mm256_and_si256(_mm256_cmpeq_epi64(bits, bit), MayTakeRow(g));
        }
        for (int row = 0; row < kLockstepRows; ++row) {
            __m256i walking = _mm256_setzero_si256();
            for (int i = 0; i < kTogether; ++i) {
                StepRow(quads[i], hi + row * LockstepWalks::kLanes + 4 * (run + i));
                walking = _mm256_or_si256(walking, quads[i].walking);
            }
            if (!Any(walking)) break;
        }
        for (int i = 0; i < kTogether; ++i) {
            const LaneQuad& g = quads[i];
            const int lane = 4 * (run + i);
            StoreQuad(w.x + lane, g.x);
            StoreQuad(w.y + lane, g.y);
            StoreQuad(w.dx + lane, g.dx);
            StoreQuad(w.dy + lane, g.dy);
            StoreQuad(w.err + lane, g.err);
            StoreQuad(w.rows + lane, g.rows);
            walking_after |= static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(g.walking))) << lane;
        }
    }
    w.walking = walking_after;
}

}  // namespace

bool LockstepKernelSupported(LockstepKernel kernel) {
    static const bool avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    static const bool avx2 = __builtin_cpu_supports("avx2");
    switch (kernel) {
        case LockstepKernel::kAvx512: return avx512;
        case LockstepKernel::kAvx2: return avx2;
    }
    return false;
}

bool LockstepWalksSupported() {
    return LockstepKernelSupported(LockstepKernel::kAvx512) || LockstepKernelSupported(LockstepKernel::kAvx2);
}

void StepLockstepWalksWith(LockstepKernel kernel, LockstepWalks& walks, std::int32_t* hi) {
    if (kernel == LockstepKernel::kAvx512) StepGroups(walks, hi);
    else StepQuads(walks, hi);
}

void StepLockstepWalks(LockstepWalks& walks, std::int32_t* hi) {
    static const LockstepKernel best =
        LockstepKernelSupported(LockstepKernel::kAvx512) ? LockstepKernel::kAvx512 : LockstepKernel::kAvx2;
    StepLockstepWalksWith(best, walks, hi);
}

#else

bool LockstepKernelSupported(LockstepKernel) { return false; }

bool LockstepWalksSupported() { return false; }

void StepLockstepWalksWith(LockstepKernel, LockstepWalks& walks, std::int32_t*) {
    walks.walking = 0;
    for (std::int64_t& rows : walks.rows) rows = 0;
}

void StepLockstepWalks(LockstepWalks& walks, std::int32_t* hi) { StepLockstepWalksWith(LockstepKernel::kAvx2, walks, hi); }

#endif

}  // namespace ov::gdi::detail
