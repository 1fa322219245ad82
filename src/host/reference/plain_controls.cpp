#include "host/reference/plain_controls.h"

#include "host/reference/reference_host.h"
#include "platform/gdi/ole_colour.h"

namespace ov::host {

const ClassInfo& Box::StaticInfo() {
    // A frame other controls are placed in; its surface starts in its BackColor.
    static const ClassInfo info = ClassBuilder<Box>("Box")
                                      .Container()
                                      .SilentPuts()
                                      .NewInstancesAsCreated()
                                      .Property("BackColor", 1, TypeDesc::Color(), &Box::BackColor, &Box::SetBackColor)
                                      .InCategory(Category::Appearance)
                                      .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_BTNFACE)))
                                      .Persist()
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
