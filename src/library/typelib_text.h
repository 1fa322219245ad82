#pragma once
// The type library as readable text: every class with its default interface (members in
// declared order with dispatch id, kind, parameters, type and help string), its event
// interface, and every enumeration with its values; then the platform's objects the classes
// take and return (StdPicture, StdFont, PictureBox) with their interfaces.
#include <string>
#include <vector>

#include "host/reference/class_registry.h"

namespace ov::library {

std::string TypeLibraryText(const host::ClassRegistry& registry);

// The platform objects listed after the classes, in that order.
const std::vector<const ClassInfo*>& PlatformObjects();

// One member as a line, e.g. `property ForeColor As OLE_COLOR [get, put] id 1 "Line's forecolor"`.
std::string MemberLine(const MemberDesc& member);
std::string EventLine(const EventDesc& event);

}  // namespace ov::library
