// Deferred vertical lines: every way of reading or changing a bitmap sees the lines drawn before
// it, in drawing order, exactly as if they had been written at once. Random sequences run twice,
// with deferral on and off, and every read and the final pixels must agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "canvas.h"
#include "platform/gdi/line_raster.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/pending_lines.h"
#include "platform/gdi/window.h"

namespace ov::gdi {
namespace {

using testing::Canvas;

// Restores deferral however a test ends.
struct DeferralSwitch {
    explicit DeferralSwitch(bool enabled) { detail::SetLineDeferral(enabled); }
    ~DeferralSwitch() { detail::SetLineDeferral(true); }
};

void DrawWithPen(HDC dc, COLORREF colour, int x0, int y0, int x1, int y1) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

std::vector<COLORREF> AllPixels(const Canvas& c) {
    std::vector<COLORREF> out;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) out.push_back(c.At(x, y));
    return out;
}

TEST(PendingLines, OverlappingLinesLaterColourWins) {
    Canvas c(8, 10);
    DrawWithPen(c.dc(), 0x0000FF, 2, 0, 2, 10);  // a run of red, left to right
    DrawWithPen(c.dc(), 0x0000FF, 3, 0, 3, 10);
    DrawWithPen(c.dc(), 0x0000FF, 4, 0, 4, 10);
    DrawWithPen(c.dc(), 0x00FF00, 3, 7, 3, 2);   // green over the middle, drawn upwards: rows 3..7
    DrawWithPen(c.dc(), 0xFF0000, 5, 9, 5, 4);   // a blue run right to left over the red: rows 5..9
    DrawWithPen(c.dc(), 0xFF0000, 4, 9, 4, 4);
    DrawWithPen(c.dc(), 0xFF0000, 3, 9, 3, 4);
    const std::string expected = testing::Rows({
        "..RRR...",
        "..RRR...",
        "..RRR...",
        "..RGR...",
        "..RGR...",
        "..RBBB..",
        "..RBBB..",
        "..RBBB..",
        "..RBBB..",
        "..RBBB..",
    });
    std::string art;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 8; ++x) {
            const COLORREF p = c.At(x, y);
            art += p == 0x0000FF ? 'R' : p == 0x00FF00 ? 'G' : p == 0xFF0000 ? 'B' : '.';
        }
        art += '\n';
    }
    EXPECT_EQ(art, expected);
}

// Vertical segments only, checked against the line rule's slow reference on a plain array.
TEST(PendingLines, RandomColumnsMatchTheReferenceRule) {
    std::mt19937 rng(20240611);
    constexpr int kW = 23, kH = 17;
    for (int trial = 0; trial < 200; ++trial) {
        Canvas c(kW, kH, 0xFFFFFF);
        std::vector<COLORREF> model(kW * kH, 0xFFFFFF);
        const int lines = 1 + static_cast<int>(rng() % 40);
        int x = static_cast<int>(rng() % kW);
        for (int i = 0; i < lines; ++i) {
            // Mostly neighbouring columns with shared rows, so runs form, grow and break.
            if (rng() % 4 == 0) x = static_cast<int>(rng() % (kW + 6)) - 3;
            else x += (rng() % 2) ? 1 : -1;
            const int y0 = static_cast<int>(rng() % (kH + 8)) - 4, y1 = rng() % 3 ? kH + 2 : static_cast<int>(rng() % (kH + 8)) - 4;
            const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
            const bool up = rng() % 2;
            DrawWithPen(c.dc(), colour, x, up ? y1 : y0, x, up ? y0 : y1);
            const auto pixels = up ? detail::LineReferencePixels(x, y1, x, y0, detail::PixelRect{0, 0, kW, kH})
                                   : detail::LineReferencePixels(x, y0, x, y1, detail::PixelRect{0, 0, kW, kH});
            for (const POINT& p : pixels) model[p.y * kW + p.x] = colour;
        }
        ASSERT_EQ(AllPixels(c), model) << "trial " << trial;
    }
}

// One random step of drawing or reading; returns what a read saw (0 for drawing steps).
COLORREF RandomStep(std::mt19937& rng, HDC dc, HDC other, int w, int h, int* column) {
    const int kind = static_cast<int>(rng() % 13);
    const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
    auto coord = [&](int extent) { return static_cast<int>(rng() % (extent + 6)) - 3; };
    switch (kind) {
        case 0: case 1: case 2: case 3: {  // vertical lines, often neighbours so runs form
            *column += rng() % 3 ? 1 : -1;
            if (rng() % 5 == 0) *column = coord(w);
            DrawWithPen(dc, colour, *column, rng() % 2 ? -2 : 1, *column, rng() % 2 ? h + 2 : h - 2);
            return 0;
        }
        case 4: DrawWithPen(dc, colour, coord(w), coord(h), coord(w), coord(h)); return 0;  // any line
        case 5: return GetPixel(dc, coord(w), coord(h));
        case 6: return SetPixel(dc, coord(w), coord(h), colour);
        case 7: {
            HBRUSH brush = CreateSolidBrush(colour);
            const RECT r{coord(w), coord(h), coord(w), coord(h)};
            FillRect(dc, &r, brush);
            DeleteObject(brush);
            return 0;
        }
        case 8: BitBlt(dc, coord(w), coord(h), coord(w), coord(h), other, coord(w), coord(h), SRCCOPY); return 0;
        case 9: BitBlt(dc, coord(w), coord(h), coord(w), coord(h), dc, coord(w), coord(h), SRCINVERT); return 0;
        case 10: {
            HPEN pen = CreatePen(PS_SOLID, 1, colour);
            HGDIOBJ old = SelectObject(dc, pen);
            HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, coord(w), coord(h), coord(w), coord(h));
            SelectObject(dc, old_brush);
            SelectObject(dc, old);
            DeleteObject(pen);
            return 0;
        }
        case 11: {  // an outline, or a filled ellipse that writes at once
            HPEN pen = CreatePen(PS_SOLID, 1, colour);
            HGDIOBJ old = SelectObject(dc, pen);
            HBRUSH brush = CreateSolidBrush(colour ^ 0xFFFFFF);
            HGDIOBJ old_brush = SelectObject(dc, rng() % 3 ? GetStockObject(NULL_BRUSH) : brush);
            Ellipse(dc, coord(w) - w / 2, coord(h) - h / 2, coord(w) + w / 2, coord(h) + h / 2);
            SelectObject(dc, old_brush);
            SelectObject(dc, old);
            DeleteObject(pen);
            DeleteObject(brush);
            return 0;
        }
        default: return PatBlt(dc, coord(w), coord(h), coord(w), coord(h), DSTINVERT) ? 1 : 0;
    }
}

void CompareInterleaved(bool mono, std::uint32_t seed, int kW = 19, int kH = 13) {
    std::mt19937 rng_on(seed), rng_off(seed);
    Canvas deferred(kW, kH, 0xFFFFFF, mono), direct(kW, kH, 0xFFFFFF, mono);
    Canvas other(kW, kH, 0x123456);
    DrawWithPen(other.dc(), 0x00FF00, 0, 0, kW, kH);
    int column_on = kW / 2, column_off = kW / 2;
    for (int step = 0; step < 400; ++step) {
        COLORREF seen_on, seen_off;
        {
            DeferralSwitch on(true);
            seen_on = RandomStep(rng_on, deferred.dc(), other.dc(), kW, kH, &column_on);
        }
        {
            DeferralSwitch off(false);
            seen_off = RandomStep(rng_off, direct.dc(), other.dc(), kW, kH, &column_off);
        }
        ASSERT_EQ(seen_on, seen_off) << "seed " << seed << " step " << step;
        if (step % 50 == 49) ASSERT_EQ(AllPixels(deferred), AllPixels(direct)) << "seed " << seed << " step " << step;
    }
    EXPECT_EQ(AllPixels(deferred), AllPixels(direct)) << "seed " << seed;
}

TEST(PendingLines, InterleavedDrawingAndReadingMatchesDirectDrawing) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) CompareInterleaved(/*mono=*/false, seed);
}

// Tall enough for several bands of rows in the write-out, so walks resume across bands.
TEST(PendingLines, TallBitmapsMatchDirectDrawing) {
    for (std::uint32_t seed = 200; seed <= 206; ++seed) CompareInterleaved(/*mono=*/false, seed, 37, 211);
}

// Segments of every slope and direction, many crossing bands of rows, against the line rule's
// slow reference on a plain array; overlaps in different colours check the drawing order.
TEST(PendingLines, RandomSegmentsMatchTheReferenceRule) {
    std::mt19937 rng(99);
    constexpr int kW = 41, kH = 300;
    const detail::PixelRect clip{0, 0, kW, kH};
    for (int trial = 0; trial < 30; ++trial) {
        Canvas c(kW, kH, 0xFFFFFF);
        std::vector<COLORREF> model(kW * kH, 0xFFFFFF);
        for (int i = 0; i < 60; ++i) {
            const int x0 = static_cast<int>(rng() % (kW + 40)) - 20, y0 = static_cast<int>(rng() % (kH + 80)) - 40;
            const int x1 = static_cast<int>(rng() % (kW + 40)) - 20, y1 = static_cast<int>(rng() % (kH + 80)) - 40;
            const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
            DrawWithPen(c.dc(), colour, x0, y0, x1, y1);
            for (const POINT& p : detail::LineReferencePixels(x0, y0, x1, y1, clip)) model[p.y * kW + p.x] = colour;
        }
        ASSERT_EQ(AllPixels(c), model) << "trial " << trial;
    }
}

// A gradient's sweep: copies of one segment moved a column at a time, each in its own colour.
// Steep and 45-degree copies join into one record; flat ones, other shifts and lines drawn in
// between break it. Against the line rule's slow reference, with reads in the middle of sweeps
// and bitmaps tall enough for several bands of rows.
TEST(PendingLines, ParallelSweepsMatchTheReferenceRule) {
    std::mt19937 rng(4517);
    constexpr int kW = 47, kH = 150;
    const detail::PixelRect clip{0, 0, kW, kH};
    for (int trial = 0; trial < 40; ++trial) {
        Canvas c(kW, kH, 0xFFFFFF);
        std::vector<COLORREF> model(kW * kH, 0xFFFFFF);
        auto draw = [&](int x0, int y0, int x1, int y1, COLORREF colour) {
            DrawWithPen(c.dc(), colour, x0, y0, x1, y1);
            for (const POINT& p : detail::LineReferencePixels(x0, y0, x1, y1, clip)) model[p.y * kW + p.x] = colour;
        };
        for (int sweep = 0; sweep < 4; ++sweep) {
            const int dy = static_cast<int>(rng() % 400) - 200;
            const int shape = static_cast<int>(rng() % 4);
            const int dx = shape == 0 ? (rng() % 2 ? dy : -dy)                                 // 45 degrees
                         : shape == 3 ? static_cast<int>(rng() % 600) - 300                    // any slope
                                      : static_cast<int>(rng() % (std::abs(dy) + 1)) * (rng() % 2 ? 1 : -1);  // steep
            int x0 = static_cast<int>(rng() % (kW + 2 * std::abs(dx) + 20)) - std::abs(dx) - 10;
            const int y0 = static_cast<int>(rng() % (kH + 200)) - 100;
            const int shift = rng() % 2 ? 1 : -1;
            const int copies = 1 + static_cast<int>(rng() % 120);
            for (int k = 0; k < copies; ++k) {
                draw(x0, y0, x0 + dx, y0 + dy, static_cast<COLORREF>(rng() & 0xFFFFFF));
                const int event = static_cast<int>(rng() % 60);
                if (event == 0) x0 += shift;  // a gap: the next copy starts a new record
                if (event == 1) draw(static_cast<int>(rng() % kW), 0, static_cast<int>(rng() % kW), kH, 0x123456);
                if (event == 2) {
                    const int x = static_cast<int>(rng() % kW), y = static_cast<int>(rng() % kH);
                    ASSERT_EQ(c.At(x, y), model[y * kW + x]) << "trial " << trial << " sweep " << sweep << " copy " << k;
                }
                x0 += shift;
            }
        }
        ASSERT_EQ(AllPixels(c), model) << "trial " << trial;
    }
}

TEST(PendingLines, ParallelSteepCopiesShareOneRecord) {
    Canvas c(64, 600, 0xFFFFFF);
    for (int k = 0; k < 300; ++k) DrawWithPen(c.dc(), static_cast<COLORREF>(k), 200 - k, -50, -100 - k, 650);
    const detail::Bitmap* bitmap = detail::BitmapForRecording(c.bitmap());
    EXPECT_EQ(bitmap->pending.items.size(), 1u);
    // Row 300 is step 350 of every copy: column 200 - k + round(-300 * 350 / 700) = 50 - k.
    EXPECT_EQ(c.At(20, 300), static_cast<COLORREF>(30));
    EXPECT_EQ(c.At(0, 300), static_cast<COLORREF>(50));
    EXPECT_EQ(c.At(51, 300), 0xFFFFFFu);
}

void OutlineWithPen(HDC dc, COLORREF colour, int left, int top, int right, int bottom) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A rectangular gradient's outlines: boxes nested one pixel apart, each in its own colour, down
// to the degenerate innermost ones, drawn with deferral on and off. Runs break on a box that is
// not the next one in, on a box reaching outside the surface, on a line drawn in between, and
// on a read; the hollow brush is the DC's, then a solid one fills each interior first.
TEST(PendingLines, NestedOutlinesMatchDirectDrawing) {
    std::mt19937 rng(733);
    constexpr int kW = 61, kH = 150;
    for (int trial = 0; trial < 40; ++trial) {
        Canvas on(kW, kH, 0xFFFFFF), off(kW, kH, 0xFFFFFF);
        const bool solid = trial % 4 == 3;
        HBRUSH brush = CreateSolidBrush(0x00FFFF);
        HGDIOBJ old_on = SelectObject(on.dc(), solid ? brush : GetStockObject(NULL_BRUSH));
        HGDIOBJ old_off = SelectObject(off.dc(), solid ? brush : GetStockObject(NULL_BRUSH));
        for (int run = 0; run < 3; ++run) {
            int l = static_cast<int>(rng() % 30) - 4, t = static_cast<int>(rng() % 90) - 4;
            int r = l + 2 + static_cast<int>(rng() % 60), b = t + 2 + static_cast<int>(rng() % 120);
            const int boxes = 1 + static_cast<int>(rng() % 40);
            for (int k = 0; k < boxes; ++k) {
                const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
                const int event = static_cast<int>(rng() % 30);
                {
                    DeferralSwitch deferral(true);
                    OutlineWithPen(on.dc(), colour, l, t, r, b);
                    if (event == 1) DrawWithPen(on.dc(), 0x123456, k, 0, kW - k, kH);
                }
                {
                    DeferralSwitch deferral(false);
                    OutlineWithPen(off.dc(), colour, l, t, r, b);
                    if (event == 1) DrawWithPen(off.dc(), 0x123456, k, 0, kW - k, kH);
                }
                if (event == 2) ASSERT_EQ(on.At(l + k % 5, t + k % 7), off.At(l + k % 5, t + k % 7));
                const int inset = event == 0 ? 2 : 1;  // a gap breaks the run
                l += inset, t += inset, r -= inset, b -= inset;
            }
        }
        ASSERT_EQ(AllPixels(on), AllPixels(off)) << "trial " << trial;
        SelectObject(on.dc(), old_on);
        SelectObject(off.dc(), old_off);
        DeleteObject(brush);
    }
}

TEST(PendingLines, NestedOutlinesShareOneRecord) {
    Canvas c(200, 100, 0xFFFFFF);
    HGDIOBJ old = SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    for (int i = 0; i <= 50; ++i) OutlineWithPen(c.dc(), static_cast<COLORREF>(i), i, i, 200 - i, 100 - i);
    const detail::Bitmap* bitmap = detail::BitmapForRecording(c.bitmap());
    // Boxes 0..48 (the last 104 x 4) form one run; 49 (102 x 2) is recorded as its polyline's
    // four segments and 50 is empty.
    EXPECT_EQ(bitmap->pending.items.size(), 5u);
    EXPECT_EQ(c.At(0, 50), 0u);
    EXPECT_EQ(c.At(199, 50), 0u);
    EXPECT_EQ(c.At(30, 30), static_cast<COLORREF>(30));
    EXPECT_EQ(c.At(169, 45), static_cast<COLORREF>(30));
    EXPECT_EQ(c.At(100, 69), static_cast<COLORREF>(30));
    EXPECT_EQ(c.At(49, 50), static_cast<COLORREF>(49));
    SelectObject(c.dc(), old);
}

TEST(PendingLines, MonoBitmapsMatchDirectDrawing) {
    for (std::uint32_t seed = 100; seed <= 120; ++seed) CompareInterleaved(/*mono=*/true, seed);
}

TEST(PendingLines, BlitFromABitmapWithPendingLines) {
    Canvas src(6, 4, 0xFFFFFF), dst(6, 4, 0x000000);
    DrawWithPen(src.dc(), 0x0000FF, 1, 0, 1, 4);
    DrawWithPen(src.dc(), 0x0000FF, 2, 0, 2, 4);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 6, 4, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Count(0x0000FF), 8);
    EXPECT_EQ(dst.At(1, 3), 0x0000FFu);
    EXPECT_EQ(dst.At(3, 3), 0xFFFFFFu);
}

// A pointer looked up before the lines, read afterwards through the non-const accessors, which
// write out what was recorded since.
TEST(PendingLines, HeldBitmapPointerSeesLaterLinesThroughRow) {
    Canvas c(5, 5, 0xFFFFFF);
    detail::Bitmap* held = detail::BitmapForPixels(c.bitmap());
    ASSERT_NE(held, nullptr);
    DrawWithPen(c.dc(), 0x0000FF, 2, 0, 2, 5);
    EXPECT_EQ(held->row(4)[2], PixelWordFromColor(0x0000FF));
    EXPECT_EQ(held->row(0)[1], PixelWordFromColor(0xFFFFFF));
    EXPECT_TRUE(held->pending.empty());
}

TEST(PendingLines, RecordStaysBoundedWhenNothingReads) {
    // Alternating rows keep every column its own run; far more columns than the record holds.
    Canvas c(1000, 4, 0xFFFFFF);
    for (int pass = 0; pass < 40; ++pass)
        for (int x = 0; x < 1000; ++x) DrawWithPen(c.dc(), static_cast<COLORREF>(pass * 1000 + x), x, x % 2, x, 4);
    const detail::Bitmap* bitmap = detail::BitmapForRecording(c.bitmap());
    EXPECT_LT(bitmap->pending.items.size() + bitmap->pending.colours.size(), 40000u);
    for (int x = 0; x < 1000; x += 97) {
        EXPECT_EQ(c.At(x, 3), static_cast<COLORREF>(39 * 1000 + x)) << x;
        EXPECT_EQ(c.At(x, 0), x % 2 ? 0xFFFFFFu : static_cast<COLORREF>(39 * 1000 + x)) << x;
    }
}

TEST(PendingLines, DeletingABitmapWithPendingLinesReleasesIt) {
    const LiveObjects before = CountLiveObjects();
    {
        HDC dc = CreateCompatibleDC(0);
        HBITMAP bitmap = CreateDIBSection32(50, 40);
        HGDIOBJ old = SelectObject(dc, bitmap);
        for (int x = 0; x < 50; ++x) DrawWithPen(dc, 0x00FF00, x, 0, x, 40);
        ASSERT_FALSE(detail::BitmapForRecording(bitmap)->pending.empty());
        SelectObject(dc, old);
        EXPECT_TRUE(DeleteObject(bitmap));
        EXPECT_TRUE(DeleteDC(dc));
    }
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST(PendingLines, BitmapMovedToAnotherDcKeepsItsLines) {
    HDC first = CreateCompatibleDC(0), second = CreateCompatibleDC(0);
    HBITMAP bitmap = CreateDIBSection32(4, 4);
    HGDIOBJ old_first = SelectObject(first, bitmap);
    DrawWithPen(first, 0x00FF00, 1, 4, 1, 0);
    SelectObject(first, old_first);
    HGDIOBJ old_second = SelectObject(second, bitmap);
    // Drawn upwards from row 4 (outside) to row 0 (the excluded end): rows 1..3.
    EXPECT_EQ(GetPixel(second, 1, 3), 0x00FF00u);
    EXPECT_EQ(GetPixel(second, 1, 1), 0x00FF00u);
    EXPECT_EQ(GetPixel(second, 1, 0), 0x000000u);
    EXPECT_EQ(GetPixel(second, 0, 3), 0x000000u);
    SelectObject(second, old_second);
    DeleteObject(bitmap);
    DeleteDC(first);
    DeleteDC(second);
}

TEST(PendingLines, WindowResizedAndLockedWithPendingLines) {
    HWND window = CreateWindowSurface(0, 6, 5, 0xFFFFFF);
    HDC dc = GetDC(window);
    DrawWithPen(dc, 0x0000FF, 1, 0, 1, 5);
    DrawWithPen(dc, 0x0000FF, 2, 0, 2, 5);
    DrawWithPen(dc, 0x0000FF, 5, 0, 5, 5);
    // Shrinking keeps the columns that still fit; growing adds background.
    ASSERT_TRUE(SetWindowClientSize(window, 4, 7, 0x00FF00));
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    ASSERT_EQ(w, 4);
    ASSERT_EQ(h, 7);
    const std::uint32_t red = PixelWordFromColor(0x0000FF), white = 0xFFFFFFu, green = PixelWordFromColor(0x00FF00);
    EXPECT_EQ(pixels[4 * 4 + 1], red);
    EXPECT_EQ(pixels[4 * 4 + 2], red);
    EXPECT_EQ(pixels[4 * 4 + 3], white);
    EXPECT_EQ(pixels[5 * 4 + 1], green);
    // Lines drawn before the lock show while it is held; lines drawn under it do not.
    DrawWithPen(dc, 0xFF0000, 3, 0, 3, 7);
    ASSERT_TRUE(LockWindowUpdate(window));
    DrawWithPen(dc, 0x000000, 0, 0, 0, 7);
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[6 * 4 + 3], PixelWordFromColor(0xFF0000));
    EXPECT_EQ(pixels[6 * 4 + 0], green);
    ASSERT_TRUE(LockWindowUpdate(0));
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[6 * 4 + 0], 0u);
    ReleaseDC(window, dc);
    // Destroying the window with columns still pending releases its surface cleanly.
    HDC again = GetDC(window);
    DrawWithPen(again, 0x0000FF, 2, 0, 2, 7);
    ReleaseDC(window, again);
    EXPECT_TRUE(DestroyWindowSurface(window));
}

}  // namespace
}  // namespace ov::gdi
