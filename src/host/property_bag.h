#pragma once
// The host's property bag: an ordered list of key/value pairs a control writes when the form
// is saved and reads back when it is loaded. Values keep the type they were stored with; the
// control converts them on reading, so a wrongly typed entry fails in the control's own
// conversion (Control::ReadPersisted) and not here.
//
// JSON form (what forms on disk and bag files hold), an array in write order:
//   [ {"key": "Orientation", "type": "Long", "value": 1},
//     {"key": "Caption", "type": "String", "value": "Hello"},
//     {"key": "When", "type": "Date", "value": "2024-12-31 13:15:00"},
//     {"key": "Font", "type": "Font", "value": {"name": "Arial", "size": 8.25, "bold": false,
//                                               "italic": false, "underline": false, "strikethrough": false}},
//     {"key": "Picture", "type": "Picture", "file": "pictures/logo.bmp"},
//     {"key": "Picture", "type": "Picture", "png": "<base64>"},
//     {"key": "MouseIcon", "type": "Object", "value": null} ]
// Types: Empty, Null, Boolean, Byte, Integer, Long, Single, Double, Date, String, Object
// (Nothing), Font, Picture.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/runtime/variant.h"

namespace ov::host {

class PropertyBag {
public:
    // The stored value with its stored type, or `default_value` when the key is absent.
    Variant ReadProperty(std::string_view key, const Variant& default_value = Variant()) const;

    // Stores the value; a value equal to the default (same type and value; fonts by their
    // attributes, other objects by identity) is omitted, and an earlier entry of the key is
    // dropped so that reading gives the default back.
    void WriteProperty(std::string_view key, const Variant& value, const Variant& default_value = Variant());

    // Stores unconditionally (tests and hand-made bags).
    void Set(std::string_view key, const Variant& value);
    bool Contains(std::string_view key) const;
    void Clear() { entries_.clear(); }

    const std::vector<std::pair<std::string, Variant>>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    // JSON round trip. `base_dir` resolves relative picture file references when loading.
    // FromJson throws AutomationError 13 for an entry it cannot read.
    nlohmann::json ToJson() const;
    static PropertyBag FromJson(const nlohmann::json& json, const std::string& base_dir = {});
    std::string ToJsonText() const;
    static PropertyBag FromJsonText(std::string_view text, const std::string& base_dir = {});

private:
    std::vector<std::pair<std::string, Variant>> entries_;
};

// Typed value <-> JSON, shared with forms on disk.
nlohmann::json VariantToJson(const Variant& value);
Variant VariantFromJson(const nlohmann::json& json, const std::string& base_dir = {});

// Whether a bag would treat `value` as equal to `default_value` (see WriteProperty).
bool BagValuesEqual(const Variant& value, const Variant& default_value);

}  // namespace ov::host
