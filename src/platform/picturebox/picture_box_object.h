#pragma once
// The picture box as a late-bound object ("PictureBox"): the same members as the C++ class, by
// name, for callers that only hold an object reference (the gradient renderer reads hWnd and
// hDC this way) and for the shell.
#include <memory>

#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_object.h"

namespace ov {

class PictureBoxObject final : public AutomationObject {
public:
    explicit PictureBoxObject(std::shared_ptr<PictureBox> box) : box_(std::move(box)) {}
    static std::shared_ptr<PictureBoxObject> Create(std::shared_ptr<PictureBox> box) {
        return std::make_shared<PictureBoxObject>(std::move(box));
    }

    PictureBox& box() { return *box_; }
    const std::shared_ptr<PictureBox>& shared_box() const { return box_; }

    // Line takes (x1, y1, x2, y2, [colour], [flags]) with flags "B" or "BF"; Print takes the
    // text and an optional False to stay on the line (as a trailing ";"); ScaleX/ScaleY take
    // (value, [from = 8 HIMETRIC], [to = the box's ScaleMode]) and return a Single.
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

private:
    std::shared_ptr<PictureBox> box_;
};

}  // namespace ov
