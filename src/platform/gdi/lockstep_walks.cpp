#include "platform/gdi/internal/lockstep_walks.h"

#include <cstring>

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

// The steps are written once (lockstep_steps.inc) in vector arithmetic and compiled twice, each
// time with what one instruction set needs beyond it. Everything in these regions is compiled
// for that instruction set and is called only once the processor is known to have it.

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq")
#endif
namespace eight_lanes {

constexpr int kWidth = 8;
using Lanes = std::int64_t __attribute__((vector_size(64)));
using Naturals = std::uint64_t __attribute__((vector_size(64)));
using Reals = double __attribute__((vector_size(64)));

inline bool Any(Lanes mask) { return _mm512_test_epi64_mask(__m512i(mask), __m512i(mask)) != 0; }
inline std::uint32_t Bits(Lanes mask) { return _mm512_test_epi64_mask(__m512i(mask), __m512i(mask)); }
inline Reals Sqrt(Reals v) { return Reals(_mm512_sqrt_pd(__m512d(v))); }
inline Reals Estimate(Lanes v) { return __builtin_convertvector(v, Reals); }
inline Lanes CeilToLanes(Reals v) {
    return Lanes(_mm512_cvttpd_epi64(_mm512_roundscale_pd(__m512d(v), _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC)));
}
inline void StoreColumns(Lanes x, std::int32_t* at) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm512_cvtepi64_epi32(__m512i(x)));
}
inline Lanes TimesSmall(Lanes v, Lanes k) { return v * k; }

#include "platform/gdi/internal/lockstep_steps.inc"

}  // namespace eight_lanes
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace four_lanes {

constexpr int kWidth = 4;
using Lanes = std::int64_t __attribute__((vector_size(32)));
using Naturals = std::uint64_t __attribute__((vector_size(32)));
using Reals = double __attribute__((vector_size(32)));

inline bool Any(Lanes mask) { return _mm256_movemask_pd(_mm256_castsi256_pd(__m256i(mask))) != 0; }
inline std::uint32_t Bits(Lanes mask) {
    return static_cast<std::uint32_t>(_mm256_movemask_pd(_mm256_castsi256_pd(__m256i(mask))));
}
inline Reals Sqrt(Reals v) { return Reals(_mm256_sqrt_pd(__m256d(v))); }
// Without 64-bit conversions: the high half (signed) and the low half (unsigned) each through
// the exponent of 2^52, then put together.
inline Reals Estimate(Lanes v) {
    constexpr double kTwo52 = 4503599627370496.0, kTwo31 = 2147483648.0, kTwo32 = 4294967296.0;
    const Lanes magic = Lanes{} + 0x4330000000000000;  // 2^52 as a double
    const Lanes low_half = v & 0xFFFFFFFF;
    const Lanes high_half = Lanes(_mm256_srli_epi64(__m256i(v), 32)) ^ 0x80000000;  // biased to unsigned
    const Reals low = Reals(low_half | magic) - kTwo52;
    const Reals high = Reals(high_half | magic) - (kTwo52 + kTwo31);
    return high * kTwo32 + low;
}
// Estimates past 32 bits convert to the most negative value.
inline Lanes CeilToLanes(Reals v) {
    return Lanes(_mm256_cvtepi32_epi64(
        _mm256_cvttpd_epi32(_mm256_round_pd(__m256d(v), _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC))));
}
// Without 64-bit multiplies: the low half of v times k, and its high half times k moved up.
inline Lanes TimesSmall(Lanes v, Lanes k) {
    const __m256i low = _mm256_mul_epu32(__m256i(v), __m256i(k));
    const __m256i high = _mm256_mul_epu32(_mm256_srli_epi64(__m256i(v), 32), __m256i(k));
    return Lanes(_mm256_add_epi64(low, _mm256_slli_epi64(high, 32)));
}
inline void StoreColumns(Lanes x, std::int32_t* at) {
    const __m256i low_halves = _mm256_permutevar8x32_epi32(__m256i(x), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(low_halves));
}

#include "platform/gdi/internal/lockstep_steps.inc"

}  // namespace four_lanes
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

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

void StepLockstepWalks(LockstepKernel kernel, LockstepWalks& walks, std::int32_t* hi) {
    if (kernel == LockstepKernel::kAvx512) eight_lanes::Step(walks, hi);
    else four_lanes::Step(walks, hi);
}

#else

bool LockstepKernelSupported(LockstepKernel) { return false; }

void StepLockstepWalks(LockstepKernel, LockstepWalks& walks, std::int32_t*) {
    walks.walking = 0;
    for (std::int64_t& rows : walks.rows) rows = 0;
}

#endif

std::optional<LockstepKernel> WidestLockstepKernel() {
    static const std::optional<LockstepKernel> widest = []() -> std::optional<LockstepKernel> {
        for (const LockstepKernel kernel : {LockstepKernel::kAvx512, LockstepKernel::kAvx2})
            if (LockstepKernelSupported(kernel)) return kernel;
        return std::nullopt;
    }();
    return widest;
}

}  // namespace ov::gdi::detail
