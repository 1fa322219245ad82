// Deferred vertical lines: every way of reading or changing a bitmap sees the lines drawn before
// it, in drawing order, exactly as if they had been written at once. Random sequences run twice,
// with deferral on and off, and every read and the final pixels must agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "drawing_reference.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/window.h"

namespace ov::gdi {
namespace {

using testing::DrawWithPen;
using testing::ExpectDeferralInvisible;
using testing::LineModel;
using testing_support::Canvas;

TEST(PendingLines, OverlappingLinesLaterColourWins) {
    Canvas c(8, 10);
    DrawWithPen(c.dc(), 0x0000FF, 2, 0, 2, 10);  // a run of red, left to right
    DrawWithPen(c.dc(), 0x0000FF, 3, 0, 3, 10);
    DrawWithPen(c.dc(), 0x0000FF, 4, 0, 4, 10);
    DrawWithPen(c.dc(), 0x00FF00, 3, 7, 3, 2);  // green over the middle, drawn upwards: rows 3..7
    DrawWithPen(c.dc(), 0xFF0000, 5, 9, 5, 4);  // a blue run right to left over the red: rows 5..9
    DrawWithPen(c.dc(), 0xFF0000, 4, 9, 4, 4);
    DrawWithPen(c.dc(), 0xFF0000, 3, 9, 3, 4);
    const std::string expected = testing_support::Rows({
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
        LineModel model(kW, kH);
        const int lines = 1 + static_cast<int>(rng() % 40);
        int x = static_cast<int>(rng() % kW);
        for (int i = 0; i < lines; ++i) {
            // Mostly neighbouring columns with shared rows, so runs form, grow and break.
            if (rng() % 4 == 0) x = static_cast<int>(rng() % (kW + 6)) - 3;
            else x += (rng() % 2) ? 1 : -1;
            const int y0 = static_cast<int>(rng() % (kH + 8)) - 4,
                      y1 = rng() % 3 ? kH + 2 : static_cast<int>(rng() % (kH + 8)) - 4;
            const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
            if (rng() % 2) model.Line(colour, x, y1, x, y0);
            else model.Line(colour, x, y0, x, y1);
        }
        ASSERT_EQ(model.canvas().Pixels(), model.expected()) << "trial " << trial;
    }
}

// One random step of drawing or reading; returns what a read saw (0 for drawing steps).
COLORREF RandomStep(std::mt19937& rng, HDC dc, HDC other, int w, int h, int* column) {
    const int kind = static_cast<int>(rng() % 13);
    const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
    auto coord = [&](int extent) { return static_cast<int>(rng() % (extent + 6)) - 3; };
    switch (kind) {
        case 0:
        case 1:
        case 2:
        case 3: {  // vertical lines, often neighbours so runs form
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

// Random drawing and reading on one canvas; returns every read and, every 50 steps and at the
// end, all pixels.
std::vector<COLORREF> InterleavedScene(bool mono, std::uint32_t seed, int kW, int kH) {
    std::mt19937 rng(seed);
    Canvas canvas(kW, kH, 0xFFFFFF, mono), other(kW, kH, 0x123456);
    DrawWithPen(other.dc(), 0x00FF00, 0, 0, kW, kH);
    int column = kW / 2;
    std::vector<COLORREF> seen;
    for (int step = 0; step < 400; ++step) {
        seen.push_back(RandomStep(rng, canvas.dc(), other.dc(), kW, kH, &column));
        if (step % 50 == 49 || step == 399)
            for (COLORREF p : canvas.Pixels()) seen.push_back(p);
    }
    return seen;
}

void CompareInterleaved(bool mono, std::uint32_t seed, int kW = 19, int kH = 13) {
    ExpectDeferralInvisible([&] { return InterleavedScene(mono, seed, kW, kH); }, "seed " + std::to_string(seed));
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
    for (int trial = 0; trial < 30; ++trial) {
        LineModel model(kW, kH);
        for (int i = 0; i < 60; ++i) {
            const int x0 = static_cast<int>(rng() % (kW + 40)) - 20, y0 = static_cast<int>(rng() % (kH + 80)) - 40;
            const int x1 = static_cast<int>(rng() % (kW + 40)) - 20, y1 = static_cast<int>(rng() % (kH + 80)) - 40;
            model.Line(static_cast<COLORREF>(rng() & 0xFFFFFF), x0, y0, x1, y1);
        }
        ASSERT_EQ(model.canvas().Pixels(), model.expected()) << "trial " << trial;
    }
}

// A gradient's sweep: copies of one segment moved a column at a time, each in its own colour.
// Steep and 45-degree copies join into one record; flat ones, other shifts and lines drawn in
// between break it. Against the line rule's slow reference, with reads in the middle of sweeps
// and bitmaps tall enough for several bands of rows.
TEST(PendingLines, ParallelSweepsMatchTheReferenceRule) {
    std::mt19937 rng(4517);
    constexpr int kW = 47, kH = 150;
    for (int trial = 0; trial < 40; ++trial) {
        LineModel model(kW, kH);
        auto draw = [&](int x0, int y0, int x1, int y1, COLORREF colour) { model.Line(colour, x0, y0, x1, y1); };
        for (int sweep = 0; sweep < 4; ++sweep) {
            const int dy = static_cast<int>(rng() % 400) - 200;
            const int shape = static_cast<int>(rng() % 4);
            const int dx = shape == 0   ? (rng() % 2 ? dy : -dy)               // 45 degrees
                           : shape == 3 ? static_cast<int>(rng() % 600) - 300  // any slope
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
                    ASSERT_EQ(model.canvas().At(x, y), model.Expected(x, y))
                        << "trial " << trial << " sweep " << sweep << " copy " << k;
                }
                x0 += shift;
            }
        }
        ASSERT_EQ(model.canvas().Pixels(), model.expected()) << "trial " << trial;
    }
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
// Three runs of nested boxes on one canvas; returns the reads made between boxes and all pixels.
std::vector<COLORREF> NestedOutlinesScene(std::uint32_t seed, bool solid) {
    std::mt19937 rng(seed);
    constexpr int kW = 61, kH = 150;
    Canvas c(kW, kH, 0xFFFFFF);
    HBRUSH brush = CreateSolidBrush(0x00FFFF);
    HGDIOBJ old = SelectObject(c.dc(), solid ? brush : GetStockObject(NULL_BRUSH));
    std::vector<COLORREF> seen;
    for (int run = 0; run < 3; ++run) {
        int l = static_cast<int>(rng() % 30) - 4, t = static_cast<int>(rng() % 90) - 4;
        int r = l + 2 + static_cast<int>(rng() % 60), b = t + 2 + static_cast<int>(rng() % 120);
        const int boxes = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < boxes; ++k) {
            const COLORREF colour = static_cast<COLORREF>(rng() & 0xFFFFFF);
            const int event = static_cast<int>(rng() % 30);
            OutlineWithPen(c.dc(), colour, l, t, r, b);
            if (event == 1) DrawWithPen(c.dc(), 0x123456, k, 0, kW - k, kH);
            if (event == 2) seen.push_back(c.At(l + k % 5, t + k % 7));
            const int inset = event == 0 ? 2 : 1;  // a gap breaks the run
            l += inset, t += inset, r -= inset, b -= inset;
        }
    }
    for (COLORREF p : c.Pixels()) seen.push_back(p);
    SelectObject(c.dc(), old);
    DeleteObject(brush);
    return seen;
}

// A rectangular gradient's outlines: boxes nested one pixel apart, each in its own colour, down
// to the degenerate innermost ones. Runs break on a box that is not the next one in, on a box
// reaching outside the surface, on a line drawn in between, and on a read; the hollow brush is
// the DC's, then a solid one fills each interior first.
TEST(PendingLines, NestedOutlinesMatchDirectDrawing) {
    for (std::uint32_t trial = 0; trial < 40; ++trial)
        ExpectDeferralInvisible([&] { return NestedOutlinesScene(733 + trial, trial % 4 == 3); },
                                "trial " + std::to_string(trial));
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
}

TEST(PendingLines, FortyThousandColumnsWithoutAReadKeepTheirOrder) {
    // Alternating rows keep every column its own run; far more columns than one record holds,
    // so it is written out on the way and later passes must still win.
    Canvas c(1000, 4, 0xFFFFFF);
    for (int pass = 0; pass < 40; ++pass)
        for (int x = 0; x < 1000; ++x) DrawWithPen(c.dc(), static_cast<COLORREF>(pass * 1000 + x), x, x % 2, x, 4);
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
