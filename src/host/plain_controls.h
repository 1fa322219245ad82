#pragma once
// Plain controls of the host itself, creatable like the library's: "Box", an opaque rectangle
// in its BackColor for use as contained content, and "PictureBox", a picture box placed on the
// form (its members are those of the drawing layer's picture box).
#include "host/control.h"

namespace ov::host {

class Box : public Control {
public:
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

protected:
    void OnResize() override { ClearSurface(); }
};

class ClassRegistry;
// Registers the plain "PictureBox" host control (picture_box_bridge.cpp).
void RegisterHostPictureBox(ClassRegistry& registry);

}  // namespace ov::host
