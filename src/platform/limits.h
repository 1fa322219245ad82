#pragma once
// The sizes and depths the library accepts from its callers and its input files. Every check
// against one of these reads it from here, so the README's table of limits and the code agree.
// What exceeding each gives is stated beside it; nothing past a limit is ever allocated.
#include <cstddef>
#include <cstdint>

namespace ov::limits {

// Drawing surfaces (bitmaps, windows, picture boxes, composed forms), in pixels. Creating a
// larger surface fails as the platform's creation calls fail (a null handle); controls, forms
// and the shell turn that into "Out of memory" (7).
inline constexpr int kMaxSurfaceSide = 32767;
inline constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 26;  // 8192 x 8192, 256 MiB

inline constexpr bool SurfaceSizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 0 && height >= 0 && width <= kMaxSurfaceSide && height <= kMaxSurfaceSide &&
           width * height <= kMaxSurfacePixels;
}

// Ellipses whose bounding box is wider or taller than this, in pixels, fail (Ellipse returns
// false and draws nothing) when they are drawn with a one-pixel pen or filled: the outline walk
// takes a step per pixel of the box and its 64-bit error terms grow with the cube of the box's
// size. (A wide pen's ring alone is worked out exactly for any box.) The largest ring a
// gradient draws on the largest surface is about 93,000 pixels across.
inline constexpr std::int64_t kMaxEllipseExtent = std::int64_t{1} << 19;

// Positions converted to pixels (twips, scale units) saturate at this magnitude, so sums and
// differences of converted positions never overflow an int; a place that far off the form is
// never drawn.
inline constexpr int kMaxPixelCoordinate = 1'000'000'000;

// Pictures decoded from files and memory: the same pixel cap, checked against the header before
// any allocation, and a header whose pixels cannot fit in the file is refused too. A refused
// picture is "Invalid picture" (481).
inline constexpr std::int64_t kMaxPicturePixels = kMaxSurfacePixels;

inline constexpr bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && SurfaceSizeAllowed(width, height) && width * height <= kMaxPicturePixels;
}

// A picture file is read into memory whole, so one larger than the largest picture the pixel cap
// allows is refused (481) before it is read: 8 bytes a pixel (a 16-bit RGBA PNG stored without
// compression) and room for its framing.
inline constexpr std::int64_t kMaxPictureFileBytes = 9 * kMaxPicturePixels;

// PNG chunks other than the image data that the decoder keeps (palette, transparency) are read
// whole; libpng refuses one longer than this. Text, colour profiles and unknown chunks are
// skipped unread.
inline constexpr std::size_t kMaxPictureChunkBytes = std::size_t{1} << 22;

// Rendered glyphs are cached for every font together up to this many bytes; past it the glyphs
// used longest ago are dropped and rendered again when next drawn, so text at any number of
// sizes keeps within it. (The largest glyph, of a 2,000-pixel font turned 45 degrees, is about
// 8 MiB, so the budget always holds several.)
inline constexpr std::size_t kMaxGlyphCacheBytes = std::size_t{64} << 20;

// Structured input (forms, property bags, drawing-call manifests): nesting deeper than this is
// refused as "Invalid file format" (321) before it can exhaust the stack.
inline constexpr int kMaxJsonDepth = 64;

// Shell statements: nested calls and parentheses deeper than this are a syntax error, and a
// single line longer than this is refused before it is parsed.
inline constexpr int kMaxExpressionDepth = 256;
inline constexpr std::size_t kMaxStatementBytes = std::size_t{1} << 20;

}  // namespace ov::limits
