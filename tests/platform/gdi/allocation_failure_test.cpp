// Allocation failure inside the drawing layer's calls: every allocation a call makes is made to
// fail in turn (this program replaces operator new), and each time the call must return its
// failure value or succeed, never throw, leave no object behind, and leave what it had recorded
// intact for the calls after it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/font.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/pending_lines.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/window.h"

namespace {

// The allocation that fails: -1 for none, otherwise how many more succeed first.
long failing_countdown = -1;
bool failure_injected = false;

void* Allocate(std::size_t size) {
    if (failing_countdown >= 0 && failing_countdown-- == 0) {
        failure_injected = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace ov::gdi {
namespace {

using testing_support::Canvas;

// Runs `call` with its k-th allocation failing, for k = 0, 1, ... until a run needs no failure;
// returns how many runs saw one. `call` reports whether the call under test succeeded.
int FailEachAllocationInTurn(const std::string& what, const std::function<bool()>& call,
                             const std::function<void()>& after_each = {}) {
    int failures = 0;
    for (long k = 0;; ++k) {
        failure_injected = false;
        failing_countdown = k;
        bool succeeded = false;
        try {
            succeeded = call();
        } catch (...) {
            failing_countdown = -1;
            ADD_FAILURE() << what << ": an exception left the call at allocation " << k;
            return failures;
        }
        failing_countdown = -1;
        if (after_each) after_each();
        if (!failure_injected) {
            EXPECT_TRUE(succeeded) << what << " fails without any failed allocation";
            return failures;
        }
        ++failures;
    }
}

constexpr COLORREF kBack = RGB(255, 255, 255);

void DeleteAnyObject(HGDIOBJ object) {
    if (!DeleteObject(object)) DeleteDC(object);
}

TEST(AllocationFailure, CreationCallsReturnNoHandleAndLeaveNothingBehind) {
    Canvas canvas(4, 4);
    // Objects other than bitmaps allocate only when the object table grows, so they are made
    // to fail on a table with no free slot left.
    struct Call {
        const char* name;
        std::function<HGDIOBJ()> create;
    };
    const std::vector<Call> calls = {
        {"CreateDIBSection32", [] { return CreateDIBSection32(300, 200); }},
        {"CreateBitmap with bits",
         [] {
             static const std::uint8_t bits[4] = {0xF0, 0, 0x0F, 0};
             return CreateBitmap(12, 2, 1, 1, bits);
         }},
        {"CreateCompatibleBitmap", [&] { return CreateCompatibleBitmap(canvas.dc(), 40, 30); }},
        {"CreatePen", [] { return CreatePen(PS_SOLID, 3, 0); }},
        {"CreateSolidBrush", [] { return CreateSolidBrush(0); }},
        {"CreateFontIndirectA",
         [] {
             LOGFONTA logfont;
             logfont.lfHeight = -13;
             return CreateFontIndirectA(&logfont);
         }},
        {"CreateCompatibleDC", [] { return CreateCompatibleDC(0); }},
        {"CreateHalftonePalette", [] { return CreateHalftonePalette(0); }},
    };
    std::vector<HBRUSH> filler;
    for (const Call& call : calls) {
        const char* name = call.name;
        const auto& create = call.create;
        // Take every free slot: the first creation that allocates is the one that finds none.
        while (true) {
            failing_countdown = 0;
            failure_injected = false;
            const HBRUSH brush = CreateSolidBrush(0);
            failing_countdown = -1;
            if (brush) filler.push_back(brush);
            if (failure_injected) break;
        }
        const LiveObjects before = CountLiveObjects();
        HGDIOBJ created = 0;
        const int failures = FailEachAllocationInTurn(
            name, [&] { return (created = create()) != 0; },
            [&] {
                if (created && failure_injected)
                    ADD_FAILURE() << name << " returned a handle after a failed allocation";
                if (created) DeleteAnyObject(created);
                created = 0;
                EXPECT_EQ(CountLiveObjects(), before) << name;
            });
        EXPECT_GT(failures, 0) << name << " allocates";
    }
    for (HBRUSH brush : filler) DeleteObject(brush);
}

TEST(AllocationFailure, WindowsAreNotCreatedOrResizedWhenTheirSurfaceCannotBeHad) {
    const int windows = LiveWindowCount();
    HWND created = 0;
    FailEachAllocationInTurn(
        "CreateWindowSurface", [&] { return (created = CreateWindowSurface(0, 64, 48)) != 0; },
        [&] {
            if (created && failure_injected) ADD_FAILURE() << "a window despite a failed allocation";
            if (created) DestroyWindowSurface(created);
            EXPECT_EQ(LiveWindowCount(), windows);
        });
    const HWND window = CreateWindowSurface(0, 8, 6, RGB(0, 0, 200));
    bool resized = false;
    FailEachAllocationInTurn(
        "SetWindowClientSize", [&] { return resized = SetWindowClientSize(window, 80, 60); },
        [&] {
            RECT client;
            ASSERT_TRUE(GetClientRect(window, &client));
            if (resized) {
                SetWindowClientSize(window, 8, 6);
            } else {
                EXPECT_EQ(client.right, 8) << "a failed resize keeps the old size";
            }
            const HDC dc = GetDC(window);
            EXPECT_EQ(GetPixel(dc, 7, 5), RGB(0, 0, 200)) << "and the old pixels";
            ReleaseDC(window, dc);
        });
    DestroyWindowSurface(window);
}

// Lines and blits are recorded and written out later: a write-out that fails must leave the
// record as it was, so the next read finds every line, in order.
TEST(AllocationFailure, AFailedWriteOutKeepsTheRecordedDrawing) {
    const auto draw = [](Canvas& c) {
        // Runs drawn right to left (their colours are turned round on the way out): copies of a
        // steep segment, then columns.
        for (int k = 0; k < 40; ++k) {
            c.Pen(RGB(k * 6, 255 - k * 6, k));
            MoveToEx(c.dc(), 60 - k, 0, nullptr);
            LineTo(c.dc(), 20 - k, 50);
        }
        for (int k = 0; k < 40; ++k) {
            c.Pen(RGB(k, k * 6, 255 - k * 6));
            MoveToEx(c.dc(), 50 - k, 10, nullptr);
            LineTo(c.dc(), 50 - k, 30);
        }
        c.HollowBrush();
        for (int k = 0; k < 10; ++k) {
            c.Pen(RGB(k * 20, 0, 0));
            Rectangle(c.dc(), k, k, 64 - k, 50 - k);  // nested outlines
        }
    };
    // The reference is drawn with lines written at once, so no write-out has sized the working
    // lists before the one that is made to fail.
    Canvas reference(64, 50, kBack);
    detail::SetLineDeferral(false);
    draw(reference);
    detail::SetLineDeferral(true);
    std::vector<COLORREF> expected;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 64; ++x) expected.push_back(reference.At(x, y));

    int failures = 0;
    for (int attempt = 0;; ++attempt) {
        Canvas c(64, 50, kBack);
        draw(c);
        failure_injected = false;
        failing_countdown = attempt;
        const COLORREF first = GetPixel(c.dc(), 0, 0);  // writes the record out
        failing_countdown = -1;
        if (!failure_injected) {
            EXPECT_EQ(first, expected[0]);
            break;
        }
        ++failures;
        EXPECT_EQ(first, CLR_INVALID) << "a read whose write-out failed";
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(c.At(x, y), expected[static_cast<std::size_t>(y) * 64 + x])
                    << "after failing allocation " << attempt << " at " << x << "," << y;
    }
    EXPECT_GT(failures, 0);
}

TEST(AllocationFailure, DrawingCallsFailByValue) {
    Canvas src(40, 30, RGB(0, 200, 0)), dst(40, 30, kBack);
    LOGFONTA logfont;
    logfont.lfHeight = -23;  // a size no other test opens, so its face is opened inside the call
    const HFONT font = CreateFontIndirectA(&logfont);
    const HGDIOBJ old_font = SelectObject(src.dc(), font);
    const std::string png = (std::filesystem::temp_directory_path() / "orvelle_allocation_failure.png").string();
    int png_width = 0, png_height = 0;
    std::vector<std::uint32_t> png_pixels;
    const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
        {"StretchBlt halftone",
         [&] {
             SetStretchBltMode(dst.dc(), HALFTONE);
             return StretchBlt(dst.dc(), 0, 0, 13, 9, src.dc(), 0, 0, 40, 30, SRCCOPY);
         }},
        {"BitBlt within one bitmap", [&] { return BitBlt(dst.dc(), 3, 3, 20, 20, dst.dc(), 0, 0, SRCCOPY); }},
        {"TextOutA", [&] { return TextOutA(dst.dc(), 2, 2, "Allocation", 10); }},
        {"DrawTextA",
         [&] {
             RECT r{0, 0, 40, 30};
             return DrawTextA(dst.dc(), "word wrapped text", -1, &r, DT_WORDBREAK) > 0;
         }},
        {"GetTextMetricsA",
         [&] {
             TEXTMETRICA metrics;
             return GetTextMetricsA(src.dc(), &metrics);
         }},
        {"WriteDcPng", [&] { return WriteDcPng(src.dc(), png); }},
        {"ReadPng", [&] { return ReadPng(png, &png_width, &png_height, &png_pixels); }},
    };
    const LiveObjects before = CountLiveObjects();
    for (const auto& entry : calls) FailEachAllocationInTurn(entry.first, entry.second);
    EXPECT_EQ(CountLiveObjects(), before);
    EXPECT_EQ(png_pixels.at(0), 0xFF00C800u) << "the file of the last write, read whole";
    std::filesystem::remove(png);
    SelectObject(src.dc(), old_font);
    DeleteObject(font);
}

}  // namespace
}  // namespace ov::gdi
