// OVGradientPanel's two repaints and their steps. Both draw the whole panel from scratch into
// the hidden drawing area and copy it onto the panel in one go, so the panel never shows a
// half-drawn state; an error in a step (the gradient renderer's, or a refused picture) stops
// the repaint there and nothing is copied.
#include "panel/gradient_panel.h"

#include <algorithm>

#include "panel/caption_painter.h"
#include "panel/picture_painter.h"
#include "panel/transparency.h"
#include "platform/gdi/ole_colour.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/scale/scale.h"

namespace ov::panel {

namespace {

// Past this many parts a partly held cache is completed: each part is one more copy for every
// quick repaint that restores them all.
constexpr std::size_t kMaxCacheParts = 48;

}  // namespace

void OVGradientPanel::RedrawFull() {
    if (!area_) return;
    drawn_over_cache_.reset();
    ClearDrawingArea(Repaint::Full);
    SetBorderColors();
    BuildBackground();
    PaintGradient(Repaint::Full, nullptr);
    DrawBackgroundPicture();
    DrawPanelBorder();
    DrawPanelCaption();
    ApplyTransparency();
    NoteDrawingOverCache();
    PresentDrawing();
}

void OVGradientPanel::RedrawQuick() {
    if (!area_) return;
    const std::optional<DrawnOverCache> previous = TakeDrawnOverCache();
    const bool same_frame =
        previous && previous->frame == FrameSettings() && previous->geometry == PanelFrameGeometry();
    std::vector<gdi::RECT> restore;
    if (previous) {
        if (!same_frame) restore = previous->frame_rects;
        restore.push_back(previous->caption);
    }
    ClearDrawingArea(Repaint::Quick);
    PaintGradient(Repaint::Quick, previous ? &restore : nullptr);
    DrawBackgroundPicture();
    DrawPanelBorder(same_frame ? &previous->caption : nullptr);
    DrawPanelCaption();
    ApplyTransparency();
    NoteDrawingOverCache();
    PresentDrawing();
}

// What the last repaint left in the area, if the area still holds it: the same size, still a
// gradient panel whose cache covers the area, and no persistent picture (whose removal
// clears). Cleared either way: a repaint that fails halfway leaves nothing to rely on.
std::optional<OVGradientPanel::DrawnOverCache> OVGradientPanel::TakeDrawnOverCache() {
    std::optional<DrawnOverCache> drawn = std::move(drawn_over_cache_);
    drawn_over_cache_.reset();
    const PictureBox& area = DrawingArea();
    if (!drawn || style_ != gpsGradient || area.Picture() || area.client_width() != drawn->area_width ||
        area.client_height() != drawn->area_height || !CachedGradientCoversArea())
        return std::nullopt;
    return drawn;
}

// Called once a repaint has drawn everything into the area: for a gradient panel whose cache
// covers the area, the area is now the cache with the frame and the caption over it.
void OVGradientPanel::NoteDrawingOverCache() {
    const PictureBox& area = DrawingArea();
    if (style_ != gpsGradient || area.Picture() || !CachedGradientCoversArea()) return;
    drawn_over_cache_ = DrawnOverCache{area.client_width(), area.client_height(), FrameSettings(),
                                       PanelFrameGeometry(), frame_rects_, caption_rect_};
}

BorderSettings OVGradientPanel::FrameSettings() const {
    return BorderSettings{appearance_, classic_borders_, bevel_width_, bevel_intensity_, border_colours_};
}

// Where the classic frames go: in the panel's scale, one pixel and the far edges.
FrameGeometry OVGradientPanel::PanelFrameGeometry() const {
    return FrameGeometry{ScaleX(1, kScalePixels, ScaleMode()), ScaleY(1, kScalePixels, ScaleMode()), ScaleWidth(),
                         ScaleHeight()};
}

double OVGradientPanel::PixelWidthExact() const { return ScaleX(ScaleWidth(), ScaleMode(), kScalePixels); }
double OVGradientPanel::PixelHeightExact() const { return ScaleY(ScaleHeight(), ScaleMode(), kScalePixels); }
int OVGradientPanel::RoundedPixelWidth() const { return RoundToPixels(PixelWidthExact()); }
int OVGradientPanel::RoundedPixelHeight() const { return RoundToPixels(PixelHeightExact()); }

// Step 1: remove the persistent picture and clear the area to BackColor. Two clears would only
// be painted over and are left out: before a linear gradient, whose one-pixel lines one pixel
// apart cover every pixel of an area over one pixel each way, and before a quick repaint's
// copy of a cached gradient that covers the whole area.
void OVGradientPanel::ClearDrawingArea(Repaint repaint) {
    PictureBox& area = DrawingArea();
    if (area.Picture()) {
        StopRelyingOnArea();
        area.SetPicture(nullptr);  // which clears
        return;
    }
    if (style_ == gpsGradient) {
        if (repaint == Repaint::Quick && CachedGradientCoversArea()) return;
        if (repaint == Repaint::Full && gradient_type_ == gradient::gtNormal && area.client_width() > 1 &&
            area.client_height() > 1)
            return;
    }
    StopRelyingOnArea();
    area.Cls();
}

void OVGradientPanel::SetBorderColors() { border_colours_ = ComputeBorderColours(style_, border_colour_); }

// Renders the gradient into the area and keeps it as the cached gradient picture. The area's
// persistent picture is left empty: it would only show again at the area's next clear, and
// every repaint replaces the whole area before it draws, so the cache alone serves.
//
// The renderer's output depends only on its settings, the area's size and, where its lines
// leave pixels uncovered, the colour the area was cleared to: when all of these are what the
// cache was rendered from, the cache already holds exactly what was just drawn and the
// full-surface copy is left out.
void OVGradientPanel::BuildBackground() {
    if (style_ != gpsGradient) return;  // the first step left the area without a picture
    renderer_->SetColor1(gradient_colour1_);
    renderer_->SetColor2(gradient_colour2_);
    renderer_->SetAngle(gradient_angle_);
    renderer_->SetBlendMode(blend_mode_);
    renderer_->SetRepetitions(repetitions_);
    renderer_->SetGradientType(gradient_type_);
    PictureBox& area = DrawingArea();
    const GradientRender render{renderer_->settings(), area.client_width(), area.client_height(),
                                gdi::TranslateOleColorOrRaw(area.BackColor())};
    try {
        renderer_->Draw(*area_->Object());  // False (nothing drawn) is not an error here
    } catch (...) {
        // Only an allocation failure stops the renderer once it has begun to draw. The area held
        // the rest of a partly held cache and now holds part of this render instead: quick
        // repaints show that until the next full repaint, which takes a new snapshot.
        if (cache_parts_) cached_render_.reset();
        throw;
    }
    ++gradient_renders_;
    if (cached_gradient_ && cached_render_ == render) return;
    cached_render_.reset();  // until the copy is complete
    SnapshotGradient();
    cached_render_ = render;
}

// The area's pixels as the cached picture, in its own bitmap when its size still fits. A cache
// that covers the area copies nothing yet: the area holds the render until the frame and the
// caption are drawn over it, and each copies what it covers into the cache first.
void OVGradientPanel::SnapshotGradient() {
    cache_parts_.reset();
    PictureBox& area = DrawingArea();
    const int width = area.client_width(), height = area.client_height();
    if (width <= 0 || height <= 0) {
        cached_gradient_ = Picture::Empty();
        return;
    }
    if (!cached_gradient_ || cached_gradient_->type() != PictureType::Bitmap ||
        cached_gradient_->width_pixels() != width || cached_gradient_->height_pixels() != height) {
        cached_gradient_ = Picture::FromBitmap(gdi::CreateDIBSection32(width, height));
        if (!cached_gradient_) throw AutomationError(error::kOutOfMemory);
    }
    if (CachedGradientCoversArea()) {
        cache_parts_.emplace();
        return;
    }
    CopyCacheRects(Copy::IntoCache, {gdi::RECT{0, 0, width, height}});
}

// Before the area is drawn over in `rects`: what the cache does not hold yet there is copied
// into it from the area.
void OVGradientPanel::SaveUnderCache(const std::vector<gdi::RECT>& rects) {
    if (!cache_parts_) return;
    const PictureBox& area = DrawingArea();
    std::vector<gdi::RECT> missing;
    for (const gdi::RECT& r : rects) {
        const gdi::RECT within{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, area.client_width()),
                               std::min(r.bottom, area.client_height())};
        const std::vector<gdi::RECT> pieces = cache_parts_->Outside(within);
        cache_parts_->AddOutside(pieces);
        missing.insert(missing.end(), pieces.begin(), pieces.end());
    }
    CopyCacheRects(Copy::IntoCache, missing);
    if (cache_parts_->size() > kMaxCacheParts) CompleteCache();
}

// Called before anything but the repaint's own drawing changes the area's pixels (a clear, a
// BackColor put, a resize, a picture): a cache the area holds part of takes that part first,
// and what the last repaint left in the area is forgotten, so that the next quick repaint
// copies the whole cache instead of restoring only under the last frame and caption.
void OVGradientPanel::StopRelyingOnArea() {
    CompleteCache();
    drawn_over_cache_.reset();
}

// Copies the rest of a partly held cache from the area, which still holds it.
void OVGradientPanel::CompleteCache() {
    if (!cache_parts_) return;
    const PictureBox& area = DrawingArea();
    const std::vector<gdi::RECT> rest = cache_parts_->Outside(gdi::RECT{0, 0, area.client_width(), area.client_height()});
    cache_parts_.reset();
    CopyCacheRects(Copy::IntoCache, rest);
}

void OVGradientPanel::CopyCacheRects(Copy direction, const std::vector<gdi::RECT>& rects) {
    if (rects.empty()) return;
    const gdi::HDC cache = gdi::CreateCompatibleDC(0);
    const gdi::HGDIOBJ previous = gdi::SelectObject(cache, cached_gradient_->handle());
    const gdi::HDC area = DrawingArea().hDC();
    const gdi::HDC to = direction == Copy::IntoCache ? cache : area, from = direction == Copy::IntoCache ? area : cache;
    for (const gdi::RECT& r : rects)
        gdi::BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, gdi::SRCCOPY);
    gdi::SelectObject(cache, previous);
    gdi::DeleteDC(cache);
}

bool OVGradientPanel::CachedGradientCoversArea() const {
    const PictureBox& area = DrawingArea();
    const int width = RoundedPixelWidth(), height = RoundedPixelHeight();
    return cached_gradient_ && cached_gradient_->type() == PictureType::Bitmap &&
           cached_gradient_->width_pixels() >= width && cached_gradient_->height_pixels() >= height &&
           width >= area.client_width() && height >= area.client_height();
}

// Step 4: the cached gradient over the area with BackColor as the transparent colour. Under a
// cache that covers the area lies either BackColor (cleared) or the cache's own pixels (just
// rendered), and where the cache has BackColor it keeps BackColor: the result is the cache
// itself, which a full repaint already has and a quick one gets by a plain copy, of the whole
// area or, when the area still holds the cache under the last frame and caption, of just those
// (and of the parts a partly held cache holds, the area holding the rest).
void OVGradientPanel::PaintGradient(Repaint repaint, const std::vector<gdi::RECT>* restore_only) {
    if (style_ != gpsGradient) return;
    const int width = RoundedPixelWidth(), height = RoundedPixelHeight();
    // A panel without pixels has nothing to copy (and its drawing area no image to cache).
    if (width <= 0 || height <= 0) return;
    PictureBox& area = DrawingArea();
    if (!CachedGradientCoversArea()) {
        PaintTransparentStdPicture(area.hDC(), 0, 0, width, height, cached_gradient_.get(), 0, 0, area.BackColor(), 0);
    } else if (repaint == Repaint::Quick) {
        if (restore_only) CopyCacheRects(Copy::FromCache, *restore_only);
        else if (cache_parts_) CopyCacheRects(Copy::FromCache, cache_parts_->rects());
        else CopyCacheRects(Copy::FromCache, {gdi::RECT{0, 0, width, height}});
    }
    area.Refresh();
}

void OVGradientPanel::DrawBackgroundPicture() {
    if (!picture_ || style_ != gpsPicture) return;
    PictureBox& area = DrawingArea();
    // Any object that is not a picture of the platform is refused by the routines (481).
    const auto* picture = dynamic_cast<const Picture*>(picture_.get());
    const int picture_width =
        picture ? RoundToPixels(ConvertUnits(picture->width_himetric(), kScaleHimetric, kScalePixels, Axis::X)) : 0;
    const int picture_height =
        picture ? RoundToPixels(ConvertUnits(picture->height_himetric(), kScaleHimetric, kScalePixels, Axis::Y)) : 0;
    if (auto_size_ != gpasPictureToControl) {
        PaintTransparentStdPicture(area.hDC(), 0, 0, picture_width, picture_height, picture, 0, 0, area.BackColor(), 0);
    } else {
        PaintStdPicture(area.hDC(), 0, 0, TwipsToPixels(Width(), Axis::X), TwipsToPixels(Height(), Axis::Y), picture, 0,
                        0, picture_width, picture_height, area.BackColor(), 0);
    }
    area.Refresh();
}

// A frame drawn again within `redo_within` lies where the last one did.
void OVGradientPanel::DrawPanelBorder(const gdi::RECT* redo_within) {
    if (cache_parts_) SaveUnderCache(redo_within ? frame_rects_ : BorderBands(DrawingArea(), FrameSettings()));
    frame_rects_ = DrawBorder(DrawingArea(), PanelFrameGeometry(), FrameSettings(), redo_within);
}

void OVGradientPanel::DrawPanelCaption() {
    CaptionLayout layout{alignment_, caption_style_, cushion_, PixelWidthExact(), PixelHeightExact(), {}};
    gdi::GetClientRect(hWnd(), &layout.client);
    const gdi::RECT placed = PlaceCaptionText(caption_, DrawingArea(), layout);
    SaveUnderCache({CaptionBounds(placed)});
    caption_rect_ = DrawCaptionAt(caption_, DrawingArea(), caption_style_, placed);
}

void OVGradientPanel::ApplyTransparency() {
    // Only at run time: at design time a see-through panel is painted and shown like a plain
    // one, and every other style is opaque.
    if (style_ == gpsTransparent && AmbientUserMode()) ApplySeeThroughMask(*this, DrawingArea());
    else SetBackStyle(1);
}

void OVGradientPanel::PresentDrawing() {
    gdi::BitBlt(hDC(), 0, 0, RoundedPixelWidth(), RoundedPixelHeight(), DrawingArea().hDC(), 0, 0, gdi::SRCCOPY);
    Refresh();
}

}  // namespace ov::panel
