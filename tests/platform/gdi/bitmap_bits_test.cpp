// Pixels by handle: GetBitmapBits32, SetBitmapBits32 and FillBitmapRect read and write the
// bitmap's whole content (whatever is still recorded on it), clip to it, and fail by value.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/gdi.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;

constexpr std::uint32_t kSentinel = 0xA5A5A5A5u;  // a word no call writes: its top byte is set

// The 6 x 4 canvas reads 0x00RRGGBB words of its pixels through GetPixel, for comparison.
std::uint32_t WordAt(const Canvas& c, int x, int y) { return PixelWordFromColor(c.At(x, y)); }

TEST(BitmapBits, ReadsTheClippedPartAndLeavesTheRestOfTheBuffer) {
    Canvas c(6, 4, RGB(10, 20, 30));
    c.Pen(RGB(200, 0, 0));
    MoveToEx(c.dc(), 2, 0, nullptr);
    LineTo(c.dc(), 2, 4);  // still recorded when read below
    struct Case {
        RECT rect;
        int rows;  // rows that meet the bitmap
    };
    const Case cases[] = {
        {{0, 0, 6, 4}, 4}, {{-2, -1, 3, 2}, 2},
        {{4, 3, 9, 7}, 1}, {{6, 0, 8, 4}, 0},
        {{0, 4, 6, 5}, 0}, {{3, 3, 3, 4}, 0},  // empty width
        {{5, 2, 1, 3}, 0}, {{INT_MIN, 1, INT_MIN + 3, 2}, 0},
    };
    for (const Case& k : cases) {
        const std::int64_t w = std::max<std::int64_t>(0, std::int64_t{k.rect.right} - k.rect.left);
        const std::int64_t h = std::max<std::int64_t>(0, std::int64_t{k.rect.bottom} - k.rect.top);
        std::vector<std::uint32_t> bits(static_cast<std::size_t>(w * h), kSentinel);
        EXPECT_EQ(GetBitmapBits32(c.bitmap(), &k.rect, bits.data()), k.rows)
            << k.rect.left << "," << k.rect.top << "," << k.rect.right << "," << k.rect.bottom;
        for (std::int64_t y = 0; y < h; ++y)
            for (std::int64_t x = 0; x < w; ++x) {
                const std::int64_t bx = k.rect.left + x, by = k.rect.top + y;
                const bool inside = bx >= 0 && bx < 6 && by >= 0 && by < 4;
                const std::uint32_t expected =
                    inside ? WordAt(c, static_cast<int>(bx), static_cast<int>(by)) : kSentinel;
                ASSERT_EQ(bits[static_cast<std::size_t>(y * w + x)], expected) << bx << "," << by;
            }
    }
    const RECT one{2, 3, 3, 4};
    std::uint32_t word = 0;
    ASSERT_EQ(GetBitmapBits32(c.bitmap(), &one, &word), 1);
    EXPECT_EQ(word, PixelWordFromColor(RGB(200, 0, 0)));  // the recorded line is part of the content
}

TEST(BitmapBits, WritesTheClippedPartIgnoringTheTopByte) {
    Canvas c(4, 3, RGB(0, 0, 0));
    const RECT rect{-1, 1, 3, 4};  // 4 x 3 words, of which columns 0..2 of rows 1..2 land
    std::vector<std::uint32_t> bits(12);
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x010203);
    EXPECT_EQ(SetBitmapBits32(c.bitmap(), &rect, bits.data()), 2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool written = y >= 1 && x <= 2;
            const std::uint32_t expected =
                written ? bits[static_cast<std::size_t>((y - 1) * 4 + x + 1)] & 0x00FFFFFFu : 0u;
            EXPECT_EQ(WordAt(c, x, y), expected) << x << "," << y;
        }
}

TEST(BitmapBits, MonoBitmapsReadBlackAndWhiteAndTakeTheNearerOfThem) {
    Canvas mono(3, 1, RGB(0, 0, 0), /*mono=*/true);
    const RECT row{0, 0, 3, 1};
    const std::uint32_t in[3] = {0x00808080u, 0x007F7F7Fu, 0x00FF0000u};  // white, black, black (sum 255)
    ASSERT_EQ(SetBitmapBits32(mono.bitmap(), &row, in), 1);
    std::uint32_t out[3] = {kSentinel, kSentinel, kSentinel};
    ASSERT_EQ(GetBitmapBits32(mono.bitmap(), &row, out), 1);
    EXPECT_EQ(out[0], 0x00FFFFFFu);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(out[2], 0u);
    ASSERT_TRUE(FillBitmapRect(mono.bitmap(), &row, RGB(130, 130, 130)));
    ASSERT_EQ(GetBitmapBits32(mono.bitmap(), &row, out), 1);
    EXPECT_EQ(out[1], 0x00FFFFFFu);
}

TEST(BitmapBits, FillClipsAndRecordedBlitsAreCarriedOutFirst) {
    Canvas src(8, 8, RGB(0, 255, 0)), dst(8, 8, RGB(255, 255, 255));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, SRCCOPY));  // recorded, not yet run
    const RECT corner{6, 6, INT_MAX, INT_MAX};
    ASSERT_TRUE(FillBitmapRect(dst.bitmap(), &corner, RGB(0, 0, 255)));
    EXPECT_EQ(dst.At(5, 5), RGB(0, 255, 0));
    EXPECT_EQ(dst.At(7, 7), RGB(0, 0, 255));
    EXPECT_EQ(dst.At(6, 5), RGB(0, 255, 0));
}

TEST(BitmapBits, InvalidArgumentsFailByValue) {
    Canvas c(2, 2);
    const RECT all{0, 0, 2, 2};
    std::uint32_t bits[4] = {};
    const HPEN pen = CreatePen(PS_SOLID, 1, 0);
    for (HGDIOBJ not_a_bitmap : {HGDIOBJ{0}, HGDIOBJ{0xDEADBEEF}, HGDIOBJ{pen}, HGDIOBJ{c.dc()}}) {
        EXPECT_EQ(GetBitmapBits32(not_a_bitmap, &all, bits), 0);
        EXPECT_EQ(SetBitmapBits32(not_a_bitmap, &all, bits), 0);
        EXPECT_FALSE(FillBitmapRect(not_a_bitmap, &all, 0));
    }
    DeleteObject(pen);
    EXPECT_EQ(GetBitmapBits32(c.bitmap(), nullptr, bits), 0);
    EXPECT_EQ(GetBitmapBits32(c.bitmap(), &all, nullptr), 0);
    EXPECT_EQ(SetBitmapBits32(c.bitmap(), nullptr, bits), 0);
    EXPECT_EQ(SetBitmapBits32(c.bitmap(), &all, nullptr), 0);
    EXPECT_FALSE(FillBitmapRect(c.bitmap(), nullptr, 0));
}

}  // namespace
}  // namespace ov::gdi
