#pragma once
// Plain controls of the host itself, creatable like the library's: "Box", an opaque rectangle
// in its BackColor for use as contained content, and "PictureBox", a picture box placed on the
// form (its members are those of the drawing layer's picture box).
#include "host/reference/reference_only.h"
#include "host/contract/control.h"

namespace ov::host {

class Box : public Control {
public:
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

protected:
    void OnResize() override { ClearSurface(); }
};

class ClassRegistry;
// Registers the plain "PictureBox" host control (host_picture_box.cpp).
void RegisterHostPictureBox(ClassRegistry& registry);

}  // namespace ov::host
