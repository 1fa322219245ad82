// Ternary raster operations: every kernel against the bit-by-bit truth table, and the named
// operations the library uses checked by value through BitBlt.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/internal/raster.h"

namespace ov::gdi {
namespace {

TEST(RopKernels, EveryOperationMatchesItsTruthTable) {
    std::mt19937 rng(5);
    std::vector<std::uint32_t> src(64), dst(64), expected(64);
    for (int index = 0; index < 256; ++index) {
        const auto rop = static_cast<std::uint8_t>(index);
        const std::uint32_t pattern = rng() & 0x00FFFFFFu;
        for (int i = 0; i < 64; ++i) {
            src[i] = rng() & 0x00FFFFFFu;
            dst[i] = rng() & 0x00FFFFFFu;
            expected[i] = detail::RopReference(rop, pattern, src[i], dst[i]) & 0x00FFFFFFu;
        }
        detail::RopKernel(rop)(dst.data(), src.data(), pattern, 64);
        ASSERT_EQ(dst, expected) << "operation index 0x" << std::hex << index;
    }
}

// Mono rows hold bytes 0x00 or 0xFF; each byte kernel must give the black or white the word
// kernel gives on the same pixels as 32-bit mono values (0 or 0x00FFFFFF).
TEST(RopKernels, MonoByteKernelsAgreeWithTheWordKernels) {
    std::mt19937 rng(6);
    constexpr int kCount = 67;  // past a vector width, with a tail
    std::vector<std::uint8_t> src(kCount), dst(kCount);
    std::vector<std::uint32_t> src_words(kCount), dst_words(kCount);
    for (int index = 0; index < 256; ++index) {
        const auto rop = static_cast<std::uint8_t>(index);
        for (const std::uint32_t pattern : {0u, detail::kMonoWhite}) {
            for (int i = 0; i < kCount; ++i) {
                src[i] = rng() % 2 ? 0xFF : 0x00;
                dst[i] = rng() % 2 ? 0xFF : 0x00;
                src_words[i] = detail::MonoWord(src[i]);
                dst_words[i] = detail::MonoWord(dst[i]);
            }
            detail::RopKernel(rop)(dst_words.data(), src_words.data(), pattern, kCount);
            detail::MonoRopKernel(rop)(dst.data(), src.data(), pattern, kCount);
            for (int i = 0; i < kCount; ++i)
                ASSERT_EQ(detail::MonoWord(dst[i]), dst_words[i])
                    << "operation index 0x" << std::hex << index << " pattern " << pattern << std::dec << " at " << i;
            for (int i = 0; i < kCount; ++i) ASSERT_TRUE(dst[i] == 0x00 || dst[i] == 0xFF);
        }
    }
}

// The converting kernels exist for the baseline processor and for AVX2; both must agree with
// the plain word kernel run on the converted source, at lengths around the vector widths.
TEST(RopKernels, ConvertingKernelsAgreeWithConvertThenOperate) {
    std::mt19937 rng(8);
    const std::uint32_t ops[] = {0xCC, 0x88, 0xEE, 0x66, 0x22, 0x44, 0x33, 0xBB, 0xC0};
    detail::SourceConversion to_mono;
    to_mono.kind = detail::SourceConversion::Kind::ColourToMono;
    to_mono.key = 0x00FF00FFu;
    detail::SourceConversion to_colour;
    to_colour.kind = detail::SourceConversion::Kind::MonoToColour;
    to_colour.zero = 0x00123456u;
    to_colour.one = 0x00ABCDEFu;
    for (const bool avx2 : {false, true}) {
        detail::SetAvx2ConvertingKernels(avx2);
        for (const std::uint32_t op : ops)
            for (const int count : {1, 7, 31, 32, 33, 67}) {
                const auto rop = static_cast<std::uint8_t>(op);
                // Colour words into a mono row.
                std::vector<std::uint32_t> colour(count), mono_words(count);
                std::vector<std::uint8_t> mono(count);
                for (int i = 0; i < count; ++i) {
                    colour[i] = rng() % 2 ? 0x00FF00FFu : rng() & 0x00FFFFFFu;
                    mono[i] = rng() % 2 ? 0xFF : 0x00;
                    mono_words[i] = detail::MonoWord(mono[i]);
                }
                const std::uint32_t mono_pattern = rng() % 2 ? detail::kMonoWhite : 0u;
                std::vector<std::uint32_t> converted(count);
                for (int i = 0; i < count; ++i) converted[i] = to_mono(colour[i]);
                detail::RopKernel(rop)(mono_words.data(), converted.data(), mono_pattern, count);
                const auto into_mono = detail::ColourToMonoRopKernel(rop);
                ASSERT_NE(into_mono, nullptr);
                into_mono(mono.data(), colour.data(), mono_pattern, count, to_mono);
                for (int i = 0; i < count; ++i)
                    ASSERT_EQ(mono[i], static_cast<std::uint8_t>(mono_words[i]))
                        << "colour->mono op 0x" << std::hex << op << std::dec << " avx2 " << avx2 << " count " << count
                        << " at " << i;

                // Mono bytes into a colour row.
                std::vector<std::uint32_t> target(count), expected(count);
                for (int i = 0; i < count; ++i) {
                    mono[i] = rng() % 2 ? 0xFF : 0x00;
                    target[i] = expected[i] = rng() & 0x00FFFFFFu;
                    converted[i] = to_colour(detail::MonoWord(mono[i]));
                }
                const std::uint32_t pattern = rng() & 0x00FFFFFFu;
                detail::RopKernel(rop)(expected.data(), converted.data(), pattern, count);
                const auto into_colour = detail::MonoToColourRopKernel(rop);
                ASSERT_NE(into_colour, nullptr);
                into_colour(target.data(), mono.data(), pattern, count, to_colour);
                ASSERT_EQ(target, expected)
                    << "mono->colour op 0x" << std::hex << op << std::dec << " avx2 " << avx2 << " count " << count;
            }
    }
    detail::SetAvx2ConvertingKernels(true);
}

TEST(RopKernels, WhichOperandsAnOperationReads) {
    EXPECT_TRUE(detail::RopUsesSource(detail::RopIndex(SRCCOPY)));
    EXPECT_FALSE(detail::RopUsesPattern(detail::RopIndex(SRCCOPY)));
    EXPECT_FALSE(detail::RopUsesDestination(detail::RopIndex(SRCCOPY)));
    EXPECT_FALSE(detail::RopUsesSource(detail::RopIndex(PATCOPY)));
    EXPECT_TRUE(detail::RopUsesPattern(detail::RopIndex(PATCOPY)));
    EXPECT_TRUE(detail::RopUsesDestination(detail::RopIndex(DSTINVERT)));
    EXPECT_FALSE(detail::RopUsesSource(detail::RopIndex(DSTINVERT)));
    EXPECT_TRUE(detail::RopUsesSource(detail::RopIndex(DSNA)));
    EXPECT_TRUE(detail::RopUsesDestination(detail::RopIndex(DSNA)));
}

// One pixel: destination D, source S, brush P through BitBlt with the given code.
COLORREF Apply(std::uint32_t rop, COLORREF p, COLORREF s, COLORREF d) {
    testing_support::Canvas dst(1, 1, d), src(1, 1, s);
    dst.Brush(p);
    EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, rop));
    return dst.At(0, 0);
}

TEST(RopValues, NamedOperationsByValue) {
    const COLORREF p = 0x00F0CC33, s = 0x00AA55C3, d = 0x0033F00F;
    EXPECT_EQ(Apply(0x00CC0020, p, s, d), s);                  // SRCCOPY
    EXPECT_EQ(Apply(0x00220326, p, s, d), d & ~s & 0xFFFFFF);  // DSna
    EXPECT_EQ(Apply(0x008800C6, p, s, d), d & s);              // SRCAND
    EXPECT_EQ(Apply(0x00EE0086, p, s, d), d | s);              // SRCPAINT
    EXPECT_EQ(Apply(0x00660046, p, s, d), d ^ s);              // SRCINVERT
    EXPECT_EQ(Apply(0x00550009, p, s, d), ~d & 0xFFFFFF);      // DSTINVERT
    EXPECT_EQ(Apply(0x00F00021, p, s, d), p);                  // PATCOPY
    EXPECT_EQ(Apply(0x00330008, p, s, d), ~s & 0xFFFFFF);      // NOTSRCCOPY
    EXPECT_EQ(Apply(0x00C000CA, p, s, d), p & s);              // MERGECOPY
    EXPECT_EQ(Apply(0x005A0049, p, s, d), p ^ d);              // PATINVERT
    EXPECT_EQ(Apply(0x00000042, p, s, d), 0u);                 // BLACKNESS
    EXPECT_EQ(Apply(0x00FF0062, p, s, d), 0xFFFFFFu);          // WHITENESS
    EXPECT_EQ(Apply(0x00AA0029, p, s, d), d);                  // destination unchanged
}

}  // namespace
}  // namespace ov::gdi
