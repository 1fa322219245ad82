// The glyph blending kernel against its per-pixel reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi/internal/text_blend.h"

namespace ov::gdi {
namespace {

TEST(TextBlend, SpanKernelMatchesReferenceOnRandomInput) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 500; ++round) {
        const int count = static_cast<int>(random() % 45);  // wide groups, narrow groups and single pixels
        const std::uint32_t source = random() & 0x00FFFFFFu;
        std::vector<std::uint32_t> fast(count), reference(count);
        std::vector<std::uint8_t> coverage(count);
        for (int i = 0; i < count; ++i) {
            fast[i] = reference[i] = random() & 0x00FFFFFFu;
            // Runs of blank and solid coverage as glyphs have them, partial values between.
            const std::uint32_t pick = random() % 4;
            coverage[i] = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<std::uint8_t>(random());
        }
        detail::BlendSpan(fast.data(), coverage.data(), count, source);
        detail::BlendSpanReference(reference.data(), coverage.data(), count, source);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(fast[i], reference[i]) << "round " << round << " pixel " << i << " coverage " << int(coverage[i])
                                             << " source " << std::hex << source;
    }
    // The rounded division is exact: full coverage gives the source, half mixes to the middle.
    EXPECT_EQ(detail::BlendPixel(0x00FF00FFu, 0x00000000u, 255), 0x00FF00FFu);
    EXPECT_EQ(detail::BlendPixel(0x00FFFFFFu, 0x00000000u, 128), 0x00808080u);
    EXPECT_EQ(detail::BlendPixel(0x00000000u, 0x00FFFFFFu, 128), 0x007F7F7Fu);
}

}  // namespace
}  // namespace ov::gdi
