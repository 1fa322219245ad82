#pragma once
// The object model behind the handles: one table of pens, brushes, fonts, bitmaps, palettes,
// icons and device contexts. Handles carry their kind in the top bits and a generation so a
// deleted handle, or one reused for a new object, is recognised as invalid. Objects never move
// while they live, so a pointer from a lookup stays valid until that object is deleted.
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "platform/gdi/internal/bitmap.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi {

enum class ObjectKind : std::uint8_t {
    None = 0,
    Dc = 1,
    Bitmap = 2,
    Pen = 3,
    Brush = 4,
    Font = 5,
    Palette = 6,
    Icon = 7
};

namespace detail {

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
Pen* LookupPen(HPEN handle);
Brush* LookupBrush(HBRUSH handle);
Font* LookupFont(HFONT handle);
Palette* LookupPalette(HPALETTE handle);
Icon* LookupIcon(HICON handle);

// Bitmaps are looked up for one of two purposes (see bitmap.h for what is recorded on them):
// * for their pixels: prepared, everything recorded on it carried out, so the pixels are its
//   content and may be read or written directly;
// * for recording drawing on it: as it stands, nothing carried out. The recording calls keep
//   the drawing order themselves, and what recording leaves alone (the size, the format, a
//   locked window's kept frame) can be read here without writing anything out. Its pixels are
//   not its content; the non-const row accessors prepare it before they return a row.
Bitmap* BitmapForPixels(HBITMAP handle);
Bitmap* BitmapForRecording(HBITMAP handle);
// BitmapForPixels of the bitmap a DC draws on (nullptr when the handle is invalid).
Bitmap* TargetBitmap(HDC handle);

// The bitmap as it stands, for what only the lookups change (its size, its damage log): not an
// access, so it moves no count and notes nothing.
const Bitmap* InspectBitmap(HBITMAP handle);

// Either lookup notes the whole bitmap in its damage log, since the caller may change any of
// it. Within an UntrackedBitmapAccess nothing is noted: for reads, and for writes whose caller
// notes the very rectangle it changes itself.
class UntrackedBitmapAccess {
public:
    UntrackedBitmapAccess();
    ~UntrackedBitmapAccess();
    UntrackedBitmapAccess(const UntrackedBitmapAccess&) = delete;
    UntrackedBitmapAccess& operator=(const UntrackedBitmapAccess&) = delete;
};

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
