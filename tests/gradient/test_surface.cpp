#include "test_surface.h"

#include "platform/gdi/gdi.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"

namespace ov::gradient::testing {
namespace {
constexpr std::int32_t kDispidHwnd = 1;
constexpr std::int32_t kDispidHdc = 2;
}  // namespace

TestSurface::TestSurface(int width, int height, gdi::COLORREF background) : width_(width), height_(height) {
    window_ = gdi::CreateWindowSurface(0, width, height, background);
    dc_ = gdi::GetDC(window_);
    gdi::SelectObject(dc_, gdi::GetStockObject(gdi::HOLLOW_BRUSH));
}

TestSurface::~TestSurface() {
    gdi::ReleaseDC(window_, dc_);
    gdi::DestroyWindowSurface(window_);
}

std::int32_t TestSurface::GetIDOfName(std::string_view name) const {
    if (name == "hWnd" || name == "hwnd" || name == "HWND") return kDispidHwnd;
    if (name == "hDC" || name == "hdc" || name == "HDC") return kDispidHdc;
    return kDispidUnknown;
}

Variant TestSurface::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>&) {
    if (kind != InvokeKind::PropertyGet && kind != InvokeKind::Method)
        throw AutomationError(error::kObjectDoesntSupport);
    if (dispid == kDispidHwnd) return Variant::FromLong(static_cast<std::int32_t>(window_));
    if (dispid == kDispidHdc) {
        ++dc_reads_;
        locked_when_dc_read_ = gdi::GetLockedWindow() == window_;
        if (dc_error_) throw AutomationError(dc_error_, "Surface has no device context", "TestSurface");
        return Variant::FromLong(static_cast<std::int32_t>(dc_));
    }
    throw AutomationError(error::kObjectDoesntSupport);
}

gdi::COLORREF TestSurface::Pixel(int x, int y) const {
    std::uint32_t word = 0;
    const gdi::RECT one{x, y, x + 1, y + 1};
    if (gdi::GetBitmapBits32(gdi::GetWindowSurfaceBitmap(window_), &one, &word) != 1) return gdi::CLR_INVALID;
    return gdi::ColorFromPixelWord(word);
}

std::vector<gdi::COLORREF> TestSurface::Frame() const {
    std::vector<gdi::COLORREF> frame(static_cast<std::size_t>(width_) * height_);
    const gdi::RECT all{0, 0, width_, height_};
    gdi::GetBitmapBits32(gdi::GetWindowSurfaceBitmap(window_), &all, frame.data());
    for (gdi::COLORREF& c : frame) c = gdi::ColorFromPixelWord(c);
    return frame;
}

int TestSurface::CountPixels(gdi::COLORREF colour) const {
    int count = 0;
    for (gdi::COLORREF c : Frame()) count += c == colour;
    return count;
}

Variant NotASurface::Invoke(std::int32_t, InvokeKind, std::vector<Variant>&) {
    throw AutomationError(error::kObjectDoesntSupport);
}

int Grey(gdi::COLORREF colour) {
    const int r = gdi::GetRValue(colour), g = gdi::GetGValue(colour), b = gdi::GetBValue(colour);
    return (r == g && g == b) ? r : -1;
}

}  // namespace ov::gradient::testing
