// OVGradientPanel's two repaints and their steps. Both draw the whole panel from scratch into
// the hidden drawing area and copy it onto the panel in one go, so the panel never shows a
// half-drawn state; an error in a step (the gradient renderer's, or a refused picture) stops
// the repaint there and nothing is copied.
#include "panel/gradient_panel.h"

#include "panel/caption_painter.h"
#include "panel/picture_painter.h"
#include "panel/transparency.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/scale/scale.h"

namespace ov::panel {

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
        area.SetPicture(nullptr);  // which clears
        return;
    }
    if (style_ == gpsGradient) {
        if (repaint == Repaint::Quick && CachedGradientCoversArea()) return;
        if (repaint == Repaint::Full && gradient_type_ == gradient::gtNormal && area.client_width() > 1 &&
            area.client_height() > 1)
            return;
    }
    area.Cls();
}

void OVGradientPanel::SetBorderColors() { border_colours_ = ComputeBorderColours(style_, border_colour_); }

// Renders the gradient into the area and keeps a copy as the cached gradient picture. The
// area's persistent picture is left empty: it would only show again at the area's next clear,
// and every repaint replaces the whole area before it draws, so the cache alone serves.
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
    GradientRender render{renderer_->settings(), area.client_width(), area.client_height(), 0};
    if (gdi::OleTranslateColor(area.BackColor(), 0, &render.cleared_to) != gdi::S_OK) render.cleared_to = area.BackColor();
    renderer_->Draw(*area_->Object());  // False (nothing drawn) is not an error here
    ++gradient_renders_;
    if (cached_gradient_ && cached_render_ == render) return;
    cached_render_.reset();  // until the copy is complete
    SnapshotGradient();
    cached_render_ = render;
}

// A copy of the area's pixels, in the cached picture's own bitmap when its size still fits.
void OVGradientPanel::SnapshotGradient() {
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
    const gdi::HDC copy = gdi::CreateCompatibleDC(0);
    const gdi::HGDIOBJ previous = gdi::SelectObject(copy, cached_gradient_->handle());
    gdi::BitBlt(copy, 0, 0, width, height, area.hDC(), 0, 0, gdi::SRCCOPY);
    gdi::SelectObject(copy, previous);
    gdi::DeleteDC(copy);
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
// area or, when the area still holds the cache under the last frame and caption, of just those.
void OVGradientPanel::PaintGradient(Repaint repaint, const std::vector<gdi::RECT>* restore_only) {
    if (style_ != gpsGradient) return;
    const int width = RoundedPixelWidth(), height = RoundedPixelHeight();
    // A panel without pixels has nothing to copy (and its drawing area no image to cache).
    if (width <= 0 || height <= 0) return;
    PictureBox& area = DrawingArea();
    if (!CachedGradientCoversArea()) {
        PaintTransparentStdPicture(area.hDC(), 0, 0, width, height, cached_gradient_.get(), 0, 0, area.BackColor(), 0);
    } else if (repaint == Repaint::Quick) {
        const gdi::HDC cache = gdi::CreateCompatibleDC(0);
        const gdi::HGDIOBJ previous = gdi::SelectObject(cache, cached_gradient_->handle());
        const gdi::HDC dc = area.hDC();
        if (restore_only) {
            for (const gdi::RECT& r : *restore_only)
                gdi::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, cache, r.left, r.top, gdi::SRCCOPY);
        } else {
            gdi::BitBlt(dc, 0, 0, width, height, cache, 0, 0, gdi::SRCCOPY);
        }
        gdi::SelectObject(cache, previous);
        gdi::DeleteDC(cache);
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

void OVGradientPanel::DrawPanelBorder(const gdi::RECT* redo_within) {
    frame_rects_ = DrawBorder(DrawingArea(), PanelFrameGeometry(), FrameSettings(), redo_within);
}

void OVGradientPanel::DrawPanelCaption() {
    CaptionLayout layout{alignment_, caption_style_, cushion_, PixelWidthExact(), PixelHeightExact(), {}};
    gdi::GetClientRect(hWnd(), &layout.client);
    caption_rect_ = DrawCaption(caption_, DrawingArea(), layout);
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
