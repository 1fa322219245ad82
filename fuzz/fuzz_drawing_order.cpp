// Random sequences of drawing calls on a colour and a monochrome bitmap, run twice from the
// same input: once as the drawing layer normally works (lines, outlines and row-aligned blits
// recorded and carried out on the next access) and once with everything done at once. Every
// read must see the same value, both runs must end with the same pixels, and every object a run
// creates must be gone when it ends. Coordinates are mostly near the bitmaps and now and then far
// outside them, so clipping, the records of lines and blits and the wide-pen strokes are reached.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/pending_lines.h"

namespace {

using namespace ov::gdi;

constexpr int kWidth = 23, kHeight = 17;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Mostly a little around [0, extent), sometimes very far out on either side.
    int Coord(int extent) {
        const std::uint8_t b = Byte();
        if (b >= 248) return (b & 1 ? 1 : -1) * (30000 + Byte() * 100);
        return static_cast<int>(b % (extent + 16)) - 8;
    }
    COLORREF Colour() {
        static constexpr COLORREF kColours[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0x808080, 0x7F7F7F, 0x123456};
        const std::uint8_t b = Byte();
        return b < 224 ? kColours[b % 7] : static_cast<COLORREF>(Byte() * 0x010203);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Selects a pen (and optionally a brush) for one call and deletes them afterwards.
class Tools {
public:
    Tools(HDC dc, Input& in, bool with_brush) : dc_(dc) {
        const std::uint8_t width = in.Byte();
        pen_ = CreatePen(width % 5 == 4 ? PS_NULL : PS_SOLID, width < 200 ? 1 : width % 7, in.Colour());
        old_pen_ = SelectObject(dc, pen_);
        if (with_brush) {
            brush_ = CreateSolidBrush(in.Colour());
            old_brush_ = SelectObject(dc, in.Byte() % 2 ? brush_ : GetStockObject(NULL_BRUSH));
        }
    }
    ~Tools() {
        SelectObject(dc_, old_pen_);
        DeleteObject(pen_);
        if (brush_) {
            SelectObject(dc_, old_brush_);
            DeleteObject(brush_);
        }
    }

private:
    HDC dc_;
    HPEN pen_ = 0;
    HBRUSH brush_ = 0;
    HGDIOBJ old_pen_ = 0, old_brush_ = 0;
};

struct Outcome {
    std::vector<COLORREF> reads;
    std::vector<COLORREF> pixels;
};

Outcome Run(const std::uint8_t* data, std::size_t size) {
    Outcome out;
    Input in(data, size);
    HDC dcs[2] = {CreateCompatibleDC(0), CreateCompatibleDC(0)};
    HBITMAP bitmaps[2] = {CreateDIBSection32(kWidth, kHeight), CreateBitmap(kWidth, kHeight, 1, 1, nullptr)};
    HGDIOBJ old[2] = {SelectObject(dcs[0], bitmaps[0]), SelectObject(dcs[1], bitmaps[1])};
    for (int steps = 0; in.more() && steps < 200; ++steps) {
        const std::uint8_t op = in.Byte();
        HDC dc = dcs[op >> 7], other = dcs[(op >> 6) & 1];
        switch (op % 11) {
            case 0: {
                Tools tools(dc, in, false);
                MoveToEx(dc, in.Coord(kWidth), in.Coord(kHeight), nullptr);
                LineTo(dc, in.Coord(kWidth), in.Coord(kHeight));
                break;
            }
            case 1: {  // a sweep of parallel lines one column apart, as gradients draw them
                const int x = in.Coord(kWidth), y0 = in.Coord(kHeight), dx = in.Coord(kWidth), y1 = in.Coord(kHeight);
                const int count = in.Byte() % 24;
                for (int k = 0; k < count; ++k) {
                    Tools tools(dc, in, false);
                    MoveToEx(dc, x + k, y0, nullptr);
                    LineTo(dc, x + k + dx, y1);
                }
                break;
            }
            case 2: {
                Tools tools(dc, in, true);
                Rectangle(dc, in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight));
                break;
            }
            case 3: {  // nested outlines, as a rectangular gradient draws them
                const int l = in.Coord(kWidth), t = in.Coord(kHeight), r = in.Coord(kWidth), b = in.Coord(kHeight);
                const int count = in.Byte() % 16;
                for (int k = 0; k < count; ++k) {
                    Tools tools(dc, in, false);
                    Rectangle(dc, l + k, t + k, r - k, b - k);
                }
                break;
            }
            case 4: {
                Tools tools(dc, in, true);
                Ellipse(dc, in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight));
                break;
            }
            case 5: {
                HBRUSH brush = CreateSolidBrush(in.Colour());
                const RECT r{in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight)};
                FillRect(dc, &r, brush);
                DeleteObject(brush);
                break;
            }
            case 6: SetPixelV(dc, in.Coord(kWidth), in.Coord(kHeight), in.Colour()); break;
            case 7: out.reads.push_back(GetPixel(dc, in.Coord(kWidth), in.Coord(kHeight))); break;
            case 8: {
                SetBkColor(other, in.Colour());
                SetTextColor(dc, in.Colour());
                const std::uint32_t rop = static_cast<std::uint32_t>(in.Byte()) << 16;
                // Mostly row-aligned (source row = destination row), the blits that are recorded.
                const int y = in.Coord(kHeight), src_y = in.Byte() % 4 ? y : in.Coord(kHeight);
                BitBlt(dc, in.Coord(kWidth), y, in.Coord(kWidth), in.Coord(kHeight), other, in.Coord(kWidth), src_y,
                       rop);
                break;
            }
            case 9: {
                SetStretchBltMode(dc, 1 + in.Byte() % 4);
                StretchBlt(dc, in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight), other,
                           in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight), 0x00CC0020);
                break;
            }
            default: {
                HBRUSH brush = CreateSolidBrush(in.Colour());
                HGDIOBJ old_brush = SelectObject(dc, brush);
                PatBlt(dc, in.Coord(kWidth), in.Coord(kHeight), in.Coord(kWidth), in.Coord(kHeight),
                       static_cast<std::uint32_t>(in.Byte()) << 16);
                SelectObject(dc, old_brush);
                DeleteObject(brush);
                break;
            }
        }
    }
    for (HDC dc : dcs)
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) out.pixels.push_back(GetPixel(dc, x, y));
    for (int k = 0; k < 2; ++k) {
        SelectObject(dcs[k], old[k]);
        DeleteObject(bitmaps[k]);
        DeleteDC(dcs[k]);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LiveObjects before = CountLiveObjects();
    ov::gdi::detail::SetLineDeferral(true);
    const Outcome recorded = Run(data, size);
    ov::gdi::detail::SetLineDeferral(false);
    const Outcome direct = Run(data, size);
    ov::gdi::detail::SetLineDeferral(true);
    if (recorded.reads != direct.reads || recorded.pixels != direct.pixels) __builtin_trap();
    if (!(CountLiveObjects() == before)) __builtin_trap();
    return 0;
}
