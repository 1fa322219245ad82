#include "platform/gdi/internal/bitmap.h"

#include <sys/mman.h>

#include <algorithm>

#include "platform/gdi/internal/call_guard.h"
#include "platform/gdi/internal/objects.h"
#include "platform/gdi/internal/pending_lines.h"
#include "platform/gdi/internal/pending_rings.h"
#include "platform/gdi/internal/raster.h"
#include "platform/limits.h"

namespace ov::gdi::detail {

void Bitmap::PrepareForAccess() {
    if (in_blit_chain) RunBlitChain();
    WriteOutLines();
}

void Bitmap::WriteOutLines() {
    if (kept.armed) {
        kept.armed = false;
        kept.taken = true;
        kept.width = width;
        kept.height = height;
        kept.pixels = pixels;
    }
    // Rings first: writing a record of them that is not made of whole rings may record lines.
    if (!rings.empty()) WriteOutPendingRings(*this);
    if (!pending.empty()) WriteOutPendingLines(*this);
}

void Bitmap::KeepFrameBeforeChange() {
    PrepareForAccess();
    kept.armed = true;
    kept.taken = false;
}

void Bitmap::ReleaseKeptFrame() {
    kept.armed = false;
    kept.taken = false;
    kept.pixels.clear();
}

std::vector<std::uint32_t> Bitmap::PixelWords() const {
    assert(!NeedsPreparation());
    if (!is_mono()) return pixels;
    std::vector<std::uint32_t> words(mono_pixels.size());
    std::transform(mono_pixels.begin(), mono_pixels.end(), words.begin(), MonoWord);
    return words;
}

namespace {

// Colour stores of deleted bitmaps, kept for the next bitmap of about their size. A repaint
// makes and deletes scratch bitmaps of the surface's size every time, and memory that large
// comes fresh from the system, page fault by page fault, each time it is allocated; a kept
// store is already in place. Only large stores are kept (the allocator reuses small ones
// itself), at most a few and a bounded total.
class RetiredStores {
public:
    static constexpr std::size_t kSmallestBytes = std::size_t{256} << 10;
    static constexpr std::size_t kMostStores = 8;
    static constexpr std::size_t kMostBytes = std::size_t{64} << 20;

    void Retire(std::vector<std::uint32_t>&& pixels) {
        const std::size_t bytes = pixels.capacity() * sizeof(std::uint32_t);
        if (bytes < kSmallestBytes || bytes > kMostBytes) return;
        while (!stores_.empty() && (stores_.size() >= kMostStores || bytes_ + bytes > kMostBytes)) Drop(0);
        bytes_ += bytes;
        stores_.push_back(std::move(pixels));
        sizes_.push_back(bytes);
    }
    // Hands over the smallest kept store holding `count` words, at most twice that size.
    bool Take(std::vector<std::uint32_t>& into, std::size_t count) {
        std::size_t best = stores_.size();
        for (std::size_t i = 0; i < stores_.size(); ++i) {
            const std::size_t capacity = stores_[i].capacity();
            if (capacity >= count && capacity / 2 <= count &&
                (best == stores_.size() || capacity < stores_[best].capacity()))
                best = i;
        }
        if (best == stores_.size()) return false;
        std::vector<std::uint32_t> taken = std::move(stores_[best]);
        Drop(best);
        into.swap(taken);
        return true;
    }
    std::size_t bytes() const { return bytes_; }

private:
    void Drop(std::size_t index) {
        bytes_ -= sizes_[index];
        stores_.erase(stores_.begin() + static_cast<std::ptrdiff_t>(index));
        sizes_.erase(sizes_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    std::vector<std::vector<std::uint32_t>> stores_;
    std::vector<std::size_t> sizes_;  // the bytes each store was kept with
    std::size_t bytes_ = 0;
};

RetiredStores& Retired() {
    static RetiredStores stores;
    return stores;
}

bool TakeRetired(std::vector<std::uint32_t>& pixels, std::size_t count) {
    return pixels.capacity() < count && count * sizeof(std::uint32_t) >= RetiredStores::kSmallestBytes &&
           Retired().Take(pixels, count);
}
bool TakeRetired(std::vector<std::uint8_t>&, std::size_t) { return false; }

template <typename T>
void AllocateHinted(std::vector<T>& pixels, std::size_t count, T value) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (TakeRetired(pixels, count)) {
        pixels.assign(count, value);
        return;
    }
    pixels.clear();
    pixels.reserve(count);
    const std::size_t bytes = count * sizeof(T);
    if (bytes >= 2 * kHugePage) {
        // The hint must come before the first touch, which faults the pages in.
        const auto begin = reinterpret_cast<std::uintptr_t>(pixels.data());
        const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
        if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
    pixels.assign(count, value);
}

}  // namespace

void AllocatePixels(std::vector<std::uint32_t>& pixels, std::size_t count, std::uint32_t value) {
    AllocateHinted(pixels, count, value);
}

void AllocatePixels(std::vector<std::uint8_t>& pixels, std::size_t count, std::uint8_t value) {
    AllocateHinted(pixels, count, value);
}

void RetireStore(Bitmap& bitmap) {
    Retired().Retire(std::move(bitmap.pixels));
    bitmap.pixels = {};
}

std::size_t RetiredStoreBytes() { return Retired().bytes(); }

void AllocateStore(Bitmap& bitmap, std::uint32_t value) {
    const std::size_t count = static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height);
    if (bitmap.is_mono()) {
        AllocatePixels(bitmap.mono_pixels, count, StoredAs<std::uint8_t>(value));
        std::vector<std::uint32_t>().swap(bitmap.pixels);
    } else {
        AllocatePixels(bitmap.pixels, count, value);
        std::vector<std::uint8_t>().swap(bitmap.mono_pixels);
    }
}

}  // namespace ov::gdi::detail

namespace ov::gdi {

using namespace detail;

namespace {

// Sizes past the surface limits (and empty or negative ones) fail as an allocation that size
// would, before anything is allocated.
HBITMAP NewBitmap(int width, int height, int bits_per_pixel) {
    if (width <= 0 || height <= 0 || !limits::SurfaceSizeAllowed(width, height)) return 0;
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bits_per_pixel = bits_per_pixel;
    AllocateStore(bitmap);
    return CreateObject(std::move(bitmap));
}

// The part of `rect` that lies inside the bitmap (empty when none does), for calls whose
// caller's buffer covers the whole rect. Widths are taken in 64 bits: a rect may span the
// whole coordinate range.
struct BitsArea {
    PixelRect inside;
    std::int64_t stride = 0;  // words per row of the caller's buffer
    std::int64_t left = 0, top = 0;

    std::size_t Offset(int x, int y) const { return static_cast<std::size_t>((y - top) * stride + (x - left)); }
};

bool AreaOf(const Bitmap& bitmap, const RECT& rect, BitsArea* area) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return false;
    area->stride = std::int64_t{rect.right} - rect.left;
    area->left = rect.left;
    area->top = rect.top;
    area->inside = PixelRect{rect.left, rect.top, rect.right, rect.bottom}.intersected(BoundsOf(bitmap));
    return !area->inside.empty();
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC dc_handle, int width, int height) {
    return Guarded<HBITMAP>(0, [&] {
        DeviceContext* dc = LookupDc(dc_handle);
        if (!dc) return HBITMAP{0};
        const Bitmap* current = [&] {
            const UntrackedBitmapAccess read;
            return BitmapForRecording(dc->bitmap);  // the format only
        }();
        return NewBitmap(width, height, current ? current->bits_per_pixel : 32);
    });
}

HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bits_per_pixel, const void* bits) {
    if (planes != 1 || (bits_per_pixel != 1 && bits_per_pixel != 32)) return 0;
    return Guarded<HBITMAP>(0, [&] {
        const HBITMAP handle = NewBitmap(width, height, static_cast<int>(bits_per_pixel));
        if (!handle || !bits) return handle;
        Bitmap* bitmap = BitmapForPixels(handle);
        if (bits_per_pixel == 32) {
            // Rows of 32-bit BGRA bytes, i.e. 0xAARRGGBB words: pixel words once the top byte goes.
            const auto* words = static_cast<const std::uint32_t*>(bits);
            for (std::size_t i = 0; i < bitmap->pixels.size(); ++i) bitmap->pixels[i] = words[i] & 0x00FFFFFFu;
        } else {
            // Rows of packed bits, most significant bit first, each row padded to 16 bits.
            const auto* bytes = static_cast<const std::uint8_t*>(bits);
            const std::size_t stride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* source = bytes + static_cast<std::size_t>(y) * stride;
                std::uint8_t* row = bitmap->mono_row(y);
                for (int x = 0; x < width; ++x) row[x] = (source[x / 8] >> (7 - x % 8)) & 1 ? kMonoByteWhite : 0u;
            }
        }
        return handle;
    });
}

HBITMAP CreateDIBSection32(int width, int height) {
    return Guarded<HBITMAP>(0, [&] { return NewBitmap(width, height, 32); });
}

bool GetBitmapSize(HBITMAP handle, SIZE* out) {
    const UntrackedBitmapAccess read;
    const Bitmap* bitmap = BitmapForRecording(handle);  // the size only
    if (!bitmap || !out) return false;
    *out = SIZE{bitmap->width, bitmap->height};
    return true;
}

int GetBitmapBitsPerPixel(HBITMAP handle) {
    const UntrackedBitmapAccess read;
    const Bitmap* bitmap = BitmapForRecording(handle);  // the format only
    return bitmap ? bitmap->bits_per_pixel : 0;
}

int GetBitmapBits32(HBITMAP handle, const RECT* rect, std::uint32_t* bits) {
    if (!rect || !bits) return 0;
    return Guarded(0, [&] {
        const UntrackedBitmapAccess read;
        const Bitmap* bitmap = BitmapForPixels(handle);
        BitsArea area;
        if (!bitmap || !AreaOf(*bitmap, *rect, &area)) return 0;
        const PixelRect& r = area.inside;
        bitmap->VisitFormat([&](auto tag) {
            for (int y = r.top; y < r.bottom; ++y) {
                const auto* row = bitmap->row_of<decltype(tag)>(y);
                std::uint32_t* out = bits + area.Offset(r.left, y);
                if constexpr (sizeof(tag) == 1) std::transform(row + r.left, row + r.right, out, MonoWord);
                else std::copy(row + r.left, row + r.right, out);
            }
        });
        return r.height();
    });
}

int SetBitmapBits32(HBITMAP handle, const RECT* rect, const std::uint32_t* bits) {
    if (!rect || !bits) return 0;
    return Guarded(0, [&] {
        Bitmap* bitmap = [&] {
            const UntrackedBitmapAccess noted_below;
            return BitmapForPixels(handle);
        }();
        BitsArea area;
        if (!bitmap || !AreaOf(*bitmap, *rect, &area)) return 0;
        const PixelRect& r = area.inside;
        bitmap->damage.Note(RECT{r.left, r.top, r.right, r.bottom});
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* in = bits + area.Offset(r.left, y);
            if (bitmap->is_mono()) {
                std::uint8_t* row = bitmap->mono_row(y);
                std::transform(in, in + r.width(), row + r.left, [](std::uint32_t word) {
                    return StoredAs<std::uint8_t>(MonoFromColor(ColorFromPixelWord(word)));
                });
            } else {
                std::uint32_t* row = bitmap->row(y);
                std::transform(in, in + r.width(), row + r.left, [](std::uint32_t word) { return word & 0x00FFFFFFu; });
            }
        }
        return r.height();
    });
}

bool FillBitmapRect(HBITMAP handle, const RECT* rect, COLORREF colour) {
    if (!rect) return false;
    return Guarded(false, [&] {
        Bitmap* bitmap = BitmapForPixels(handle);
        if (!bitmap) return false;
        const PixelRect area =
            PixelRect{rect->left, rect->top, rect->right, rect->bottom}.intersected(BoundsOf(*bitmap));
        if (!area.empty()) FillRectPixels(*bitmap, area, bitmap->StoredPixel(colour & 0x00FFFFFFu));
        return true;
    });
}

}  // namespace ov::gdi
