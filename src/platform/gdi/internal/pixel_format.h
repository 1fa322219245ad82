#pragma once
// How bitmaps store pixels. A colour bitmap stores each pixel as a 32-bit pixel word
// (0x00RRGGBB, see gdi.h), a 1-bit (mono) bitmap as one byte, 0x00 black or 0xFF white; both
// top-down and row-major. Code outside the kernels passes pixels around as 32-bit stored values
// whatever the format: a mono pixel is then 0 or kMonoWhite (0x00FFFFFF), whose low byte is
// exactly its stored byte, so a solid pixel enters a mono row by truncation (StoredAs) and every
// bitwise raster operation gives the same black or white on bytes as on words. Kernels are
// templated on the stored type (std::uint32_t or std::uint8_t) and picked once per call through
// Bitmap::VisitFormat.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

constexpr std::uint32_t kMonoWhite = 0x00FFFFFFu;
constexpr std::uint8_t kMonoByteWhite = 0xFFu;

// A 32-bit stored value in a row of T: itself for colour, its low byte for mono (0 or 0xFF).
template <typename T>
constexpr T StoredAs(std::uint32_t pixel) {
    return static_cast<T>(pixel);
}
// A mono byte as a 32-bit stored value.
constexpr std::uint32_t MonoWord(std::uint8_t b) { return b ? kMonoWhite : 0u; }

// A solid colour written into a mono bitmap goes to the nearer of black and white (by the sum
// of the channels: 0x808080 is white, 0x7F7F7F black).
constexpr std::uint32_t MonoFromColor(COLORREF c) {
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) >= 384 ? kMonoWhite : 0u;
}

}  // namespace ov::gdi::detail
