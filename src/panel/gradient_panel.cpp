#include "panel/gradient_panel.h"

#include "gradient/gradient_object.h"
#include "host/contract/font_attributes.h"
#include "platform/gdi/ole_colour.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/scoped_value.h"
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
        const Category appearance = Category::Appearance, behavior = Category::Behavior, font = Category::Font;
        // Values read go straight into their holders without the puts' checks or repaints;
        // Enabled and MouseIcon are assigned through their puts (and so notify). A new panel
        // takes its defaults the same way, except what the host holds for it (Enabled, the
        // mouse pointer and icon, the drop mode), which keeps what creation gave it.
        return ClassBuilder<P>("OVGradientPanel")
            .ClassHelp("Panel with a gradient, picture or see-through background, a frame and a styled caption")
            .Container()
            .Property("Alignment", kAlignment, TypeDesc::Enum("gpAlignment"), &P::Alignment, &P::SetAlignment)
            .Help("Position of the caption")
            .InCategory(appearance)
            .Default(Long(gpaCenterMiddle))
            .Persist(&P::alignment_)
            .Property("AlignmentCushion", kAlignmentCushion, long_type, &P::AlignmentCushion, &P::SetAlignmentCushion)
            .Help("Distance in pixels between the caption and the edges it is aligned to")
            .InCategory(appearance)
            .Default(Long(3))
            .Persist(&P::cushion_)
            .Property("Appearance", kAppearance, TypeDesc::Enum("gpAppearance"), &P::Appearance, &P::SetAppearance)
            .Help("Frame drawn around the panel")
            .InCategory(appearance)
            .Default(Long(gpaEtched))
            .Persist(&P::appearance_)
            .Property("AutoSize", kAutoSize, TypeDesc::Enum("gpAutoSize"), &P::PanelAutoSize, &P::SetPanelAutoSize)
            .Help("How the picture and the panel size each other")
            .InCategory(behavior)
            .Default(Long(gpasNone))
            .Persist(&P::auto_size_)
            .Property("BackColor", kBackColor, TypeDesc::Color(), &P::PanelBackColor, &P::SetPanelBackColor)
            .Help("Background colour")
            .InCategory(appearance)
            .Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Persist(
                [](P& p, const Variant& v) {
                    p.cache_->ChangeArea([&](PictureBox& area) { area.SetBackColor(static_cast<OleColor>(CLng(v))); });
                },
                [](P& p) { return Long(p.PanelBackColor()); })
            .Property("BevelIntensity", kBevelIntensity, long_type, &P::BevelIntensity, &P::SetBevelIntensity)
            .Help("Shift per bevel ring")
            .InCategory(appearance)
            .Default(Long(20))
            .Persist(&P::bevel_intensity_)
            .Property("BevelWidth", kBevelWidth, long_type, &P::BevelWidth, &P::SetBevelWidth)
            .Help("Number of bevel rings less one")
            .InCategory(appearance)
            .Default(Long(3))
            .Persist(&P::bevel_width_)
            .Property("BorderColor", kBorderColor, TypeDesc::Color(), &P::BorderColor, &P::SetBorderColor)
            .Help("Colour the classic frame is shaded from")
            .InCategory(appearance)
            .Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Persist(&P::border_colour_)
            .Property("Caption", kCaption, text, &P::Caption, &P::SetCaption)
            .Help("Text shown on the panel")
            .InCategory(appearance)
            .Default(Variant::FromString(""))
            .InitiallyFrom(ValueSource::AmbientDisplayName)
            .Persist(&P::caption_)
            .Property("CaptionStyle", kCaptionStyle, TypeDesc::Enum("gpCaptionStyle"), &P::CaptionStyle,
                      &P::SetCaptionStyle)
            .Help("Engraved, embossed or shadowed caption")
            .InCategory(appearance)
            .Default(Long(gpcStandard))
            .Persist(&P::caption_style_)
            .Property("Enabled", kEnabled, boolean, &P::PanelEnabled, &P::SetPanelEnabled)
            .Help("Whether the panel responds to the user")
            .InCategory(behavior)
            .Default(Variant::FromBoolean(true))
            .Persist()
            .AsCreated()
            .ObjectProperty("Font", kFont, TypeDesc::Object("StdFont"), &P::PanelFont, &P::SetPanelFont)
            .Help("Font of the caption")
            .InCategory(font)
            .DefaultFrom(ValueSource::AmbientFont)
            .Persist([](P& p, const Variant& v) { p.SetPersistedFont(CObj(v)); },
                     [](P& p) { return Variant::FromObject(p.PanelFont()); })
            .Property("FontBold", kFontBold, boolean, &P::FontBold, &P::SetFontBold)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Bold")
            .Property("FontItalic", kFontItalic, boolean, &P::FontItalic, &P::SetFontItalic)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Italic")
            .Property("FontName", kFontName, text, &P::FontName, &P::SetFontName)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Name")
            .Property("FontSize", kFontSize, TypeDesc::Of(VarType::Single), &P::FontSize, &P::SetFontSize)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Size")
            .Property("FontStrikethrough", kFontStrikethrough, boolean, &P::FontStrikethrough, &P::SetFontStrikethrough)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Strikethrough")
            .Property("FontUnderline", kFontUnderline, boolean, &P::FontUnderline, &P::SetFontUnderline)
            .InCategory(font)
            .InitiallyFrom(ValueSource::AmbientFont, "Underline")
            .Property("ForeColor", kForeColor, TypeDesc::Color(), &P::PanelForeColor, &P::SetPanelForeColor)
            .Help("Colour of the caption")
            .InCategory(appearance)
            .Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNTEXT)))
            .Persist([](P& p, const Variant& v) { p.DrawingArea().SetForeColor(static_cast<OleColor>(CLng(v))); },
                     [](P& p) { return Long(p.PanelForeColor()); })
            .Property("GradientAngle", kGradientAngle, real, &P::GradientAngle, &P::SetGradientAngle)
            .Help("Direction of the gradient in degrees")
            .InCategory(appearance)
            .Default(Variant::FromDouble(0))
            .Persist(&P::gradient_angle_)
            .Property("GradientBlendMode", kGradientBlendMode, TypeDesc::Enum("GradBlendMode"), &P::GradientBlendMode,
                      &P::SetGradientBlendMode)
            .Help("Blending of the gradient colours")
            .InCategory(appearance)
            .Default(Long(0))
            .Persist(&P::blend_mode_)
            .Property("GradientColor1", kGradientColor1, TypeDesc::Color(), &P::GradientColor1, &P::SetGradientColor1)
            .Help("Start colour of the gradient")
            .InCategory(appearance)
            .Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Persist(&P::gradient_colour1_)
            .Property("GradientColor2", kGradientColor2, TypeDesc::Color(), &P::GradientColor2, &P::SetGradientColor2)
            .Help("End colour of the gradient")
            .InCategory(appearance)
            .Default(Long(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
            .Persist(&P::gradient_colour2_)
            .Property("GradientRepetitions", kGradientRepetitions, real, &P::GradientRepetitions,
                      &P::SetGradientRepetitions)
            .Help("Number of colour runs, 1 to 45")
            .InCategory(appearance)
            .Default(Variant::FromDouble(1.0))
            .Persist(&P::repetitions_)
            .Property("GradientType", kGradientType, TypeDesc::Enum("GradType"), &P::GradientType, &P::SetGradientType)
            .Help("Shape of the gradient")
            .InCategory(appearance)
            .Default(Long(0))
            .Persist(&P::gradient_type_)
            .ReadOnly("hDC", kHDC, long_type, &P::PanelDC)
            .Help("Device context of the panel")
            .ReadOnly("hWnd", kHWnd, long_type, &P::PanelWindow)
            .Help("Window handle of the panel")
            .ObjectProperty("MouseIcon", kMouseIcon, TypeDesc::Object("StdPicture"), &P::PanelMouseIcon,
                            &P::SetPanelMouseIcon)
            .Help("Custom mouse pointer")
            .InCategory(behavior)
            .Default(Variant::FromObject(nullptr))
            .Persist()
            .AsCreated()
            .Property("MousePointer", kMousePointer, TypeDesc::Enum("MousePointerConstants"), &P::PanelMousePointer,
                      &P::SetPanelMousePointer)
            .Help("Mouse pointer shown over the panel")
            .InCategory(behavior)
            .Default(Variant::FromInteger(0))
            .Persist([](P& p, const Variant& v) { p.SetMousePointer(CInt(v)); },
                     [](P& p) { return Variant::FromInteger(p.MousePointer()); }, integer)
            .AsCreated()
            .Property("OLEDropMode", kOLEDropMode, TypeDesc::Enum("OLEDropConstants"), &P::PanelOLEDropMode,
                      &P::SetPanelOLEDropMode)
            .Help("Whether the panel accepts OLE drops")
            .InCategory(behavior)
            .Default(Variant::FromInteger(0))
            .Persist([](P& p, const Variant& v) { p.SetOLEDropMode(CInt(v)); },
                     [](P& p) { return Variant::FromInteger(p.OLEDropMode()); }, integer)
            .AsCreated()
            .ObjectProperty("Picture", kPicture, TypeDesc::Object("StdPicture"), &P::PanelPicture, &P::SetPanelPicture)
            .Help("Background picture")
            .InCategory(appearance)
            .Default(Variant::FromObject(nullptr))
            .Persist(&P::picture_)
            .Property("Style", kStyle, TypeDesc::Enum("gpStyle"), &P::Style, &P::SetStyle)
            .Help("Background: plain, gradient, picture or see-through")
            .InCategory(appearance)
            .Default(Long(gpsStandard))
            .Persist(&P::style_)
            .Property("UseClassicBorders", kUseClassicBorders, boolean, &P::UseClassicBorders, &P::SetUseClassicBorders)
            .Help("Solid frame colours instead of shading the background")
            .InCategory(appearance)
            .Default(Variant::FromBoolean(false))
            .Persist(&P::classic_borders_)
            .Method("Refresh", kRefresh, &P::RedrawFull)
            .Help("Repaints the panel, the gradient included")
            .Method("OLEDrag", kOLEDrag, &P::OLEDrag)
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
            .Enum(grad_type)
            .Enum(blend_mode)
            .Enum(*host::FindStandardEnum("MousePointerConstants"))
            .Enum(*host::FindStandardEnum("OLEDropConstants"))
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
    // Font hands out the area's font object: a write made through it shows as a font put does.
    area.SetFontListener([this] { RedrawQuick(); });
    cache_ = std::make_unique<GradientCache>(area);
}

void OVGradientPanel::OnInitProperties() {
    {
        const ScopedValue initialising(initialising_, true);
        InitPersisted();
        // Each size change delivers a Resize whose repaint the flag suppresses: the panel
        // paints once, below, with everything in place.
        SetHeight(kNewPanelHeight);
        SetWidth(kNewPanelWidth);
        parent_scale_ = AskParentForScale();
    }
    RedrawFull();
}

void OVGradientPanel::OnReadProperties(const host::PropertyBag& bag) {
    ReadPersisted(bag);
    parent_scale_ = AskParentForScale();
    // Loading goes on past a failing step, the repaint included: a picture the repaint refuses
    // is reported again by the next repaint that meets it.
    try {
        RedrawFull();
    } catch (const AutomationError&) {}
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
        // Both size changes deliver a nested Resize, which the flag turns away; a size the
        // panel cannot have (7) clears the flag all the same.
        const ScopedValue resizing(resizing_, true);
        SetWidth(ConvertUnits(picture->width_himetric(), kScaleHimetric, kScaleTwips, Axis::X));
        SetHeight(ConvertUnits(picture->height_himetric(), kScaleHimetric, kScaleTwips, Axis::Y));
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
    NotifyChanged(kAlignment);
    RedrawQuick();
}

void OVGradientPanel::SetAlignmentCushion(std::int32_t cushion) {
    if (cushion < 0) return;
    cushion_ = cushion;
    NotifyChanged(kAlignmentCushion);
    RedrawQuick();
}

void OVGradientPanel::SetAppearance(std::int32_t appearance) {
    appearance_ = appearance;
    NotifyChanged(kAppearance);
    RedrawQuick();
}

void OVGradientPanel::SetPanelAutoSize(std::int32_t mode) {
    auto_size_ = mode;
    NotifyChanged(kAutoSize);
    RunResizeHandler();
}

std::int32_t OVGradientPanel::PanelBackColor() const { return static_cast<std::int32_t>(DrawingArea().BackColor()); }

void OVGradientPanel::SetPanelBackColor(std::int32_t colour) {
    // The area clears to the new colour.
    cache_->ChangeArea([&](PictureBox& area) { area.SetBackColor(static_cast<OleColor>(colour)); });
    NotifyChanged(kBackColor);
    if (style_ == gpsStandard || style_ == gpsPicture || style_ == gpsTransparent) RedrawQuick();
}

void OVGradientPanel::SetBevelIntensity(std::int32_t intensity) {
    bevel_intensity_ = intensity;
    NotifyChanged(kBevelIntensity);
    if (appearance_ == gpaBevelRaised || appearance_ == gpaBevelInset) RedrawQuick();
}

void OVGradientPanel::SetBevelWidth(std::int32_t width) {
    bevel_width_ = width;
    NotifyChanged(kBevelWidth);
    if (appearance_ == gpaBevelRaised || appearance_ == gpaBevelInset) RedrawQuick();
}

void OVGradientPanel::SetBorderColor(std::int32_t colour) {
    border_colour_ = colour;
    NotifyChanged(kBorderColor);
    SetBorderColors();
    if (classic_borders_) RedrawQuick();
}

void OVGradientPanel::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    NotifyChanged(kCaption);
    RedrawQuick();
}

void OVGradientPanel::SetCaptionStyle(std::int32_t style) {
    if (!InRange(style, gpcStandard, gpcDropShadow)) return;
    caption_style_ = style;
    NotifyChanged(kCaptionStyle);
    RedrawQuick();
}

void OVGradientPanel::SetPanelEnabled(bool enabled) {
    SetEnabled(enabled);
    NotifyChanged(kEnabled);
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
    NotifyChanged(kFont);
    RedrawQuick();
}

void OVGradientPanel::ChangeFont(const std::function<void(FontDesc&)>& change, std::int32_t property) {
    const std::shared_ptr<StdFont>& font = DrawingArea().Font();
    FontDesc desc = font->desc();
    change(desc);
    font->set_desc(desc);
    NotifyChanged(property);
    RedrawQuick();
}

bool OVGradientPanel::FontBold() const { return DrawingArea().Font()->desc().bold; }
void OVGradientPanel::SetFontBold(bool bold) {
    ChangeFont([bold](FontDesc& d) { d.bold = bold; }, kFontBold);
}
bool OVGradientPanel::FontItalic() const { return DrawingArea().Font()->desc().italic; }
void OVGradientPanel::SetFontItalic(bool italic) {
    ChangeFont([italic](FontDesc& d) { d.italic = italic; }, kFontItalic);
}
std::string OVGradientPanel::FontName() const { return DrawingArea().Font()->desc().name; }
void OVGradientPanel::SetFontName(std::string name) {
    RequireValidFontName(name);
    ChangeFont([&name](FontDesc& d) { d.name = name; }, kFontName);
}
float OVGradientPanel::FontSize() const { return static_cast<float>(DrawingArea().Font()->desc().size); }
void OVGradientPanel::SetFontSize(float size) {
    RequireValidFontSize(size);
    ChangeFont([size](FontDesc& d) { d.size = size; }, kFontSize);
}
bool OVGradientPanel::FontStrikethrough() const { return DrawingArea().Font()->desc().strikethrough; }
void OVGradientPanel::SetFontStrikethrough(bool strikethrough) {
    ChangeFont([strikethrough](FontDesc& d) { d.strikethrough = strikethrough; }, kFontStrikethrough);
}
bool OVGradientPanel::FontUnderline() const { return DrawingArea().Font()->desc().underline; }
void OVGradientPanel::SetFontUnderline(bool underline) {
    ChangeFont([underline](FontDesc& d) { d.underline = underline; }, kFontUnderline);
}

std::int32_t OVGradientPanel::PanelForeColor() const { return static_cast<std::int32_t>(DrawingArea().ForeColor()); }

void OVGradientPanel::SetPanelForeColor(std::int32_t colour) {
    DrawingArea().SetForeColor(static_cast<OleColor>(colour));
    NotifyChanged(kForeColor);
    RedrawQuick();
}

void OVGradientPanel::SetGradientAngle(double angle) {
    gradient_angle_ = angle;
    NotifyChanged(kGradientAngle);
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientBlendMode(std::int32_t mode) {
    if (!InRange(mode, gradient::gbmRGB, gradient::gbmHSL)) return;
    blend_mode_ = mode;
    NotifyChanged(kGradientBlendMode);
    RedrawFull();
}

void OVGradientPanel::SetGradientColor1(std::int32_t colour) {
    gradient_colour1_ = colour;
    NotifyChanged(kGradientColor1);
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientColor2(std::int32_t colour) {
    gradient_colour2_ = colour;
    NotifyChanged(kGradientColor2);
    if (style_ == gpsGradient) RedrawFull();
}

void OVGradientPanel::SetGradientRepetitions(double repetitions) {
    if (!(repetitions >= kMinRepetitions && repetitions <= kMaxRepetitions)) return;
    repetitions_ = repetitions;
    NotifyChanged(kGradientRepetitions);
    RedrawFull();
}

void OVGradientPanel::SetGradientType(std::int32_t type) {
    if (!InRange(type, gradient::gtNormal, gradient::gtRectangular)) return;
    gradient_type_ = type;
    NotifyChanged(kGradientType);
    RedrawFull();
}

void OVGradientPanel::SetPanelMouseIcon(std::shared_ptr<IDispatch> icon) {
    SetMouseIcon(std::move(icon));
    NotifyChanged(kMouseIcon);
}

void OVGradientPanel::SetPanelMousePointer(std::int32_t pointer) {
    SetMousePointer(ToInteger(pointer));
    NotifyChanged(kMousePointer);
}

void OVGradientPanel::SetPanelOLEDropMode(std::int32_t mode) {
    SetOLEDropMode(ToInteger(mode));
    NotifyChanged(kOLEDropMode);
}

void OVGradientPanel::SetPanelPicture(std::shared_ptr<IDispatch> picture) {
    // Stored and announced first: a picture the repaint refuses (481) stays set.
    picture_ = std::move(picture);
    NotifyChanged(kPicture);
    if (style_ == gpsPicture) RedrawQuick();
}

void OVGradientPanel::SetStyle(std::int32_t style) {
    style_ = style;
    NotifyChanged(kStyle);
    RedrawFull();
}

void OVGradientPanel::SetUseClassicBorders(bool classic) {
    classic_borders_ = classic;
    NotifyChanged(kUseClassicBorders);
    RedrawQuick();
}

}  // namespace ov::panel
