#pragma once
// OVSideLogo: a tall strip for the side of a window with a caption written bottom to top over a
// banded vertical gradient or a cylinder-like shading. No methods, no events.
#include <cstdint>
#include <memory>
#include <string>

#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "sidelogo/logo_colours.h"

namespace ov::sidelogo {

enum LogoStyle : std::int32_t { kRegular = 0, kThreeDimensional = 1 };

inline constexpr std::int32_t kDefaultStartColor = 0x00FF0000;  // blue
inline constexpr std::int32_t kDefaultEndColor = 0x00C0C0C0;    // silver
inline constexpr std::int32_t kDefaultFontColor = 0x00FFFFFF;   // white
inline constexpr const char* kDefaultCaption = "Orvelle Computer Software";
// The smallest extent the strip accepts; smaller sizes grow back to it.
inline constexpr double kMinimumWidth = 200;   // twips
inline constexpr double kMinimumHeight = 700;  // twips

class OVSideLogo : public host::Control {
public:
    // Dispatch ids of _OVSideLogo.
    enum Member : std::int32_t { kStartColor = 1, kEndColor, kFontColor, kFont, kCaption, kStyle };

    OVSideLogo();
    ~OVSideLogo() override;

    static const ClassInfo& StaticInfo();
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    std::int32_t StartColor() const { return start_color_; }
    void SetStartColor(std::int32_t colour);
    std::int32_t EndColor() const { return end_color_; }
    void SetEndColor(std::int32_t colour);
    // The caption's colour is the picture box's fore colour: what it refused was never set.
    std::int32_t FontColor() const;
    void SetFontColor(std::int32_t colour);
    std::shared_ptr<IDispatch> LogoFont() const;
    void SetLogoFont(std::shared_ptr<IDispatch> font);
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    std::int32_t Style() const { return style_; }
    void SetStyle(std::int32_t style);

    const ChannelTriple& StartRGB() const { return start_rgb_; }
    const ChannelTriple& EndRGB() const { return end_rgb_; }
    host::ConstituentPictureBox* LogoPicture() const { return picture_; }

protected:
    void OnInitialize() override;
    void OnResize() override;
    void OnPaint() override;
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override;

private:
    void RenderLogo();

    std::int32_t start_color_ = 0;
    ChannelTriple start_rgb_{};
    std::int32_t end_color_ = 0;
    ChannelTriple end_rgb_{};
    std::string caption_;
    std::int32_t style_ = kRegular;
    host::ConstituentPictureBox* picture_ = nullptr;
};

}  // namespace ov::sidelogo
