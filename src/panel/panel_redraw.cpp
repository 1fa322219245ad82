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
#include "platform/scale/scale.h"

namespace ov::panel {

void OVGradientPanel::RedrawFull() {
    if (!area_) return;
    ClearDrawingArea();
    SetBorderColors();
    BuildBackground();
    PaintGradient();
    DrawBackgroundPicture();
    DrawPanelBorder();
    DrawPanelCaption();
    ApplyTransparency();
    PresentDrawing();
}

void OVGradientPanel::RedrawQuick() {
    if (!area_) return;
    ClearDrawingArea();
    PaintGradient();
    DrawBackgroundPicture();
    DrawPanelBorder();
    DrawPanelCaption();
    ApplyTransparency();
    PresentDrawing();
}

double OVGradientPanel::PixelWidthExact() const { return ScaleX(ScaleWidth(), ScaleMode(), kScalePixels); }
double OVGradientPanel::PixelHeightExact() const { return ScaleY(ScaleHeight(), ScaleMode(), kScalePixels); }
int OVGradientPanel::RoundedPixelWidth() const { return RoundToPixels(PixelWidthExact()); }
int OVGradientPanel::RoundedPixelHeight() const { return RoundToPixels(PixelHeightExact()); }

void OVGradientPanel::ClearDrawingArea() {
    // Removing the persistent picture clears the area to BackColor.
    DrawingArea().SetPicture(nullptr);
}

void OVGradientPanel::SetBorderColors() { border_colours_ = ComputeBorderColours(style_, border_colour_); }

void OVGradientPanel::BuildBackground() {
    PictureBox& area = DrawingArea();
    if (style_ != gpsGradient) {
        // The first step left the area without a persistent picture already.
        if (area.Picture()) area.SetPicture(nullptr);
        return;
    }
    renderer_->SetColor1(gradient_colour1_);
    renderer_->SetColor2(gradient_colour2_);
    renderer_->SetAngle(gradient_angle_);
    renderer_->SetBlendMode(blend_mode_);
    renderer_->SetRepetitions(repetitions_);
    renderer_->SetGradientType(gradient_type_);
    renderer_->Draw(*area_->Object());  // False (nothing drawn) is not an error here
    ++gradient_renders_;
    cached_gradient_ = area.Image();
    area.SetPicture(cached_gradient_);
}

void OVGradientPanel::PaintGradient() {
    if (style_ != gpsGradient) return;
    const int width = RoundedPixelWidth(), height = RoundedPixelHeight();
    // A panel without pixels has nothing to copy (and its drawing area no image to cache).
    if (width <= 0 || height <= 0) return;
    PictureBox& area = DrawingArea();
    PaintTransparentStdPicture(area.hDC(), 0, 0, width, height, cached_gradient_.get(), 0, 0, area.BackColor(), 0);
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

void OVGradientPanel::DrawPanelBorder() {
    const FrameGeometry geometry{ScaleX(1, kScalePixels, ScaleMode()), ScaleY(1, kScalePixels, ScaleMode()),
                                 ScaleWidth(), ScaleHeight()};
    DrawBorder(DrawingArea(), geometry,
               BorderSettings{appearance_, classic_borders_, bevel_width_, bevel_intensity_, border_colours_});
}

void OVGradientPanel::DrawPanelCaption() {
    CaptionLayout layout{alignment_, caption_style_, cushion_, PixelWidthExact(), PixelHeightExact(), {}};
    gdi::GetClientRect(hWnd(), &layout.client);
    DrawCaption(caption_, DrawingArea(), layout);
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
