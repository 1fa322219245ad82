// Monochrome bitmaps keep one byte per pixel. Every primitive drawn in black and white must
// leave a mono bitmap exactly as it leaves a colour one, and blits must carry the bytes across
// formats both ways; a path still writing 32-bit words into a mono bitmap shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/internal/objects.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;

constexpr COLORREF kBlack = 0x000000, kWhite = 0xFFFFFF;

const detail::Bitmap& StoreOf(const Canvas& c) { return *detail::BitmapForPixels(c.bitmap()); }

// Every pixel of `mono` equals the same pixel of `colour`, and every stored byte is 0 or 0xFF.
void ExpectSameImage(const Canvas& colour, const Canvas& mono, const char* what) {
    const detail::Bitmap& store = StoreOf(mono);
    ASSERT_TRUE(store.is_mono());
    ASSERT_EQ(store.mono_pixels.size(), static_cast<std::size_t>(mono.width()) * mono.height());
    for (std::size_t i = 0; i < store.mono_pixels.size(); ++i) {
        const std::uint8_t b = store.mono_pixels[i];
        ASSERT_TRUE(b == 0x00 || b == 0xFF) << what << ": byte " << i << " is " << int{b};
    }
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x)
            ASSERT_EQ(mono.At(x, y), colour.At(x, y)) << what << " at " << x << "," << y;
}

TEST(MonoStore, OneBytePerPixelAndNoColourWords) {
    // Rows of packed bits, most significant first, padded to 16 bits: 0b10110000 then 0b01....
    const std::uint8_t bits[] = {0xB0, 0x00, 0x40, 0x00};
    const HBITMAP mono = CreateBitmap(5, 2, 1, 1, bits);
    const detail::Bitmap* store = detail::BitmapForPixels(mono);
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(store->pixels.empty());
    const std::vector<std::uint8_t> expected = {0xFF, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00};
    EXPECT_EQ(store->mono_pixels, expected);
    EXPECT_EQ(GetBitmapBitsPerPixel(mono), 1);

    // A compatible bitmap of a DC holding a mono bitmap is mono too, with its own byte store.
    const HDC dc = CreateCompatibleDC(0);
    const HGDIOBJ previous = SelectObject(dc, mono);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);
    const HBITMAP compatible = CreateCompatibleBitmap(dc, 7, 3);
    const detail::Bitmap* second = detail::BitmapForPixels(compatible);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->is_mono());
    EXPECT_TRUE(second->pixels.empty());
    EXPECT_EQ(second->mono_pixels, std::vector<std::uint8_t>(21, 0x00));
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(compatible);
    DeleteObject(mono);
}

TEST(MonoStore, SetPixelStoresTheNearerOfBlackAndWhite) {
    Canvas mono(4, 1, kBlack, /*mono=*/true);
    // The sum of the channels decides: 0x808080 is white, 0x7F7F7F black.
    EXPECT_EQ(SetPixel(mono.dc(), 0, 0, 0x808080), kWhite);
    EXPECT_EQ(SetPixel(mono.dc(), 1, 0, 0x7F7F7F), kBlack);
    EXPECT_TRUE(SetPixelV(mono.dc(), 2, 0, 0x00FF00FF));
    EXPECT_EQ(SetPixel(mono.dc(), 4, 0, kWhite), CLR_INVALID);
    const std::vector<std::uint8_t> expected = {0xFF, 0x00, 0xFF, 0x00};
    EXPECT_EQ(StoreOf(mono).mono_pixels, expected);
    EXPECT_EQ(GetPixel(mono.dc(), 2, 0), kWhite);
    EXPECT_EQ(GetPixel(mono.dc(), 3, 0), kBlack);
    EXPECT_EQ(GetPixel(mono.dc(), 0, 1), CLR_INVALID);
}

// The same random scene of lines (the deferred record's every shape: column runs, row spans,
// segments, parallel copies, nested frames), rectangles, ellipses, wide pens, fills, pattern
// operations, single pixels and overlapping self-blits, all in black and white, drawn on a
// colour and on a mono bitmap.
TEST(MonoStore, EveryPrimitiveMatchesTheColourBitmapInBlackAndWhite) {
    std::mt19937 rng(4242);
    constexpr int kW = 97, kH = 71;
    auto bw = [&] { return rng() % 2 ? kWhite : kBlack; };
    auto coord = [&](int limit) { return static_cast<int>(rng() % static_cast<unsigned>(limit + 40)) - 20; };
    for (int round = 0; round < 30; ++round) {
        Canvas colour(kW, kH, kWhite), mono(kW, kH, kWhite, /*mono=*/true);
        for (int op = 0; op < 60; ++op) {
            const int kind = static_cast<int>(rng() % 11);
            const COLORREF ink = bw(), fill = bw();
            const int width = rng() % 4 == 0 ? 2 + static_cast<int>(rng() % 6) : 1;
            const int x0 = coord(kW), y0 = coord(kH), x1 = coord(kW), y1 = coord(kH);
            const std::uint8_t rop_index = static_cast<std::uint8_t>(rng());
            const bool hollow = rng() % 4 == 0;
            for (Canvas* c : {&colour, &mono}) {
                const HDC dc = c->dc();
                const HPEN pen = CreatePen(PS_SOLID, width, ink);
                const HGDIOBJ old_pen = SelectObject(dc, pen);
                if (hollow) c->HollowBrush();
                else c->Brush(fill);
                switch (kind) {
                    case 0:  // a fan of lines
                        MoveToEx(dc, x0, y0, nullptr);
                        LineTo(dc, x1, y1);
                        LineTo(dc, x1, y0);
                        LineTo(dc, x0, y1);
                        break;
                    case 1:  // neighbouring columns with the same rows
                        for (int k = 0; k < 6; ++k) {
                            MoveToEx(dc, x0 + k, y0, nullptr);
                            LineTo(dc, x0 + k, y1);
                        }
                        break;
                    case 2:  // parallel copies of one steep segment
                        for (int k = 0; k < 5; ++k) {
                            MoveToEx(dc, x0 - k, 3, nullptr);
                            LineTo(dc, x0 - k + 9, kH - 3);
                        }
                        break;
                    case 3:  // nested frames
                        for (int k = 0; k < 4; ++k) Rectangle(dc, x0 + k, y0 + k, x0 + 30 - k, y0 + 24 - k);
                        break;
                    case 4: Rectangle(dc, x0, y0, x1, y1); break;
                    case 5: Ellipse(dc, x0, y0, x1, y1); break;
                    case 6: {
                        const RECT r{x0, y0, x1, y1};
                        const HBRUSH brush = CreateSolidBrush(fill);
                        FillRect(dc, &r, brush);
                        DeleteObject(brush);
                        break;
                    }
                    case 7: PatBlt(dc, x0, y0, x1 - x0, y1 - y0, static_cast<std::uint32_t>(rop_index) << 16); break;
                    case 8: SetPixelV(dc, x0, y0, ink); break;
                    case 9:  // overlapping copy within the bitmap, any operation reading the source
                        BitBlt(dc, x0, y0, 25, 19, dc, x1, y1, (static_cast<std::uint32_t>(rop_index) << 16) | 0x0C);
                        break;
                    default:  // horizontal spans
                        for (int k = 0; k < 4; ++k) {
                            MoveToEx(dc, x0, y0 + 2 * k, nullptr);
                            LineTo(dc, x1, y0 + 2 * k);
                        }
                        break;
                }
                SelectObject(dc, old_pen);
                DeleteObject(pen);
            }
            if (rng() % 8 == 0) ExpectSameImage(colour, mono, "mid-round");  // reads write out the record
            if (::testing::Test::HasFatalFailure()) return;
        }
        ExpectSameImage(colour, mono, "end of round");
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Colour -> mono -> colour: the key colour becomes white and comes back as the background
// colour, everything else as the text colour; mono -> mono keeps every byte.
TEST(MonoStore, BlitsCarryTheBytesAcrossFormats) {
    std::mt19937 rng(99);
    constexpr int kW = 37, kH = 13;  // odd widths reach the kernels' loop tails
    constexpr COLORREF kKey = 0xFF00FF;
    const COLORREF palette[] = {kKey, 0x123456, 0xFE00FF, kBlack, kWhite};
    Canvas source(kW, kH), mask(kW, kH, kBlack, true), copy(kW, kH, kWhite, true), back(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) SetPixelV(source.dc(), x, y, palette[rng() % 5]);
    SetBkColor(source.dc(), kKey);
    ASSERT_TRUE(BitBlt(mask.dc(), 0, 0, kW, kH, source.dc(), 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(copy.dc(), 0, 0, kW, kH, mask.dc(), 0, 0, SRCCOPY));
    SetTextColor(back.dc(), 0x0000C0);
    SetBkColor(back.dc(), 0x00C000);
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, kW, kH, copy.dc(), 0, 0, SRCCOPY));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool key = source.At(x, y) == kKey;
            ASSERT_EQ(mask.At(x, y), key ? kWhite : kBlack) << x << "," << y;
            ASSERT_EQ(StoreOf(copy).mono_pixels[static_cast<std::size_t>(y) * kW + x], key ? 0xFF : 0x00)
                << x << "," << y;
            ASSERT_EQ(back.At(x, y), key ? 0x00C000u : 0x0000C0u) << x << "," << y;
        }

    // Shrinking mono by two in each direction: BLACKONWHITE keeps a black pixel of each 2x2
    // block, WHITEONBLACK a white one.
    Canvas and_half(kW / 2, kH / 2, kWhite, true), or_half(kW / 2, kH / 2, kWhite, true);
    SetStretchBltMode(and_half.dc(), BLACKONWHITE);
    SetStretchBltMode(or_half.dc(), WHITEONBLACK);
    ASSERT_TRUE(StretchBlt(and_half.dc(), 0, 0, kW / 2, kH / 2, mask.dc(), 0, 0, kW / 2 * 2, kH / 2 * 2, SRCCOPY));
    ASSERT_TRUE(StretchBlt(or_half.dc(), 0, 0, kW / 2, kH / 2, mask.dc(), 0, 0, kW / 2 * 2, kH / 2 * 2, SRCCOPY));
    for (int y = 0; y < kH / 2; ++y)
        for (int x = 0; x < kW / 2; ++x) {
            int white = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) white += mask.At(2 * x + dx, 2 * y + dy) == kWhite;
            ASSERT_EQ(and_half.At(x, y), white == 4 ? kWhite : kBlack) << x << "," << y;
            ASSERT_EQ(or_half.At(x, y), white > 0 ? kWhite : kBlack) << x << "," << y;
        }
}

TEST(MonoStore, IconsAndTextLandAsBlackOrWhiteBytes) {
    // Half-transparent grey over white blends to 0xBFBFBF on colour, white on mono; over black
    // to 0x404040, black on mono.
    std::vector<std::uint32_t> argb(4 * 4, 0x80808080u);
    argb[0] = 0x00000000u;  // transparent: untouched
    argb[1] = 0xFF000000u;  // opaque black
    const HICON icon = CreateIconFromArgb(4, 4, argb.data());
    ASSERT_TRUE(icon);
    Canvas on_white(4, 4, kWhite, true), on_black(4, 4, kBlack, true), reference(4, 4, kWhite);
    ASSERT_TRUE(DrawIcon(on_white.dc(), 0, 0, icon));
    ASSERT_TRUE(DrawIcon(on_black.dc(), 0, 0, icon));
    ASSERT_TRUE(DrawIcon(reference.dc(), 0, 0, icon));
    EXPECT_EQ(reference.At(2, 2), 0xBFBFBFu);
    EXPECT_EQ(on_white.At(0, 0), kWhite);
    EXPECT_EQ(on_white.At(1, 0), kBlack);
    EXPECT_EQ(on_white.At(2, 2), kWhite);
    EXPECT_EQ(on_black.At(0, 0), kBlack);
    EXPECT_EQ(on_black.At(2, 2), kBlack);
    const std::vector<std::uint8_t>& bytes = StoreOf(on_white).mono_pixels;
    for (std::uint8_t b : bytes) EXPECT_TRUE(b == 0x00 || b == 0xFF);
    DestroyIcon(icon);

    // Opaque text on mono: the background box is white, glyph pixels black, nothing else.
    Canvas text(40, 16, kBlack, true);
    SetTextColor(text.dc(), kBlack);
    SetBkColor(text.dc(), kWhite);
    SetBkMode(text.dc(), OPAQUE);
    ASSERT_TRUE(TextOutA(text.dc(), 2, 1, "Wi", 2));
    // The opaque box is the white pixels' bounding box; the glyphs are black inside it.
    int white = 0, left = 40, right = -1, top = 16, bottom = -1;
    const std::vector<std::uint8_t>& text_bytes = StoreOf(text).mono_pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t b = text_bytes[static_cast<std::size_t>(y) * 40 + x];
            ASSERT_TRUE(b == 0x00 || b == 0xFF) << x << "," << y;
            if (b != 0xFF) continue;
            ++white;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_GT(white, 20);
    EXPECT_EQ(left, 2);
    EXPECT_EQ(top, 1);
    int glyph = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) glyph += text_bytes[static_cast<std::size_t>(y) * 40 + x] == 0x00;
    EXPECT_GT(glyph, 5);
}

}  // namespace
}  // namespace ov::gdi
