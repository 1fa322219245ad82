#pragma once
// A bitmap's pixels and the drawing recorded on it but not yet carried out.
//
// Three kinds of drawing are recorded rather than written at once: lines and outlines (the
// pending lines, written out a band of rows at a time, see pending_lines.h), the ellipse
// outlines of nested rings (the pending rings, see pending_rings.h) and row-aligned blits (run
// together with the other recorded blits, see RunBlitChain). A bitmap never holds two of them at
// once: recording one first carries out the others recorded on the bitmap, so each record only
// ever comes after everything else drawn on it. A locked window's surface also holds a kept frame: what the window goes on presenting.
//
// The pixels are the bitmap's content only once it is prepared (PrepareForAccess). The
// non-const row accessors prepare it themselves, so code that draws through them always sees
// its own earlier drawing; the const ones require a prepared bitmap (BitmapForPixels gives
// one) and never change anything.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/internal/damage_log.h"
#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/line_record.h"
#include "platform/gdi/internal/pixel_format.h"
#include "platform/gdi/internal/ring_record.h"

namespace ov::gdi::detail {

struct Bitmap {
    int width = 0;
    int height = 0;
    int bits_per_pixel = 32;                // 32 or 1
    std::vector<std::uint32_t> pixels;      // colour: width * height words; empty for mono
    std::vector<std::uint8_t> mono_pixels;  // mono: width * height bytes; empty for colour
    bool owned_by_window = false;           // a window's surface: selectable into many window DCs
    PendingLines pending;
    PendingRings rings;

    // What a locked window goes on presenting. `armed` while the copy is still to be taken;
    // `taken` once `pixels` holds it. Only window surfaces, which are always colour, keep frames.
    struct KeptFrame {
        bool armed = false;
        bool taken = false;
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
    };
    KeptFrame kept;
    // Set while a recorded blit reads or writes this bitmap (see RunBlitChain).
    bool in_blit_chain = false;
    // Where the pixels may have changed, noted when the change is made or recorded.
    DamageLog damage;

    bool is_mono() const { return bits_per_pixel == 1; }
    bool NeedsPreparation() const { return !pending.empty() || !rings.empty() || kept.armed || in_blit_chain; }

    // Row y of a colour bitmap.
    std::uint32_t* row(int y) {
        assert(!is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    const std::uint32_t* row(int y) const {
        assert(!is_mono() && !NeedsPreparation());
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    // Row y of a mono bitmap.
    std::uint8_t* mono_row(int y) {
        assert(is_mono());
        if (NeedsPreparation()) PrepareForAccess();
        return mono_pixels.data() + static_cast<std::size_t>(y) * width;
    }
    const std::uint8_t* mono_row(int y) const {
        assert(is_mono() && !NeedsPreparation());
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
    std::uint32_t PixelAt(int x, int y) { return is_mono() ? MonoWord(mono_row(y)[x]) : row(y)[x]; }
    void SetPixelAt(int x, int y, std::uint32_t stored) {
        if (is_mono()) mono_row(y)[x] = StoredAs<std::uint8_t>(stored);
        else row(y)[x] = stored;
    }
    // The stored pixel for a solid colour written into this bitmap.
    std::uint32_t StoredPixel(COLORREF c) const { return is_mono() ? MonoFromColor(c) : PixelWordFromColor(c); }
    // The whole content as pixel words, row-major (export, capture, comparison). Prepared only.
    std::vector<std::uint32_t> PixelWords() const;

    // Carries out everything recorded: runs the recorded blits if this bitmap takes part in
    // them, then WriteOutLines.
    void PrepareForAccess();
    // Takes the kept frame if one is armed (the pixels still hold what was there when it was
    // armed, since lines recorded since then are only pending), then writes out the pending
    // rings and lines; recorded blits stay recorded. Taking the copy only here spares a full-surface copy
    // for every update lock under which nothing but lines is drawn.
    void WriteOutLines();
    // Arms the kept frame on the content as it is now (everything recorded carried out first).
    void KeepFrameBeforeChange();
    // Drops the kept frame (its memory stays for the next lock).
    void ReleaseKeptFrame();
};

// Runs the blits recorded since the last run, in recording order, a band of rows at a time for
// all of them (blit.cpp). A sequence of full-surface blits between a few bitmaps (the
// transparent blit's five) then keeps each band of every bitmap in the cache from one blit to
// the next, instead of streaming every bitmap through memory once per blit. Only blits that read
// each source row into the destination row of the same index are recorded, so running them band
// by band gives every pixel the same values as running them one after the other.
void RunBlitChain();

// Sizes `pixels` to `count` words of `value`. Large surfaces are backed by transparent huge
// pages where the system offers them on request: a column walk (a vertical line) touches one
// row per pixel, and with 4 KiB pages every one of those rows is a TLB miss.
void AllocatePixels(std::vector<std::uint32_t>& pixels, std::size_t count, std::uint32_t value);
void AllocatePixels(std::vector<std::uint8_t>& pixels, std::size_t count, std::uint8_t value);
// Sizes the store of the bitmap's format (set width, height and bits_per_pixel first) to its
// width * height pixels, all `value` (a stored value), and empties the other store.
void AllocateStore(Bitmap& bitmap, std::uint32_t value = 0);
// A bitmap being deleted hands its colour store over for a later bitmap of about its size
// (AllocatePixels takes it): large stores only, a few and at most 64 MiB in all.
void RetireStore(Bitmap& bitmap);
// What the kept stores hold, in bytes.
std::size_t RetiredStoreBytes();

}  // namespace ov::gdi::detail
