#include "host/plain_controls.h"

#include "host/reference_host.h"
#include "platform/gdi/ole_colour.h"

namespace ov::host {

const ClassInfo& Box::StaticInfo() {
    static const ClassInfo info = ClassBuilder<Box>("Box")
                                      .Property("BackColor", 1, TypeDesc::Color(), &Box::BackColor, &Box::SetBackColor)
                                      .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
                                      .Persist("BackColor")
                                      .Build();
    return info;
}

void RegisterHostClasses(ClassRegistry& registry) {
    // Host classes have no ProgID and no class id: they are not part of the type library.
    ClassEntry box = ControlEntry<Box>("Box", 1200, 800);
    box.prog_id.clear();
    registry.Add(std::move(box));
    RegisterHostPictureBox(registry);
}

}  // namespace ov::host
