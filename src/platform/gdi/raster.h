#pragma once
// Shared pieces of the rasterizer: half-open pixel rectangles, the pixel kernels every
// primitive writes through, and the ternary raster operations.
//
// Inside the drawing layer every rectangle is half-open (right and bottom exclusive); the
// platform calls convert once at their boundary. Both bitmap formats store one 32-bit word per
// pixel (a mono pixel is 0 or 0x00FFFFFF), so one kernel table serves both; the format only
// matters where a colour enters a bitmap (Bitmap::StoredPixel) or crosses formats in a blit.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/objects.h"

namespace ov::gdi::detail {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    PixelRect intersected(const PixelRect& o) const {
        return PixelRect{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline PixelRect BoundsOf(const Bitmap& bitmap) { return PixelRect{0, 0, bitmap.width, bitmap.height}; }

// The span [origin, origin + extent) for a positive extent; for a negative one the platform's
// blits cover (origin + extent, origin], i.e. [origin + extent + 1, origin + 1).
struct Span {
    int start, end;  // half-open
};
inline Span SpanOfExtent(int origin, int extent) {
    if (extent >= 0) return Span{origin, origin + extent};
    return Span{origin + extent + 1, origin + 1};
}

// --- kernels ---------------------------------------------------------------------------------

// Pixels already in the bitmap's stored form. Callers clip; kernels never check bounds.
inline void FillSpan(Bitmap& bitmap, int y, int x0, int x1, std::uint32_t pixel) {
    std::fill(bitmap.row(y) + x0, bitmap.row(y) + x1, pixel);
}
inline void FillRectPixels(Bitmap& bitmap, const PixelRect& r, std::uint32_t pixel) {
    for (int y = r.top; y < r.bottom; ++y) FillSpan(bitmap, y, r.left, r.right, pixel);
}

// One row of a ternary raster operation: dst[i] = f(pattern, src[i], dst[i]) bitwise, where
// f's truth table is the operation index (bits 16-23 of the code). `src` may be null when the
// operation does not read the source. Results keep the stored pixels' top byte clear.
using RopRowKernel = void (*)(std::uint32_t* dst, const std::uint32_t* src, std::uint32_t pattern, int count);
RopRowKernel RopKernel(std::uint8_t rop_index);

constexpr std::uint8_t RopIndex(std::uint32_t rop) { return static_cast<std::uint8_t>(rop >> 16); }
// Whether the operation's result depends on the source, the pattern or the destination.
constexpr bool RopUsesSource(std::uint8_t r) { return ((r >> 2) ^ r) & 0x33; }
constexpr bool RopUsesPattern(std::uint8_t r) { return ((r >> 4) ^ r) & 0x0F; }
constexpr bool RopUsesDestination(std::uint8_t r) { return ((r >> 1) ^ r) & 0x55; }

// A source pixel as the destination sees it.
// * colour -> mono: a pixel exactly equal to the source DC's background colour becomes white
//   (1), every other pixel black (0); the text colour plays no part.
// * mono -> colour: 0 takes the destination DC's text colour, 1 its background colour.
// * same format: unchanged (mono -> mono ignores both DCs' colours).
struct SourceConversion {
    enum class Kind { None, ColourToMono, MonoToColour } kind = Kind::None;
    std::uint32_t key = 0;              // colour -> mono
    std::uint32_t zero = 0, one = 0;    // mono -> colour

    std::uint32_t operator()(std::uint32_t p) const {
        switch (kind) {
            case Kind::ColourToMono: return (p & 0x00FFFFFFu) == key ? kMonoWhite : 0u;
            case Kind::MonoToColour: return p ? one : zero;
            case Kind::None: break;
        }
        return p;
    }
};

// A row kernel that converts each source pixel on the way in, so a blit between formats is one
// pass over the row. Only the operations blits use most have one (nullptr for the rest, which
// convert into a row buffer first and then run the plain kernel).
using ConvertingRopRowKernel = void (*)(std::uint32_t* dst, const std::uint32_t* src, std::uint32_t pattern, int count,
                                        const SourceConversion& convert);
ConvertingRopRowKernel ConvertingRopKernel(std::uint8_t rop_index, SourceConversion::Kind kind);

// The operation evaluated bit by bit from its truth table: the slow, obviously-correct form the
// kernels are tested against.
std::uint32_t RopReference(std::uint8_t rop_index, std::uint32_t pattern, std::uint32_t source, std::uint32_t destination);

}  // namespace ov::gdi::detail
