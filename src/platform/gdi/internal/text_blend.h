#pragma once
// Coverage blending of glyph rows onto 32-bit pixels: an SSE2 span kernel and the plain
// per-pixel reference it must match exactly (tests compare them on random input).
#include <cstddef>
#include <cstdint>

#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

// Mixes `source` (0x00RRGGBB) over `destination` with coverage a in 0..255, per channel
// round(source * a / 255 + destination * (255 - a) / 255) computed as one rounded division:
// (x + 128 + ((x + 128) >> 8)) >> 8 is x / 255 rounded to nearest for x up to 255 * 255.
inline std::uint32_t BlendPixel(std::uint32_t source, std::uint32_t destination, std::uint32_t a) {
    const std::uint32_t inv = 255 - a;
    std::uint32_t rb = (source & 0x00FF00FFu) * a + (destination & 0x00FF00FFu) * inv + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t g = ((source >> 8) & 0xFFu) * a + ((destination >> 8) & 0xFFu) * inv + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return rb | (g << 8);
}

// The reference: one pixel at a time, untouched where coverage is 0.
void BlendSpanReference(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source);
// The same result, eight or four pixels at a time as the processor allows.
void BlendSpan(std::uint32_t* pixels, const std::uint8_t* coverage, int count, std::uint32_t source);
// BlendSpan on `height` rows of `width` pixels: row y at pixels + y * stride with its coverage
// at coverage + y * pitch.
void BlendRect(std::uint32_t* pixels, std::size_t stride, const std::uint8_t* coverage, std::size_t pitch, int width,
               int height, std::uint32_t source);

}  // namespace ov::gdi::detail
