#include "platform/gdi/internal/objects.h"

#include "platform/gdi/internal/call_guard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "platform/gdi/window.h"

namespace ov::gdi {
namespace detail {
namespace {

// Handle layout: kind in bits 28-30 (bit 31 stays clear so handles print as positive Longs),
// generation in bits 20-27, slot index in bits 0-19. Index 0 is never used, so no valid
// handle is 0.
constexpr int kIndexBits = 20;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;
constexpr std::uint32_t kGenerationMask = 0xFFu;

struct Slot {
    ObjectData data;
    std::uint8_t generation = 0;
    bool stock = false;
    int selections = 0;
};

// Slots live in fixed-size chunks that are never moved or freed while the table lives, so a
// pointer to an object stays valid across the creation of any number of others (a caller may
// hold a bitmap or DC it looked up while it creates pens, brushes or sections). Only deleting
// the object itself ends the pointer's life.
class ObjectTable {
public:
    ObjectTable() { Append(); }  // reserve index 0

    HGDIOBJ Add(ObjectData data, bool stock) {
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (size_ > kIndexMask) return 0;
            // Room for every slot on the free list is made here, before anything changes, so
            // Remove never has to allocate.
            if (free_.capacity() <= size_) free_.reserve(std::max<std::size_t>(2 * free_.capacity(), kChunkSize));
            index = Append();
        }
        Slot& slot = At(index);
        slot.data = std::move(data);
        slot.stock = stock;
        slot.selections = 0;
        const auto kind = static_cast<std::uint32_t>(KindOf(slot.data));
        if (!stock) Count(kind, +1);
        return (kind << 28) | (static_cast<std::uint32_t>(slot.generation) << kIndexBits) | index;
    }

    Slot* Find(HGDIOBJ handle) {
        const std::uint32_t index = handle & kIndexMask;
        if (index == 0 || index >= size_) return nullptr;
        Slot& slot = At(index);
        if (std::holds_alternative<std::monostate>(slot.data)) return nullptr;
        if (((handle >> kIndexBits) & kGenerationMask) != slot.generation) return nullptr;
        if ((handle >> 28) != static_cast<std::uint32_t>(KindOf(slot.data))) return nullptr;
        return &slot;
    }

    void Remove(HGDIOBJ handle) {
        Slot* slot = Find(handle);
        if (!slot) return;
        if (!slot->stock) Count(static_cast<std::uint32_t>(KindOf(slot->data)), -1);
        slot->data = std::monostate{};
        slot->generation = static_cast<std::uint8_t>(slot->generation + 1);
        free_.push_back(handle & kIndexMask);
    }

    const LiveObjects& live() const { return live_; }

    static ObjectKind KindOf(const ObjectData& data) { return static_cast<ObjectKind>(data.index()); }

private:
    static constexpr int kChunkBits = 8;
    static constexpr std::uint32_t kChunkSize = 1u << kChunkBits;
    using Chunk = std::array<Slot, kChunkSize>;

    Slot& At(std::uint32_t index) { return (*chunks_[index >> kChunkBits])[index & (kChunkSize - 1)]; }

    // A new slot at the end; a new chunk is added when the last one is full, the others stay.
    std::uint32_t Append() {
        if (size_ % kChunkSize == 0) chunks_.push_back(std::make_unique<Chunk>());
        return size_++;
    }

    void Count(std::uint32_t kind, int delta) {
        switch (static_cast<ObjectKind>(kind)) {
            case ObjectKind::Dc: live_.dcs += delta; break;
            case ObjectKind::Bitmap: live_.bitmaps += delta; break;
            case ObjectKind::Pen: live_.pens += delta; break;
            case ObjectKind::Brush: live_.brushes += delta; break;
            case ObjectKind::Font: live_.fonts += delta; break;
            case ObjectKind::Palette: live_.palettes += delta; break;
            case ObjectKind::Icon: live_.icons += delta; break;
            case ObjectKind::None: break;
        }
    }

    std::vector<std::unique_ptr<Chunk>> chunks_;
    std::uint32_t size_ = 0;
    std::vector<std::uint32_t> free_;
    LiveObjects live_;
};

ObjectTable& Table() {
    static ObjectTable table;
    return table;
}

// Moves at every bitmap access and every creation or deletion (SurfaceChangeCount).
std::uint64_t surface_changes = 0;

// Lookups inside an UntrackedBitmapAccess.
int untracked_depth = 0;

template <typename T>
T* Lookup(HGDIOBJ handle) {
    if constexpr (std::is_same_v<T, Bitmap>) ++surface_changes;
    Slot* slot = Table().Find(handle);
    T* object = slot ? std::get_if<T>(&slot->data) : nullptr;
    if constexpr (std::is_same_v<T, Bitmap>)
        if (object && untracked_depth == 0) object->damage.NoteWhole();
    return object;
}

LOGFONTA DefaultLogFont() {
    LOGFONTA lf;
    lf.lfHeight = -11;  // 8 pt at 96 dpi
    lf.lfWeight = 400;
    std::strncpy(lf.lfFaceName, "MS Sans Serif", sizeof lf.lfFaceName - 1);
    return lf;
}

struct StockObjects {
    HGDIOBJ white_brush, ltgray_brush, gray_brush, dkgray_brush, black_brush, null_brush;
    HGDIOBJ white_pen, black_pen, null_pen, system_font, gui_font;
    HBITMAP dc_bitmap;

    StockObjects() {
        white_brush = CreateObject(Brush{false, RGB(255, 255, 255)}, true);
        ltgray_brush = CreateObject(Brush{false, RGB(192, 192, 192)}, true);
        gray_brush = CreateObject(Brush{false, RGB(128, 128, 128)}, true);
        dkgray_brush = CreateObject(Brush{false, RGB(64, 64, 64)}, true);
        black_brush = CreateObject(Brush{false, RGB(0, 0, 0)}, true);
        null_brush = CreateObject(Brush{true, 0}, true);
        white_pen = CreateObject(Pen{PS_SOLID, 1, RGB(255, 255, 255)}, true);
        black_pen = CreateObject(Pen{PS_SOLID, 1, RGB(0, 0, 0)}, true);
        null_pen = CreateObject(Pen{PS_NULL, 1, 0}, true);
        system_font = CreateObject(Font{DefaultLogFont(), nullptr}, true);
        gui_font = CreateObject(Font{DefaultLogFont(), nullptr}, true);
        Bitmap one_pixel;
        one_pixel.width = one_pixel.height = 1;
        one_pixel.bits_per_pixel = 1;
        AllocateStore(one_pixel);
        dc_bitmap = CreateObject(std::move(one_pixel), true);
    }
};

StockObjects& Stock() {
    static StockObjects stock;
    return stock;
}

}  // namespace

ObjectKind KindOfHandle(HGDIOBJ handle) {
    Slot* slot = Table().Find(handle);
    return slot ? ObjectTable::KindOf(slot->data) : ObjectKind::None;
}

DeviceContext* LookupDc(HDC h) { return Lookup<DeviceContext>(h); }

Bitmap* BitmapForPixels(HBITMAP h) {
    Bitmap* bitmap = Lookup<Bitmap>(h);
    if (bitmap && bitmap->NeedsPreparation()) bitmap->PrepareForAccess();
    return bitmap;
}

Bitmap* BitmapForRecording(HBITMAP h) { return Lookup<Bitmap>(h); }

const Bitmap* InspectBitmap(HBITMAP h) {
    Slot* slot = Table().Find(h);
    return slot ? std::get_if<Bitmap>(&slot->data) : nullptr;
}

UntrackedBitmapAccess::UntrackedBitmapAccess() { ++untracked_depth; }
UntrackedBitmapAccess::~UntrackedBitmapAccess() { --untracked_depth; }

Pen* LookupPen(HPEN h) { return Lookup<Pen>(h); }
Brush* LookupBrush(HBRUSH h) { return Lookup<Brush>(h); }
Font* LookupFont(HFONT h) { return Lookup<Font>(h); }
Palette* LookupPalette(HPALETTE h) { return Lookup<Palette>(h); }
Icon* LookupIcon(HICON h) { return Lookup<Icon>(h); }

Bitmap* TargetBitmap(HDC handle) {
    DeviceContext* dc = LookupDc(handle);
    return dc ? BitmapForPixels(dc->bitmap) : nullptr;
}

HGDIOBJ CreateObject(ObjectData data, bool stock) {
    ++surface_changes;
    return Table().Add(std::move(data), stock);
}
void DestroyObject(HGDIOBJ handle) {
    ++surface_changes;
    if (KindOfHandle(handle) == ObjectKind::Bitmap) {
        if (Lookup<Bitmap>(handle)->in_blit_chain) RunBlitChain();
        if (Bitmap* bitmap = Lookup<Bitmap>(handle)) RetireStore(*bitmap);
    }
    Table().Remove(handle);
}

bool IsStockObject(HGDIOBJ handle) {
    Slot* slot = Table().Find(handle);
    return slot && slot->stock;
}

HBITMAP DefaultDcBitmap() { return Stock().dc_bitmap; }

}  // namespace detail

std::uint64_t SurfaceChangeCount() { return detail::surface_changes; }

namespace detail {

int SelectionCount(HGDIOBJ handle) {
    Slot* slot = Table().Find(handle);
    return slot ? slot->selections : 0;
}

void AdjustSelectionCount(HGDIOBJ handle, int delta) {
    if (Slot* slot = Table().Find(handle)) slot->selections += delta;
}

HDC NewDeviceContext(HBITMAP bitmap, HWND window) {
    DeviceContext dc;
    dc.bitmap = bitmap;
    dc.pen = Stock().black_pen;
    dc.brush = Stock().white_brush;
    dc.font = Stock().system_font;
    dc.window = window;
    const HDC handle = CreateObject(std::move(dc));
    if (handle) AdjustSelectionCount(bitmap, +1);
    return handle;
}

}  // namespace detail

using namespace detail;

LiveObjects CountLiveObjects() { return Table().live(); }

HGDIOBJ GetStockObject(int index) {
    const StockObjects& s = Stock();
    switch (index) {
        case WHITE_BRUSH: return s.white_brush;
        case LTGRAY_BRUSH: return s.ltgray_brush;
        case GRAY_BRUSH: return s.gray_brush;
        case DKGRAY_BRUSH: return s.dkgray_brush;
        case BLACK_BRUSH: return s.black_brush;
        case NULL_BRUSH: return s.null_brush;
        case WHITE_PEN: return s.white_pen;
        case BLACK_PEN: return s.black_pen;
        case NULL_PEN: return s.null_pen;
        case SYSTEM_FONT: return s.system_font;
        case DEFAULT_GUI_FONT: return s.gui_font;
        default: return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (style < PS_SOLID || style > PS_NULL) return 0;
    return Guarded<HPEN>(0, [&] { return CreateObject(Pen{style, width < 1 ? 1 : width, colour & 0x00FFFFFFu}); });
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return Guarded<HBRUSH>(0, [&] { return CreateObject(Brush{false, colour & 0x00FFFFFFu}); });
}

HFONT CreateFontIndirectA(const LOGFONTA* logfont) {
    if (!logfont) return 0;
    return Guarded<HFONT>(0, [&] {
        Font font;
        font.logfont = *logfont;
        font.logfont.lfFaceName[sizeof font.logfont.lfFaceName - 1] = '\0';
        return CreateObject(std::move(font));
    });
}

bool GetObjectLogFont(HFONT handle, LOGFONTA* out) {
    Font* font = LookupFont(handle);
    if (!font || !out) return false;
    *out = font->logfont;
    return true;
}

namespace {

// Swaps the DC's slot for one kind and keeps the selection counts that DeleteObject checks.
HGDIOBJ Swap(HGDIOBJ& slot, HGDIOBJ object) {
    const HGDIOBJ previous = std::exchange(slot, object);
    AdjustSelectionCount(previous, -1);
    AdjustSelectionCount(object, +1);
    return previous;
}

}  // namespace

HGDIOBJ SelectObject(HDC dc_handle, HGDIOBJ object) {
    DeviceContext* dc = LookupDc(dc_handle);
    if (!dc) return 0;
    switch (KindOfHandle(object)) {
        case ObjectKind::Pen: return Swap(dc->pen, object);
        case ObjectKind::Brush: return Swap(dc->brush, object);
        case ObjectKind::Font: return Swap(dc->font, object);
        case ObjectKind::Palette: return Swap(dc->palette, object);
        case ObjectKind::Bitmap: {
            if (object == dc->bitmap) return object;
            // A memory bitmap can be held by one DC at a time; the stock 1x1 bitmap and window
            // surfaces are shared.
            // Selecting changes no pixels: the bitmap is only inspected.
            const bool shareable = IsStockObject(object) || InspectBitmap(object)->owned_by_window;
            if (!shareable && SelectionCount(object) > 0) return 0;
            return Swap(dc->bitmap, object);
        }
        default: return 0;
    }
}

bool DeleteObject(HGDIOBJ object) {
    const ObjectKind kind = KindOfHandle(object);
    if (kind == ObjectKind::None || kind == ObjectKind::Dc) return false;
    if (IsStockObject(object)) return true;
    if (SelectionCount(object) > 0) return false;
    if (kind == ObjectKind::Bitmap && InspectBitmap(object)->owned_by_window) return false;
    DestroyObject(object);
    return true;
}

HDC CreateCompatibleDC(HDC reference) {
    if (reference != 0 && !LookupDc(reference)) return 0;
    return Guarded<HDC>(0, [] { return NewDeviceContext(DefaultDcBitmap(), 0); });
}

bool DeleteDC(HDC handle) {
    DeviceContext* dc = LookupDc(handle);
    if (!dc) return false;
    for (HGDIOBJ held : {dc->bitmap, dc->pen, dc->brush, dc->font, dc->palette}) AdjustSelectionCount(held, -1);
    DestroyObject(handle);
    return true;
}

HBITMAP GetCurrentBitmap(HDC handle) {
    DeviceContext* dc = LookupDc(handle);
    return dc ? dc->bitmap : 0;
}

HPALETTE CreateHalftonePalette(HDC dc) {
    if (dc != 0 && !LookupDc(dc)) return 0;
    return Guarded<HPALETTE>(0, [] { return CreateObject(Palette{}); });
}

HPALETTE SelectPalette(HDC dc_handle, HPALETTE palette, bool) {
    DeviceContext* dc = LookupDc(dc_handle);
    if (!dc || !LookupPalette(palette)) return 0;
    return Swap(dc->palette, palette);
}

unsigned RealizePalette(HDC dc_handle) {
    // A true-colour display maps no entries.
    return LookupDc(dc_handle) ? 0u : static_cast<unsigned>(-1);
}

}  // namespace ov::gdi
