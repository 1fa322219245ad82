#pragma once
// OVGradientPanel: a container panel painted in one of four styles (plain colour, gradient,
// picture, see-through) with a border chosen from eight appearances and a styled one-line
// caption at one of nine positions. It passes the mouse and drag events of its surface on to
// the host with coordinates in the parent form's units.
//
// Everything is drawn into the hidden picture box picDrawArea and reaches the panel's own
// surface in one copy. Two repaints exist: RedrawFull also refreshes the classic border colours
// and re-renders the gradient; RedrawQuick reuses the gradient rendered last time, so caption,
// colour, font and border writes never run the renderer.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gradient/cls_gradient.h"
#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "panel/border_painter.h"
#include "panel/gradient_cache.h"
#include "panel/panel_enums.h"
#include "platform/gdi/ole_colour.h"
#include "platform/picture/std_font.h"

namespace ov {
class PictureBox;
class Picture;
}  // namespace ov

namespace ov::panel {

// A new panel's extent, in twips.
inline constexpr double kNewPanelWidth = 1230;
inline constexpr double kNewPanelHeight = 510;

class OVGradientPanel : public host::Control {
public:
    // Dispatch ids of _OVGradientPanel.
    enum Member : std::int32_t {
        kAlignment = 1,
        kAlignmentCushion,
        kAppearance,
        kAutoSize,
        kBackColor,
        kBevelIntensity,
        kBevelWidth,
        kBorderColor,
        kCaption,
        kCaptionStyle,
        kEnabled,
        kFont,
        kFontBold,
        kFontItalic,
        kFontName,
        kFontSize,
        kFontStrikethrough,
        kFontUnderline,
        kForeColor,
        kGradientAngle,
        kGradientBlendMode,
        kGradientColor1,
        kGradientColor2,
        kGradientRepetitions,
        kGradientType,
        kHDC,
        kHWnd,
        kMouseIcon,
        kMousePointer,
        kOLEDropMode,
        kPicture,
        kStyle,
        kUseClassicBorders,
        kRefresh,
        kOLEDrag
    };

    OVGradientPanel();
    ~OVGradientPanel() override;

    static const ClassInfo& StaticInfo();
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    // --- properties, in interface order --------------------------------------------------------
    std::int32_t Alignment() const { return alignment_; }
    void SetAlignment(std::int32_t alignment);
    std::int32_t AlignmentCushion() const { return cushion_; }
    void SetAlignmentCushion(std::int32_t cushion);
    std::int32_t Appearance() const { return appearance_; }
    void SetAppearance(std::int32_t appearance);
    std::int32_t PanelAutoSize() const { return auto_size_; }
    void SetPanelAutoSize(std::int32_t mode);
    std::int32_t PanelBackColor() const;
    void SetPanelBackColor(std::int32_t colour);
    std::int32_t BevelIntensity() const { return bevel_intensity_; }
    void SetBevelIntensity(std::int32_t intensity);
    std::int32_t BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(std::int32_t width);
    std::int32_t BorderColor() const { return border_colour_; }
    void SetBorderColor(std::int32_t colour);
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    std::int32_t CaptionStyle() const { return caption_style_; }
    void SetCaptionStyle(std::int32_t style);
    bool PanelEnabled() const { return Enabled(); }
    void SetPanelEnabled(bool enabled);
    std::shared_ptr<IDispatch> PanelFont() const;
    void SetPanelFont(std::shared_ptr<IDispatch> font);
    bool FontBold() const;
    void SetFontBold(bool bold);
    bool FontItalic() const;
    void SetFontItalic(bool italic);
    std::string FontName() const;
    void SetFontName(std::string name);
    float FontSize() const;
    void SetFontSize(float size);
    bool FontStrikethrough() const;
    void SetFontStrikethrough(bool strikethrough);
    bool FontUnderline() const;
    void SetFontUnderline(bool underline);
    std::int32_t PanelForeColor() const;
    void SetPanelForeColor(std::int32_t colour);
    double GradientAngle() const { return gradient_angle_; }
    void SetGradientAngle(double angle);
    std::int32_t GradientBlendMode() const { return blend_mode_; }
    void SetGradientBlendMode(std::int32_t mode);
    std::int32_t GradientColor1() const { return gradient_colour1_; }
    void SetGradientColor1(std::int32_t colour);
    std::int32_t GradientColor2() const { return gradient_colour2_; }
    void SetGradientColor2(std::int32_t colour);
    double GradientRepetitions() const { return repetitions_; }
    void SetGradientRepetitions(double repetitions);
    std::int32_t GradientType() const { return gradient_type_; }
    void SetGradientType(std::int32_t type);
    std::int32_t PanelDC() const { return static_cast<std::int32_t>(hDC()); }
    std::int32_t PanelWindow() const { return static_cast<std::int32_t>(hWnd()); }
    std::shared_ptr<IDispatch> PanelMouseIcon() const { return MouseIcon(); }
    void SetPanelMouseIcon(std::shared_ptr<IDispatch> icon);
    std::int32_t PanelMousePointer() const { return MousePointer(); }
    void SetPanelMousePointer(std::int32_t pointer);
    std::int32_t PanelOLEDropMode() const { return OLEDropMode(); }
    void SetPanelOLEDropMode(std::int32_t mode);
    std::shared_ptr<IDispatch> PanelPicture() const { return picture_; }
    void SetPanelPicture(std::shared_ptr<IDispatch> picture);
    std::int32_t Style() const { return style_; }
    void SetStyle(std::int32_t style);
    bool UseClassicBorders() const { return classic_borders_; }
    void SetUseClassicBorders(bool classic);

    // --- repaints (Refresh runs RedrawFull) ----------------------------------------------------
    void RedrawFull();
    void RedrawQuick();

    // --- for tests and benchmarks ----------------------------------------------------------
    PictureBox& DrawingArea() const;
    const BorderColours& ClassicBorderColours() const { return border_colours_; }
    // How many times the gradient renderer has drawn since the panel was created.
    std::int64_t gradient_renders() const { return gradient_renders_; }
    bool parent_scale() const { return parent_scale_; }

protected:
    void OnInitialize() override;
    void OnInitProperties() override;
    void OnReadProperties(const host::PropertyBag& bag) override;
    void OnResize() override;
    void OnShow() override;
    void OnTerminate() override;
    // The drawing area holds colours resolved when it was drawn: draw it again.
    void OnSystemColoursChanged() override { RedrawFull(); }
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override;

private:
    // Paint steps (panel_redraw.cpp).
    enum class Repaint : std::uint8_t { Full, Quick };
    // After a repaint of a gradient panel the drawing area holds the cached gradient with a
    // frame and caption over it; a quick repaint then restores from the cache only what they
    // covered (the caption alone when the frame stays the same) instead of the whole area.
    std::optional<GradientCache::DrawnOver> TakeDrawnOverCache();
    void NoteDrawingOverCache();
    BorderSettings FrameSettings() const;
    FrameGeometry PanelFrameGeometry() const;
    void ClearDrawingArea(Repaint repaint);
    void SetBorderColors();
    void BuildBackground();
    void PaintGradient(Repaint repaint, const std::vector<gdi::RECT>* restore_only);
    void DrawBackgroundPicture();
    void DrawPanelBorder(const gdi::RECT* redo_within = nullptr);
    void DrawPanelCaption();
    void ApplyTransparency();
    // Copies the drawing area onto the panel: all of it, or, while the panel still shows the
    // last copy, only `changed` (area pixels), the rest being the same on both.
    void PresentDrawing(const std::vector<gdi::RECT>* changed = nullptr);
    // The panel's scale extent in pixels (unrounded), and rounded halves to even.
    double PixelWidthExact() const;
    double PixelHeightExact() const;
    int RoundedPixelWidth() const;
    int RoundedPixelHeight() const;
    gdi::SIZE PixelSize() const;  // both rounded

    void RunResizeHandler();
    bool AskParentForScale() const;
    int EventCoordinateTarget() const;
    void ChangeFont(const std::function<void(FontDesc&)>& change, std::int32_t property);
    void SetPersistedFont(const std::shared_ptr<IDispatch>& font);

    std::int32_t alignment_ = gpaCenterMiddle;
    std::int32_t cushion_ = 3;
    std::int32_t appearance_ = gpaEtched;
    std::int32_t auto_size_ = gpasNone;
    std::int32_t bevel_intensity_ = 20;
    std::int32_t bevel_width_ = 3;
    std::int32_t border_colour_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    std::string caption_;
    std::int32_t caption_style_ = gpcStandard;
    double gradient_angle_ = 0;
    std::int32_t blend_mode_ = 0;
    std::int32_t gradient_colour1_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    std::int32_t gradient_colour2_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    double repetitions_ = 1;
    std::int32_t gradient_type_ = 0;
    std::shared_ptr<IDispatch> picture_;
    std::int32_t style_ = gpsStandard;
    bool classic_borders_ = false;

    host::ConstituentPictureBox* area_ = nullptr;  // picDrawArea
    std::unique_ptr<gradient::clsGradient> renderer_;
    // The last gradient rendered, made with the area; every change of the area's pixels goes
    // through it.
    std::unique_ptr<GradientCache> cache_;
    BorderColours border_colours_;
    std::vector<gdi::RECT> frame_rects_;         // what the last DrawPanelBorder may have changed
    std::optional<std::uint64_t> presented_at_;  // the drawing layer's damage stamp after the last copy
    gdi::RECT caption_rect_{};                   // and the last DrawPanelCaption
    bool resizing_ = false;                      // the resize handler is sizing the panel to its picture
    bool initialising_ = false;                  // new-instance defaults are being applied
    bool parent_scale_ = false;                  // the parent reported a ScaleMode other than user
    std::int64_t gradient_renders_ = 0;
};

}  // namespace ov::panel
