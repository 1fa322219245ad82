#pragma once
// The classes a host can create by name: each entry has its member table, a factory, whether it
// is a control (with the lifecycle and a surface) and a control's default extent. The library
// fills one registry with every class it ships (library/classes.h); a test can fill its own.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/reference/reference_only.h"
#include "host/contract/toolbox_image.h"
#include "platform/runtime/automation_object.h"

namespace ov::host {

class Control;

struct ClassEntry {
    std::string name;      // "OV3DLine"
    std::string prog_id;   // "OrvelleControls.OV3DLine"; empty for host-only classes
    std::string class_id;  // registry-format GUID text, the component runtime's key
    const ClassInfo* info = nullptr;
    std::function<std::shared_ptr<AutomationObject>()> create;
    bool is_control = false;
    double default_width = 2400;  // twips, a new control's extent before it sizes itself
    double default_height = 1200;
    ToolboxImage toolbox_image;  // a control's picture in a designer's toolbox (T::DrawToolboxImage)
};

class ClassRegistry {
public:
    // Adds or replaces the entry of the same name.
    void Add(ClassEntry entry);

    // By class name or by ProgID, case-insensitive; nullptr when absent.
    const ClassEntry* Find(std::string_view name_or_prog_id) const;
    const ClassEntry* FindByClassId(std::string_view class_id) const;
    // Creates an instance; nullptr for an unknown class.
    std::shared_ptr<AutomationObject> Create(std::string_view name_or_prog_id) const;

    const std::vector<ClassEntry>& entries() const { return entries_; }

private:
    std::vector<ClassEntry> entries_;
};

// A registry entry for a creatable non-control class T (e.g. the gradient renderer).
template <class T>
ClassEntry ObjectEntry(std::string name, std::string class_id = {}) {
    ClassEntry e;
    e.name = name;
    e.prog_id = ProgIdOf(name);
    e.class_id = std::move(class_id);
    e.info = &T::StaticInfo();
    e.create = [] { return std::make_shared<T>(); };
    return e;
}

// A registry entry for a control class T (default-constructible, deriving from Control).
template <class T>
ClassEntry ControlEntry(std::string name, double default_width, double default_height, std::string class_id = {}) {
    ClassEntry e = ObjectEntry<T>(std::move(name), std::move(class_id));
    e.is_control = true;
    e.default_width = default_width;
    e.default_height = default_height;
    if constexpr (requires { T::DrawToolboxImage(); }) e.toolbox_image = T::DrawToolboxImage();
    return e;
}

}  // namespace ov::host
