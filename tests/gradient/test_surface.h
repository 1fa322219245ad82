#pragma once
// A test stand-in for a picture surface: a window of the drawing layer exposing "hWnd" and
// "hDC" by name, as a picture box does, with a hollow brush selected like the library's
// picture boxes. It can be told to fail reading "hDC" with a given error number, and it
// records whether the window's updates were locked when "hDC" was read.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/runtime/dispatch.h"

namespace ov::gradient::testing {

inline constexpr gdi::COLORREF kSentinel = 0x00FF00;  // bright green: no ramp here passes through it

class TestSurface : public IDispatch {
public:
    TestSurface(int width, int height, gdi::COLORREF background = kSentinel);
    ~TestSurface() override;

    std::string TypeName() const override { return "PictureBox"; }
    std::int32_t GetIDOfName(std::string_view name) const override;
    Variant Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;

    gdi::HWND hwnd() const { return window_; }
    gdi::HDC hdc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The colour of a surface pixel as 0x00BBGGRR, read from the window's bitmap directly.
    gdi::COLORREF Pixel(int x, int y) const;
    // Every pixel, row-major, as 0x00BBGGRR.
    std::vector<gdi::COLORREF> Frame() const;
    int CountPixels(gdi::COLORREF colour) const;

    void FailDcReadWith(std::int32_t number) { dc_error_ = number; }
    bool locked_when_dc_read() const { return locked_when_dc_read_; }
    int dc_reads() const { return dc_reads_; }

private:
    gdi::HWND window_ = 0;
    gdi::HDC dc_ = 0;
    int width_ = 0, height_ = 0;
    std::int32_t dc_error_ = 0;
    bool locked_when_dc_read_ = false;
    int dc_reads_ = 0;
};

// An object with neither "hWnd" nor "hDC".
class NotASurface : public IDispatch {
public:
    std::string TypeName() const override { return "Collection"; }
    std::int32_t GetIDOfName(std::string_view) const override { return kDispidUnknown; }
    Variant Invoke(std::int32_t, InvokeKind, std::vector<Variant>&) override;
};

// Grey level of a pixel whose three channels must be equal; -1 when they are not.
int Grey(gdi::COLORREF colour);

}  // namespace ov::gradient::testing
