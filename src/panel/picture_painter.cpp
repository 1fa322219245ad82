#include "panel/picture_painter.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace ov::panel {

namespace {

// The screen's device context and the palette of one call: the one given, or a halftone
// palette made for this call and deleted at the end.
class ScreenAndPalette {
public:
    explicit ScreenAndPalette(gdi::HPALETTE given) : screen_(gdi::GetDC(0)), palette_(given) {
        if (!palette_) {
            palette_ = gdi::CreateHalftonePalette(screen_);
            owned_ = true;
        }
    }
    ~ScreenAndPalette() {
        if (owned_) gdi::DeleteObject(palette_);
        gdi::ReleaseDC(0, screen_);
    }
    ScreenAndPalette(const ScreenAndPalette&) = delete;
    ScreenAndPalette& operator=(const ScreenAndPalette&) = delete;

    gdi::HDC screen() const { return screen_; }
    gdi::HPALETTE palette() const { return palette_; }

private:
    gdi::HDC screen_;
    gdi::HPALETTE palette_;
    bool owned_ = false;
};

// A memory device context compatible with the screen holding one bitmap and, when one is
// given, the call's palette (selected in the background and realized). The bitmap is either
// the caller's (a picture's handle, left alone) or one made here, deleted with the context.
class MemoryDc {
public:
    MemoryDc(gdi::HDC screen, gdi::HBITMAP bitmap, bool owns_bitmap, gdi::HPALETTE palette)
        : dc_(gdi::CreateCompatibleDC(screen)), bitmap_(bitmap), owns_bitmap_(owns_bitmap) {
        previous_bitmap_ = gdi::SelectObject(dc_, bitmap_);
        if (palette) {
            previous_palette_ = gdi::SelectPalette(dc_, palette, true);
            gdi::RealizePalette(dc_);
            palette_selected_ = true;
        }
    }
    ~MemoryDc() {
        if (palette_selected_) {
            gdi::SelectPalette(dc_, previous_palette_, true);
            gdi::RealizePalette(dc_);
        }
        gdi::SelectObject(dc_, previous_bitmap_);
        gdi::DeleteDC(dc_);
        if (owns_bitmap_) gdi::DeleteObject(bitmap_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    gdi::HDC dc() const { return dc_; }

private:
    gdi::HDC dc_;
    gdi::HBITMAP bitmap_;
    bool owns_bitmap_;
    gdi::HGDIOBJ previous_bitmap_ = 0;
    gdi::HPALETTE previous_palette_ = 0;
    bool palette_selected_ = false;
};

const Picture& DrawablePicture(const Picture* picture) {
    if (!picture || (picture->type() != PictureType::Bitmap && picture->type() != PictureType::Icon))
        throw AutomationError(error::kInvalidPicture);
    return *picture;
}

// OleTranslateColor of a colour it cannot translate leaves the output as it was: black here.
gdi::COLORREF Translated(std::uint32_t colour, gdi::HPALETTE palette) {
    gdi::COLORREF plain = 0;
    gdi::OleTranslateColor(colour, palette, &plain);
    return plain;
}

// The part of a width x height rectangle at (x, y) that lies on the destination's bitmap, and
// how far into the rectangle it starts. Nothing outside the bitmap can change, so the scratch
// bitmaps of a transparent copy are made for this part alone: a repaint costs the surface it
// draws on, not a picture far larger than it.
struct VisiblePart {
    int x, y, width, height;
    int skip_x, skip_y;
};

std::optional<VisiblePart> PartOnSurface(gdi::HDC dst, int x, int y, int width, int height) {
    gdi::SIZE surface{};
    if (!gdi::GetBitmapSize(gdi::GetCurrentBitmap(dst), &surface)) return std::nullopt;
    const std::int64_t left = std::max<std::int64_t>(x, 0), top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, surface.cx);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, surface.cy);
    if (right <= left || bottom <= top) return std::nullopt;
    return VisiblePart{static_cast<int>(left),          static_cast<int>(top),
                       static_cast<int>(right - left),  static_cast<int>(bottom - top),
                       static_cast<int>(left - x),      static_cast<int>(top - y)};
}

void FillWith(gdi::HDC dc, int width, int height, gdi::COLORREF colour) {
    const gdi::HBRUSH brush = gdi::CreateSolidBrush(colour);
    const gdi::RECT all{0, 0, width, height};
    gdi::FillRect(dc, &all, brush);
    gdi::DeleteObject(brush);
}

}  // namespace

void PaintStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture, int src_x,
                     int src_y, int src_width, int src_height, std::uint32_t background, gdi::HPALETTE palette) {
    const Picture& source = DrawablePicture(picture);
    const ScreenAndPalette call(palette);
    if (source.type() == PictureType::Bitmap) {
        const MemoryDc memory(call.screen(), source.handle(), false, call.palette());
        gdi::StretchBlt(dst, x, y, width, height, memory.dc(), src_x, src_y, src_width, src_height, gdi::SRCCOPY);
        return;
    }
    const int canvas_width = src_x + src_width, canvas_height = src_y + src_height;
    const MemoryDc memory(call.screen(), gdi::CreateCompatibleBitmap(call.screen(), canvas_width, canvas_height), true,
                          call.palette());
    FillWith(memory.dc(), canvas_width, canvas_height, Translated(background, 0));
    gdi::DrawIcon(memory.dc(), 0, 0, source.handle());
    gdi::StretchBlt(dst, x, y, width, height, memory.dc(), src_x, src_y, src_width, src_height, gdi::SRCCOPY);
}

void PaintTransparentStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture,
                                int src_x, int src_y, std::uint32_t transparent, gdi::HPALETTE palette) {
    const Picture& source = DrawablePicture(picture);
    const ScreenAndPalette call(palette);
    if (source.type() == PictureType::Bitmap) {
        const MemoryDc memory(call.screen(), source.handle(), false, call.palette());
        TransparentBlit(dst, x, y, width, height, memory.dc(), src_x, src_y, transparent, call.palette());
        return;
    }
    // The icon is drawn over the key colour on a bitmap the size of what reaches the surface,
    // shifted so that the part which lands there is the part drawn.
    const std::optional<VisiblePart> part = PartOnSurface(dst, x, y, width, height);
    if (!part) return;
    const MemoryDc memory(call.screen(), gdi::CreateCompatibleBitmap(call.screen(), part->width, part->height), true,
                          call.palette());
    const gdi::COLORREF key = Translated(transparent, 0);
    FillWith(memory.dc(), part->width, part->height, key);
    gdi::DrawIcon(memory.dc(), -part->skip_x, -part->skip_y, source.handle());
    TransparentBlit(dst, part->x, part->y, part->width, part->height, memory.dc(), 0, 0, key, call.palette());
}

void TransparentBlit(gdi::HDC dst, int x_wanted, int y_wanted, int w_wanted, int h_wanted, gdi::HDC src, int src_x_wanted,
                     int src_y_wanted, std::uint32_t transparent, gdi::HPALETTE palette) {
    const std::optional<VisiblePart> part = PartOnSurface(dst, x_wanted, y_wanted, w_wanted, h_wanted);
    if (!part) return;
    const int x = part->x, y = part->y, w = part->width, h = part->height;
    const int src_x = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{src_x_wanted} + part->skip_x, INT32_MIN, INT32_MAX));
    const int src_y = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{src_y_wanted} + part->skip_y, INT32_MIN, INT32_MAX));
    const ScreenAndPalette call(palette);
    const gdi::COLORREF key = Translated(transparent, call.palette());

    // What the destination holds now, and a copy of the source with its own colours.
    const MemoryDc back(call.screen(), gdi::CreateCompatibleBitmap(call.screen(), w, h), true, call.palette());
    gdi::BitBlt(back.dc(), 0, 0, w, h, dst, x, y, gdi::SRCCOPY);
    const MemoryDc object(call.screen(), gdi::CreateCompatibleBitmap(call.screen(), w, h), true, call.palette());
    gdi::SetBkColor(object.dc(), gdi::GetBkColor(src));
    gdi::SetTextColor(object.dc(), gdi::GetTextColor(src));
    gdi::BitBlt(object.dc(), 0, 0, w, h, src, src_x, src_y, gdi::SRCCOPY);

    // The mask: white where the source has the key colour, black elsewhere.
    const MemoryDc mask(call.screen(), gdi::CreateBitmap(w, h, 1, 1, nullptr), true, 0);
    gdi::SetBkColor(object.dc(), key);
    gdi::SetTextColor(object.dc(), 0xFFFFFF);
    gdi::BitBlt(mask.dc(), 0, 0, w, h, object.dc(), 0, 0, gdi::SRCCOPY);

    // The key-coloured pixels of the source copy become black, the background copy keeps its
    // pixels only there, and the source is merged in.
    gdi::SetTextColor(object.dc(), 0);
    gdi::SetBkColor(object.dc(), 0xFFFFFF);
    gdi::BitBlt(object.dc(), 0, 0, w, h, mask.dc(), 0, 0, gdi::DSNA);
    gdi::BitBlt(back.dc(), 0, 0, w, h, mask.dc(), 0, 0, gdi::SRCAND);
    gdi::BitBlt(back.dc(), 0, 0, w, h, object.dc(), 0, 0, gdi::SRCPAINT);
    gdi::BitBlt(dst, x, y, w, h, back.dc(), 0, 0, gdi::SRCCOPY);
}

}  // namespace ov::panel
