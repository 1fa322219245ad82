// The constituent picture box: a control's drawing surface, wrapping the drawing layer's
// ov::PictureBox.
#include "host/contract/constituents.h"
#include "host/contract/control.h"
#include "platform/picturebox/picture_box.h"
#include "platform/picturebox/picture_box_object.h"

namespace ov::host {

namespace {

constexpr int kContainerTwips = 1;

}  // namespace

// The box is positioned in twips (converted from the owner's scale units here), so it does not
// depend on the owner's scale mode, which may be the user scale. Its window is not parented to
// the owner's: the owner's window may not exist yet, and the compositor places every windowed
// constituent by its position anyway.
ConstituentPictureBox::ConstituentPictureBox(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::PictureBox, std::move(name), index),
      box_(std::make_shared<ov::PictureBox>(owner.hWnd(), 0, 0, 0, 0, kContainerTwips)),
      object_(PictureBoxObject::Create(box_)) {}

ConstituentPictureBox::~ConstituentPictureBox() = default;

gdi::HWND ConstituentPictureBox::hWnd() const { return box_->hWnd(); }

void ConstituentPictureBox::Move(double left, double top, double width, double height) {
    // The box first: one it cannot be (380, 7) leaves the constituent where it was.
    const Control& o = owner();
    box_->Move(o.ScaleX(left, o.ScaleMode(), kScaleTwips), o.ScaleY(top, o.ScaleMode(), kScaleTwips),
               o.ScaleX(width, o.ScaleMode(), kScaleTwips), o.ScaleY(height, o.ScaleMode(), kScaleTwips));
    Constituent::Move(left, top, width, height);
}

void ConstituentPictureBox::SetVisible(bool visible) { Constituent::SetVisible(visible); }

std::vector<std::pair<std::string, Variant>> ConstituentPictureBox::InspectProperties() const {
    auto props = Constituent::InspectProperties();
    props.emplace_back("BackColor", Variant::FromLong(static_cast<std::int32_t>(box_->BackColor())));
    props.emplace_back("ForeColor", Variant::FromLong(static_cast<std::int32_t>(box_->ForeColor())));
    props.emplace_back("MousePointer", Variant::FromInteger(static_cast<std::int16_t>(box_->MousePointer())));
    return props;
}

}  // namespace ov::host
