#pragma once
// A memory DC over a 32-bit bitmap for pixel tests, released on destruction, with helpers to
// read pixels back and to draw small scenes as text.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi::testing {

class Canvas {
public:
    Canvas(int width, int height, COLORREF background = 0xFFFFFF, bool mono = false)
        : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(0);
        bitmap_ = mono ? CreateBitmap(width, height, 1, 1, nullptr) : CreateDIBSection32(width, height);
        original_ = SelectObject(dc_, bitmap_);
        Fill(background);
    }
    ~Canvas() {
        SelectObject(dc_, original_);
        SelectObject(dc_, GetStockObject(BLACK_PEN));
        SelectObject(dc_, GetStockObject(WHITE_BRUSH));
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        for (HGDIOBJ o : owned_) DeleteObject(o);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    void Fill(COLORREF colour) {
        const RECT all{0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    void Pen(COLORREF colour, int style = PS_SOLID, int width = 1) { Select(CreatePen(style, width, colour), true); }
    void Brush(COLORREF colour) { Select(CreateSolidBrush(colour), true); }
    void HollowBrush() { Select(GetStockObject(NULL_BRUSH), false); }

    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

    // Rows of characters: `mark` where the pixel equals `colour`, '.' elsewhere.
    std::string Art(COLORREF colour, char mark = '#') const {
        std::string out;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) out += At(x, y) == colour ? mark : '.';
            out += '\n';
        }
        return out;
    }
    int Count(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += At(x, y) == colour;
        return n;
    }
    // Bounding box (half-open) of the pixels of one colour; empty (left >= right) when none.
    RECT BoundsOf(COLORREF colour) const {
        RECT box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == colour) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box;
    }

private:
    // Selects `object`; objects the canvas created and no longer holds are deleted right away
    // (DeleteObject refuses the ones still selected).
    void Select(HGDIOBJ object, bool owned) {
        SelectObject(dc_, object);
        std::vector<HGDIOBJ> still;
        for (HGDIOBJ o : owned_)
            if (!DeleteObject(o)) still.push_back(o);
        owned_ = std::move(still);
        if (owned) owned_.push_back(object);
    }

    int width_, height_;
    HDC dc_ = 0;
    HBITMAP bitmap_ = 0;
    HGDIOBJ original_ = 0;
    std::vector<HGDIOBJ> owned_;
};

// Joins rows given as separate strings with newlines (for art comparisons).
inline std::string Rows(std::initializer_list<const char*> rows) {
    std::string out;
    for (const char* r : rows) (out += r) += '\n';
    return out;
}

}  // namespace ov::gdi::testing
