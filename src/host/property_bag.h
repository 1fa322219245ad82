#pragma once
// The host's property bag: an ordered list of key/value pairs a control writes when the form
// is saved and reads back when it is loaded. Values keep the type they were stored with; the
// control converts them on reading, so a wrongly typed entry fails in the control's own
// conversion (Control::ReadPersisted) and not here. Reading, writing and loading are linear in
// the number of keys: an index by key sits beside the entries kept in write order.
//
// JSON form (what forms on disk and bag files hold), an array in write order:
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
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/runtime/variant.h"

namespace ov::json_input {
class Node;
}

namespace ov::host {

class PropertyBag {
public:
    // The stored value with its stored type, or `default_value` when the key is absent. An
    // unreadable key raises its error.
    Variant ReadProperty(std::string_view key, const Variant& default_value = Variant()) const;

    // Stores the value; a value equal to the default (same type and value; fonts by their
    // attributes, other objects by identity) is omitted, and an earlier entry of the key is
    // dropped so that reading gives the default back. A value no bag can hold (a Single or
    // Double that is not finite 6, an object other than a font, picture or Nothing 13, a
    // picture that cannot be encoded 481) throws that error and leaves the key out, so a
    // control saving its keys skips that one alone.
    void WriteProperty(std::string_view key, const Variant& value, const Variant& default_value = Variant());

    // Stores unconditionally (tests and hand-made bags). A key already present keeps its place.
    void Set(std::string_view key, const Variant& value);
    // Records a key whose stored value could not be read; ReadProperty raises `error_number`.
    void SetUnreadable(std::string_view key, std::int32_t error_number);
    bool Contains(std::string_view key) const;
    void Clear();

    // The readable entries in write order.
    const std::vector<std::pair<std::string, Variant>>& entries() const;
    // The unreadable keys with their error numbers, in write order.
    std::vector<std::pair<std::string, std::int32_t>> unreadable() const;
    bool empty() const { return live_ == 0; }

    // JSON round trip. `base_dir` resolves relative picture file references when loading; it
    // and the file names are file-system paths (UTF-8). Loading throws AutomationError 321 for
    // a file that is not a bag; writing skips unreadable keys, and throws what WriteProperty
    // would for a value stored with Set that no bag can hold.
    nlohmann::json ToJson() const;
    static PropertyBag FromJson(const nlohmann::json& json, const std::string& base_dir = {});
    std::string ToJsonText() const;
    static PropertyBag FromJsonText(std::string_view text, const std::string& base_dir = {});
    // The entries at `entries` of a larger document (a form holds one bag per control); a
    // wrong shape throws json_input::ShapeError naming the place.
    static PropertyBag FromNode(const json_input::Node& entries, const std::string& base_dir);

private:
    struct Slot {
        std::string key;
        Variant value;
        std::int32_t error = 0;  // non-zero: unreadable
        bool dropped = false;    // written back to the default after it was stored
        std::shared_ptr<const nlohmann::json> encoded;  // the JSON form WriteProperty made
    };
    const Slot* FindSlot(std::string_view key) const;
    Slot& SlotFor(std::string_view key);  // the key's slot, a new one at the end if it has none
    void Drop(std::string_view key);
    void Compact();  // removes the dropped slots

    std::vector<Slot> slots_;                               // write order, dropped ones included
    std::unordered_map<std::string, std::size_t> index_;    // key folded to lower case -> slot
    std::size_t live_ = 0;                                  // slots not dropped
    mutable std::vector<std::pair<std::string, Variant>> entries_;  // built on demand
    mutable bool entries_current_ = true;
};

// One value as the bag's JSON form writes it: {"type": ..., "value": ...}. Throws
// AutomationError for a value no bag can hold (an object other than a font, picture or Nothing).
nlohmann::json VariantToJson(const Variant& value);

// Whether a bag would treat `value` as equal to `default_value` (see WriteProperty).
bool BagValuesEqual(const Variant& value, const Variant& default_value);

}  // namespace ov::host
