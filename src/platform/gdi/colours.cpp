// System colours, colour translation and the integer arithmetic helpers of the interface.
#include <array>
#include <cmath>
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"

namespace ov::gdi {
namespace {

// The classic colour scheme, indices 0..30.
constexpr std::array<COLORREF, kSysColorCount> kClassicScheme = {
    RGB(192, 192, 192),  //  0 scroll bar
    RGB(0, 128, 128),    //  1 desktop
    RGB(0, 0, 128),      //  2 active caption
    RGB(128, 128, 128),  //  3 inactive caption
    RGB(192, 192, 192),  //  4 menu
    RGB(255, 255, 255),  //  5 window background
    RGB(0, 0, 0),        //  6 window frame
    RGB(0, 0, 0),        //  7 menu text
    RGB(0, 0, 0),        //  8 window text
    RGB(255, 255, 255),  //  9 caption text
    RGB(192, 192, 192),  // 10 active border
    RGB(192, 192, 192),  // 11 inactive border
    RGB(128, 128, 128),  // 12 application workspace
    RGB(0, 0, 128),      // 13 highlight
    RGB(255, 255, 255),  // 14 highlighted text
    RGB(192, 192, 192),  // 15 button face
    RGB(128, 128, 128),  // 16 button shadow
    RGB(128, 128, 128),  // 17 grey text
    RGB(0, 0, 0),        // 18 button text
    RGB(192, 192, 192),  // 19 inactive caption text
    RGB(255, 255, 255),  // 20 3-D highlight
    RGB(0, 0, 0),        // 21 3-D dark shadow
    RGB(192, 192, 192),  // 22 3-D light
    RGB(0, 0, 0),        // 23 info text
    RGB(255, 255, 225),  // 24 info background
    RGB(192, 192, 192),  // 25 (unused slot in the classic scheme)
    RGB(0, 0, 255),      // 26 hot-tracked item
    RGB(16, 132, 208),   // 27 active caption gradient
    RGB(181, 181, 181),  // 28 inactive caption gradient
    RGB(0, 0, 128),      // 29 menu highlight
    RGB(192, 192, 192),  // 30 menu bar
};

std::array<COLORREF, kSysColorCount>& Scheme() {
    static std::array<COLORREF, kSysColorCount> scheme = kClassicScheme;
    return scheme;
}

}  // namespace

ScreenSettings& Screen() {
    static ScreenSettings settings;
    return settings;
}

void SetSysColorEntry(int index, COLORREF colour) {
    if (index >= 0 && index < kSysColorCount) Scheme()[static_cast<std::size_t>(index)] = colour & 0x00FFFFFFu;
}

void ResetSysColors() { Scheme() = kClassicScheme; }

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount) return 0;
    return Scheme()[static_cast<std::size_t>(index)];
}

HRESULT OleTranslateColor(std::uint32_t colour, HPALETTE, COLORREF* out) {
    const std::uint32_t high = colour >> 24;
    if (high == 0x00) {
        if (out) *out = colour;
        return S_OK;
    }
    if (high == 0x80) {
        const std::uint32_t index = colour & 0x00FFFFFFu;
        if (index >= static_cast<std::uint32_t>(kSysColorCount)) return E_INVALIDARG;
        if (out) *out = GetSysColor(static_cast<int>(index));
        return S_OK;
    }
    return E_INVALIDARG;
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    // Round half away from zero: add half the divisor in the direction of the result's sign.
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (product < 0 ? -product : product);
    const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
    const std::int64_t quotient = (magnitude + divisor / 2) / divisor;
    const std::int64_t result = negative ? -quotient : quotient;
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

}  // namespace ov::gdi
