#pragma once
// The reference host's file form of a property bag (what forms on disk and bag files hold).
//
// An array in write order:
//   [ {"key": "Orientation", "type": "Long", "value": 1},
//     {"key": "BackColor", "type": "Long", "value": "&H8000000F"},
//     {"key": "Caption", "type": "String", "value": "Hello"},
//     {"key": "When", "type": "Date", "value": "2024-12-31 13:15:00"},
//     {"key": "Font", "type": "Font", "value": {"name": "Arial", "size": 8.25, "bold": false,
//                                               "italic": false, "underline": false, "strikethrough": false}},
//     {"key": "Picture", "type": "Picture", "file": "pictures/logo.bmp"},
//     {"key": "Picture", "type": "Picture", "png": "<base64>"},
//     {"key": "MouseIcon", "type": "Picture", "ico": "<base64>"},
//     {"key": "MouseIcon", "type": "Object", "value": null} ]
// Types: Empty, Null, Boolean, Byte, Integer, Long, Single, Double, Date, String, Object
// (Nothing), Font, Picture. Integers are whole JSON numbers or &H hex text (32-bit two's
// complement). Text is UTF-8 in the file and Windows-1252 in the bag. A picture is embedded as
// the bytes of its file, the member naming the format: "png" (bitmaps), "ico" (icons), "wmf"
// and "emf" (metafiles); each loads back as a picture of the same type.
//
// Reading a file, a value of the wrong kind for its type (text for a Long, an array for a Font)
// or a malformed entry makes the whole file "Invalid file format" (321), naming the place. A
// value of the right kind that its type cannot hold (an Integer 65537, a Date of 1e300, a
// picture that does not decode) leaves the key unreadable instead: reading it raises that
// error (6 overflow, 481, ...), so the control skips that key and goes on with the next.
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "host/reference/reference_only.h"
#include "host/contract/property_bag.h"
#include "platform/runtime/variant.h"

namespace ov::json_input {
class Node;
}

namespace ov::host {

// `base_dir` resolves relative picture file references when loading; it and the file names
// are file-system paths (UTF-8). Loading throws AutomationError 321 for a file that is not a
// bag; writing skips unreadable keys, and throws what WriteProperty would for a value stored
// with Set that no bag can hold.
nlohmann::json BagToJson(const PropertyBag& bag);
PropertyBag BagFromJson(const nlohmann::json& json, const std::string& base_dir = {});
std::string BagToJsonText(const PropertyBag& bag);
PropertyBag BagFromJsonText(std::string_view text, const std::string& base_dir = {});
// The entries at `entries` of a larger document (a form holds one bag per control); a wrong
// shape throws json_input::ShapeError naming the place.
PropertyBag BagFromNode(const json_input::Node& entries, const std::string& base_dir);

// One value as the file form writes it: {"type": ..., "value": ...}. Throws AutomationError
// for a value no bag can hold (an object other than a font, picture or Nothing).
nlohmann::json VariantToJson(const Variant& value);

}  // namespace ov::host
