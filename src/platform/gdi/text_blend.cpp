#include "platform/gdi/internal/text_blend.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define OV_BLEND_X86 1
#endif

namespace ov::gdi::detail {

void BlendSpanReference(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t a = coverage[i];
        if (a == 0) continue;
        pixels[i] = a == 255 ? source : BlendPixel(source, pixels[i], a);
    }
}

#ifdef OV_BLEND_X86
namespace {

// Pixels in 16-bit lanes, two per 128 bits: s * a + d * (255 - a) + 128 stays below 2^16, and
// (x + (x >> 8)) >> 8 is BlendPixel's rounded division.
__m128i Mix128(__m128i source16, __m128i destination16, __m128i a16) {
    const __m128i all = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
    const __m128i x = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(source16, a16), _mm_mullo_epi16(destination16, _mm_sub_epi16(all, a16))), half);
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Four pixels with their four coverage bytes.
__m128i Blend4(__m128i source16, __m128i d, std::uint32_t four) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a8 = _mm_cvtsi32_si128(static_cast<int>(four));
    a8 = _mm_unpacklo_epi8(a8, a8);
    a8 = _mm_unpacklo_epi16(a8, a8);  // each pixel's coverage in its four channel bytes
    const __m128i low = Mix128(source16, _mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(a8, zero));
    const __m128i high = Mix128(source16, _mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(a8, zero));
    return _mm_packus_epi16(low, high);
}

// Four pixels at a time, the last one to three one by one.
inline void BlendRowSse2(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source) {
    const __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), _mm_setzero_si128());
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;    // blank: the commonest case between strokes
        if (four == 0xFFFFFFFFu) {  // solid ink: inside strokes and every set pixel of one-bit glyphs
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), _mm_set1_epi32(static_cast<int>(source)));
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), Blend4(source16, d, four));
    }
    BlendSpanReference(pixels + i, coverage + i, count - i, source);
}

void BlendRectSse2(std::uint32_t* pixels, std::size_t stride, const std::uint8_t* coverage, std::size_t pitch,
                   int width, int height, std::uint32_t source) {
    for (int y = 0; y < height; ++y, pixels += stride, coverage += pitch) BlendRowSse2(pixels, coverage, width, source);
}

// Mix128 on four pixels per 256 bits.
__attribute__((target("avx2"))) __m256i Mix256(__m256i source16, __m256i destination16, __m256i a16) {
    const __m256i all = _mm256_set1_epi16(255), half = _mm256_set1_epi16(128);
    const __m256i x = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(source16, a16),
                                                        _mm256_mullo_epi16(destination16, _mm256_sub_epi16(all, a16))),
                                       half);
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// Eight pixels at a time, the rest as above. Row by row inside one call: glyph rows are a few
// pixels wide, so a call per row would cost more than the row's blending.
__attribute__((target("avx2"))) void BlendRectAvx2(std::uint32_t* pixels, std::size_t stride,
                                                   const std::uint8_t* coverage, std::size_t pitch, int width,
                                                   int height, std::uint32_t source) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i source16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(source)), zero);
    // Spreads coverage bytes 0..3 over the low lane's pixels and 4..7 over the high lane's.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3,  //
                                            4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    for (int y = 0; y < height; ++y, pixels += stride, coverage += pitch) {
        int i = 0;
        for (; i + 8 <= width; i += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, coverage + i, 8);
            if (eight == 0) continue;
            if (eight == ~std::uint64_t{0}) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + i),
                                    _mm256_set1_epi32(static_cast<int>(source)));
                continue;
            }
            const __m256i a8 = _mm256_shuffle_epi8(_mm256_set1_epi64x(static_cast<long long>(eight)), spread);
            const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + i));
            // Unpacking and packing both stay inside 128-bit lanes, so pixel order is kept.
            const __m256i low = Mix256(source16, _mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(a8, zero));
            const __m256i high = Mix256(source16, _mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(a8, zero));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + i), _mm256_packus_epi16(low, high));
        }
        BlendRowSse2(pixels + i, coverage + i, width - i, source);
    }
}

using RectKernel = void (*)(std::uint32_t*, std::size_t, const std::uint8_t*, std::size_t, int, int, std::uint32_t);

RectKernel ChooseKernel() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? BlendRectAvx2 : BlendRectSse2;
}

}  // namespace

void BlendRect(std::uint32_t* pixels, std::size_t stride, const std::uint8_t* coverage, std::size_t pitch, int width,
               int height, std::uint32_t source) {
    static const RectKernel kernel = ChooseKernel();
    kernel(pixels, stride, coverage, pitch, width, height, source);
}
#else
void BlendRect(std::uint32_t* pixels, std::size_t stride, const std::uint8_t* coverage, std::size_t pitch, int width,
               int height, std::uint32_t source) {
    for (int y = 0; y < height; ++y, pixels += stride, coverage += pitch)
        BlendSpanReference(pixels, coverage, width, source);
}
#endif

void BlendSpan(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source) {
    BlendRect(pixels, 0, coverage, 0, count, 1, source);
}

}  // namespace ov::gdi::detail
