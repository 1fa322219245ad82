#pragma once
// How the Qt widgets (<orvelle/qt/controls.h>) spell what the type library names, for the code
// that generates them and for what reads or writes their names (the .ui converter).
#include <set>
#include <string>

#include "platform/runtime/type_info.h"

namespace ov::library {

// An enumeration key as a C++ identifier: the type library's value name itself where it is one;
// otherwise every character an identifier cannot hold becomes '_', and a leading digit gets a
// '_' before it ("3-Dimensional" -> "_3_Dimensional").
std::string WidgetEnumKey(const std::string& value_name);

// The enumerations of a class its widget declares as `enum class`: those whose keys meet the
// keys of an earlier one of the class, so that both keep the type library's names.
std::set<std::string> ScopedWidgetEnums(const ClassInfo& info);

// The object types a widget shows as Qt values of their own: fonts (QFont) and pictures
// (QPixmap). Other objects go as late-bound references.
bool IsFontType(const TypeDesc& type);
bool IsPictureType(const TypeDesc& type);

}  // namespace ov::library
