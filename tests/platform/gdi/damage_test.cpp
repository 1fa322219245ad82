// Where the drawing layer says a bitmap's pixels changed since a stamp: the rectangle of a blit
// or of SetBitmapBits32 clipped to the bitmap, the whole bitmap for any other drawing call,
// nothing for reads, and no answer for a bitmap newer than the stamp or gone.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/window.h"

namespace ov::gdi {
namespace {

// The rectangle's four edges, compared and printed as one value.
std::tuple<int, int, int, int> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST(Damage, EachCallNotesWhatItMayHaveChanged) {
    MemoryDC target(0, CreateDIBSection32(40, 30), Bitmap::Owned);
    MemoryDC source(0, CreateDIBSection32(16, 16), Bitmap::Owned);
    const HDC dc = target.get();
    const OwnedObject brush(CreateSolidBrush(0x0000FF));
    std::vector<std::uint32_t> words(40 * 30, 0x123456);
    struct Row {
        const char* what;
        std::function<void()> call;
        RECT damage;
    };
    const RECT whole{0, 0, 40, 30};
    const Row rows[] = {
        {"a blit", [&] { BitBlt(dc, 5, 6, 10, 4, source.get(), 0, 0, SRCCOPY); }, {5, 6, 15, 10}},
        {"a blit past the edges", [&] { BitBlt(dc, -4, 25, 16, 16, source.get(), 0, 0, SRCCOPY); }, {0, 25, 12, 30}},
        {"a stretch", [&] { StretchBlt(dc, 30, 2, 8, 20, source.get(), 0, 0, 4, 4, SRCCOPY); }, {30, 2, 38, 22}},
        {"a blit within the bitmap", [&] { BitBlt(dc, 20, 20, 5, 5, dc, 0, 0, SRCCOPY); }, {20, 20, 25, 25}},
        {"a blit outside", [&] { BitBlt(dc, 50, 50, 5, 5, source.get(), 0, 0, SRCCOPY); }, {}},
        {"bits set",
         [&] {
             const RECT part{2, 3, 9, 5};
             SetBitmapBits32(target.bitmap(), &part, words.data());
         },
         {2, 3, 9, 5}},
        {"a fill",
         [&] {
             const RECT part{1, 1, 3, 3};
             FillRect(dc, &part, static_cast<HBRUSH>(brush.get()));
         },
         whole},
        {"a line",
         [&] {
             MoveToEx(dc, 0, 0, nullptr);
             LineTo(dc, 3, 3);
         },
         whole},
        {"text", [&] { TextOutA(dc, 0, 0, "Wg", 2); }, whole},
        {"a pixel read", [&] { GetPixel(dc, 3, 3); }, {}},
        {"bits read",
         [&] {
             const RECT part{0, 0, 40, 30};
             GetBitmapBits32(target.bitmap(), &part, words.data());
         },
         {}},
        {"the size read",
         [&] {
             SIZE size;
             GetBitmapSize(target.bitmap(), &size);
         },
         {}},
        {"a blit from it", [&] { BitBlt(source.get(), 0, 0, 16, 16, dc, 0, 0, SRCCOPY); }, {}},
    };
    for (const Row& row : rows) {
        const std::uint64_t stamp = DamageStamp();
        row.call();
        RECT damage{-1, -1, -1, -1};
        ASSERT_TRUE(GetBitmapDamageSince(target.bitmap(), stamp, &damage)) << row.what;
        EXPECT_EQ(Edges(damage), Edges(row.damage)) << row.what;
        // Asked again from now on, nothing has changed.
        ASSERT_TRUE(GetBitmapDamageSince(target.bitmap(), DamageStamp(), &damage));
        EXPECT_EQ(Edges(damage), Edges(RECT{})) << row.what;
    }
}

TEST(Damage, AskedFromAnOlderStampTheChangesSinceAddUp) {
    MemoryDC target(0, CreateDIBSection32(100, 10), Bitmap::Owned);
    MemoryDC source(0, CreateDIBSection32(1, 1), Bitmap::Owned);
    const std::uint64_t start = DamageStamp();
    std::uint64_t before_last = 0;
    // More blits than the log keeps entries: the oldest merge, the newest stay exact.
    for (int x = 0; x < 30; ++x) {
        before_last = DamageStamp();
        BitBlt(target.get(), x * 3, x % 5, 1, 1, source.get(), 0, 0, SRCCOPY);
    }
    RECT damage;
    // From the start: at least every blit (merged entries may hold more: here the selection
    // into the DC, which noted the whole bitmap just before).
    ASSERT_TRUE(GetBitmapDamageSince(target.bitmap(), start, &damage));
    EXPECT_TRUE(damage.left <= 0 && damage.top <= 0 && damage.right >= 88 && damage.bottom >= 5);
    ASSERT_TRUE(GetBitmapDamageSince(target.bitmap(), before_last, &damage));
    EXPECT_EQ(Edges(damage), Edges(RECT{87, 4, 88, 5}));
}

TEST(Damage, NoAnswerForABitmapNewerThanTheStampOrGone) {
    const std::uint64_t stamp = DamageStamp();
    const HBITMAP bitmap = CreateDIBSection32(4, 4);
    RECT damage;
    EXPECT_FALSE(GetBitmapDamageSince(bitmap, stamp, &damage));
    EXPECT_TRUE(GetBitmapDamageSince(bitmap, DamageStamp(), &damage));
    ASSERT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(GetBitmapDamageSince(bitmap, DamageStamp(), &damage));
    EXPECT_FALSE(GetBitmapDamageSince(bitmap, DamageStamp(), nullptr));
}

TEST(Damage, AWindowReportsItsSurfaceAndItsUnlock) {
    const HWND window = CreateWindowSurface(0, 30, 20);
    const HDC dc = GetDC(window);
    MemoryDC source(0, CreateDIBSection32(4, 4), Bitmap::Owned);
    std::uint64_t stamp = DamageStamp();
    BitBlt(dc, 1, 2, 4, 4, source.get(), 0, 0, SRCCOPY);
    RECT damage;
    ASSERT_TRUE(GetWindowDamageSince(window, stamp, &damage));
    EXPECT_EQ(Edges(damage), Edges(RECT{1, 2, 5, 6}));
    // Reading what it presents changes nothing.
    stamp = DamageStamp();
    std::vector<std::uint32_t> pixels(30 * 20);
    ASSERT_TRUE(CopyPresentedPixels(window, RECT{0, 0, 30, 20}, pixels.data()));
    ASSERT_TRUE(GetWindowDamageSince(window, stamp, &damage));
    EXPECT_EQ(Edges(damage), Edges(RECT{}));
    // What was drawn under a lock shows at the unlock, wherever it was.
    ASSERT_TRUE(LockWindowUpdate(window));
    stamp = DamageStamp();
    ASSERT_TRUE(LockWindowUpdate(0));
    ASSERT_TRUE(GetWindowDamageSince(window, stamp, &damage));
    EXPECT_EQ(Edges(damage), Edges(RECT{0, 0, 30, 20}));
    ReleaseDC(window, dc);
    ASSERT_TRUE(DestroyWindowSurface(window));
    EXPECT_FALSE(GetWindowDamageSince(window, DamageStamp(), &damage));
}

}  // namespace
}  // namespace ov::gdi
