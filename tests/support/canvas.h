#pragma once
// A memory DC over a bitmap (32-bit, or 1-bit for monochrome tests) filled with one colour,
// released on destruction, with helpers to select pens and brushes it owns, to read pixels
// back and to draw small scenes as text.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::testing_support {

class Canvas {
public:
    Canvas(int width, int height, gdi::COLORREF background = 0xFFFFFF, bool mono = false)
        : width_(width), height_(height) {
        dc_ = gdi::CreateCompatibleDC(0);
        bitmap_ = mono ? gdi::CreateBitmap(width, height, 1, 1, nullptr) : gdi::CreateDIBSection32(width, height);
        original_ = gdi::SelectObject(dc_, bitmap_);
        Fill(background);
    }
    ~Canvas() {
        gdi::SelectObject(dc_, original_);
        gdi::SelectObject(dc_, gdi::GetStockObject(gdi::BLACK_PEN));
        gdi::SelectObject(dc_, gdi::GetStockObject(gdi::WHITE_BRUSH));
        gdi::DeleteDC(dc_);
        gdi::DeleteObject(bitmap_);
        for (gdi::HGDIOBJ o : owned_) gdi::DeleteObject(o);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    gdi::HDC dc() const { return dc_; }
    gdi::HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    void Fill(gdi::COLORREF colour) {
        const gdi::RECT all{0, 0, width_, height_};
        gdi::HBRUSH brush = gdi::CreateSolidBrush(colour);
        gdi::FillRect(dc_, &all, brush);
        gdi::DeleteObject(brush);
    }
    void Pen(gdi::COLORREF colour, int style = gdi::PS_SOLID, int width = 1) {
        Select(gdi::CreatePen(style, width, colour), true);
    }
    void Brush(gdi::COLORREF colour) { Select(gdi::CreateSolidBrush(colour), true); }
    void HollowBrush() { Select(gdi::GetStockObject(gdi::NULL_BRUSH), false); }

    gdi::COLORREF At(int x, int y) const { return gdi::GetPixel(dc_, x, y); }

    // Every pixel, row by row.
    std::vector<gdi::COLORREF> Pixels() const {
        std::vector<gdi::COLORREF> out;
        out.reserve(static_cast<std::size_t>(width_) * height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) out.push_back(At(x, y));
        return out;
    }

    // Rows of characters: `mark` where the pixel equals `colour`, '.' elsewhere.
    std::string Art(gdi::COLORREF colour, char mark = '#') const {
        std::string out;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) out += At(x, y) == colour ? mark : '.';
            out += '\n';
        }
        return out;
    }
    int Count(gdi::COLORREF colour) const {
        const std::vector<gdi::COLORREF> all = Pixels();
        return static_cast<int>(std::count(all.begin(), all.end(), colour));
    }
    // Bounding box (half-open) of the pixels of one colour; empty (left >= right) when none.
    gdi::RECT BoundsOf(gdi::COLORREF colour) const {
        gdi::RECT box{width_, height_, 0, 0};
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
    void Select(gdi::HGDIOBJ object, bool owned) {
        gdi::SelectObject(dc_, object);
        std::vector<gdi::HGDIOBJ> still;
        for (gdi::HGDIOBJ o : owned_)
            if (!gdi::DeleteObject(o)) still.push_back(o);
        owned_ = std::move(still);
        if (owned) owned_.push_back(object);
    }

    int width_, height_;
    gdi::HDC dc_ = 0;
    gdi::HBITMAP bitmap_ = 0;
    gdi::HGDIOBJ original_ = 0;
    std::vector<gdi::HGDIOBJ> owned_;
};

// Joins rows given as separate strings with newlines (for art comparisons).
inline std::string Rows(std::initializer_list<const char*> rows) {
    std::string out;
    for (const char* r : rows) (out += r) += '\n';
    return out;
}

}  // namespace ov::testing_support
