#pragma once
// OVTabHead: a row of up to twelve tab headings along the bottom edge of a strip, built from a
// comma-separated list, with a raised plate behind the selected heading and a mouse-over
// underline that a timer takes away again. The control draws nothing itself: it positions and
// styles its constituent labels, shape and lines.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "platform/gdi/ole_colour.h"
#include "tabhead/tab_layout.h"
#include "tabhead/tab_string.h"

namespace ov::tabhead {

// The interval after which the mouse-over underline goes away.
inline constexpr std::int32_t kMouseOverInterval = 3000;

inline constexpr std::int32_t kDefaultSelectedColor = gdi::OleSystemColor(gdi::COLOR_BTNTEXT);
inline constexpr std::int32_t kDefaultInactiveColor = gdi::OleSystemColor(gdi::COLOR_HIGHLIGHTTEXT);
inline constexpr std::int32_t kDefaultBackColor = gdi::OleSystemColor(gdi::COLOR_BTNSHADOW);
inline constexpr double kNewInstanceWidth = 8460;  // twips
inline constexpr double kNewInstanceHeight = 630;

class OVTabHead : public host::Control {
public:
    // Event ids of __OVTabHead.
    static constexpr std::int32_t kEventTabSelected = 1, kEventClick = 2, kEventDblClick = 3;
    // Dispatch ids of _OVTabHead.
    enum Member : std::int32_t {
        kTabString = 1,
        kSelectedTab,
        kRefresh,
        kSelectedBold,
        kSelectedColor,
        kInactiveBold,
        kInactiveColor,
        kBackColor
    };

    OVTabHead();
    ~OVTabHead() override;

    static const ClassInfo& StaticInfo();
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    // --- the interface -------------------------------------------------------------------------
    const std::string& TabString() const { return tab_string_; }
    void SetTabString(std::string list);
    std::string SelectedTab() const;
    void SetSelectedTab(std::string text);
    // The interface's Refresh method: lays the row out again.
    void RefreshLayout() { LayoutTabs(); }
    bool SelectedBold() const { return selected_bold_; }
    void SetSelectedBold(bool bold);
    std::int32_t SelectedColor() const { return selected_color_; }
    void SetSelectedColor(std::int32_t colour);
    bool InactiveBold() const { return inactive_bold_; }
    void SetInactiveBold(bool bold);
    std::int32_t InactiveColor() const { return inactive_color_; }
    void SetInactiveColor(std::int32_t colour);
    std::int32_t TabBackColor() const { return BackColor(); }
    void SetTabBackColor(std::int32_t colour);

    std::int16_t SelectedIndex() const { return selected_tab_; }

protected:
    void OnInitialize() override;
    // The strip's surface is filled with its BackColor (the button shadow by default): cleared
    // again in the new colours. Everything else on it is constituents, translated as they compose.
    void OnSystemColoursChanged() override { ClearSurface(); }
    void OnResize() override;
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override;
    void OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) override;

private:
    void CreateConstituents();
    // Applies the heading list to the labels: captions, widths, visibility.
    void ParseTabString();
    // Positions labels, plate and lines (tab_layout.h). The overflow error of the running
    // position reaches the caller after the headings placed so far have been moved.
    void LayoutTabs();
    void LoadSelectedTab(const Variant& stored);

    void HeadingClicked(int index);
    void HeadingHovered(int index);
    void MouseOverTimerTicked();

    std::string tab_string_;
    std::int16_t selected_tab_ = 0;
    bool selected_bold_ = false;
    std::int32_t selected_color_ = kDefaultSelectedColor;
    bool inactive_bold_ = false;
    std::int32_t inactive_color_ = kDefaultInactiveColor;

    std::vector<host::Label*> headings_;
    host::Shape* plate_ = nullptr;
    host::Line* left_line_ = nullptr;
    host::Line* right_line_ = nullptr;
    host::Line* shadow_line_ = nullptr;
    host::Timer* mouse_over_timer_ = nullptr;
    std::shared_ptr<IDispatch> hand_pointer_;
};

}  // namespace ov::tabhead
