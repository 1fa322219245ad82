#pragma once
// A memory DC over a 32-bit bitmap filled with one colour, for painters that draw on a device
// context; both are released on destruction.
#include "platform/gdi/gdi.h"

namespace ov::testing_support {

class Canvas {
public:
    Canvas(int width, int height, gdi::COLORREF background);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    gdi::HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Fill(gdi::COLORREF colour);
    gdi::COLORREF At(int x, int y) const { return gdi::GetPixel(dc_, x, y); }

private:
    int width_, height_;
    gdi::HDC dc_ = 0;
    gdi::HBITMAP bitmap_ = 0;
    gdi::HGDIOBJ previous_ = 0;
};

}  // namespace ov::testing_support
