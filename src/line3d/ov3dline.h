#pragma once
// OV3DLine: an etched separator made of two one-pixel constituent lines, the second offset one
// pixel down and right. It keeps a fixed 40-twip thickness whatever size it is dragged to and
// raises no events.
#include <cstdint>

#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "platform/gdi/ole_colour.h"

namespace ov::line3d {

class OV3DLine : public host::Control {
public:
    enum Orientation : std::int32_t { kHorizontal = 0, kVertical = 1 };
    // Dispatch ids of _OV3DLine.
    enum Member : std::int32_t { kForeColor = 1, kBackColor = 2, kOrientation = 3 };

    static constexpr double kThickness = 40;            // twips
    static constexpr double kLengthAfterSwitch = 2000;  // twips, after an Orientation write

    OV3DLine();

    static const ClassInfo& StaticInfo();
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();
    const ClassInfo& Info() const override { return StaticInfo(); }

    // ForeColor colours Line2, BackColor Line1; neither write notifies the host.
    std::int32_t LineForeColor() const { return fore_color_; }
    void SetLineForeColor(std::int32_t colour);
    std::int32_t LineBackColor() const { return back_color_; }
    void SetLineBackColor(std::int32_t colour);
    std::int32_t LineOrientation() const { return orientation_; }
    void SetLineOrientation(std::int32_t orientation);

    host::Line& line1() { return line1_; }
    host::Line& line2() { return line2_; }

protected:
    void OnResize() override { Layout(); }
    // Its surface holds only the background, filled in BackColor: cleared again in the new
    // colours. The two lines are constituents, translated as they compose.
    void OnSystemColoursChanged() override { ClearSurface(); }

private:
    void Layout();

    std::int32_t orientation_ = kHorizontal;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW);
    std::int32_t fore_color_ = gdi::OleSystemColor(gdi::COLOR_BTNSHADOW);
    host::Line& line1_;
    host::Line& line2_;
};

}  // namespace ov::line3d
