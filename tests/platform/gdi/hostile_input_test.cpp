// Hostile arguments at the drawing layer's entry points: sizes past the surface limits fail
// before anything is allocated, and coordinates anywhere in the int range clip exactly (these
// tests run under UBSan, so an overflow on the way is a failure too).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/canvas.h"
#include "platform/gdi/internal/ellipse_raster.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/internal/line_raster.h"
#include "platform/gdi/window.h"
#include "platform/limits.h"

namespace ov::gdi {
namespace {

using testing_support::Canvas;

constexpr COLORREF kBack = RGB(255, 255, 255), kInk = RGB(200, 0, 0), kFill = RGB(0, 0, 200);

struct Size {
    int width, height;
};

// Past a side, past the pixel count, negative, empty, and the int extremes.
const Size kRefusedSizes[] = {
    {-1, 10},     {10, -1},       {0, 0},       {0, 5},       {32768, 1},         {1, 32768},
    {8193, 8192}, {32767, 32767}, {INT_MAX, 1}, {1, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX},
};

TEST(HostileSizes, CreationCallsRefuseSurfacesPastTheLimitsAndAllocateNothing) {
    const HDC colour_dc = CreateCompatibleDC(0);
    const HBITMAP colour = CreateDIBSection32(1, 1);
    const HGDIOBJ original = SelectObject(colour_dc, colour);
    const std::pair<const char*, std::function<HBITMAP(int, int)>> calls[] = {
        {"CreateDIBSection32", [](int w, int h) { return CreateDIBSection32(w, h); }},
        {"CreateBitmap 32", [](int w, int h) { return CreateBitmap(w, h, 1, 32, nullptr); }},
        {"CreateBitmap 1", [](int w, int h) { return CreateBitmap(w, h, 1, 1, nullptr); }},
        {"CreateCompatibleBitmap", [&](int w, int h) { return CreateCompatibleBitmap(colour_dc, w, h); }},
        {"CreateIconFromArgb",
         [](int w, int h) {
             const std::uint32_t pixel = 0xFF000000u;  // never read: the size is refused first
             return CreateIconFromArgb(w, h, &pixel);
         }},
    };
    const LiveObjects before = CountLiveObjects();
    for (const auto& [name, create] : calls)
        for (const Size& size : kRefusedSizes)
            EXPECT_EQ(create(size.width, size.height), 0u) << name << " " << size.width << " x " << size.height;
    EXPECT_EQ(CountLiveObjects(), before);
    // The limit itself is accepted.
    const HBITMAP largest = CreateBitmap(8192, 8192, 1, 1, nullptr);
    EXPECT_NE(largest, 0u);
    EXPECT_TRUE(DeleteObject(largest));
    SelectObject(colour_dc, original);
    DeleteObject(colour);
    DeleteDC(colour_dc);
}

TEST(HostileSizes, WindowsRefuseClientAreasPastTheLimitsAndKeepTheirSize) {
    const int windows = LiveWindowCount();
    for (const Size& size : kRefusedSizes) {
        if (size.width == 0 || size.height == 0) continue;  // an empty client area is a real window
        EXPECT_EQ(CreateWindowSurface(0, size.width, size.height), 0u) << size.width << " x " << size.height;
    }
    EXPECT_EQ(LiveWindowCount(), windows);
    const HWND window = CreateWindowSurface(0, 5, 4, kFill);
    ASSERT_NE(window, 0u);
    for (const Size& size : kRefusedSizes) {
        if (size.width == 0 || size.height == 0) continue;
        EXPECT_FALSE(SetWindowClientSize(window, size.width, size.height)) << size.width << " x " << size.height;
    }
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 5);
    EXPECT_EQ(client.bottom, 4);
    const HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 4, 3), kFill);
    ReleaseDC(window, dc);
    EXPECT_TRUE(DestroyWindowSurface(window));
}

TEST(HostileSizes, ADcWhoseBitmapFailedKeepsDrawingOnItsOwnBitmap) {
    Canvas c(4, 4, kBack);
    const HBITMAP refused = CreateDIBSection32(INT_MAX, INT_MAX);
    EXPECT_EQ(SelectObject(c.dc(), refused), 0u);
    c.Pen(kInk);
    MoveToEx(c.dc(), 0, 1, nullptr);
    EXPECT_TRUE(LineTo(c.dc(), 4, 1));
    EXPECT_EQ(c.Count(kInk), 4);
}

// What one drawing call with extreme arguments leaves on a 16 x 12 canvas: `expected` says for
// each pixel whether the call paints it.
struct ExtremeCall {
    const char* what;
    std::function<bool(Canvas&)> call;  // the call's own result
    bool result;
    std::function<bool(int x, int y)> painted;
};

void ExpectCall(const ExtremeCall& k, COLORREF ink) {
    Canvas c(16, 12, kBack);
    c.Pen(ink);
    c.Brush(ink);
    EXPECT_EQ(k.call(c), k.result) << k.what;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(c.At(x, y), k.painted(x, y) ? ink : kBack) << k.what << " at " << x << "," << y;
}

bool FillWithInk(Canvas& c, RECT r) {
    const HBRUSH brush = CreateSolidBrush(kInk);
    const int result = FillRect(c.dc(), &r, brush);
    DeleteObject(brush);
    return result == 1;
}

auto Nothing() {
    return [](int, int) { return false; };
}
auto Everything() {
    return [](int, int) { return true; };
}

TEST(HostileCoordinates, FillsAndPatternBlitsClipSpansOverTheWholeIntRange) {
    const ExtremeCall cases[] = {
        {"FillRect whole range",
         [](Canvas& c) {
             return FillWithInk(c, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
         },
         true, Everything()},
        {"FillRect inverted whole range covers (INT_MIN, INT_MAX]",
         [](Canvas& c) {
             return FillWithInk(c, {INT_MAX, INT_MAX, INT_MIN, INT_MIN});
         },
         true, Everything()},
        {"FillRect empty at INT_MIN",
         [](Canvas& c) {
             return FillWithInk(c, {INT_MIN, 0, INT_MIN, 12});
         },
         true, Nothing()},
        {"FillRect inverted from INT_MAX to 3 covers (3, INT_MAX]",
         [](Canvas& c) {
             return FillWithInk(c, {INT_MAX, 0, 3, 12});
         },
         true, [](int x, int) { return x > 3; }},
        {"PatBlt from INT_MAX, width INT_MAX",
         [](Canvas& c) { return PatBlt(c.dc(), INT_MAX, 0, INT_MAX, 12, PATCOPY); }, true, Nothing()},
        {"PatBlt from INT_MAX, width INT_MIN covers [0, INT_MAX]",
         [](Canvas& c) { return PatBlt(c.dc(), INT_MAX, INT_MAX, INT_MIN, INT_MIN, PATCOPY); }, true, Everything()},
        {"PatBlt from INT_MIN, width INT_MAX ends at -1",
         [](Canvas& c) { return PatBlt(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, PATCOPY); }, true, Nothing()},
        {"PatBlt from -3, width INT_MAX", [](Canvas& c) { return PatBlt(c.dc(), -3, 5, INT_MAX, 2, PATCOPY); }, true,
         [](int, int y) { return y == 5 || y == 6; }},
    };
    for (const ExtremeCall& k : cases) ExpectCall(k, kInk);
}

TEST(HostileCoordinates, RectanglesAndLinesSpanningTheIntRangeClipExactly) {
    const ExtremeCall cases[] = {
        {"Rectangle over the whole range: the brush everywhere, the frame outside",
         [](Canvas& c) { return Rectangle(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX); }, true, Everything()},
        {"Rectangle from the origin to INT_MAX: the top and left edges",
         [](Canvas& c) {
             SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
             return Rectangle(c.dc(), 0, 0, INT_MAX, INT_MAX);
         },
         true, [](int x, int y) { return x == 0 || y == 0; }},
        {"Rectangle band across the range: rows 2 and 4",
         [](Canvas& c) {
             SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
             return Rectangle(c.dc(), INT_MAX, 5, INT_MIN, 2);
         },
         true, [](int, int y) { return y == 2 || y == 4; }},
        {"Rectangle with its right edge at column 3 from INT_MIN",
         [](Canvas& c) {
             SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
             return Rectangle(c.dc(), INT_MIN, INT_MIN, 4, INT_MAX);
         },
         true, [](int x, int) { return x == 3; }},
        {"LineTo along row 7 from INT_MIN to INT_MAX",
         [](Canvas& c) { return MoveToEx(c.dc(), INT_MIN, 7, nullptr) && LineTo(c.dc(), INT_MAX, 7); }, true,
         [](int, int y) { return y == 7; }},
        {"LineTo down column 9 from INT_MAX to INT_MIN",
         [](Canvas& c) { return MoveToEx(c.dc(), 9, INT_MAX, nullptr) && LineTo(c.dc(), 9, INT_MIN); }, true,
         [](int x, int) { return x == 9; }},
        {"LineTo between far corners off the canvas",
         [](Canvas& c) { return MoveToEx(c.dc(), INT_MIN, INT_MAX, nullptr) && LineTo(c.dc(), INT_MIN, INT_MIN); },
         true, Nothing()},
        {"Wide pen of INT_MAX pixels along row 6",
         [](Canvas& c) {
             c.Pen(kInk, PS_SOLID, INT_MAX);
             return MoveToEx(c.dc(), INT_MIN, 6, nullptr) && LineTo(c.dc(), INT_MAX, 6);
         },
         true, Everything()},
    };
    for (const ExtremeCall& k : cases) ExpectCall(k, kInk);
}

TEST(HostileCoordinates, EllipsesPastTheExtentLimitFailAndUpToItMatchTheReference) {
    constexpr int kLimit = static_cast<int>(limits::kMaxEllipseExtent);
    const ExtremeCall refused[] = {
        {"Ellipse over the whole range", [](Canvas& c) { return Ellipse(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX); },
         false, Nothing()},
        {"Ellipse one pixel wider than the limit",
         [](Canvas& c) { return Ellipse(c.dc(), -kLimit / 2, 0, kLimit / 2 + 1, 8); }, false, Nothing()},
        {"Ellipse one pixel taller than the limit",
         [](Canvas& c) { return Ellipse(c.dc(), 0, INT_MAX, 8, INT_MAX - kLimit - 1); }, false, Nothing()},
        {"Wide-pen ellipse past the limit",
         [](Canvas& c) {
             c.Pen(kInk, PS_SOLID, 5);
             return Ellipse(c.dc(), INT_MIN, 0, INT_MAX, 10);
         },
         false, Nothing()},
        {"Ellipse at the limit, the canvas deep inside: the brush everywhere",
         [](Canvas& c) { return Ellipse(c.dc(), -kLimit / 2, -kLimit / 2, kLimit / 2, kLimit / 2); }, true,
         Everything()},
    };
    for (const ExtremeCall& k : refused) ExpectCall(k, kInk);

    // The largest box allowed, placed so its left end and its top crest cross the canvas: the
    // 64-bit error terms at their largest, against the slow reference's outline (the brush
    // spans each row between the outline's extremes).
    struct Box {
        int left, top;
    };
    for (const Box box : {Box{0, -kLimit / 4}, Box{-kLimit / 2 + 8, 3}}) {
        Canvas c(16, 12, kBack);
        c.Pen(kInk);
        c.Brush(kFill);
        ASSERT_TRUE(Ellipse(c.dc(), box.left, box.top, box.left + kLimit, box.top + kLimit / 2));
        std::set<std::pair<int, int>> outline;
        std::vector<std::pair<int, int>> row_extent(12, {INT_MAX, INT_MIN});
        const std::vector<POINT> vertices = detail::EllipseOutlineVertices(kLimit, kLimit / 2);
        const detail::PixelRect everywhere{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            const POINT a = vertices[i], b = vertices[(i + 1) % vertices.size()];
            for (const POINT& p : detail::LineReferencePixels(a.x + box.left, a.y + box.top, b.x + box.left,
                                                              b.y + box.top, everywhere)) {
                if (p.y < 0 || p.y >= 12) continue;
                outline.insert({p.x, p.y});
                row_extent[p.y] = {std::min(row_extent[p.y].first, p.x), std::max(row_extent[p.y].second, p.x)};
            }
        }
        int inked = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool brushed = x >= row_extent[y].first && x <= row_extent[y].second;
                const COLORREF expected = outline.count({x, y}) ? kInk : brushed ? kFill : kBack;
                ASSERT_EQ(c.At(x, y), expected)
                    << "box at " << box.left << "," << box.top << " pixel " << x << "," << y;
                inked += expected == kInk;
            }
        EXPECT_GT(inked, 0) << "the outline crosses the canvas";
    }
}

TEST(HostileCoordinates, PixelsTextIconsAndBlitsFarOutsideTouchNothing) {
    const std::uint32_t opaque = 0xFFFF0000u;
    const HICON icon = CreateIconFromArgb(1, 1, &opaque);
    const ExtremeCall cases[] = {
        {"SetPixelV at INT_MIN", [](Canvas& c) { return SetPixelV(c.dc(), INT_MIN, INT_MIN, kInk); }, false, Nothing()},
        {"SetPixel at INT_MAX", [](Canvas& c) { return SetPixel(c.dc(), INT_MAX, 0, kInk) != CLR_INVALID; }, false,
         Nothing()},
        {"GetPixel at the extremes",
         [](Canvas& c) {
             return GetPixel(c.dc(), INT_MIN, INT_MAX) != CLR_INVALID ||
                    GetPixel(c.dc(), INT_MAX, INT_MIN) != CLR_INVALID;
         },
         false, Nothing()},
        {"DrawIcon at INT_MAX", [&](Canvas& c) { return DrawIcon(c.dc(), INT_MAX, INT_MAX, icon); }, true, Nothing()},
        {"DrawIcon at INT_MIN", [&](Canvas& c) { return DrawIcon(c.dc(), INT_MIN, INT_MIN, icon); }, true, Nothing()},
        {"TextOutA at INT_MAX", [](Canvas& c) { return TextOutA(c.dc(), INT_MAX, INT_MAX, "Wide", 4); }, true,
         Nothing()},
        {"TextOutA at INT_MIN", [](Canvas& c) { return TextOutA(c.dc(), INT_MIN, INT_MIN, "Wide", 4); }, true,
         Nothing()},
        {"BitBlt from source INT_MAX",
         [](Canvas& c) {
             Canvas src(4, 4, kInk);
             return BitBlt(c.dc(), 0, 0, 16, 12, src.dc(), INT_MAX, INT_MAX, SRCCOPY);
         },
         true, Nothing()},
        {"BitBlt to INT_MIN with extent INT_MAX",
         [](Canvas& c) {
             Canvas src(4, 4, kInk);
             return BitBlt(c.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, src.dc(), 0, 0, SRCCOPY);
         },
         true, Nothing()},
        {"StretchBlt of INT_MAX source pixels onto 16 x 12: run 0 holds the whole source",
         [](Canvas& c) {
             Canvas src(4, 4, kInk);
             return StretchBlt(c.dc(), 0, 0, 16, 12, src.dc(), 0, 0, INT_MAX, INT_MAX, SRCCOPY);
         },
         true, [](int x, int y) { return x == 0 && y == 0; }},
        {"StretchBlt with extents INT_MIN",
         [](Canvas& c) {
             Canvas src(4, 4, kInk);
             return StretchBlt(c.dc(), 15, 11, INT_MIN, INT_MIN, src.dc(), 3, 3, INT_MIN, INT_MIN, SRCCOPY);
         },
         true, [](int x, int y) { return x >= 12 && y >= 8; }},
    };
    for (const ExtremeCall& k : cases) ExpectCall(k, kInk);
    DestroyIcon(icon);

    // Text whose rectangle spans the whole range: measured and clamped, never wrapped around.
    Canvas c(16, 12, kBack);
    RECT all{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const int height = DrawTextA(c.dc(), "one\ntwo", -1, &all, DT_CALCRECT);
    EXPECT_GT(height, 0);
    EXPECT_EQ(all.bottom, INT_MIN + height);
    RECT far{INT_MAX - 2, 0, INT_MAX, 12};
    EXPECT_EQ(DrawTextA(c.dc(), "right", -1, &far, DT_RIGHT), height / 2);
    EXPECT_EQ(c.Count(kBack), 16 * 12);
}

TEST(HostileCoordinates, FontHeightsAtTheIntExtremesAreClampedToAPixelSize) {
    for (const int height : {INT_MIN, INT_MAX, INT_MIN + 1}) {
        LOGFONTA logfont;
        logfont.lfHeight = height;
        logfont.lfEscapement = INT_MIN;
        const HFONT font = CreateFontIndirectA(&logfont);
        Canvas c(4, 4, kBack);
        const HGDIOBJ previous = SelectObject(c.dc(), font);
        SIZE extent;
        ASSERT_TRUE(GetTextExtentPoint32A(c.dc(), "x", 1, &extent)) << height;
        EXPECT_GT(extent.cy, 1000) << height;  // the largest pixel size, not a wrapped-around one
        EXPECT_TRUE(TextOutA(c.dc(), 0, 0, "x", 1));
        SelectObject(c.dc(), previous);
        DeleteObject(font);
    }
}

}  // namespace
}  // namespace ov::gdi
