// The scope guards of the drawing layer: every object and selection they make is undone when
// the scope ends, early returns and exceptions included, and the pixels they copy are the ones
// the plain calls would copy. Built without the layer's internals: the guards are public.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/scoped_objects.h"

namespace ov::gdi {
namespace {

std::uint32_t PixelOf(HBITMAP bitmap, int x, int y) {
    std::uint32_t word = 0;
    const RECT one{x, y, x + 1, y + 1};
    GetBitmapBits32(bitmap, &one, &word);
    return word;
}

TEST(ScopedObjects, OwnedObjectDeletesWhatItHoldsAndNothingItReleased) {
    const LiveObjects before = CountLiveObjects();
    HPEN released = 0;
    {
        const OwnedObject pen(CreatePen(PS_SOLID, 1, 0));
        OwnedObject brush(CreateSolidBrush(0x112233));
        OwnedObject font;
        EXPECT_FALSE(font);
        const LOGFONTA record{};
        font.Reset(CreateFontIndirectA(&record));
        EXPECT_EQ(CountLiveObjects().pens, before.pens + 1);
        EXPECT_EQ(CountLiveObjects().fonts, before.fonts + 1);
        OwnedObject moved(std::move(brush));
        EXPECT_FALSE(brush);
        EXPECT_TRUE(moved);
        OwnedObject kept(CreatePen(PS_DASH, 1, 0));
        released = kept.Release();
        moved.Reset(CreateSolidBrush(0));  // the first brush goes now
        EXPECT_EQ(CountLiveObjects().brushes, before.brushes + 1);
    }
    LiveObjects after = CountLiveObjects();
    EXPECT_EQ(after.pens, before.pens + 1);  // only the released one
    EXPECT_TRUE(DeleteObject(released));
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST(ScopedObjects, SelectionIsRestoredAndItsObjectCanThenBeDeleted) {
    const LiveObjects before = CountLiveObjects();
    const HDC dc = CreateCompatibleDC(0);
    const HGDIOBJ stock_pen = GetStockObject(BLACK_PEN);
    {
        const OwnedObject pen(CreatePen(PS_SOLID, 1, 0x0000FF));
        const ScopedSelection selection(dc, pen.get());
        EXPECT_TRUE(selection.selected());
        EXPECT_FALSE(DeleteObject(pen.get()));  // selected: refused
        {
            const ScopedSelection nested(dc, GetStockObject(WHITE_PEN));
            EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(WHITE_PEN));
        }
        // The nested scope put the pen back: selecting the stock pen returns it.
        EXPECT_EQ(SelectObject(dc, pen.get()), pen.get());
    }
    EXPECT_EQ(SelectObject(dc, stock_pen), stock_pen);
    DeleteDC(dc);
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST(ScopedObjects, RefusedSelectionsRestoreNothing) {
    const HDC dc = CreateCompatibleDC(0);
    const HDC other = CreateCompatibleDC(0);
    const OwnedObject bitmap(CreateDIBSection32(2, 2));
    {
        const ScopedSelection in_other(other, bitmap.get());
        EXPECT_TRUE(in_other.selected());
        const ScopedSelection refused(dc, bitmap.get());  // already selected into `other`
        EXPECT_FALSE(refused.selected());
        const ScopedSelection nothing(dc, 0);
        EXPECT_FALSE(nothing.selected());
    }
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteDC(other));
}

// A routine that leaves early, or throws, through a stack of guards leaves nothing behind.
int DrawAndLeave(int how) {
    const OwnedObject palette(CreateHalftonePalette(0));  // outlives the DC it is selected into
    const MemoryDC memory(0, CreateDIBSection32(8, 8), Bitmap::Owned);
    const OwnedObject pen(CreatePen(PS_SOLID, 1, 0xFFFFFF));
    const ScopedSelection pen_selection(memory.get(), pen.get());
    const OwnedObject brush(CreateSolidBrush(0x00FF00));
    const ScopedSelection brush_selection(memory.get(), brush.get());
    Rectangle(memory.get(), 0, 0, 8, 8);
    if (how == 0) return PixelOf(memory.bitmap(), 0, 0) == 0xFFFFFF ? 1 : -1;
    if (how == 1) throw std::runtime_error("left by an exception");
    const ScopedPalette palette_selection(memory.get(), palette.get());
    {
        const OwnedObject other(CreateHalftonePalette(0));
        const ScopedPalette nested(memory.get(), other.get());
    }  // the first palette is back, so the second could be deleted
    return 2;
}

TEST(ScopedObjects, NothingIsLeftBehindOnAnyWayOut) {
    struct Case {
        const char* name;
        int how;
    };
    for (const Case& c : {Case{"early return", 0}, Case{"exception", 1}, Case{"to the end", 2}}) {
        SCOPED_TRACE(c.name);
        const LiveObjects before = CountLiveObjects();
        if (c.how == 1) EXPECT_THROW(DrawAndLeave(c.how), std::runtime_error);
        else EXPECT_GT(DrawAndLeave(c.how), 0);
        EXPECT_EQ(CountLiveObjects(), before);
    }
}

TEST(ScopedObjects, MemoryDcHoldsOneBitmapAtATime) {
    const LiveObjects before = CountLiveObjects();
    const OwnedObject borrowed(CreateDIBSection32(3, 3));
    {
        MemoryDC memory;
        ASSERT_NE(memory.get(), 0u);
        EXPECT_TRUE(memory.Hold(CreateDIBSection32(4, 4), Bitmap::Owned));
        EXPECT_EQ(CountLiveObjects().bitmaps, before.bitmaps + 2);
        // Taking the borrowed one lets the owned one go at once.
        EXPECT_TRUE(memory.Hold(borrowed.get(), Bitmap::Borrowed));
        EXPECT_EQ(CountLiveObjects().bitmaps, before.bitmaps + 1);
        EXPECT_EQ(memory.bitmap(), borrowed.get());
        EXPECT_FALSE(DeleteObject(borrowed.get()));  // still selected
        // A bitmap that cannot be selected is refused; an owned one is deleted all the same.
        EXPECT_FALSE(memory.Hold(0, Bitmap::Owned));
        const MemoryDC other(0, CreateDIBSection32(2, 2), Bitmap::Owned);
        EXPECT_FALSE(memory.Hold(other.bitmap(), Bitmap::Borrowed));
        EXPECT_EQ(memory.bitmap(), borrowed.get());
    }
    // Selected out again: the borrowed bitmap is the caller's to delete, and deletable.
    EXPECT_EQ(CountLiveObjects().bitmaps, before.bitmaps + 1);
    EXPECT_EQ(CountLiveObjects().dcs, before.dcs);
}

TEST(ScopedObjects, WindowDcIsReleased) {
    const LiveObjects before = CountLiveObjects();
    {
        const WindowDC screen;
        EXPECT_NE(screen.get(), 0u);
        EXPECT_EQ(GetDeviceCaps(screen.get(), BITSPIXEL), 32);
    }
    EXPECT_EQ(CountLiveObjects(), before);
}

// The picture blits copy what BitBlt and StretchBlt copy from a DC holding the bitmap.
TEST(ScopedObjects, PictureBlitsMatchThePlainCopies) {
    const LiveObjects before_all = CountLiveObjects();
    const OwnedObject picture(CreateDIBSection32(4, 2));
    const std::vector<std::uint32_t> words = {0x000001, 0x000002, 0x000003, 0x000004,
                                              0x000005, 0x000006, 0x000007, 0x000008};
    const RECT all{0, 0, 4, 2};
    SetBitmapBits32(picture.get(), &all, words.data());
    struct Case {
        const char* name;
        bool stretch;
    };
    for (const Case& c : {Case{"BitBlt", false}, Case{"StretchBlt", true}}) {
        SCOPED_TRACE(c.name);
        const MemoryDC expected(0, CreateDIBSection32(10, 10), Bitmap::Owned);
        const MemoryDC actual(0, CreateDIBSection32(10, 10), Bitmap::Owned);
        {
            const MemoryDC source(expected.get(), picture.get(), Bitmap::Borrowed);
            if (c.stretch) StretchBlt(expected.get(), 1, 2, 8, 5, source.get(), 1, 0, 3, 2, SRCCOPY);
            else BitBlt(expected.get(), 1, 2, 3, 2, source.get(), 1, 0, SRCCOPY);
        }
        const LiveObjects before = CountLiveObjects();
        if (c.stretch) EXPECT_TRUE(StretchBlitBitmap(actual.get(), 1, 2, 8, 5, picture.get(), 1, 0, 3, 2, SRCCOPY));
        else EXPECT_TRUE(BlitBitmap(actual.get(), 1, 2, 3, 2, picture.get(), 1, 0, SRCCOPY));
        EXPECT_EQ(CountLiveObjects(), before);
        std::vector<std::uint32_t> want(100), got(100);
        const RECT frame{0, 0, 10, 10};
        GetBitmapBits32(expected.bitmap(), &frame, want.data());
        GetBitmapBits32(actual.bitmap(), &frame, got.data());
        EXPECT_EQ(got, want);
        EXPECT_EQ(PixelOf(actual.bitmap(), 1, 2), 0x000002u);
    }
    EXPECT_EQ(CountLiveObjects().bitmaps, before_all.bitmaps + 1);  // the picture itself
}

TEST(ScopedObjects, FillSolidRectPaintsAndKeepsNoBrush) {
    const MemoryDC memory(0, CreateDIBSection32(4, 4), Bitmap::Owned);
    const LiveObjects before = CountLiveObjects();
    EXPECT_EQ(FillSolidRect(memory.get(), RECT{1, 1, 3, 3}, RGB(10, 20, 30)), 1);
    EXPECT_EQ(CountLiveObjects(), before);
    EXPECT_EQ(PixelOf(memory.bitmap(), 1, 1), PixelWordFromColor(RGB(10, 20, 30)));
    EXPECT_EQ(PixelOf(memory.bitmap(), 3, 3), 0u);
}

}  // namespace
}  // namespace ov::gdi
