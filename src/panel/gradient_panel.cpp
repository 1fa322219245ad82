#include "panel/gradient_panel.h"

#include "gradient/gradient_object.h"
#include "host/font_attributes.h"
#include "platform/gdi/ole_colour.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "platform/scale/scale.h"

namespace ov::panel {

namespace {

constexpr double kMinRepetitions = 1.0;
constexpr double kMaxRepetitions = 45.0;

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

// MousePointer and OLEDropMode are 16-bit values of the host: a value that does not fit fails
// before anything changes.
std::int16_t ToInteger(std::int32_t value) {
    if (!InRange(value, INT16_MIN, INT16_MAX)) throw AutomationError(error::kOverflow);
    return static_cast<std::int16_t>(value);
}

Variant Long(std::int32_t v) { return Variant::FromLong(v); }

// The gradient enumerations are the renderer's own; the panel's table lists the same ones.
const EnumDesc& GradientEnum(const char* name) { return *gradient::GradientObject::StaticInfo().FindEnum(name); }

}  // namespace

OVGradientPanel::OVGradientPanel() = default;
OVGradientPanel::~OVGradientPanel() = default;

const ClassInfo& OVGradientPanel::StaticInfo() {
    static const ClassInfo info = [] {
        using P = OVGradientPanel;
        const TypeDesc long_type = TypeDesc::Of(VarType::Long);
        const TypeDesc boolean = TypeDesc::Of(VarType::Boolean);
        const TypeDesc text = TypeDesc::Of(VarType::String);
        const TypeDesc real = TypeDesc::Of(VarType::Double);
        const TypeDesc integer = TypeDesc::Of(VarType::Integer);
        const auto event_params = [](const char* name) { return host::FindStandardEvent(name)->params; };
        const EnumDesc& grad_type = GradientEnum("GradType");
        const EnumDesc& blend_mode = GradientEnum("GradBlendMode");
        return ClassBuilder<P>("OVGradientPanel")
            .ClassHelp("Panel with a gradient, picture or see-through background, a frame and a styled caption")
            .Property("Alignment", 1, TypeDesc::Enum("gpAlignment"), &P::Alignment, &P::SetAlignment)
            .Help("Position of the caption").Default(Long(gpaCenterMiddle))
            .Property("AlignmentCushion", 2, long_type, &P::AlignmentCushion, &P::SetAlignmentCushion)
            .Help("Distance in pixels between the caption and the edges it is aligned to").Default(Long(3))
            .Property("Appearance", 3, TypeDesc::Enum("gpAppearance"), &P::Appearance, &P::SetAppearance)
            .Help("Frame drawn around the panel").Default(Long(gpaEtched))
            .Property("AutoSize", 4, TypeDesc::Enum("gpAutoSize"), &P::PanelAutoSize, &P::SetPanelAutoSize)
            .Help("How the picture and the panel size each other").Default(Long(gpasNone))
            .Property("BackColor", 5, TypeDesc::Color(), &P::PanelBackColor, &P::SetPanelBackColor)
            .Help("Background colour").Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Property("BevelIntensity", 6, long_type, &P::BevelIntensity, &P::SetBevelIntensity)
            .Help("Shift per bevel ring").Default(Long(20))
            .Property("BevelWidth", 7, long_type, &P::BevelWidth, &P::SetBevelWidth)
            .Help("Number of bevel rings less one").Default(Long(3))
            .Property("BorderColor", 8, TypeDesc::Color(), &P::BorderColor, &P::SetBorderColor)
            .Help("Colour the classic frame is shaded from").Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Property("Caption", 9, text, &P::Caption, &P::SetCaption)
            .Help("Text shown on the panel").Default(Variant::FromString(""))
            .Property("CaptionStyle", 10, TypeDesc::Enum("gpCaptionStyle"), &P::CaptionStyle, &P::SetCaptionStyle)
            .Help("Engraved, embossed or shadowed caption").Default(Long(gpcStandard))
            .Property("Enabled", 11, boolean, &P::PanelEnabled, &P::SetPanelEnabled)
            .Help("Whether the panel responds to the user").Default(Variant::FromBoolean(true))
            // The Font key's default is the ambient font, which only the site knows
            // (PersistDefault puts it in).
            .ObjectProperty("Font", 12, TypeDesc::Object("StdFont"), &P::PanelFont, &P::SetPanelFont)
            .Help("Font of the caption").Default(Variant::FromObject(nullptr))
            .Property("FontBold", 13, boolean, &P::FontBold, &P::SetFontBold)
            .Property("FontItalic", 14, boolean, &P::FontItalic, &P::SetFontItalic)
            .Property("FontName", 15, text, &P::FontName, &P::SetFontName)
            .Property("FontSize", 16, TypeDesc::Of(VarType::Single), &P::FontSize, &P::SetFontSize)
            .Property("FontStrikethrough", 17, boolean, &P::FontStrikethrough, &P::SetFontStrikethrough)
            .Property("FontUnderline", 18, boolean, &P::FontUnderline, &P::SetFontUnderline)
            .Property("ForeColor", 19, TypeDesc::Color(), &P::PanelForeColor, &P::SetPanelForeColor)
            .Help("Colour of the caption").Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNTEXT)))
            .Property("GradientAngle", 20, real, &P::GradientAngle, &P::SetGradientAngle)
            .Help("Direction of the gradient in degrees").Default(Variant::FromDouble(0))
            .Property("GradientBlendMode", 21, TypeDesc::Enum("GradBlendMode"), &P::GradientBlendMode,
                      &P::SetGradientBlendMode)
            .Help("Blending of the gradient colours").Default(Long(0))
            .Property("GradientColor1", 22, TypeDesc::Color(), &P::GradientColor1, &P::SetGradientColor1)
            .Help("Start colour of the gradient").Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Property("GradientColor2", 23, TypeDesc::Color(), &P::GradientColor2, &P::SetGradientColor2)
            .Help("End colour of the gradient").Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Property("GradientRepetitions", 24, real, &P::GradientRepetitions, &P::SetGradientRepetitions)
            .Help("Number of colour runs, 1 to 45").Default(Variant::FromDouble(1.0))
            .Property("GradientType", 25, TypeDesc::Enum("GradType"), &P::GradientType, &P::SetGradientType)
            .Help("Shape of the gradient").Default(Long(0))
            .ReadOnly("hDC", 26, long_type, &P::PanelDC)
            .Help("Device context of the panel")
            .ReadOnly("hWnd", 27, long_type, &P::PanelWindow)
            .Help("Window handle of the panel")
            .ObjectProperty("MouseIcon", 28, TypeDesc::Object("StdPicture"), &P::PanelMouseIcon, &P::SetPanelMouseIcon)
            .Help("Custom mouse pointer").Default(Variant::FromObject(nullptr))
            .Property("MousePointer", 29, TypeDesc::Enum("MousePointerConstants"), &P::PanelMousePointer,
                      &P::SetPanelMousePointer)
            .Help("Mouse pointer shown over the panel").Default(Variant::FromInteger(0))
            .Property("OLEDropMode", 30, TypeDesc::Enum("OLEDropConstants"), &P::PanelOLEDropMode,
                      &P::SetPanelOLEDropMode)
            .Help("Whether the panel accepts OLE drops").Default(Variant::FromInteger(0))
            .ObjectProperty("Picture", 31, TypeDesc::Object("StdPicture"), &P::PanelPicture, &P::SetPanelPicture)
            .Help("Background picture").Default(Variant::FromObject(nullptr))
            .Property("Style", 32, TypeDesc::Enum("gpStyle"), &P::Style, &P::SetStyle)
            .Help("Background: plain, gradient, picture or see-through").Default(Long(gpsStandard))
            .Property("UseClassicBorders", 33, boolean, &P::UseClassicBorders, &P::SetUseClassicBorders)
            .Help("Solid frame colours instead of shading the background").Default(Variant::FromBoolean(false))
            .Method("Refresh", 34, &P::RedrawFull)
            .Help("Repaints the panel, the gradient included")
            .Method("OLEDrag", 35, &P::OLEDrag)
            .Help("Starts an OLE drag operation from the panel")
            .Event("Click")
            .Event("DblClick")
            .Event("MouseDown", event_params("MouseDown"))
            .Event("MouseMove", event_params("MouseMove"))
            .Event("MouseUp", event_params("MouseUp"))
            .Event("OLEStartDrag", event_params("OLEStartDrag"))
            .Event("OLESetData", event_params("OLESetData"))
            .Event("OLEGiveFeedback", event_params("OLEGiveFeedback"))
            .Event("OLEDragOver", event_params("OLEDragOver"))
            .Event("OLEDragDrop", event_params("OLEDragDrop"))
            .Event("OLECompleteDrag", event_params("OLECompleteDrag"))
            .Event("Resize")
            .Enum("gpAlignment", {{"gpaLeftTop", gpaLeftTop},
                                  {"gpaLeftMiddle", gpaLeftMiddle},
                                  {"gpaLeftBottom", gpaLeftBottom},
                                  {"gpaRightTop", gpaRightTop},
                                  {"gpaRightMiddle", gpaRightMiddle},
                                  {"gpaRightBottom", gpaRightBottom},
                                  {"gpaCenterTop", gpaCenterTop},
                                  {"gpaCenterMiddle", gpaCenterMiddle},
                                  {"gpaCenterBottom", gpaCenterBottom}})
            .Enum("gpAppearance", {{"gpaNone", gpaNone},
                                   {"gpaFlatRaised", gpaFlatRaised},
                                   {"gpaFlatInset", gpaFlatInset},
                                   {"gpa3DRaised", gpa3DRaised},
                                   {"gpa3DInset", gpa3DInset},
                                   {"gpaEtched", gpaEtched},
                                   {"gpaBevelRaised", gpaBevelRaised},
                                   {"gpaBevelInset", gpaBevelInset}})
            .Enum("gpAutoSize", {{"gpasNone", gpasNone},
                                 {"gpasPictureToControl", gpasPictureToControl},
                                 {"gpasControlToPicture", gpasControlToPicture}})
            .Enum("gpCaptionStyle", {{"gpcStandard", gpcStandard},
                                     {"gpcInsetLight", gpcInsetLight},
                                     {"gpcInsetHeavy", gpcInsetHeavy},
                                     {"gpcRaisedLight", gpcRaisedLight},
                                     {"gpcRaisedHeavy", gpcRaisedHeavy},
                                     {"gpcDropShadow", gpcDropShadow}})
            .Enum("gpStyle", {{"gpsStandard", gpsStandard},
                              {"gpsGradient", gpsGradient},
                              {"gpsPicture", gpsPicture},
                              {"gpsTransparent", gpsTransparent}})
            .Enum(grad_type.name, grad_type.values)
            .Enum(blend_mode.name, blend_mode.values)
            // The 25 keys in the order they are read and written. Values read go straight
            // into their holders without the puts' checks or repaints; Enabled and MouseIcon
            // are assigned through their puts (and so notify).
            .Persist("Alignment", [](P& p, const Variant& v) { p.alignment_ = CLng(v); },
                     [](P& p) { return Long(p.alignment_); })
            .Persist("AlignmentCushion", [](P& p, const Variant& v) { p.cushion_ = CLng(v); },
                     [](P& p) { return Long(p.cushion_); })
            .Persist("Appearance", [](P& p, const Variant& v) { p.appearance_ = CLng(v); },
                     [](P& p) { return Long(p.appearance_); })
            .Persist("AutoSize", [](P& p, const Variant& v) { p.auto_size_ = CLng(v); },
                     [](P& p) { return Long(p.auto_size_); })
            .Persist("BackColor",
                     [](P& p, const Variant& v) {
                         p.cache_->ChangeArea(
                             [&](PictureBox& area) { area.SetBackColor(static_cast<OleColor>(CLng(v))); });
                     },
                     [](P& p) { return Long(p.PanelBackColor()); })
            .Persist("BevelIntensity", [](P& p, const Variant& v) { p.bevel_intensity_ = CLng(v); },
                     [](P& p) { return Long(p.bevel_intensity_); })
            .Persist("BevelWidth", [](P& p, const Variant& v) { p.bevel_width_ = CLng(v); },
                     [](P& p) { return Long(p.bevel_width_); })
            .Persist("BorderColor", [](P& p, const Variant& v) { p.border_colour_ = CLng(v); },
                     [](P& p) { return Long(p.border_colour_); })
            .Persist("Caption", [](P& p, const Variant& v) { p.caption_ = CStr(v); },
                     [](P& p) { return Variant::FromString(p.caption_); })
            .Persist("CaptionStyle", [](P& p, const Variant& v) { p.caption_style_ = CLng(v); },
                     [](P& p) { return Long(p.caption_style_); })
            .Persist("Enabled")
            .Persist("Font", [](P& p, const Variant& v) { p.SetPersistedFont(CObj(v)); },
                     [](P& p) { return Variant::FromObject(p.PanelFont()); })
            .Persist("ForeColor", [](P& p, const Variant& v) { p.DrawingArea().SetForeColor(static_cast<OleColor>(CLng(v))); },
                     [](P& p) { return Long(p.PanelForeColor()); })
            .Persist("GradientAngle", [](P& p, const Variant& v) { p.gradient_angle_ = CDbl(v); },
                     [](P& p) { return Variant::FromDouble(p.gradient_angle_); })
            .Persist("GradientBlendMode", [](P& p, const Variant& v) { p.blend_mode_ = CLng(v); },
                     [](P& p) { return Long(p.blend_mode_); })
            .Persist("GradientColor1", [](P& p, const Variant& v) { p.gradient_colour1_ = CLng(v); },
                     [](P& p) { return Long(p.gradient_colour1_); })
            .Persist("GradientColor2", [](P& p, const Variant& v) { p.gradient_colour2_ = CLng(v); },
                     [](P& p) { return Long(p.gradient_colour2_); })
            .Persist("GradientRepetitions", [](P& p, const Variant& v) { p.repetitions_ = CDbl(v); },
                     [](P& p) { return Variant::FromDouble(p.repetitions_); })
            .Persist("GradientType", [](P& p, const Variant& v) { p.gradient_type_ = CLng(v); },
                     [](P& p) { return Long(p.gradient_type_); })
            .Persist("MouseIcon")
            .Persist("MousePointer", [](P& p, const Variant& v) { p.SetMousePointer(CInt(v)); },
                     [](P& p) { return Variant::FromInteger(p.MousePointer()); }, integer)
            .Persist("OLEDropMode", [](P& p, const Variant& v) { p.SetOLEDropMode(CInt(v)); },
                     [](P& p) { return Variant::FromInteger(p.OLEDropMode()); }, integer)
            .Persist("Picture", [](P& p, const Variant& v) { p.picture_ = CObj(v); },
                     [](P& p) { return Variant::FromObject(p.picture_); })
            .Persist("Style", [](P& p, const Variant& v) { p.style_ = CLng(v); },
                     [](P& p) { return Long(p.style_); })
            .Persist("UseClassicBorders", [](P& p, const Variant& v) { p.classic_borders_ = CBool(v); },
                     [](P& p) { return Variant::FromBoolean(p.classic_borders_); })
            .Build();
    }();
    return info;
}

// --- lifecycle -----------------------------------------------------------------------------

void OVGradientPanel::OnInitialize() {
    renderer_ = std::make_unique<gradient::clsGradient>();
    // The hidden drawing area: no frame, the panel's scale, never shown (only what
    // PresentDrawing copies onto the panel's surface is). A window's surface keeps what is
    // drawn on it here, so the area draws on it directly and its drawing persists without a
    // second image that every drawing method would copy into the hidden window. It starts at
    // the panel's size so that a repaint before the first resize has somewhere to draw.
    area_ = &AddPictureBox("picDrawArea");
    area_->SetVisible(false);
    PictureBox& area = area_->box();
    area.SetBorderStyle(0);
    area.SetAutoRedraw(false);
    area.SetScaleMode(ScaleMode());
    area_->Move(0, 0, ScaleWidth(), ScaleHeight());
    cache_ = std::make_unique<GradientCache>(area);
}

void OVGradientPanel::OnInitProperties() {
    initialising_ = true;
    const ClassInfo& info = Info();
    alignment_ = CLng(info.DefaultOf("Alignment"));
    cushion_ = CLng(info.DefaultOf("AlignmentCushion"));
    appearance_ = CLng(info.DefaultOf("Appearance"));
    auto_size_ = CLng(info.DefaultOf("AutoSize"));
    cache_->ChangeArea(
        [&](PictureBox& area) { area.SetBackColor(static_cast<OleColor>(CLng(info.DefaultOf("BackColor")))); });
    bevel_intensity_ = CLng(info.DefaultOf("BevelIntensity"));
    bevel_width_ = CLng(info.DefaultOf("BevelWidth"));
    border_colour_ = CLng(info.DefaultOf("BorderColor"));
    caption_ = AmbientDisplayName();
    caption_style_ = CLng(info.DefaultOf("CaptionStyle"));
    SetPersistedFont(AmbientFont());
    DrawingArea().SetForeColor(static_cast<OleColor>(CLng(info.DefaultOf("ForeColor"))));
    gradient_angle_ = CDbl(info.DefaultOf("GradientAngle"));
    blend_mode_ = CLng(info.DefaultOf("GradientBlendMode"));
    gradient_colour1_ = CLng(info.DefaultOf("GradientColor1"));
    gradient_colour2_ = CLng(info.DefaultOf("GradientColor2"));
    repetitions_ = CDbl(info.DefaultOf("GradientRepetitions"));
    gradient_type_ = CLng(info.DefaultOf("GradientType"));
    picture_ = nullptr;
    style_ = CLng(info.DefaultOf("Style"));
    classic_borders_ = CBool(info.DefaultOf("UseClassicBorders"));
    // Each size change delivers a Resize whose repaint the flag suppresses: the panel paints
    // once, below, with everything in place.
    SetHeight(kNewPanelHeight);
    SetWidth(kNewPanelWidth);
    parent_scale_ = AskParentForScale();
    initialising_ = false;
    RedrawFull();
}

Variant OVGradientPanel::PersistDefault(const PersistDesc& key) const {
    return key.key == "Font" ? Variant::FromObject(AmbientFont()) : key.default_value;
}

void OVGradientPanel::OnReadProperties(const host::PropertyBag& bag) {
    for (const PersistDesc& key : Info().persisted)
        ReadKey(bag, key.key, PersistDefault(key), key.type, [&](const Variant& value) { key.load(*this, value); });
    parent_scale_ = AskParentForScale();
    // Loading goes on past a failing step, the repaint included: a picture the repaint refuses
    // is reported again by the next repaint that meets it.
    try {
        RedrawFull();
    } catch (const AutomationError&) {
    }
}

void OVGradientPanel::OnWriteProperties(host::PropertyBag& bag) {
    for (const PersistDesc& key : Info().persisted)
        WriteKey(bag, key.key, PersistDefault(key), [&] { return key.save(*this); });
}

void OVGradientPanel::OnResize() { RunResizeHandler(); }

void OVGradientPanel::OnShow() { RedrawQuick(); }

void OVGradientPanel::OnTerminate() {
    renderer_.reset();
    if (cache_) cache_->Clear();
}

void OVGradientPanel::RunResizeHandler() {
    if (resizing_) return;
    const auto* picture = dynamic_cast<const Picture*>(picture_.get());
    if (style_ == gpsPicture && auto_size_ == gpasControlToPicture && picture) {
        // Both size changes deliver a nested Resize, which the flag turns away.
        resizing_ = true;
        SetWidth(ConvertUnits(picture->width_himetric(), kScaleHimetric, kScaleTwips, Axis::X));
        SetHeight(ConvertUnits(picture->height_himetric(), kScaleHimetric, kScaleTwips, Axis::Y));
        resizing_ = false;
    }
    // A resize keeps only what still fits.
    cache_->ChangeArea([&](PictureBox&) { area_->Move(0, 0, ScaleWidth(), ScaleHeight()); });
    if (!initialising_) RedrawFull();
    RaiseEvent("Resize");
}

bool OVGradientPanel::AskParentForScale() const {
    const std::shared_ptr<IDispatch> parent = Parent();
    if (!parent) return false;
    try {
        return CLng(GetProperty(*parent, "ScaleMode")) != kScaleUser;
    } catch (const AutomationError&) {
        return false;
    }
}

PictureBox& OVGradientPanel::DrawingArea() const { return area_->box(); }

// --- properties ----------------------------------------------------------------------------

void OVGradientPanel::SetAlignment(std::int32_t alignment) {
    alignment_ = alignment;
    PropertyChanged("Alignment");
    RedrawQuick();
}

void OVGradientPanel::SetAlignmentCushion(std::int32_t cushion) {
    if (cushion < 0) return;
    cushion_ = cushion;
    PropertyChanged("AlignmentCushion");
    RedrawQuick();
}

void OVGradientPanel::SetAppearance(std::int32_t appearance) {
    appearance_ = appearance;
    PropertyChanged("Appearance");
    RedrawQuick();
}

void OVGradientPanel::SetPanelAutoSize(std::int32_t mode) {
    auto_size_ = mode;
    PropertyChanged("AutoSize");
    RunResizeHandler();
}

std::int32_t OVGradientPanel::PanelBackColor() const { return static_cast<std::int32_t>(DrawingArea().BackColor()); }

void OVGradientPanel::SetPanelBackColor(std::int32_t colour) {
    // The area clears to the new colour.
    cache_->ChangeArea([&](PictureBox& area) { area.SetBackColor(static_cast<OleColor>(colour)); });
    PropertyChanged("BackColor");
    if (style_ == gpsStandard || style_ == gpsPicture || style_ == gpsTransparent) RedrawQuick();
}

void OVGradientPanel::SetBevelIntensity(std::int32_t intensity) {
    bevel_intensity_ = intensity;
    PropertyChanged("BevelIntensity");
    if (appearance_ == gpaBevelRaised || appearance_ == gpaBevelInset) RedrawQuick();
}

void OVGradientPanel::SetBevelWidth(std::int32_t width) {
    bevel_width_ = width;
    PropertyChanged("BevelWidth");
    if (appearance_ == gpaBevelRaised || appearance_ == gpaBevelInset) RedrawQuick();
}

void OVGradientPanel::SetBorderColor(std::int32_t colour) {
    border_colour_ = colour;
    PropertyChanged("BorderColor");
    SetBorderColors();
    if (classic_borders_) RedrawQuick();
}

void OVGradientPanel::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    PropertyChanged("Caption");
    RedrawQuick();
}

void OVGradientPanel::SetCaptionStyle(std::int32_t style) {
    if (!InRange(style, gpcStandard, gpcDropShadow)) return;
    caption_style_ = style;
    PropertyChanged("CaptionStyle");
    RedrawQuick();
}

void OVGradientPanel::SetPanelEnabled(bool enabled) {
    SetEnabled(enabled);
    PropertyChanged("Enabled");
}

std::shared_ptr<IDispatch> OVGradientPanel::PanelFont() const { return DrawingArea().Font(); }

void OVGradientPanel::SetPersistedFont(const std::shared_ptr<IDispatch>& font) {
    // A font object of the platform becomes the drawing area's own, shared with the caller as
    // an object assignment shares it; any other font object lends its attributes.
    if (auto std_font = std::dynamic_pointer_cast<StdFont>(font)) {
        DrawingArea().SetFont(std::move(std_font));
        return;
    }
    if (!font) throw AutomationError(error::kObjectNotSet);
    DrawingArea().SetFont(StdFont::Create(host::FontFromObject(font, DrawingArea().Font()->desc())));
}

void OVGradientPanel::SetPanelFont(std::shared_ptr<IDispatch> font) {
    SetPersistedFont(font);
    PropertyChanged("Font");
    RedrawQuick();
}

void OVGradientPanel::ChangeFont(const std::function<void(FontDesc&)>& change, std::string_view property) {
    const std::shared_ptr<StdFont>& font = DrawingArea().Font();
    FontDesc desc = font->desc();
    change(desc);
    font->set_desc(desc);
    PropertyChanged(property);
    RedrawQuick();
}

bool OVGradientPanel::FontBold() const { return DrawingArea().Font()->desc().bold; }
void OVGradientPanel::SetFontBold(bool bold) {
    ChangeFont([bold](FontDesc& d) { d.bold = bold; }, "FontBold");
}
bool OVGradientPanel::FontItalic() const { return DrawingArea().Font()->desc().italic; }
void OVGradientPanel::SetFontItalic(bool italic) {
    ChangeFont([italic](FontDesc& d) { d.italic = italic; }, "FontItalic");
}
std::string OVGradientPanel::FontName() const { return DrawingArea().Font()->desc().name; }
void OVGradientPanel::SetFontName(std::string name) {
    ChangeFont([&name](FontDesc& d) { d.name = name; }, "FontName");
}
float OVGradientPanel::FontSize() const { return static_cast<float>(DrawingArea().Font()->desc().size); }
void OVGradientPanel::SetFontSize(float size) {
    ChangeFont([size](FontDesc& d) { d.size = size; }, "FontSize");
}
bool OVGradientPanel::FontStrikethrough() const { return DrawingArea().Font()->desc().strikethrough; }
void OVGradientPanel::SetFontStrikethrough(bool strikethrough) {
    ChangeFont([strikethrough](FontDesc& d) { d.strikethrough = strikethrough; }, "FontStrikethrough");
}
bool OVGradientPanel::FontUnderline() const { return DrawingArea().Font()->desc().underline; }
void OVGradientPanel::SetFontUnderline(bool underline) {
    ChangeFont([underline](FontDesc& d) { d.underline = underline; }, "FontUnderline");
}

std::int32_t OVGradientPanel::PanelForeColor() const { return static_cast<std::int32_t>(DrawingArea().ForeColor()); }

void OVGradientPanel::SetPanelForeColor(std::int32_t colour) {
    DrawingArea().SetForeColor(static_cast<OleColor>(colour));
    PropertyChanged("ForeColor");
    RedrawQuick();
}

void OVGradientPanel::SetGradientAngle(double angle) {
    gradient_angle_ = angle;
    PropertyChanged("GradientAngle");
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientBlendMode(std::int32_t mode) {
    if (!InRange(mode, gradient::gbmRGB, gradient::gbmHSL)) return;
    blend_mode_ = mode;
    PropertyChanged("GradientBlendMode");
    RedrawFull();
}

void OVGradientPanel::SetGradientColor1(std::int32_t colour) {
    gradient_colour1_ = colour;
    PropertyChanged("GradientColor1");
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientColor2(std::int32_t colour) {
    gradient_colour2_ = colour;
    PropertyChanged("GradientColor2");
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientRepetitions(double repetitions) {
    if (!(repetitions >= kMinRepetitions && repetitions <= kMaxRepetitions)) return;
    repetitions_ = repetitions;
    PropertyChanged("GradientRepetitions");
    RedrawFull();
}

void OVGradientPanel::SetGradientType(std::int32_t type) {
    if (!InRange(type, gradient::gtNormal, gradient::gtRectangular)) return;
    gradient_type_ = type;
    PropertyChanged("GradientType");
    RedrawFull();
}

void OVGradientPanel::SetPanelMouseIcon(std::shared_ptr<IDispatch> icon) {
    SetMouseIcon(std::move(icon));
    PropertyChanged("MouseIcon");
}

void OVGradientPanel::SetPanelMousePointer(std::int32_t pointer) {
    SetMousePointer(ToInteger(pointer));
    PropertyChanged("MousePointer");
}

void OVGradientPanel::SetPanelOLEDropMode(std::int32_t mode) {
    SetOLEDropMode(ToInteger(mode));
    PropertyChanged("OLEDropMode");
}

void OVGradientPanel::SetPanelPicture(std::shared_ptr<IDispatch> picture) {
    // Stored and announced first: a picture the repaint refuses (481) stays set.
    picture_ = std::move(picture);
    PropertyChanged("Picture");
    if (style_ == gpsPicture) RedrawQuick();
}

void OVGradientPanel::SetStyle(std::int32_t style) {
    style_ = style;
    PropertyChanged("Style");
    RedrawFull();
}

void OVGradientPanel::SetUseClassicBorders(bool classic) {
    classic_borders_ = classic;
    PropertyChanged("UseClassicBorders");
    RedrawQuick();
}

}  // namespace ov::panel
