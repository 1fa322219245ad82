#pragma once
// The object model behind the handles: one table of pens, brushes, fonts, bitmaps, palettes,
// icons and device contexts. Handles carry their kind in the top bits and a generation so a
// deleted handle, or one reused for a new object, is recognised as invalid.
//
// A colour bitmap stores each pixel as a 32-bit 0x00RRGGBB word, a 1-bit (mono) bitmap as one
// byte, 0x00 black or 0xFF white; both top-down and row-major. Code outside the kernels passes
// pixels around as 32-bit stored values whatever the format: a mono pixel is then 0 or
// kMonoWhite (0x00FFFFFF), whose low byte is exactly its stored byte, so a solid pixel enters a
// mono row by truncation (StoredAs) and every bitwise raster operation gives the same black or
// white on bytes as on words. Kernels are templated on the stored type (std::uint32_t or
// std::uint8_t) and picked once per call through Bitmap::VisitFormat.
#include <cassert>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

enum class ObjectKind : std::uint8_t { None = 0, Dc = 1, Bitmap = 2, Pen = 3, Brush = 4, Font = 5, Palette = 6, Icon = 7 };

// Live (created and not yet deleted) objects per kind, stock objects excluded. Tests compare a
// snapshot before and after a routine: every object it creates must be gone.
struct LiveObjects {
    int dcs = 0, bitmaps = 0, pens = 0, brushes = 0, fonts = 0, palettes = 0, icons = 0;
    int total() const { return dcs + bitmaps + pens + brushes + fonts + palettes + icons; }
    friend bool operator==(const LiveObjects&, const LiveObjects&) = default;
};
LiveObjects CountLiveObjects();

namespace detail {

constexpr std::uint32_t kMonoWhite = 0x00FFFFFFu;
constexpr std::uint8_t kMonoByteWhite = 0xFFu;

// A 32-bit stored value in a row of T: itself for colour, its low byte for mono (0 or 0xFF).
template <typename T>
constexpr T StoredAs(std::uint32_t pixel) {
    return static_cast<T>(pixel);
}
// A mono byte as a 32-bit stored value.
constexpr std::uint32_t MonoWord(std::uint8_t b) { return b ? kMonoWhite : 0u; }

// COLORREF (0x00BBGGRR) <-> stored pixel (0x00RRGGBB).
constexpr std::uint32_t PixelFromColor(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorFromPixel(std::uint32_t p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
// A solid colour written into a mono bitmap goes to the nearer of black and white (by the sum
// of the channels: 0x808080 is white, 0x7F7F7F black).
constexpr std::uint32_t MonoFromColor(COLORREF c) {
    return (GetRValue(c) + GetGValue(c) + GetBValue(c)) >= 384 ? kMonoWhite : 0u;
}

// Line segments drawn but not yet written (see Bitmap). A line that is not horizontal writes one
// pixel per row, each in a new cache line; recorded and written out a band of rows at a time,
// neighbouring lines share those cache lines instead. Neighbouring vertical columns with the
// same rows form one run, written as one row-major copy per row; so do neighbouring copies of one
// steep segment (a gradient's parallel lines).
struct PendingLines {
    struct Item {
        enum class Kind : std::uint8_t { ColumnRun, RowSpan, Segment, SegmentRun, FrameRun } kind = Kind::ColumnRun;
        // ColumnRun: columns x, x + step, ... (step +1 or -1; 0 while count is 1), rows
        // [top, bottom) already clipped, colours[first, first + count) one per column.
        // RowSpan: row top, columns [x, x1), in `pixel`.
        // Segment: the line rule's walk from (x, top) to (x1, bottom), steps [first_step,
        // last_step) inside the bitmap, in `pixel`.
        // SegmentRun: copies of the segment (x, top) -> (x1, bottom), copy k moved k * step
        // columns (step +1 or -1), each painting its pixels inside the bitmap in
        // colours[first + k]. Only segments with one pixel per row form runs, so the copies
        // never share a pixel and each row is one contiguous stretch of colours.
        // FrameRun: rectangle outlines nested one pixel apart, outline k on the box
        // [x + k, x1 - k) x [top + k, bottom - k) in colours[first + k], all inside the bitmap
        // and each at least 3 x 3. The outlines never share a pixel, so a row is a stretch of
        // left edges, one outline's top or bottom edge, and the mirrored stretch of right edges.
        int x = 0, step = 0, top = 0, bottom = 0, x1 = 0;
        std::uint32_t first = 0, count = 0;
        std::uint32_t pixel = 0;
        std::int64_t first_step = 0, last_step = 0;
    };
    std::vector<Item> items;             // in drawing order
    std::vector<std::uint32_t> colours;  // the column runs' pixels, one per column

    bool empty() const { return items.empty(); }
};

// Pending lines are part of the bitmap's content: row(), mono_row() and every lookup
// (LookupBitmap, TargetBitmap) write them out first, so only the line rasterizer's append path
// sees them. Code that indexes `pixels` or `mono_pixels` directly must have looked the bitmap
// up since its last line.
struct Bitmap {
    int width = 0;
    int height = 0;
    int bits_per_pixel = 32;        // 32 or 1
    std::vector<std::uint32_t> pixels;      // colour: width * height words; empty for mono
    std::vector<std::uint8_t> mono_pixels;  // mono: width * height bytes; empty for colour
    bool owned_by_window = false;   // a window's surface: selectable into many window DCs
    PendingLines pending;

    bool is_mono() const { return bits_per_pixel == 1; }
    // What a locked window goes on presenting (see PrepareForAccess). `armed` while the copy is
    // still to be taken; `taken` once `pixels` holds it. Only window surfaces, which are always
    // colour, keep frames.
    struct KeptFrame {
        bool armed = false;
        bool taken = false;
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
    };
    KeptFrame kept;
    // Set while a recorded blit reads or writes this bitmap (see RunBlitChain): the recorded
    // blits run before anything else reads or changes the pixels.
    bool in_blit_chain = false;
    bool NeedsPreparation() const { return !pending.empty() || kept.armed || in_blit_chain; }

    // Row y of a colour bitmap.
    std::uint32_t* row(int y) {
        assert(!is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    const std::uint32_t* row(int y) const {
        assert(!is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    // Row y of a mono bitmap.
    std::uint8_t* mono_row(int y) {
        assert(is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return mono_pixels.data() + static_cast<std::size_t>(y) * width;
    }
    const std::uint8_t* mono_row(int y) const {
        assert(is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return mono_pixels.data() + static_cast<std::size_t>(y) * width;
    }
    // Row y in the stored type T of the bitmap's format.
    template <typename T>
    T* row_of(int y) {
        if constexpr (sizeof(T) == 1) return mono_row(y);
        else return row(y);
    }
    template <typename T>
    const T* row_of(int y) const {
        if constexpr (sizeof(T) == 1) return mono_row(y);
        else return row(y);
    }
    // Calls f with a value of the stored type (std::uint32_t{} or std::uint8_t{}), so a generic
    // lambda is instantiated once per format and chosen here once per call.
    template <typename F>
    decltype(auto) VisitFormat(F&& f) const {
        if (is_mono()) return f(std::uint8_t{});
        return f(std::uint32_t{});
    }
    // One pixel as a 32-bit stored value (mono: 0 or kMonoWhite), and its write. For single
    // pixels and slow paths; row loops go through row_of.
    std::uint32_t PixelAt(int x, int y) const { return is_mono() ? MonoWord(mono_row(y)[x]) : row(y)[x]; }
    void SetPixelAt(int x, int y, std::uint32_t stored) {
        if (is_mono()) mono_row(y)[x] = StoredAs<std::uint8_t>(stored);
        else row(y)[x] = stored;
    }
    // The whole content as 32-bit stored values, row-major (export, capture, comparison).
    std::vector<std::uint32_t> PixelWords() const;
    // Before the pixels are read or changed: runs the recorded blits if this bitmap takes part
    // in them, then PrepareKeepingChain.
    void PrepareForAccess() const;
    // Takes the kept frame if one is armed (the pixels still hold what was there when it was
    // armed, since lines recorded since then are only pending), then writes out the pending
    // lines. Taking the copy only here spares a full-surface copy for every update lock under
    // which nothing but lines is drawn. Recorded blits stay recorded: for recording another.
    void PrepareKeepingChain() const;
    // Writes the pending lines, each pixel in drawing order (later lines win where they
    // overlap). Const because it changes how the content is held, not the content.
    void FlushPendingLines() const;
    // Arms the kept frame; the pending lines are written out first, so the frame is the
    // content as it is now.
    void KeepFrameBeforeChange();
    // Drops the kept frame (its memory stays for the next lock).
    void ReleaseKeptFrame();
    // The stored pixel for a solid colour written into this bitmap.
    std::uint32_t StoredPixel(COLORREF c) const { return is_mono() ? MonoFromColor(c) : PixelFromColor(c); }
};

// Sizes `pixels` to `count` words of `value`. Large surfaces are backed by transparent huge
// pages where the system offers them on request: a column walk (a vertical line) touches one
// row per pixel, and with 4 KiB pages every one of those rows is a TLB miss.
void AllocatePixels(std::vector<std::uint32_t>& pixels, std::size_t count, std::uint32_t value);
void AllocatePixels(std::vector<std::uint8_t>& pixels, std::size_t count, std::uint8_t value);
// Sizes the store of the bitmap's format (set width, height and bits_per_pixel first) to its
// width * height pixels, all black, and empties the other store.
void AllocateStore(Bitmap& bitmap);

struct Pen {
    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;
};

struct Brush {
    bool hollow = false;
    COLORREF colour = 0;
};

class FontInstance;  // the rasterising side of a font, created on first use (text.cpp)

struct Font {
    LOGFONTA logfont;
    std::shared_ptr<FontInstance> instance;  // resolved face at a pixel size, shared by equal fonts
};

struct Palette {
    int entries = 256;
};

struct Icon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;  // 0xAARRGGBB, alpha 0 is transparent
    // The pixel a pointer made from this image points with: the centre for an icon, the
    // given point for a cursor.
    POINT hot_spot{};
};

struct DeviceContext {
    HBITMAP bitmap = 0;
    HPEN pen = 0;
    HBRUSH brush = 0;
    HFONT font = 0;
    HPALETTE palette = 0;
    COLORREF text_colour = 0x000000;
    COLORREF bk_colour = 0xFFFFFF;
    int bk_mode = OPAQUE;
    int stretch_mode = BLACKONWHITE;
    POINT position{};
    HWND window = 0;  // set for DCs from GetDC
};

using ObjectData = std::variant<std::monostate, DeviceContext, Bitmap, Pen, Brush, Font, Palette, Icon>;

ObjectKind KindOfHandle(HGDIOBJ handle);

// Typed lookups: nullptr for 0, a deleted handle, or a handle of another kind.
DeviceContext* LookupDc(HDC handle);
Bitmap* LookupBitmap(HBITMAP handle);
Pen* LookupPen(HPEN handle);
Brush* LookupBrush(HBRUSH handle);
Font* LookupFont(HFONT handle);
Palette* LookupPalette(HPALETTE handle);
Icon* LookupIcon(HICON handle);

// The bitmap a DC draws on (nullptr when the handle is invalid).
Bitmap* TargetBitmap(HDC handle);
// Runs the blits recorded since the last run, in recording order, a band of rows at a time for
// all of them (blit.cpp). A sequence of full-surface blits between a few bitmaps (the
// transparent blit's five) then keeps each band of every bitmap in the cache from one blit to
// the next, instead of streaming every bitmap through memory once per blit. Only blits that read
// each source row into the destination row of the same index are recorded, so running them band
// by band gives every pixel the same values as running them one after the other.
void RunBlitChain();
// LookupBitmap for recording a blit: prepared as PrepareKeepingChain does.
Bitmap* LookupBitmapKeepingChain(HBITMAP handle);
// The bitmap object as it is, nothing run or written out: for running the recorded blits.
Bitmap* RawBitmap(HBITMAP handle);
// LookupBitmap without preparing the pixels (no pending lines written, no kept frame taken):
// for reading the size, for recording lines, and for presenting a locked window. Its pixels
// are not the bitmap's content unless it is prepared.
Bitmap* PeekBitmap(HBITMAP handle);

// Registers a new object and returns its handle (counted as live unless `stock`).
HGDIOBJ CreateObject(ObjectData data, bool stock = false);
// Removes an object regardless of selection; for internal owners (windows, DeleteDC).
void DestroyObject(HGDIOBJ handle);
bool IsStockObject(HGDIOBJ handle);
// How many DCs hold the object selected; DeleteObject refuses an object held by any.
int SelectionCount(HGDIOBJ handle);
void AdjustSelectionCount(HGDIOBJ handle, int delta);
// A new DC over `bitmap` holding the stock pen, brush and font (window is 0 for memory DCs).
HDC NewDeviceContext(HBITMAP bitmap, HWND window);

// The 1x1 monochrome bitmap every new memory DC starts with (a stock object).
HBITMAP DefaultDcBitmap();

}  // namespace detail
}  // namespace ov::gdi
