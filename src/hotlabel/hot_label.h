#pragma once
// OVHotLabel: a label whose text is one control string with markup. Pairs of "~" mark hot spots,
// drawn underlined in their own colour, lit up under the pointer and reported when pressed;
// "*" places a copy of the control's picture inline. The text wraps character by character.
#include <cstdint>
#include <memory>
#include <string>

#include "host/control.h"
#include "host/toolbox_image.h"
#include "hotlabel/control_string_painter.h"
#include "hotlabel/hot_spots.h"
#include "platform/gdi/ole_colour.h"

namespace ov::hotlabel {

inline constexpr const char* kDefaultControlString = "Orvelle's ~Hot~ Textbox";
inline constexpr std::int32_t kDefaultHotspotColor = 0x00FF0000;  // blue
inline constexpr std::int32_t kDefaultHighlightColor = 0x000000FF;  // red
inline constexpr std::int32_t kBagBackColor = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
inline constexpr std::int32_t kInitialBackColor = 0x00FFFFFF;  // both boxes, until a BackColor is applied
inline constexpr int kInitialPictureSize = 29;  // pixels, the picture holder before any picture
inline constexpr std::int16_t kMousePointerArrow = 1;
inline constexpr double kNewInstanceWidth = 2400;  // twips
inline constexpr double kNewInstanceHeight = 600;

class OVHotLabel : public host::Control {
public:
    // Event ids of __OVHotLabel.
    static constexpr std::int32_t kEventClick = 1, kEventDblClick = 2, kEventMouseDown = 3, kEventMouseMove = 4,
                                  kEventMouseUp = 5, kEventHotSpotClick = 6;

    OVHotLabel();
    ~OVHotLabel() override;

    static const ClassInfo& StaticInfo();
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    // --- the interface, in its order ------------------------------------------------------------
    std::int32_t LabelBackColor() const;
    void SetLabelBackColor(std::int32_t colour);
    bool LabelEnabled() const { return enabled_; }
    void SetLabelEnabled(bool enabled);
    std::shared_ptr<IDispatch> LabelFont() const;
    void SetLabelFont(std::shared_ptr<IDispatch> font);
    // The interface's Refresh method.
    void RefreshLabel() { RenderControlString(); }
    // Reading the string renders the label again, as the property's get does.
    std::string ControlString();
    void SetControlString(std::string text);
    std::shared_ptr<IDispatch> Picture() const;
    void SetPicture(std::shared_ptr<IDispatch> picture);
    std::int32_t HotspotColor() const { return hotspot_color_; }
    void SetHotspotColor(std::int32_t colour);
    std::int32_t LabelForeColor() const { return fore_color_; }
    void SetLabelForeColor(std::int32_t colour);
    std::int16_t BorderStyle() const;
    void SetBorderStyle(std::int16_t style);
    bool Highlight() const { return highlight_; }
    void SetHighlight(bool highlight);
    std::int32_t HighlightColor() const { return highlight_color_; }
    void SetHighlightColor(std::int32_t colour);

    // --- state the hit test and the renderer share --------------------------------------------
    const HotSpotTable& HotSpots() const { return hot_spots_; }
    std::int32_t HoverIndex() const { return hover_.index; }
    bool OverHotSpot() const { return hover_.over; }
    host::ConstituentPictureBox& MainBox() const { return *main_; }
    host::ConstituentPictureBox& PictureHolder() const { return *picture_; }

protected:
    void OnInitialize() override;
    void OnInitProperties() override;
    void OnResize() override;
    void OnPaint() override;
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override;
    Variant PersistedDefault(const PersistDesc& key) const override;

private:
    void RenderControlString();
    // After MouseMove: the pointer and the lit hot spot follow the hot spot under (x, y).
    void SearchHotSpot(float x, float y);

    std::string control_string_;
    std::int32_t fore_color_ = 0;
    std::int32_t hotspot_color_ = 0;
    std::int32_t highlight_color_ = 0;
    bool highlight_ = false;
    bool enabled_ = false;
    HotSpotTable hot_spots_;
    Hover hover_;

    host::ConstituentPictureBox* main_ = nullptr;
    host::ConstituentPictureBox* picture_ = nullptr;
    host::Image* cursor_ = nullptr;
    std::shared_ptr<ov::Picture> hand_;
};

}  // namespace ov::hotlabel
