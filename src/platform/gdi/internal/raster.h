#pragma once
// Shared pieces of the rasterizer: half-open pixel rectangles, the pixel kernels every
// primitive writes through, and the ternary raster operations.
//
// Inside the drawing layer every rectangle is half-open (right and bottom exclusive); the
// platform calls convert once at their boundary. Kernels exist per stored type: 32-bit words
// for colour bitmaps, bytes (0x00 or 0xFF) for mono ones (see pixel_format.h). Pixels reach them as
// 32-bit stored values and are narrowed with StoredAs; the format otherwise matters only where a
// colour enters a bitmap (Bitmap::StoredPixel) or crosses formats in a blit.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/objects.h"

namespace ov::gdi::detail {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    PixelRect intersected(const PixelRect& o) const {
        return PixelRect{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
                         std::min(bottom, o.bottom)};
    }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline PixelRect BoundsOf(const Bitmap& bitmap) { return PixelRect{0, 0, bitmap.width, bitmap.height}; }

// Spans are worked out in 64 bits and clamped to the int range: the arguments may be any ints,
// and clamping never moves an end that lies inside a bitmap.
struct Span {
    int start, end;  // half-open
};
inline Span ClampedSpan(std::int64_t start, std::int64_t end) {
    auto clamp = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); };
    return Span{clamp(start), clamp(end)};
}
// The span [origin, origin + extent) for a positive extent; for a negative one the platform's
// blits cover (origin + extent, origin], i.e. [origin + extent + 1, origin + 1).
inline Span SpanOfExtent(int origin, int extent) {
    const std::int64_t o = origin, e = extent;
    return e >= 0 ? ClampedSpan(o, o + e) : ClampedSpan(o + e + 1, o + 1);
}
// From `start` to `end` with the end excluded; an inverted pair covers (end, start] as a
// negative extent does.
inline Span SpanBetween(int start, int end) {
    const std::int64_t s = start, e = end;
    return e >= s ? ClampedSpan(s, e) : ClampedSpan(e + 1, s + 1);
}

// --- kernels ---------------------------------------------------------------------------------

// Pixels already in the bitmap's stored form (32-bit, narrowed here for a mono bitmap). Callers
// clip; kernels never check bounds.
template <typename T>
inline void FillRowPixels(T* row, int x0, int x1, std::uint32_t pixel) {
    std::fill(row + x0, row + x1, StoredAs<T>(pixel));
}
inline void FillSpan(Bitmap& bitmap, int y, int x0, int x1, std::uint32_t pixel) {
    bitmap.VisitFormat([&](auto tag) { FillRowPixels(bitmap.row_of<decltype(tag)>(y), x0, x1, pixel); });
}
inline void FillRectPixels(Bitmap& bitmap, const PixelRect& r, std::uint32_t pixel) {
    bitmap.VisitFormat([&](auto tag) {
        for (int y = r.top; y < r.bottom; ++y) FillRowPixels(bitmap.row_of<decltype(tag)>(y), r.left, r.right, pixel);
    });
}

// One row of a ternary raster operation: dst[i] = f(pattern, src[i], dst[i]) bitwise, where
// f's truth table is the operation index (bits 16-23 of the code). `src` may be null when the
// operation does not read the source. The pattern is a 32-bit stored value of the
// destination's format. Results keep the stored words' top byte clear; on mono bytes that are
// each 0x00 or 0xFF every result is again 0x00 or 0xFF, the low byte of the 32-bit result.
template <typename T>
using RopRowKernelOf = void (*)(T* dst, const T* src, std::uint32_t pattern, int count);
using RopRowKernel = RopRowKernelOf<std::uint32_t>;
using MonoRopRowKernel = RopRowKernelOf<std::uint8_t>;
RopRowKernel RopKernel(std::uint8_t rop_index);
MonoRopRowKernel MonoRopKernel(std::uint8_t rop_index);
template <typename T>
RopRowKernelOf<T> RopKernelFor(std::uint8_t rop_index) {
    if constexpr (sizeof(T) == 1) return MonoRopKernel(rop_index);
    else return RopKernel(rop_index);
}

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
    std::uint32_t key = 0;            // colour -> mono
    std::uint32_t zero = 0, one = 0;  // mono -> colour

    // On 32-bit stored values of either format (mono: 0 or kMonoWhite).
    std::uint32_t operator()(std::uint32_t p) const {
        switch (kind) {
            case Kind::ColourToMono: return (p & 0x00FFFFFFu) == key ? kMonoWhite : 0u;
            case Kind::MonoToColour: return p ? one : zero;
            case Kind::None: break;
        }
        return p;
    }
    // From a colour word to a mono byte, and from a mono byte to a colour word.
    std::uint8_t ToMono(std::uint32_t p) const { return (p & 0x00FFFFFFu) == key ? kMonoByteWhite : 0u; }
    std::uint32_t ToColour(std::uint8_t b) const { return b ? one : zero; }
};

// A row kernel that converts each source pixel on the way in, so a blit between formats is one
// pass over the row: colour words into a mono row, or mono bytes into a colour row. Only the
// operations blits use most have one (nullptr for the rest, which convert into a row buffer
// first and then run the plain kernel).
using ColourToMonoRopRowKernel = void (*)(std::uint8_t* dst, const std::uint32_t* src, std::uint32_t pattern, int count,
                                          const SourceConversion& convert);
using MonoToColourRopRowKernel = void (*)(std::uint32_t* dst, const std::uint8_t* src, std::uint32_t pattern, int count,
                                          const SourceConversion& convert);
ColourToMonoRopRowKernel ColourToMonoRopKernel(std::uint8_t rop_index);
MonoToColourRopRowKernel MonoToColourRopKernel(std::uint8_t rop_index);
// Test hook: with AVX2 not allowed, the lookups above return the baseline kernels even where
// the processor has AVX2, so a test can compare both.
void SetAvx2ConvertingKernels(bool allowed);

// The operation evaluated bit by bit from its truth table: the slow, obviously-correct form the
// kernels are tested against.
std::uint32_t RopReference(std::uint8_t rop_index, std::uint32_t pattern, std::uint32_t source,
                           std::uint32_t destination);

}  // namespace ov::gdi::detail
