#include "platform/gdi/text_blend.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ov::gdi::detail {

void BlendSpanReference(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t a = coverage[i];
        if (a == 0) continue;
        pixels[i] = a == 255 ? source : BlendPixel(source, pixels[i], a);
    }
}

void BlendSpan(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source) {
    int i = 0;
#ifdef __SSE2__
    // Two pixels per register in 16-bit lanes; s * a + d * (255 - a) + 128 stays below 2^16.
    const __m128i zero = _mm_setzero_si128();
    const __m128i source16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(source)), zero);
    const __m128i all = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
    const auto mix = [&](__m128i destination16, __m128i a16) {
        const __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(source16, a16),
                                                      _mm_mullo_epi16(destination16, _mm_sub_epi16(all, a16))),
                                        half);
        return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
    };
    for (; i + 4 <= count; i += 4) {
        std::uint32_t four;
        std::memcpy(&four, coverage + i, 4);
        if (four == 0) continue;  // blank: the commonest case between strokes
        if (four == 0xFFFFFFFFu) {  // solid ink: inside strokes and every set pixel of one-bit glyphs
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), _mm_set1_epi32(static_cast<int>(source)));
            continue;
        }
        __m128i a8 = _mm_cvtsi32_si128(static_cast<int>(four));
        a8 = _mm_unpacklo_epi8(a8, a8);
        a8 = _mm_unpacklo_epi16(a8, a8);  // each pixel's coverage in its four channel bytes
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        const __m128i low = mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(a8, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(a8, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i), _mm_packus_epi16(low, high));
    }
#endif
    BlendSpanReference(pixels + i, coverage + i, count - i, source);
}

}  // namespace ov::gdi::detail
