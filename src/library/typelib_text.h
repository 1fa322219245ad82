#pragma once
// The type library as readable text: every class with its default interface (members in
// declared order with dispatch id, kind, parameters, type and help string), its event
// interface, and every enumeration with its values.
#include <string>

#include "host/class_registry.h"

namespace ov::library {

std::string TypeLibraryText(const host::ClassRegistry& registry);

// One member as a line, e.g. `property ForeColor As OLE_COLOR [get, put] id 1 "Line's forecolor"`.
std::string MemberLine(const host::MemberDesc& member);
std::string EventLine(const host::EventDesc& event);

}  // namespace ov::library
