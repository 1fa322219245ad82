// Scope guards over the drawing layer's public calls; they use nothing private to the layer.
#include "platform/gdi/scoped_objects.h"

#include <utility>

namespace ov::gdi {

OwnedObject& OwnedObject::operator=(OwnedObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

HGDIOBJ OwnedObject::Release() { return std::exchange(object_, 0); }

void OwnedObject::Reset(HGDIOBJ object) {
    if (object_) DeleteObject(object_);
    object_ = object;
}

ScopedSelection::ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc) {
    if (object) previous_ = SelectObject(dc_, object);
}

ScopedSelection::~ScopedSelection() {
    if (previous_) SelectObject(dc_, previous_);
}

ScopedPalette::ScopedPalette(HDC dc, HPALETTE palette) : dc_(dc) {
    if (!palette) return;
    previous_ = SelectPalette(dc_, palette, true);
    RealizePalette(dc_);
    selected_ = true;
}

ScopedPalette::~ScopedPalette() {
    if (!selected_) return;
    SelectPalette(dc_, previous_, true);
    RealizePalette(dc_);
}

MemoryDC::MemoryDC(HDC compatible_with) : dc_(CreateCompatibleDC(compatible_with)) {}

MemoryDC::MemoryDC(HDC compatible_with, HBITMAP bitmap, Bitmap ownership) : MemoryDC(compatible_with) {
    Hold(bitmap, ownership);
}

MemoryDC::~MemoryDC() {
    if (original_) SelectObject(dc_, original_);
    LetGo(bitmap_, ownership_);
    if (dc_) DeleteDC(dc_);
}

bool MemoryDC::Hold(HBITMAP bitmap, Bitmap ownership) {
    const HGDIOBJ replaced = dc_ && bitmap ? SelectObject(dc_, bitmap) : 0;
    if (!replaced) {
        LetGo(bitmap, ownership);
        return false;
    }
    if (!original_) original_ = replaced;  // the first bitmap replaced is the DC's own
    LetGo(bitmap_, ownership_);
    bitmap_ = bitmap;
    ownership_ = ownership;
    return true;
}

void MemoryDC::LetGo(HBITMAP bitmap, Bitmap ownership) {
    if (bitmap && ownership == Bitmap::Owned) DeleteObject(bitmap);
}

bool BlitBitmap(HDC dst, int x, int y, int width, int height, HBITMAP source, int src_x, int src_y, std::uint32_t rop) {
    const MemoryDC memory(dst, source, Bitmap::Borrowed);
    return BitBlt(dst, x, y, width, height, memory.get(), src_x, src_y, rop);
}

bool StretchBlitBitmap(HDC dst, int x, int y, int width, int height, HBITMAP source, int src_x, int src_y,
                       int src_width, int src_height, std::uint32_t rop) {
    const MemoryDC memory(dst, source, Bitmap::Borrowed);
    return StretchBlt(dst, x, y, width, height, memory.get(), src_x, src_y, src_width, src_height, rop);
}

int FillSolidRect(HDC dc, const RECT& rect, COLORREF colour) {
    const OwnedObject brush(CreateSolidBrush(colour));
    return FillRect(dc, &rect, brush.get());
}

}  // namespace ov::gdi
