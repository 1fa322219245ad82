// The object model: selection, deletion rules, invalid handles, compatible DCs and bitmaps, the
// live-object counter, palettes, system colours and the arithmetic helpers, window locking.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/bitmap.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"

namespace ov::gdi {
namespace {

TEST(GdiObjects, SelectObjectReturnsThePreviousObjectOfThatKind) {
    HDC dc = CreateCompatibleDC(0);
    HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
    HBRUSH brush = CreateSolidBrush(0x00FF00);
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjects, DeleteObjectRefusesSelectedObjectsAndNeverFreesStock) {
    HDC dc = CreateCompatibleDC(0);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    SelectObject(dc, pen);
    EXPECT_FALSE(DeleteObject(pen));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));  // already gone
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_NE(SelectObject(dc, GetStockObject(WHITE_BRUSH)), 0u);  // still usable
    HBITMAP bitmap = CreateDIBSection32(4, 4);
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_FALSE(DeleteObject(bitmap));
    SelectObject(dc, original);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjects, InvalidHandlesFailSafely) {
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    DeleteObject(pen);
    HDC dc = CreateCompatibleDC(0);
    EXPECT_EQ(SelectObject(dc, pen), 0u);  // deleted handle
    EXPECT_EQ(SelectObject(dc, 0), 0u);
    EXPECT_EQ(SelectObject(0xDEADBEEF, GetStockObject(BLACK_PEN)), 0u);
    EXPECT_FALSE(DeleteObject(0));
    EXPECT_FALSE(DeleteObject(0xDEADBEEF));
    EXPECT_FALSE(DeleteDC(0xDEADBEEF));
    EXPECT_EQ(SetTextColor(0xDEADBEEF, 0), CLR_INVALID);
    EXPECT_EQ(GetBkColor(0xDEADBEEF), CLR_INVALID);
    EXPECT_EQ(CreateCompatibleBitmap(0xDEADBEEF, 4, 4), 0u);
    EXPECT_EQ(CreateCompatibleDC(0xDEADBEEF), 0u);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_FALSE(MoveToEx(dc, 0, 0, nullptr));
}

TEST(GdiObjects, MemoryDcStartsWithOneByOneMonoBitmapAndCompatibleBitmapsFollowIt) {
    HDC dc = CreateCompatibleDC(0);
    HBITMAP initial = GetCurrentBitmap(dc);
    SIZE size{};
    ASSERT_TRUE(GetBitmapSize(initial, &size));
    EXPECT_EQ(size.cx, 1);
    EXPECT_EQ(size.cy, 1);
    EXPECT_EQ(GetBitmapBitsPerPixel(initial), 1);
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(GetBitmapBitsPerPixel(mono), 1);
    HBITMAP colour = CreateDIBSection32(8, 8);
    SelectObject(dc, colour);
    HBITMAP colour2 = CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(GetBitmapBitsPerPixel(colour2), 32);
    HDC screen = GetDC(0);
    HBITMAP from_screen = CreateCompatibleBitmap(screen, 2, 2);
    EXPECT_EQ(GetBitmapBitsPerPixel(from_screen), 32);
    EXPECT_EQ(ReleaseDC(0, screen), 1);
    HBITMAP mono2 = CreateBitmap(3, 3, 1, 1, nullptr);
    EXPECT_EQ(GetBitmapBitsPerPixel(mono2), 1);
    SelectObject(dc, initial);
    for (HBITMAP b : {mono, mono2, colour, colour2, from_screen}) EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiObjects, LiveObjectCounterPerKind) {
    const LiveObjects before = CountLiveObjects();
    HDC dc = CreateCompatibleDC(0);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(0);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
    HPALETTE palette = CreateHalftonePalette(dc);
    LiveObjects during = CountLiveObjects();
    EXPECT_EQ(during.dcs, before.dcs + 1);
    EXPECT_EQ(during.pens, before.pens + 1);
    EXPECT_EQ(during.brushes, before.brushes + 1);
    EXPECT_EQ(during.bitmaps, before.bitmaps + 1);
    EXPECT_EQ(during.palettes, before.palettes + 1);
    // Stock objects are not counted.
    GetStockObject(NULL_BRUSH);
    EXPECT_EQ(CountLiveObjects(), during);
    for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(brush), HGDIOBJ(bitmap), HGDIOBJ(palette)}) EXPECT_TRUE(DeleteObject(o));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(CountLiveObjects(), before);
}

// Callers hold looked-up objects while they create others (a compositor's scratch bitmap
// across pen, brush and font creation): creation must never move an existing object.
TEST(GdiObjects, ObjectsStayInPlaceWhileThousandsMoreAreCreated) {
    const LiveObjects before = CountLiveObjects();
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(0);
    detail::Bitmap* held_bitmap = detail::BitmapForPixels(bitmap);
    detail::DeviceContext* held_dc = detail::LookupDc(dc);
    ASSERT_NE(held_bitmap, nullptr);
    ASSERT_NE(held_dc, nullptr);
    std::vector<HGDIOBJ> created;
    for (int i = 0; i < 5000; ++i) {
        created.push_back(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(i)));
        created.push_back(CreateSolidBrush(static_cast<COLORREF>(i)));
        if (i % 50 == 0) created.push_back(CreateCompatibleBitmap(dc, 4, 4));
    }
    EXPECT_EQ(detail::BitmapForPixels(bitmap), held_bitmap);
    EXPECT_EQ(detail::LookupDc(dc), held_dc);
    EXPECT_EQ(held_bitmap->width, 3);
    EXPECT_EQ(held_bitmap->height, 2);
    held_bitmap->SetPixelAt(2, 1, 0x123456u);
    EXPECT_EQ(held_dc->bk_colour, RGB(255, 255, 255));
    for (HGDIOBJ o : created) EXPECT_TRUE(DeleteObject(o));
    EXPECT_TRUE(SelectObject(dc, bitmap));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST(GdiPalettes, HalftonePaletteIsARealCountedObjectWithoutColourEffect) {
    const LiveObjects before = CountLiveObjects();
    HDC screen = GetDC(0);
    HPALETTE palette = CreateHalftonePalette(screen);
    ASSERT_NE(palette, 0u);
    EXPECT_EQ(CountLiveObjects().palettes, before.palettes + 1);
    HDC dc = CreateCompatibleDC(screen);
    HPALETTE second = CreateHalftonePalette(dc);
    SelectPalette(dc, palette, false);
    EXPECT_EQ(RealizePalette(dc), 0u);  // true colour: no entries mapped
    EXPECT_EQ(SelectPalette(dc, second, false), palette);
    EXPECT_FALSE(DeleteObject(second));  // selected
    EXPECT_EQ(SelectPalette(dc, palette, false), second);
    EXPECT_TRUE(DeleteObject(second));
    // Colours are unaffected by the palette.
    HBITMAP bitmap = CreateDIBSection32(1, 1);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetPixelV(dc, 0, 0, 0x123456);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x123456u);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);  // releases the palette selection
    ReleaseDC(0, screen);
    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_EQ(CountLiveObjects(), before);
}

TEST(SystemColours, ClassicSchemeAndHostReplacement) {
    EXPECT_EQ(GetSysColor(5), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(15), 0xC0C0C0u);
    EXPECT_EQ(GetSysColor(16), 0x808080u);
    EXPECT_EQ(GetSysColor(8), 0u);
    EXPECT_EQ(GetSysColor(31), 0u);
    EXPECT_EQ(GetSysColor(-1), 0u);
    SetSysColorEntry(15, 0x112233);
    EXPECT_EQ(GetSysColor(15), 0x112233u);
    ResetSysColors();
    EXPECT_EQ(GetSysColor(15), 0xC0C0C0u);
}

TEST(SystemColours, OleTranslateColor) {
    COLORREF out = 0xAAAAAA;
    EXPECT_EQ(OleTranslateColor(0x00123456, 0, &out), S_OK);
    EXPECT_EQ(out, 0x123456u);
    EXPECT_EQ(OleTranslateColor(0x8000000F, 0, &out), S_OK);
    EXPECT_EQ(out, 0xC0C0C0u);
    out = 0xAAAAAA;
    EXPECT_NE(OleTranslateColor(0x80000040, 0, &out), S_OK);
    EXPECT_EQ(out, 0xAAAAAAu);
    EXPECT_NE(OleTranslateColor(0x01000000, 0, &out), S_OK);
    EXPECT_EQ(out, 0xAAAAAAu);
}

TEST(Arithmetic, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, -1, 2), -3);
    EXPECT_EQ(MulDiv(7, 3, 4), 5);               // 5.25
    EXPECT_EQ(MulDiv(1 << 30, 8, 16), 1 << 29);  // 64-bit intermediate
    EXPECT_EQ(MulDiv(10, 10, 0), -1);
    EXPECT_EQ(MulDiv(-12, 96, 72), -16);
}

TEST(DeviceCaps, LogicalPixelsFollowTwipsPerPixel) {
    HDC dc = CreateCompatibleDC(0);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    Screen().twips_per_pixel_x = 12;
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 120);
    Screen().twips_per_pixel_x = 15;
    EXPECT_EQ(GetDeviceCaps(0xDEADBEEF, LOGPIXELSX), 0);
    DeleteDC(dc);
}

TEST(WindowLock, DrawingOnALockedWindowIsPresentedOnlyAfterRelease) {
    HWND window = CreateWindowSurface(0, 4, 2, 0xFFFFFF);
    HDC dc = GetDC(window);
    ASSERT_TRUE(LockWindowUpdate(window));
    EXPECT_FALSE(LockWindowUpdate(window));  // one lock at a time
    SetPixelV(dc, 1, 1, 0x0000FF);
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[1 * 4 + 1], 0x00FFFFFFu);
    EXPECT_EQ(GetPixel(dc, 1, 1), 0x0000FFu);  // the surface itself has it
    ASSERT_TRUE(LockWindowUpdate(0));
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[1 * 4 + 1], 0x00FF0000u);  // stored 0x00RRGGBB
    EXPECT_FALSE(LockWindowUpdate(0));
    // A second lock presents the frame of its own time, whether the surface is read during
    // the lock (which takes a copy of that frame) or only has lines recorded on it.
    ASSERT_TRUE(LockWindowUpdate(window));
    HPEN green = CreatePen(PS_SOLID, 1, 0x00FF00);
    HGDIOBJ old_pen = SelectObject(dc, green);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 4, 0);
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[0], 0x00FFFFFFu);
    EXPECT_EQ(pixels[1 * 4 + 1], 0x00FF0000u);
    EXPECT_EQ(GetPixel(dc, 2, 0), 0x00FF00u);
    SetPixelV(dc, 3, 1, 0x000000);
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[2], 0x00FFFFFFu);
    EXPECT_EQ(pixels[1 * 4 + 3], 0x00FFFFFFu);
    ASSERT_TRUE(LockWindowUpdate(0));
    ASSERT_TRUE(GetPresentedPixels(window, &w, &h, &pixels));
    EXPECT_EQ(pixels[2], 0x0000FF00u);
    EXPECT_EQ(pixels[1 * 4 + 3], 0u);
    SelectObject(dc, old_pen);
    DeleteObject(green);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_TRUE(DestroyWindowSurface(window));
}

}  // namespace
}  // namespace ov::gdi

// A deleted bitmap's large store is handed to the next bitmap of about its size, which still
// starts as a new bitmap does; small stores are not kept, and what is kept stays bounded.
TEST(GdiObjects, DeletedBitmapsHandTheirStoresOnWithinABound) {
    const auto store = [](ov::gdi::HBITMAP bitmap) {
        return ov::gdi::detail::BitmapForRecording(bitmap)->pixels.data();
    };
    const ov::gdi::HDC screen = ov::gdi::GetDC(0);
    struct Case {
        int width, height;  // of the bitmap deleted
        int next_width, next_height;
        bool reused;
    };
    const Case cases[] = {
        {400, 300, 400, 300, true},   // the same size
        {400, 300, 380, 290, true},   // somewhat smaller
        {400, 300, 200, 100, false},  // less than half: a store of its own
        {400, 300, 401, 300, false},  // larger
        {100, 100, 100, 100, false},  // too small to keep
    };
    for (const Case& c : cases) {
        const ov::gdi::HBITMAP old = ov::gdi::CreateCompatibleBitmap(screen, c.width, c.height);
        const ov::gdi::HDC dc = ov::gdi::CreateCompatibleDC(screen);
        const ov::gdi::HGDIOBJ previous = ov::gdi::SelectObject(dc, old);
        ov::gdi::FillSolidRect(dc, ov::gdi::RECT{0, 0, c.width, c.height}, 0x0000FF);
        const std::uint32_t* old_store = store(old);
        ov::gdi::SelectObject(dc, previous);
        const std::size_t kept_before = ov::gdi::detail::RetiredStoreBytes();
        ASSERT_TRUE(ov::gdi::DeleteObject(old));
        const std::size_t kept = ov::gdi::detail::RetiredStoreBytes();
        const ov::gdi::HBITMAP next = ov::gdi::CreateCompatibleBitmap(screen, c.next_width, c.next_height);
        // Told by what the kept stores hold, not by addresses alone: malloc may well hand out
        // the same memory again for a store that was not kept.
        const bool taken = ov::gdi::detail::RetiredStoreBytes() < kept;
        EXPECT_EQ(taken, c.reused) << c.next_width << "x" << c.next_height;
        if (c.reused) EXPECT_EQ(store(next), old_store);
        if (c.width * c.height < 200 * 200) EXPECT_EQ(kept, kept_before) << "a small store is not kept";
        ov::gdi::SelectObject(dc, next);
        EXPECT_EQ(ov::gdi::GetPixel(dc, c.next_width / 2, c.next_height / 2), 0u);  // black, as any new bitmap
        ov::gdi::SelectObject(dc, previous);
        ov::gdi::DeleteObject(next);
        ov::gdi::DeleteDC(dc);
    }
    // Many large deletions keep no more than the bound.
    for (int i = 0; i < 20; ++i) ov::gdi::DeleteObject(ov::gdi::CreateCompatibleBitmap(screen, 2048, 2048 - i));
    EXPECT_LE(ov::gdi::detail::RetiredStoreBytes(), std::size_t{64} << 20);
    ov::gdi::ReleaseDC(0, screen);
}
