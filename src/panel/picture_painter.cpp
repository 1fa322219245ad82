#include "panel/picture_painter.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gdi/ole_colour.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/stretch_sources.h"
#include "platform/limits.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace ov::panel {

namespace {

// The screen's device context and the palette of one call: the one given, or a halftone
// palette made for this call and deleted at the end.
struct CallContext {
    explicit CallContext(gdi::HPALETTE given)
        : made(given ? 0 : gdi::CreateHalftonePalette(screen.get())), palette(given ? given : made.get()) {}
    gdi::WindowDC screen;
    gdi::OwnedObject made;
    gdi::HPALETTE palette;
};

// A memory device context compatible with the screen holding one bitmap (the caller's, or one
// made for it and deleted with it) and, when one is given, the call's palette.
struct PaletteMemoryDC {
    PaletteMemoryDC(const CallContext& call, gdi::HBITMAP bitmap, gdi::Bitmap ownership, gdi::HPALETTE palette)
        : memory(call.screen.get(), bitmap, ownership), palette_selection(memory.get(), palette) {}
    gdi::HDC dc() const { return memory.get(); }
    gdi::MemoryDC memory;
    gdi::ScopedPalette palette_selection;
};

const Picture& DrawablePicture(const Picture* picture) {
    if (!picture || (picture->type() != PictureType::Bitmap && picture->type() != PictureType::Icon))
        throw AutomationError(error::kInvalidPicture);
    return *picture;
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
    return VisiblePart{static_cast<int>(left),         static_cast<int>(top),      static_cast<int>(right - left),
                       static_cast<int>(bottom - top), static_cast<int>(left - x), static_cast<int>(top - y)};
}

void FillWith(gdi::HDC dc, int width, int height, gdi::COLORREF colour) {
    gdi::FillSolidRect(dc, gdi::RECT{0, 0, width, height}, colour);
}

// Consecutive destination coordinates of one axis whose source ranges together span
// [src_first, src_last]; `begin` and `end` index the axis's ranges.
struct AxisGroup {
    int begin, end;
    int src_first, src_last;
};

// The axis cut into groups whose source spans are at most `limit` pixels long, each group at
// least one coordinate (a longer single range stays whole: its pixels are combined together).
// The ranges move one way along the axis, so a group's span runs from one end to the other.
std::vector<AxisGroup> GroupAxis(const gdi::StretchAxis& axis, std::int64_t limit) {
    std::vector<AxisGroup> groups;
    const int count = axis.dst_end - axis.dst_start;
    for (int i = 0; i < count;) {
        AxisGroup group{i, i + 1, axis.first[i], axis.last[i]};
        while (group.end < count) {
            const int first = std::min(group.src_first, axis.first[group.end]);
            const int last = std::max(group.src_last, axis.last[group.end]);
            if (std::int64_t{last} - first + 1 > limit) break;
            group.src_first = first;
            group.src_last = last;
            ++group.end;
        }
        groups.push_back(group);
        i = group.end;
    }
    return groups;
}

std::int64_t SpanOf(const gdi::StretchAxis& axis) {
    const auto [first, last] =
        std::minmax({axis.first.front(), axis.first.back(), axis.last.front(), axis.last.back()});
    return std::int64_t{last} - first + 1;
}

std::int64_t LongestRange(const gdi::StretchAxis& axis) {
    std::int64_t longest = 1;
    for (std::size_t i = 0; i < axis.first.size(); ++i)
        longest = std::max<std::int64_t>(longest, std::int64_t{axis.last[i]} - axis.first[i] + 1);
    return longest;
}

// Pixels [left, left + width) x [top, top + height) of the canvas an icon is stretched from: the
// background with the icon drawn over it at its natural size from the canvas's origin.
struct CanvasPiece : PaletteMemoryDC {
    CanvasPiece(const CallContext& call, gdi::HICON icon, gdi::COLORREF background, int left, int top, int width,
                int height)
        : PaletteMemoryDC(call, gdi::CreateCompatibleBitmap(call.screen.get(), width, height), gdi::Bitmap::Owned,
                          call.palette) {
        FillWith(dc(), width, height, background);
        gdi::DrawIcon(dc(), -left, -top, icon);
    }
};

// Pieces are never cut smaller than this many pixels where one destination pixel's source is
// combined a piece at a time, so that the number of pieces stays reasonable.
constexpr std::int64_t kMinCombinedPiecePixels = std::int64_t{1} << 14;

// One destination pixel, at (dst_x, dst_y), whose source pixels [first_x, last_x] x [first_y,
// last_y] are more than a piece may hold, under a stretch mode that keeps the black (AND) or the
// white (OR) of what it combines. The source is combined a piece at a time onto one pixel in
// the destination's format (the same conversion as from the whole canvas), those pixels are
// combined the same way onto another, and that one is copied: what combining all at once gives.
void CombineInPieces(const CallContext& call, gdi::HDC dst, int dst_x, int dst_y, int first_x, int last_x, int first_y,
                     int last_y, gdi::HICON icon, gdi::COLORREF background, std::int64_t piece_pixels) {
    const int mode = gdi::GetStretchBltMode(dst);
    const gdi::MemoryDC part(dst, gdi::CreateCompatibleBitmap(dst, 1, 1), gdi::Bitmap::Owned);
    const gdi::MemoryDC total(dst, gdi::CreateCompatibleBitmap(dst, 1, 1), gdi::Bitmap::Owned);
    gdi::SetStretchBltMode(part.get(), mode);
    const std::int64_t range_width = std::int64_t{last_x} - first_x + 1,
                       range_height = std::int64_t{last_y} - first_y + 1;
    const int piece_width = static_cast<int>(std::min(range_width, piece_pixels));
    const int piece_height = static_cast<int>(std::clamp<std::int64_t>(piece_pixels / piece_width, 1, range_height));
    bool first_piece = true;
    for (std::int64_t top = first_y; top <= last_y; top += piece_height) {
        for (std::int64_t left = first_x; left <= last_x; left += piece_width) {
            const int width = static_cast<int>(std::min<std::int64_t>(piece_width, last_x - left + 1));
            const int height = static_cast<int>(std::min<std::int64_t>(piece_height, last_y - top + 1));
            const CanvasPiece piece(call, icon, background, static_cast<int>(left), static_cast<int>(top), width,
                                    height);
            gdi::StretchBlt(part.get(), 0, 0, 1, 1, piece.dc(), 0, 0, width, height, gdi::SRCCOPY);
            const std::uint32_t combine = first_piece                 ? gdi::SRCCOPY
                                          : mode == gdi::WHITEONBLACK ? gdi::SRCPAINT
                                                                      : gdi::SRCAND;
            gdi::BitBlt(total.get(), 0, 0, 1, 1, part.get(), 0, 0, combine);
            first_piece = false;
        }
    }
    gdi::BitBlt(dst, dst_x, dst_y, 1, 1, total.get(), 0, 0, gdi::SRCCOPY);
}

// An icon stretched as if drawn at its natural size over `background` on a canvas of
// canvas_width x canvas_height, which is then stretched onto the destination. The canvas is
// never made: it is drawn in pieces of about the visible part's size, each holding the source
// ranges of a block of destination pixels (stretch_sources.h), and each piece is stretched with
// the whole rectangles' geometry, so every pixel comes out as from the whole canvas. Where one
// destination pixel alone combines more source pixels than that, its source is combined in
// pieces (CombineInPieces); an average (HALFTONE) would round differently that way, so there
// the piece holds all of that pixel's source.
void PaintStretchedIcon(const CallContext& call, gdi::HDC dst, int x, int y, int width, int height, gdi::HICON icon,
                        int src_x, int src_y, int src_width, int src_height, std::int64_t canvas_width,
                        std::int64_t canvas_height, gdi::COLORREF background) {
    // The canvas stands for a bitmap, which can be no larger than a surface: from a source
    // rectangle reaching past that nothing is drawn, as from a bitmap that could not be made, and
    // the pieces never add up to more than a surface's pixels.
    if (canvas_width <= 0 || canvas_height <= 0 || !limits::SurfaceSizeAllowed(canvas_width, canvas_height)) return;
    gdi::StretchAxis columns, rows;
    if (!gdi::StretchBltSources(dst, x, y, width, height, src_x, src_y, src_width, src_height,
                                static_cast<int>(canvas_width), static_cast<int>(canvas_height), &columns, &rows) ||
        columns.empty() || rows.empty())
        return;
    const std::int64_t budget = std::int64_t{columns.dst_end - columns.dst_start} * (rows.dst_end - rows.dst_start);
    const std::int64_t combined_piece = std::max(budget, kMinCombinedPiecePixels);
    const bool average = gdi::GetStretchBltMode(dst) == gdi::HALFTONE;
    // Pieces as wide as the visible source allows, then as tall as the budget leaves.
    const std::int64_t row_range = LongestRange(rows);
    const std::int64_t piece_width =
        std::max(LongestRange(columns), std::min(SpanOf(columns), std::max<std::int64_t>(1, budget / row_range)));
    const std::int64_t piece_height = std::max(row_range, budget / piece_width);
    const std::vector<AxisGroup> column_groups = GroupAxis(columns, piece_width);
    const std::vector<AxisGroup> row_groups = GroupAxis(rows, piece_height);
    for (const AxisGroup& band : row_groups) {
        for (const AxisGroup& block : column_groups) {
            const int piece_w = block.src_last - block.src_first + 1, piece_h = band.src_last - band.src_first + 1;
            if (std::int64_t{piece_w} * piece_h > combined_piece && !average) {
                for (int j = band.begin; j < band.end; ++j)
                    for (int i = block.begin; i < block.end; ++i)
                        CombineInPieces(call, dst, columns.dst_start + i, rows.dst_start + j, columns.first[i],
                                        columns.last[i], rows.first[j], rows.last[j], icon, background, combined_piece);
                continue;
            }
            const CanvasPiece piece(call, icon, background, block.src_first, band.src_first, piece_w, piece_h);
            // The source origin moves with the piece: source coordinate c of the canvas is
            // c - src_first in the piece (no overflow: src_first lies in the source rectangle).
            gdi::StretchBlt(dst, x, y, width, height, piece.dc(), src_x - block.src_first, src_y - band.src_first,
                            src_width, src_height, gdi::SRCCOPY);
        }
    }
}

}  // namespace

void PaintStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture, int src_x, int src_y,
                     int src_width, int src_height, std::uint32_t background, gdi::HPALETTE palette) {
    const Picture& source = DrawablePicture(picture);
    const CallContext call(palette);
    if (source.type() == PictureType::Bitmap) {
        const PaletteMemoryDC memory(call, source.handle(), gdi::Bitmap::Borrowed, call.palette);
        gdi::StretchBlt(dst, x, y, width, height, memory.dc(), src_x, src_y, src_width, src_height, gdi::SRCCOPY);
        return;
    }
    // The icon is drawn at its natural size over the background on a canvas reaching the source
    // rectangle's far edges, and that is stretched; only the pieces that reach the surface are drawn.
    PaintStretchedIcon(call, dst, x, y, width, height, source.handle(), src_x, src_y, src_width, src_height,
                       std::int64_t{src_x} + src_width, std::int64_t{src_y} + src_height,
                       gdi::TranslateOleColorOrBlack(background));
}

void PaintTransparentStdPicture(gdi::HDC dst, int x, int y, int width, int height, const Picture* picture, int src_x,
                                int src_y, std::uint32_t transparent, gdi::HPALETTE palette) {
    const Picture& source = DrawablePicture(picture);
    const CallContext call(palette);
    if (source.type() == PictureType::Bitmap) {
        const PaletteMemoryDC memory(call, source.handle(), gdi::Bitmap::Borrowed, call.palette);
        TransparentBlit(dst, x, y, width, height, memory.dc(), src_x, src_y, transparent, call.palette);
        return;
    }
    // The icon is drawn over the key colour on a bitmap the size of what reaches the surface,
    // shifted so that the part which lands there is the part drawn.
    const std::optional<VisiblePart> part = PartOnSurface(dst, x, y, width, height);
    if (!part) return;
    const PaletteMemoryDC memory(call, gdi::CreateCompatibleBitmap(call.screen.get(), part->width, part->height),
                                 gdi::Bitmap::Owned, call.palette);
    const gdi::COLORREF key = gdi::TranslateOleColorOrBlack(transparent);
    FillWith(memory.dc(), part->width, part->height, key);
    gdi::DrawIcon(memory.dc(), -part->skip_x, -part->skip_y, source.handle());
    TransparentBlit(dst, part->x, part->y, part->width, part->height, memory.dc(), 0, 0, key, call.palette);
}

void TransparentBlit(gdi::HDC dst, int x_wanted, int y_wanted, int w_wanted, int h_wanted, gdi::HDC src,
                     int src_x_wanted, int src_y_wanted, std::uint32_t transparent, gdi::HPALETTE palette) {
    const std::optional<VisiblePart> part = PartOnSurface(dst, x_wanted, y_wanted, w_wanted, h_wanted);
    if (!part) return;
    const int x = part->x, y = part->y, w = part->width, h = part->height;
    const int src_x =
        static_cast<int>(std::clamp<std::int64_t>(std::int64_t{src_x_wanted} + part->skip_x, INT32_MIN, INT32_MAX));
    const int src_y =
        static_cast<int>(std::clamp<std::int64_t>(std::int64_t{src_y_wanted} + part->skip_y, INT32_MIN, INT32_MAX));
    const CallContext call(palette);
    const gdi::COLORREF key = gdi::TranslateOleColorOrBlack(transparent, call.palette);

    // What the destination holds now, and a copy of the source with its own colours.
    const PaletteMemoryDC back(call, gdi::CreateCompatibleBitmap(call.screen.get(), w, h), gdi::Bitmap::Owned,
                               call.palette);
    gdi::BitBlt(back.dc(), 0, 0, w, h, dst, x, y, gdi::SRCCOPY);
    const PaletteMemoryDC object(call, gdi::CreateCompatibleBitmap(call.screen.get(), w, h), gdi::Bitmap::Owned,
                                 call.palette);
    gdi::SetBkColor(object.dc(), gdi::GetBkColor(src));
    gdi::SetTextColor(object.dc(), gdi::GetTextColor(src));
    gdi::BitBlt(object.dc(), 0, 0, w, h, src, src_x, src_y, gdi::SRCCOPY);

    // The mask: white where the source has the key colour, black elsewhere.
    const PaletteMemoryDC mask(call, gdi::CreateBitmap(w, h, 1, 1, nullptr), gdi::Bitmap::Owned, 0);
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
