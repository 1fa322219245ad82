#include "library/widget_names.h"
#include "platform/runtime/compare.h"

#include <cctype>

namespace ov::library {

std::string WidgetEnumKey(const std::string& value_name) {
    std::string id;
    for (char ch : value_name) id += std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' ? ch : '_';
    if (id.empty() || std::isdigit(static_cast<unsigned char>(id[0]))) id.insert(id.begin(), '_');
    return id;
}

std::set<std::string> ScopedWidgetEnums(const ClassInfo& info) {
    std::set<std::string> keys_seen, scoped;
    for (const EnumDesc& e : info.enums) {
        bool meets = false;
        for (const auto& value : e.values) meets |= keys_seen.count(WidgetEnumKey(value.first)) > 0;
        for (const auto& value : e.values) keys_seen.insert(WidgetEnumKey(value.first));
        if (meets) scoped.insert(e.name);
    }
    return scoped;
}

bool IsFontType(const TypeDesc& type) {
    return type.kind == TypeDesc::Kind::Object && (EqualsIgnoreCase(type.name, "StdFont") || EqualsIgnoreCase(type.name, "Font"));
}

bool IsPictureType(const TypeDesc& type) {
    return type.kind == TypeDesc::Kind::Object &&
           (EqualsIgnoreCase(type.name, "StdPicture") || EqualsIgnoreCase(type.name, "Picture"));
}

}  // namespace ov::library
