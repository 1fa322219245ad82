// OVGradientPanel's two repaints and their steps. Both draw the whole panel into the hidden
// drawing area and copy it onto the panel in one go (a quick repaint over the last one copies
// only what it changed), so the panel never shows a half-drawn state; an error in a step (the gradient renderer's, or a refused picture) stops
// the repaint there and nothing is copied.
#include "panel/gradient_panel.h"

#include <algorithm>

#include "panel/caption_painter.h"
#include "panel/picture_painter.h"
#include "panel/transparency.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/window.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/scale/scale.h"

namespace ov::panel {

void OVGradientPanel::RedrawFull() {
    if (!area_) return;
    cache_->ForgetDrawnOver();
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
    const std::optional<GradientCache::DrawnOver> previous = TakeDrawnOverCache();
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
    if (!previous) {
        PresentDrawing();
        return;
    }
    // Over the last repaint's area only the restored parts, the new caption and a new frame
    // changed (a frame drawn again within the old caption lies inside the restored parts).
    std::vector<gdi::RECT> changed = std::move(restore);
    changed.push_back(caption_rect_);
    if (!same_frame) changed.insert(changed.end(), frame_rects_.begin(), frame_rects_.end());
    PresentDrawing(&changed);
}

// What the last repaint left in the area, if the area still holds it: the same size, still a
// gradient panel whose cache covers the area, and no persistent picture (whose removal
// clears). Taken either way: a repaint that fails halfway leaves nothing to rely on.
std::optional<GradientCache::DrawnOver> OVGradientPanel::TakeDrawnOverCache() {
    std::optional<GradientCache::DrawnOver> drawn = cache_->TakeDrawnOver();
    const PictureBox& area = DrawingArea();
    if (!drawn || style_ != gpsGradient || area.Picture() || area.client_width() != drawn->area_width ||
        area.client_height() != drawn->area_height || !cache_->CoversArea(PixelSize()))
        return std::nullopt;
    return drawn;
}

// Called once a repaint has drawn everything into the area: for a gradient panel whose cache
// covers the area, the area is now the cache with the frame and the caption over it.
void OVGradientPanel::NoteDrawingOverCache() {
    const PictureBox& area = DrawingArea();
    if (style_ != gpsGradient || area.Picture() || !cache_->CoversArea(PixelSize())) return;
    cache_->NoteDrawnOver(GradientCache::DrawnOver{area.client_width(), area.client_height(), FrameSettings(),
                                                   PanelFrameGeometry(), frame_rects_, caption_rect_});
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
gdi::SIZE OVGradientPanel::PixelSize() const { return gdi::SIZE{RoundedPixelWidth(), RoundedPixelHeight()}; }

// Step 1: remove the persistent picture and clear the area to BackColor. Two clears would only
// be painted over and are left out: before a linear gradient, whose one-pixel lines one pixel
// apart cover every pixel of an area over one pixel each way, and before a quick repaint's
// copy of a cached gradient that covers the whole area.
void OVGradientPanel::ClearDrawingArea(Repaint repaint) {
    if (DrawingArea().Picture()) {
        cache_->ChangeArea([](PictureBox& area) { area.SetPicture(nullptr); });  // which clears
        return;
    }
    if (style_ == gpsGradient) {
        const PictureBox& area = DrawingArea();
        if (repaint == Repaint::Quick && cache_->CoversArea(PixelSize())) return;
        if (repaint == Repaint::Full && gradient_type_ == gradient::gtNormal && area.client_width() > 1 &&
            area.client_height() > 1)
            return;
    }
    cache_->ChangeArea([](PictureBox& area) { area.Cls(); });
}

void OVGradientPanel::SetBorderColors() { border_colours_ = ComputeBorderColours(style_, border_colour_); }

// Renders the gradient into the area and keeps it as the cached gradient picture. The area's
// persistent picture is left empty: it would only show again at the area's next clear, and
// every repaint replaces the whole area before it draws, so the cache alone serves.
void OVGradientPanel::BuildBackground() {
    if (style_ != gpsGradient) return;  // the first step left the area without a picture
    renderer_->SetColor1(gradient_colour1_);
    renderer_->SetColor2(gradient_colour2_);
    renderer_->SetAngle(gradient_angle_);
    renderer_->SetBlendMode(blend_mode_);
    renderer_->SetRepetitions(repetitions_);
    renderer_->SetGradientType(gradient_type_);
    const PictureBox& area = DrawingArea();
    // Where its lines leave pixels uncovered the render shows the colour the area was cleared to.
    const GradientCache::Render render{renderer_->settings(), area.client_width(), area.client_height(),
                                       gdi::TranslateOleColorOrRaw(area.BackColor())};
    cache_->DrawRender(render, PixelSize(), [&](PictureBox&) {
        renderer_->Draw(*area_->Object());  // False (nothing drawn) is not an error here
    });
    ++gradient_renders_;
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
    if (!cache_->CoversArea(PixelSize())) {
        PaintTransparentStdPicture(area.hDC(), 0, 0, width, height, cache_->picture(), 0, 0, area.BackColor(), 0);
    } else if (repaint == Repaint::Quick) {
        cache_->Restore(restore_only, PixelSize());
    }
    area.Refresh();
}

void OVGradientPanel::DrawBackgroundPicture() {
    if (!picture_ || style_ != gpsPicture) return;
    PictureBox& area = DrawingArea();
    // Any object that is not a picture of the platform is refused by the routines (481).
    // Drawn at its display size: its own pixels unless the screen is scaled, where a scaled
    // copy keeps the picture's logical size.
    const auto* given = dynamic_cast<const Picture*>(picture_.get());
    const Picture* picture = given ? &given->AtDisplaySize() : nullptr;
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
    const BorderSettings frame = FrameSettings();
    const auto covered = [&] { return redo_within ? frame_rects_ : BorderBands(DrawingArea(), frame); };
    frame_rects_ = cache_->DrawOver(
        covered, [&](PictureBox& area) { return DrawBorder(area, PanelFrameGeometry(), frame, redo_within); });
}

void OVGradientPanel::DrawPanelCaption() {
    CaptionLayout layout{alignment_, caption_style_, cushion_, PixelWidthExact(), PixelHeightExact(), {}};
    gdi::GetClientRect(hWnd(), &layout.client);
    const gdi::RECT placed = PlaceCaptionText(caption_, DrawingArea(), layout);
    const auto covered = [&] { return std::vector<gdi::RECT>{CaptionBounds(placed)}; };
    caption_rect_ = cache_->DrawOver(
        covered, [&](PictureBox& area) { return DrawCaptionAt(caption_, area, caption_style_, placed); });
}

void OVGradientPanel::ApplyTransparency() {
    // Only at run time: at design time a see-through panel is painted and shown like a plain
    // one, and every other style is opaque.
    if (style_ == gpsTransparent && AmbientUserMode())
        cache_->ChangeArea([&](PictureBox& area) { ApplySeeThroughMask(*this, area); });
    else SetBackStyle(1);
}

void OVGradientPanel::PresentDrawing(const std::vector<gdi::RECT>* changed) {
    const int width = RoundedPixelWidth(), height = RoundedPixelHeight();
    gdi::RECT since_last{};
    const bool unchanged = changed && presented_at_ && gdi::GetWindowDamageSince(hWnd(), *presented_at_, &since_last) &&
                           gdi::IsRectEmpty(since_last);
    if (unchanged) {
        for (const gdi::RECT& r : *changed) {
            const int left = std::max(r.left, 0), top = std::max(r.top, 0);
            const int right = std::min(r.right, width), bottom = std::min(r.bottom, height);
            if (right > left && bottom > top)
                gdi::BitBlt(hDC(), left, top, right - left, bottom - top, DrawingArea().hDC(), left, top, gdi::SRCCOPY);
        }
    } else {
        gdi::BitBlt(hDC(), 0, 0, width, height, DrawingArea().hDC(), 0, 0, gdi::SRCCOPY);
    }
    presented_at_ = gdi::DamageStamp();
    Refresh();
}

}  // namespace ov::panel
