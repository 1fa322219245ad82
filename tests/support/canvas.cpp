#include "support/canvas.h"

namespace ov::testing_support {

Canvas::Canvas(int width, int height, gdi::COLORREF background) : width_(width), height_(height) {
    dc_ = gdi::CreateCompatibleDC(0);
    bitmap_ = gdi::CreateDIBSection32(width, height);
    previous_ = gdi::SelectObject(dc_, bitmap_);
    Fill(background);
}

Canvas::~Canvas() {
    gdi::SelectObject(dc_, previous_);
    gdi::DeleteObject(bitmap_);
    gdi::DeleteDC(dc_);
}

void Canvas::Fill(gdi::COLORREF colour) {
    const gdi::HBRUSH brush = gdi::CreateSolidBrush(colour);
    const gdi::RECT all{0, 0, width_, height_};
    gdi::FillRect(dc_, &all, brush);
    gdi::DeleteObject(brush);
}

}  // namespace ov::testing_support
