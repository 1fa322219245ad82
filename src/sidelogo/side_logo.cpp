#include "sidelogo/side_logo.h"

#include "host/contract/font_attributes.h"
#include "platform/scale/scale.h"
#include "platform/gdi/screen.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "sidelogo/logo_renderer.h"

namespace ov::sidelogo {

namespace {

FontDesc InitialLogoFont() { return FontDesc{"Times New Roman", 11.25, true, false, false, false}; }

}  // namespace

OVSideLogo::OVSideLogo() = default;
OVSideLogo::~OVSideLogo() = default;

const ClassInfo& OVSideLogo::StaticInfo() {
    // Read in the order below; colours and font go through their writes, caption and style
    // only set the member. The gradient colours and the font are in place from initialisation
    // on, so a new logo sets only the caption's colour (through its write), caption and style.
    static const ClassInfo info =
        ClassBuilder<OVSideLogo>("OVSideLogo")
            .ClassHelp("A vertical gradient strip with a rotated caption, as at the side of a menu or dialog")
            .Property("StartColor", kStartColor, TypeDesc::Color(), &OVSideLogo::StartColor, &OVSideLogo::SetStartColor)
            .Help("Starting color of the gradient in the Logo / Color of 3d style logo.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultStartColor))
            .Persist()
            .AsCreated()
            .Property("EndColor", kEndColor, TypeDesc::Color(), &OVSideLogo::EndColor, &OVSideLogo::SetEndColor)
            .Help("End color of the gradient in the Logo.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultEndColor))
            .Persist()
            .AsCreated()
            .Property("FontColor", kFontColor, TypeDesc::Color(), &OVSideLogo::FontColor, &OVSideLogo::SetFontColor)
            .PutByRef()
            .Help("Color of the font in the Logo.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultFontColor))
            .Persist()
            .ObjectProperty("Font", kFont, TypeDesc::Object("StdFont"), &OVSideLogo::LogoFont, &OVSideLogo::SetLogoFont)
            .Help("Font in which the Logo should be displayed.")
            .InCategory(Category::Font)
            .DefaultFrom(ValueSource::AmbientFont)
            .Initially(Variant::FromObject(StdFont::Create(InitialLogoFont())))
            .Persist()
            .AsCreated()
            .Property("Caption", kCaption, TypeDesc::Of(VarType::String), &OVSideLogo::Caption, &OVSideLogo::SetCaption)
            .Help("Text displayed in the Logo.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromString(kDefaultCaption))
            .Persist(&OVSideLogo::caption_)
            .Property("Style", kStyle, TypeDesc::Enum("LogoStyle"), &OVSideLogo::Style, &OVSideLogo::SetStyle)
            .Help("Specifies the style of style the Logo should be drawn.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kRegular))
            .Persist(&OVSideLogo::style_)
            .Enum("LogoStyle", {{"Regular", kRegular}, {"3-Dimensional", kThreeDimensional}})
            .PersistOrder({"FontColor", "StartColor", "EndColor", "Font", "Caption", "Style"})
            .Build();
    return info;
}

// --- lifecycle -----------------------------------------------------------------------------

void OVSideLogo::OnInitialize() {
    picture_ = &AddPictureBox("picLogo");
    PictureBox& box = picture_->box();
    box.SetBorderStyle(0);
    box.SetScaleMode(kScaleTwips);
    box.SetFont(StdFont::Create(InitialLogoFont()));
    // Font hands out the box's font object: a write made through it shows at once.
    box.SetFontListener([this] {
        picture_->box().Cls();
        RenderLogo();
    });
    // The caption colour lives in the box; it starts at the default so that a loaded logo whose
    // FontColor key fails keeps drawing (and saving) the default.
    box.SetForeColor(static_cast<OleColor>(CLng(Info().DefaultOf("FontColor"))));
    // Through the writes, so the channels are translated; the surface still has its creation
    // size here.
    SetStartColor(CLng(Info().DefaultOf("StartColor")));
    SetEndColor(CLng(Info().DefaultOf("EndColor")));
    RenderLogo();
}

void OVSideLogo::OnResize() {
    // Each of these writes delivers a nested Resize before it returns.
    if (Width() < kMinimumWidth) SetWidth(kMinimumWidth);
    if (Height() < kMinimumHeight) SetHeight(kMinimumHeight);
    picture_->Move(0, 0, Width(), Height());
    RenderLogo();
}

void OVSideLogo::OnPaint() { RenderLogo(); }

void OVSideLogo::OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>&) {
    if (&source == picture_ && event == "Resize") RenderLogo();
}

// --- properties ----------------------------------------------------------------------------

void OVSideLogo::SetStartColor(std::int32_t colour) {
    // An unchanged value only notifies: a system colour is translated once, when it is set.
    if (colour != start_color_) {
        start_color_ = colour;
        start_rgb_ = TranslateToChannels(static_cast<std::uint32_t>(colour));
        if (picture_) RenderLogo();
    }
    NotifyChanged(kStartColor);
}

void OVSideLogo::SetEndColor(std::int32_t colour) {
    if (colour != end_color_) {
        end_color_ = colour;
        end_rgb_ = TranslateToChannels(static_cast<std::uint32_t>(colour));
        if (picture_) RenderLogo();
    }
    NotifyChanged(kEndColor);
}

std::int32_t OVSideLogo::FontColor() const {
    return picture_ ? static_cast<std::int32_t>(picture_->box().ForeColor()) : kDefaultFontColor;
}

void OVSideLogo::SetFontColor(std::int32_t colour) {
    // A colour the box refuses (380) leaves the property as it was: nothing stored, no notice.
    picture_->box().SetForeColor(static_cast<OleColor>(colour));
    NotifyChanged(kFontColor);
    RenderLogo();
}

std::shared_ptr<IDispatch> OVSideLogo::LogoFont() const { return picture_->box().Font(); }

void OVSideLogo::SetLogoFont(std::shared_ptr<IDispatch> font) {
    // The box takes the font's attributes into a font object of its own, so later changes to
    // the caller's object do not reach the logo.
    const FontDesc current = picture_->box().Font() ? picture_->box().Font()->desc() : FontDesc{};
    picture_->box().SetFont(StdFont::Create(host::FontFromObject(font, current)));
    NotifyChanged(kFont);
    picture_->box().Cls();
    RenderLogo();
}

void OVSideLogo::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    NotifyChanged(kCaption);
    RenderLogo();
}

void OVSideLogo::SetStyle(std::int32_t style) {
    style_ = style;
    RenderLogo();
    NotifyChanged(kStyle);
}

void OVSideLogo::RenderLogo() {
    sidelogo::RenderLogo(picture_->box(), gdi::Screen(), LogoAppearance{start_rgb_, end_rgb_, caption_, style_});
}

}  // namespace ov::sidelogo
