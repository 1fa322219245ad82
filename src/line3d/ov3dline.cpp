#include "line3d/ov3dline.h"

namespace ov::line3d {

OV3DLine::OV3DLine() : line1_(AddLine("Line1")), line2_(AddLine("Line2")) {
    // Design-time state of the two lines: until a colour is written they keep these colours,
    // whatever ForeColor and BackColor report (loading sets the members only).
    line1_.SetPoints(0, 60, 5280, 60);
    line1_.SetBorderColor(gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW));
    line2_.SetPoints(420, 120, 4860, 120);
    line2_.SetBorderColor(gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
}

const ClassInfo& OV3DLine::StaticInfo() {
    // Loading stores the members only: no layout, no recolouring of the lines, and a new
    // instance gets its defaults the same way. Colour writes tell the host nothing.
    static const ClassInfo info =
        ClassBuilder<OV3DLine>("OV3DLine")
            .ClassHelp("A horizontal or vertical line with a 3-D look, drawn in a shadow and a highlight colour")
            .Property("ForeColor", kForeColor, TypeDesc::Color(), &OV3DLine::LineForeColor, &OV3DLine::SetLineForeColor)
            .Help("Line's forecolor")
            .InCategory(Category::Appearance)
            .Silent()
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_BTNSHADOW)))
            .Persist(&OV3DLine::fore_color_)
            .Property("BackColor", kBackColor, TypeDesc::Color(), &OV3DLine::LineBackColor, &OV3DLine::SetLineBackColor)
            .Help("Line's backcolor")
            .InCategory(Category::Appearance)
            .Silent()
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW)))
            .Persist(&OV3DLine::back_color_)
            .Property("Orientation", kOrientation, TypeDesc::Enum("lOrientation"), &OV3DLine::LineOrientation,
                      &OV3DLine::SetLineOrientation)
            .Help("Line's orientation (Horisontal/Vertical)")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kHorizontal))
            .Persist(&OV3DLine::orientation_)
            .Enum("lOrientation", {{"Horizontal", kHorizontal}, {"Vertical", kVertical}})
            .PersistOrder({"Orientation", "BackColor", "ForeColor"})
            .Build();
    return info;
}

void OV3DLine::SetLineForeColor(std::int32_t colour) {
    fore_color_ = colour;
    line2_.SetBorderColor(colour);
}

void OV3DLine::SetLineBackColor(std::int32_t colour) {
    back_color_ = colour;
    line1_.SetBorderColor(colour);
}

void OV3DLine::SetLineOrientation(std::int32_t orientation) {
    orientation_ = orientation;
    Layout();
    NotifyChanged(kOrientation);
    // Any value but Vertical stretches the width, so the unknown value 2 also gets a width of
    // 2000 while its lines stay where they were.
    if (orientation_ != kVertical) SetWidth(kLengthAfterSwitch);
    else SetHeight(kLengthAfterSwitch);
}

void OV3DLine::Layout() {
    // Setting the thickness delivers a nested Resize that lays the lines out with the same
    // values; the orientation is read again afterwards, as a nested handler may have run.
    if (orientation_ == kHorizontal) {
        SetHeight(kThickness);
        line1_.SetPoints(0, 0, Width() - 10, 0);
        line2_.SetPoints(20, 20, Width(), 20);
    }
    if (orientation_ == kVertical) {
        SetWidth(kThickness);
        line1_.SetPoints(0, 0, 0, Height() - 10);
        line2_.SetPoints(20, 20, 20, Height());
    }
}

}  // namespace ov::line3d
