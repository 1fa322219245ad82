#pragma once
// OVHotLabel: a label whose text is one control string with markup. Pairs of "~" mark hot spots,
// drawn underlined in their own colour, lit up under the pointer and reported when pressed;
// "*" places a copy of the control's picture inline. The text wraps character by character.
#include <cstdint>
#include <memory>
#include <string>

#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "hotlabel/control_string_painter.h"
#include "hotlabel/hot_spots.h"
#include "platform/gdi/ole_colour.h"

namespace ov::hotlabel {

inline constexpr const char* kDefaultControlString = "Orvelle's ~Hot~ Textbox";
inline constexpr std::int32_t kDefaultHotspotColor = 0x00FF0000;    // blue
inline constexpr std::int32_t kDefaultHighlightColor = 0x000000FF;  // red
inline constexpr std::int32_t kBagBackColor = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
inline constexpr std::int32_t kInitialBackColor = 0x00FFFFFF;  // both boxes, until a BackColor is applied
inline constexpr int kInitialPictureSize = 29;                 // pixels, the picture holder before any picture
inline constexpr std::int16_t kMousePointerArrow = 1;
inline constexpr double kNewInstanceWidth = 2400;  // twips
inline constexpr double kNewInstanceHeight = 600;

class OVHotLabel : public host::Control {
public:
    // Event ids of __OVHotLabel.
    static constexpr std::int32_t kEventClick = 1, kEventDblClick = 2, kEventMouseDown = 3, kEventMouseMove = 4,
                                  kEventMouseUp = 5, kEventHotSpotClick = 6;
    // Dispatch ids of _OVHotLabel; Font has the standard id of a control's font.
    enum Member : std::int32_t {
        kDispidFont = -512,
        kBackColor = 1,
        kEnabled,
        kRefresh,
        kControlString,
        kPicture,
        kHotspotColor,
        kForeColor,
        kBorderStyle,
        kHighlight,
        kHighlightColor
    };

    OVHotLabel();
    ~OVHotLabel() override;

    static const ClassInfo& StaticInfo();
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    // --- the interface, in its order (Enabled, HotspotColor, ForeColor, Highlight and
    // HighlightColor are bound to their members in the table) ------------------------------
    std::int32_t LabelBackColor() const;
    void SetLabelBackColor(std::int32_t colour);
    std::shared_ptr<IDispatch> LabelFont() const;
    void SetLabelFont(std::shared_ptr<IDispatch> font);
    // The interface's Refresh method.
    void RefreshLabel() { RenderControlString(); }
    // Reading the string renders the label again, as the property's get does.
    std::string ControlString();
    void SetControlString(std::string text);
    std::shared_ptr<IDispatch> Picture() const;
    void SetPicture(std::shared_ptr<IDispatch> picture);
    std::int16_t BorderStyle() const;
    void SetBorderStyle(std::int16_t style);

    // The string as stored, without the repaint the property's get makes.
    const std::string& StoredControlString() const { return control_string_; }
    // A press of hot spot `number` (1 to the count) without the pointer, as assistive technology
    // presses a link: HotSpotClick as a press over it raises it. Other numbers do nothing.
    void PressHotSpot(std::int32_t number);

    // --- state the hit test and the renderer share --------------------------------------------
    const HotSpotTable& HotSpots() const { return hot_spots_; }
    std::int32_t HoverIndex() const { return hover_.index; }
    bool OverHotSpot() const { return hover_.over; }
    host::ConstituentPictureBox& MainBox() const { return *main_; }
    host::ConstituentPictureBox& PictureHolder() const { return *picture_; }

protected:
    void OnInitialize() override;
    void OnResize() override;
    void OnPaint() override;
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override;

private:
    void RenderControlString();
    // After MouseMove: the pointer and the lit hot spot follow the hot spot under (x, y).
    void SearchHotSpot(float x, float y);
    // HotSpotClick(number); the hot spot the handler leaves in Index is the one the label keeps.
    void RaiseHotSpotClick(std::int32_t number);

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
