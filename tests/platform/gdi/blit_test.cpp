// BitBlt and StretchBlt: clipping, untouched out-of-source pixels, colour/mono conversions, the
// transparent blit end to end, stretch modes and mirroring, and the fast path against the slow
// reference on random input.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "drawing_reference.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/stretch_map.h"
#include "platform/gdi/stretch_sources.h"

namespace ov::gdi {
namespace {

using testing::ExpectDeferralInvisible;
using testing_support::Canvas;

void FillBox(HDC dc, int l, int t, int r, int b, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT rect{l, t, r, b};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

// A source with a key colour background and some opaque shapes, like a sprite.
constexpr COLORREF kKey = 0xFF00FF;
void PaintSprite(Canvas& c) {
    c.Fill(kKey);
    FillBox(c.dc(), 2, 2, 8, 6, 0x0000FF);
    FillBox(c.dc(), 6, 4, 12, 10, 0x00FF00);
    FillBox(c.dc(), 1, 8, 4, 11, 0x000000);
    SetPixelV(c.dc(), 14, 6, 0xFE00FF);  // near the key, not the key
}

TEST(BitBltClipping, DestinationClippedSourceOutsideLeavesDestination) {
    Canvas src(8, 8, 0x00FF00), dst(10, 10, 0x0000FF);
    ASSERT_TRUE(BitBlt(dst.dc(), -2, -2, 6, 6, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.Count(0x00FF00), 16);  // x 0..3, y 0..3
    dst.Fill(0x0000FF);
    // Source columns -3..2: only 0..2 exist, so only destination x 6..8 change.
    ASSERT_TRUE(BitBlt(dst.dc(), 3, 0, 6, 1, src.dc(), -3, 0, SRCCOPY));
    EXPECT_EQ(dst.Art(0x00FF00).substr(0, 10), "......###.");
    dst.Fill(0x0000FF);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 10, 1, src.dc(), 5, 0, SRCCOPY));  // source x 5..7 only
    EXPECT_EQ(dst.Art(0x00FF00).substr(0, 10), "###.......");
}

TEST(BitBltClipping, OverlappingCopyWithinOneBitmap) {
    Canvas c(6, 1);
    for (int x = 0; x < 6; ++x) SetPixelV(c.dc(), x, 0, static_cast<COLORREF>(x + 1));
    ASSERT_TRUE(BitBlt(c.dc(), 1, 0, 5, 1, c.dc(), 0, 0, SRCCOPY));
    for (int x = 1; x < 6; ++x) EXPECT_EQ(c.At(x, 0), static_cast<COLORREF>(x));
}

TEST(MonoConversion, ColourToMonoMarksExactlyTheSourceBackgroundColour) {
    Canvas src(16, 12), mask(16, 12, 0, /*mono=*/true);
    PaintSprite(src);
    SetBkColor(src.dc(), kKey);
    SetTextColor(src.dc(), 0x0000FF);  // plays no part
    ASSERT_TRUE(BitBlt(mask.dc(), 0, 0, 16, 12, src.dc(), 0, 0, SRCCOPY));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(mask.At(x, y), src.At(x, y) == kKey ? 0xFFFFFFu : 0u) << x << "," << y;
    EXPECT_EQ(mask.At(14, 6), 0u);  // 0xFE00FF is not the key
}

TEST(MonoConversion, MonoToColourUsesDestinationTextForZeroAndBackgroundForOne) {
    Canvas mask(4, 1, 0, /*mono=*/true), dst(4, 1, 0x777777);
    SetPixelV(mask.dc(), 1, 0, 0xFFFFFF);
    SetTextColor(dst.dc(), 0x0000FF);
    SetBkColor(dst.dc(), 0x00FF00);
    SetTextColor(mask.dc(), 0x123456);  // the source DC's colours play no part
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 1, mask.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.At(1, 0), 0x00FF00u);
    // The operation then works on those colours.
    dst.Fill(0x0F0F0F);
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 1, mask.dc(), 0, 0, SRCPAINT));
    EXPECT_EQ(dst.At(0, 0), 0x0F0FFFu);
    EXPECT_EQ(dst.At(1, 0), 0x0FFF0Fu);
}

TEST(MonoConversion, MonoToMonoCopiesBits) {
    Canvas a(3, 1, 0, true), b(3, 1, 0, true);
    SetPixelV(a.dc(), 2, 0, 0xFFFFFF);
    SetTextColor(b.dc(), 0xFFFFFF);
    SetBkColor(b.dc(), 0x000000);
    ASSERT_TRUE(BitBlt(b.dc(), 0, 0, 3, 1, a.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(b.At(0, 0), 0u);
    EXPECT_EQ(b.At(2, 0), 0xFFFFFFu);
}

TEST(TransparentBlit, KeyPixelsKeepTheDestinationEverythingElseIsSource) {
    Canvas src(16, 12), dst(24, 16), background(24, 16);
    PaintSprite(src);
    for (Canvas* c : {&dst, &background})
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x)
                SetPixelV(c->dc(), x, y, static_cast<COLORREF>((x * 37 + y * 101) * 0x010203 & 0xFFFFFF));

    const LiveObjects before = CountLiveObjects();
    {
        // The recipe: a mask from the key colour, the source with its key pixels blackened, the
        // destination with the opaque area blackened, then the two ORed together.
        HDC mask_dc = CreateCompatibleDC(0);
        HBITMAP mask = CreateBitmap(16, 12, 1, 1, nullptr);
        HGDIOBJ old_mask = SelectObject(mask_dc, mask);
        HDC work_dc = CreateCompatibleDC(src.dc());
        HBITMAP work = CreateCompatibleBitmap(src.dc(), 16, 12);
        HGDIOBJ old_work = SelectObject(work_dc, work);
        SetBkColor(src.dc(), kKey);
        BitBlt(mask_dc, 0, 0, 16, 12, src.dc(), 0, 0, SRCCOPY);
        BitBlt(work_dc, 0, 0, 16, 12, src.dc(), 0, 0, SRCCOPY);
        SetTextColor(work_dc, 0x000000);
        SetBkColor(work_dc, 0xFFFFFF);
        BitBlt(work_dc, 0, 0, 16, 12, mask_dc, 0, 0, 0x00220326);
        SetTextColor(dst.dc(), 0x000000);
        SetBkColor(dst.dc(), 0xFFFFFF);
        BitBlt(dst.dc(), 3, 2, 16, 12, mask_dc, 0, 0, 0x008800C6);
        BitBlt(dst.dc(), 3, 2, 16, 12, work_dc, 0, 0, 0x00EE0086);
        SelectObject(work_dc, old_work);
        SelectObject(mask_dc, old_mask);
        DeleteObject(work);
        DeleteObject(mask);
        DeleteDC(work_dc);
        DeleteDC(mask_dc);
    }
    EXPECT_EQ(CountLiveObjects(), before);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const bool inside = x >= 3 && x < 19 && y >= 2 && y < 14;
            const COLORREF s = inside ? src.At(x - 3, y - 2) : kKey;
            const COLORREF expected = s == kKey ? background.At(x, y) : s;
            ASSERT_EQ(dst.At(x, y), expected) << x << "," << y;
        }
}

// Row-aligned blits are recorded and run together a band of rows at a time. Random sequences of
// them among two colour bitmaps, a mono one and a short-lived scratch bitmap, mixed with reads,
// lines, fills, stretches, self-blits and blits that are not row-aligned, must give every read
// and every final pixel the same as blits run one at a time.
struct BlitScene {
    Canvas a{29, 70, 0x336699}, b{29, 70, 0xFF00FF}, mask{29, 70, 0xFFFFFF, /*mono=*/true};
    HDC dc(int k) const { return k == 0 ? a.dc() : k == 1 ? b.dc() : mask.dc(); }
};

std::vector<COLORREF> RunBlitSequence(std::uint32_t seed) {
    std::mt19937 rng(seed);
    BlitScene scene;
    std::vector<COLORREF> seen;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    constexpr std::uint32_t kRops[] = {SRCCOPY,    SRCAND,     SRCPAINT,   SRCINVERT,
                                       0x00220326, 0x00660046, 0x00B8074A, NOTSRCCOPY};
    FillBox(scene.b.dc(), 3, 5, 20, 40, 0x00FF00);
    for (int step = 0; step < 120; ++step) {
        const int to = pick(3), from = pick(3), kind = pick(10);
        HDC dst = scene.dc(to), src = scene.dc(from);
        const int x = pick(36) - 4, y = pick(80) - 5, w = pick(34) - 2, h = pick(76) - 3, sx = pick(36) - 4;
        SetBkColor(src, pick(2) ? 0xFF00FF : 0x00FF00);
        SetTextColor(dst, 0x000080);
        if (kind <= 4) {
            BitBlt(dst, x, y, w, h, src, sx, y, kRops[pick(8)]);  // row-aligned: recorded
        } else if (kind == 5) {
            seen.push_back(GetPixel(dst, pick(29), pick(70)));
        } else if (kind == 6) {
            HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
            HGDIOBJ old = SelectObject(dst, pen);
            MoveToEx(dst, x, y, nullptr);
            LineTo(dst, x + 3, y + 40);
            SelectObject(dst, old);
            DeleteObject(pen);
        } else if (kind == 7) {
            BitBlt(dst, x, y, w, h, src, sx, y + 1 + pick(3), kRops[pick(8)]);  // rows moved: run at once
        } else if (kind == 8) {
            StretchBlt(dst, x, y, w, h, src, sx, y, w / 2 + 1, h, SRCCOPY);
        } else {
            // A scratch bitmap blitted from and deleted at once, as picture code does.
            HDC scratch_dc = CreateCompatibleDC(dst);
            HBITMAP scratch = CreateCompatibleBitmap(scene.a.dc(), 29, 70);
            HGDIOBJ old = SelectObject(scratch_dc, scratch);
            BitBlt(scratch_dc, 0, 0, 29, 70, scene.b.dc(), 0, 0, SRCCOPY);
            FillBox(scratch_dc, x, y, x + 5, y + 5, 0x101010);
            BitBlt(dst, x, y, w, h, scratch_dc, sx, y, SRCINVERT);
            SelectObject(scratch_dc, old);
            DeleteObject(scratch);
            DeleteDC(scratch_dc);
        }
    }
    for (int k = 0; k < 3; ++k)
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 29; ++x) seen.push_back(GetPixel(scene.dc(k), x, y));
    return seen;
}

TEST(RecordedBlits, MatchBlitsRunOneAtATime) {
    const LiveObjects before = CountLiveObjects();
    for (std::uint32_t seed = 1; seed <= 60; ++seed)
        ExpectDeferralInvisible([&] { return RunBlitSequence(seed); }, "seed " + std::to_string(seed));
    EXPECT_EQ(CountLiveObjects(), before);
}

// The transparent blit's five blits are recorded, and run before the destination is read.
TEST(RecordedBlits, TransparentBlitRunsWhenTheResultIsRead) {
    Canvas src(16, 12, kKey), dst(16, 12, 0x804020), mask(16, 12, 0xFFFFFF, /*mono=*/true), work(16, 12);
    FillBox(src.dc(), 2, 2, 9, 7, 0x0000FF);
    SetBkColor(src.dc(), kKey);
    BitBlt(mask.dc(), 0, 0, 16, 12, src.dc(), 0, 0, SRCCOPY);
    BitBlt(work.dc(), 0, 0, 16, 12, src.dc(), 0, 0, SRCCOPY);
    BitBlt(work.dc(), 0, 0, 16, 12, mask.dc(), 0, 0, 0x00220326);
    BitBlt(dst.dc(), 0, 0, 16, 12, mask.dc(), 0, 0, SRCAND);
    BitBlt(dst.dc(), 0, 0, 16, 12, work.dc(), 0, 0, SRCPAINT);
    EXPECT_TRUE(detail::BitmapForRecording(dst.bitmap())->in_blit_chain);
    EXPECT_EQ(dst.At(3, 3), 0x0000FFu);
    EXPECT_EQ(dst.At(12, 10), 0x804020u);
    EXPECT_FALSE(detail::BitmapForRecording(mask.bitmap())->in_blit_chain);
}

TEST(StretchRule, EnlargingSamplesCentresWithHalvesToTheLowerIndex) {
    Canvas src(5, 1), dst(12, 1);
    for (int x = 0; x < 5; ++x) SetPixelV(src.dc(), x, 0, static_cast<COLORREF>(x));
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 12, 1, src.dc(), 0, 0, 5, 1, SRCCOPY));
    const COLORREF expected[] = {0, 0, 1, 1, 1, 2, 2, 3, 3, 3, 4, 4};
    for (int x = 0; x < 12; ++x) EXPECT_EQ(dst.At(x, 0), expected[x]) << x;
}

TEST(StretchRule, ShrinkingCombinesRunsByMode) {
    // 5 -> 3 columns: runs {0,1}, {2}, {3,4}.
    Canvas src(5, 1), dst(3, 1);
    const COLORREF colours[] = {0x0000F0, 0x00000F, 0x00F000, 0xF00000, 0x0F0000};
    for (int x = 0; x < 5; ++x) SetPixelV(src.dc(), x, 0, colours[x]);
    StretchBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, 5, 1, SRCCOPY);  // BLACKONWHITE: AND
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(1, 0), 0x00F000u);
    EXPECT_EQ(dst.At(2, 0), 0u);
    SetStretchBltMode(dst.dc(), WHITEONBLACK);
    StretchBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, 5, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), 0x0000FFu);
    EXPECT_EQ(dst.At(2, 0), 0xFF0000u);
    SetStretchBltMode(dst.dc(), COLORONCOLOR);
    StretchBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, 5, 1, SRCCOPY);  // last of each run
    EXPECT_EQ(dst.At(0, 0), colours[1]);
    EXPECT_EQ(dst.At(1, 0), colours[2]);
    EXPECT_EQ(dst.At(2, 0), colours[4]);
    // Vertically COLORONCOLOR keeps the first of each run: rows 0, 2, 3.
    Canvas tall(1, 5), short_dst(1, 3);
    for (int y = 0; y < 5; ++y) SetPixelV(tall.dc(), 0, y, colours[y]);
    SetStretchBltMode(short_dst.dc(), COLORONCOLOR);
    StretchBlt(short_dst.dc(), 0, 0, 1, 3, tall.dc(), 0, 0, 1, 5, SRCCOPY);
    EXPECT_EQ(short_dst.At(0, 0), colours[0]);
    EXPECT_EQ(short_dst.At(0, 1), colours[2]);
    EXPECT_EQ(short_dst.At(0, 2), colours[3]);
}

TEST(StretchRule, NegativeExtentsMirrorAndOutOfSourceStaysUntouched) {
    Canvas src(5, 1), dst(14, 1, 0xFFFFFF);
    for (int x = 0; x < 5; ++x) SetPixelV(src.dc(), x, 0, static_cast<COLORREF>(x + 1));
    // Destination (11, -10) covers x 2..11, traversed from 11 down: mirrored.
    StretchBlt(dst.dc(), 11, 0, -10, 1, src.dc(), 0, 0, 5, 1, SRCCOPY);
    EXPECT_EQ(dst.At(1, 0), 0xFFFFFFu);
    EXPECT_EQ(dst.At(11, 0), 1u);
    EXPECT_EQ(dst.At(2, 0), 5u);
    EXPECT_EQ(dst.At(12, 0), 0xFFFFFFu);
    // Source (4, -5) is columns 0..4 mirrored.
    dst.Fill(0xFFFFFF);
    StretchBlt(dst.dc(), 0, 0, 5, 1, src.dc(), 4, 0, -5, 1, SRCCOPY);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.At(x, 0), static_cast<COLORREF>(5 - x));
    // Source (5, -5) is columns 5 down to 1; column 5 lies past the bitmap, so the first 2 of
    // 10 destination pixels (which sample it) stay untouched.
    dst.Fill(0xFFFFFF);
    StretchBlt(dst.dc(), 0, 0, 10, 1, src.dc(), 5, 0, -5, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dst.At(1, 0), 0xFFFFFFu);
    EXPECT_EQ(dst.At(2, 0), 5u);
    EXPECT_EQ(dst.At(9, 0), 2u);
}

// Fills a bitmap with random colours, mostly from a small palette so AND/OR runs and key
// matches happen often.
void Randomise(Canvas& c, std::mt19937& rng) {
    const COLORREF palette[] = {0xFFFFFF, 0x000000, 0xFF00FF, 0x00FF00, 0x808080, 0x0F0F0F};
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            SetPixelV(c.dc(), x, y, rng() % 3 ? palette[rng() % 6] : (rng() & 0xFFFFFF));
}

TEST(StretchReference, FastPathMatchesOnRandomInput) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> extent(-14, 14), origin(-6, 16);
    const std::uint32_t rops[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, DSNA, NOTSRCCOPY, MERGECOPY, 0x00B8074A};
    const int modes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE};
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const bool src_mono = rng() % 4 == 0, dst_mono = rng() % 4 == 0;
        Canvas src(1 + rng() % 12, 1 + rng() % 12, 0, src_mono);
        Canvas fast(1 + rng() % 14, 1 + rng() % 14, 0, dst_mono), slow(fast.width(), fast.height(), 0, dst_mono);
        Canvas base(fast.width(), fast.height(), 0, dst_mono);
        Randomise(src, rng);
        Randomise(base, rng);
        BitBlt(fast.dc(), 0, 0, fast.width(), fast.height(), base.dc(), 0, 0, SRCCOPY);
        BitBlt(slow.dc(), 0, 0, fast.width(), fast.height(), base.dc(), 0, 0, SRCCOPY);
        const int mode = modes[rng() % 4];
        const std::uint32_t rop = rops[rng() % 8];
        const COLORREF brush = rng() & 0xFFFFFF, text = rng() & 0xFFFFFF, bk = rng() % 2 ? 0xFF00FF : rng() & 0xFFFFFF;
        for (Canvas* c : {&fast, &slow}) {
            SetStretchBltMode(c->dc(), mode);
            c->Brush(brush);
            SetTextColor(c->dc(), text);
            SetBkColor(c->dc(), bk);
        }
        SetBkColor(src.dc(), rng() % 2 ? 0xFF00FF : 0x000000);
        int w = extent(rng), h = extent(rng), sw = extent(rng), sh = extent(rng);
        if (rng() % 3 == 0) {
            sw = w;
            sh = h;
        }  // plain BitBlt geometry
        const int x = origin(rng), y = origin(rng), sx = origin(rng), sy = origin(rng);
        StretchBlt(fast.dc(), x, y, w, h, src.dc(), sx, sy, sw, sh, rop);
        ASSERT_TRUE(detail::StretchBltReference(slow.dc(), x, y, w, h, src.dc(), sx, sy, sw, sh, rop));
        for (int py = 0; py < fast.height(); ++py)
            for (int px = 0; px < fast.width(); ++px)
                ASSERT_EQ(fast.At(px, py), slow.At(px, py))
                    << "StretchBlt(" << x << "," << y << "," << w << "," << h << " <- " << sx << "," << sy << "," << sw
                    << "," << sh << ") rop " << std::hex << rop << std::dec << " mode " << mode << " src "
                    << src.width() << "x" << src.height() << (src_mono ? " mono" : "") << " dst " << fast.width() << "x"
                    << fast.height() << (dst_mono ? " mono" : "") << " at " << px << "," << py;
    }
}

// What StretchBltSources reports is what StretchBlt takes: a piece of the source holding just
// one drawn pixel's ranges, copied with the source origin moved by the piece's offset, gives
// that pixel what the whole source gives it, and the pixels outside the reported coordinates
// are not drawn at all.
TEST(StretchSources, EachDrawnPixelComesFromItsRangesAlone) {
    std::mt19937 rng(77);
    // An origin and extent covering `count` pixels from `start`, either way round (a negative
    // extent covers (origin + extent, origin]), so most rectangles meet their bitmaps.
    const auto span = [&](int limit, int& origin, int& extent) {
        const int start = static_cast<int>(rng() % (limit + 1)) - 1, count = 1 + static_cast<int>(rng() % (limit + 3));
        const bool backwards = rng() % 3 == 0;
        origin = backwards ? start + count - 1 : start;
        extent = backwards ? -count : count;
    };
    const int modes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE};
    int pixels_checked = 0;
    for (int iteration = 0; iteration < 1000; ++iteration) {
        const bool src_mono = rng() % 4 == 0, dst_mono = rng() % 4 == 0;
        Canvas src(1 + rng() % 11, 1 + rng() % 11, 0, src_mono);
        Canvas base(3 + rng() % 8, 3 + rng() % 8, 0, dst_mono), whole(base.width(), base.height(), 0, dst_mono);
        Randomise(src, rng);
        Randomise(base, rng);
        BitBlt(whole.dc(), 0, 0, base.width(), base.height(), base.dc(), 0, 0, SRCCOPY);
        const int mode = modes[rng() % 4];
        SetStretchBltMode(whole.dc(), mode);
        int x, y, w, h, sx, sy, sw, sh;
        span(base.width(), x, w);
        span(base.height(), y, h);
        span(src.width(), sx, sw);
        span(src.height(), sy, sh);
        StretchBlt(whole.dc(), x, y, w, h, src.dc(), sx, sy, sw, sh, SRCCOPY);
        StretchAxis columns, rows;
        ASSERT_TRUE(
            StretchBltSources(whole.dc(), x, y, w, h, sx, sy, sw, sh, src.width(), src.height(), &columns, &rows));
        const std::string what =
            "StretchBlt(" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
            std::to_string(h) + " <- " + std::to_string(sx) + "," + std::to_string(sy) + "," + std::to_string(sw) +
            "," + std::to_string(sh) + ") mode " + std::to_string(mode) + " src " + std::to_string(src.width()) + "x" +
            std::to_string(src.height()) + (src_mono ? " mono" : "") + (dst_mono ? ", mono destination" : "");
        for (int py = 0; py < base.height(); ++py)
            for (int px = 0; px < base.width(); ++px) {
                const bool drawn = !columns.empty() && !rows.empty() && px >= columns.dst_start &&
                                   px < columns.dst_end && py >= rows.dst_start && py < rows.dst_end;
                if (!drawn) {
                    ASSERT_EQ(whole.At(px, py), base.At(px, py)) << what << ": pixel " << px << "," << py;
                    continue;
                }
                const int i = px - columns.dst_start, j = py - rows.dst_start;
                const int first_x = columns.first[i], first_y = rows.first[j];
                Canvas piece(columns.last[i] - first_x + 1, rows.last[j] - first_y + 1, 0, src_mono);
                BitBlt(piece.dc(), 0, 0, piece.width(), piece.height(), src.dc(), first_x, first_y, SRCCOPY);
                Canvas one(base.width(), base.height(), 0, dst_mono);
                BitBlt(one.dc(), 0, 0, base.width(), base.height(), base.dc(), 0, 0, SRCCOPY);
                SetStretchBltMode(one.dc(), mode);
                StretchBlt(one.dc(), x, y, w, h, piece.dc(), sx - first_x, sy - first_y, sw, sh, SRCCOPY);
                ASSERT_EQ(one.At(px, py), whole.At(px, py)) << what << ": pixel " << px << "," << py;
                ++pixels_checked;
            }
    }
    EXPECT_GT(pixels_checked, 3000);
    StretchAxis columns, rows;
    EXPECT_FALSE(StretchBltSources(0, 0, 0, 4, 4, 0, 0, 4, 4, 4, 4, &columns, &rows));
}

// Blits across formats at equal extents take one-pass converting kernels for the common
// operations; each against the reference, both directions, odd widths for the loop tails.
TEST(StretchReference, ConvertingKernelsMatchOnRandomInput) {
    std::mt19937 rng(777);
    const std::uint32_t rops[] = {SRCCOPY,  SRCAND,     SRCPAINT,   SRCINVERT, DSNA,
                                  SRCERASE, NOTSRCCOPY, MERGEPAINT, MERGECOPY, 0x00B8074A};
    for (const std::uint32_t rop : rops)
        for (const bool src_mono : {false, true})
            for (int trial = 0; trial < 6; ++trial) {
                const int w = 1 + static_cast<int>(rng() % 13), h = 1 + static_cast<int>(rng() % 5);
                Canvas src(w + 2, h + 1, 0, src_mono), base(w, h, 0, !src_mono);
                Canvas fast(w, h, 0, !src_mono), slow(w, h, 0, !src_mono);
                Randomise(src, rng);
                Randomise(base, rng);
                SetBkColor(src.dc(), rng() % 2 ? 0xFF00FF : 0x000000);
                const COLORREF brush = rng() & 0xFFFFFF, text = rng() & 0xFFFFFF, bk = rng() & 0xFFFFFF;
                for (Canvas* c : {&fast, &slow}) {
                    BitBlt(c->dc(), 0, 0, w, h, base.dc(), 0, 0, SRCCOPY);
                    c->Brush(brush);
                    SetTextColor(c->dc(), text);
                    SetBkColor(c->dc(), bk);
                }
                ASSERT_TRUE(BitBlt(fast.dc(), 0, 0, w, h, src.dc(), 1, 1, rop));
                ASSERT_TRUE(detail::StretchBltReference(slow.dc(), 0, 0, w, h, src.dc(), 1, 1, w, h, rop));
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(fast.At(x, y), slow.At(x, y))
                            << "rop " << std::hex << rop << std::dec << (src_mono ? " mono->colour" : " colour->mono")
                            << " at " << x << "," << y;
            }
}

}  // namespace
}  // namespace ov::gdi
