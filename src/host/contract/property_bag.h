#pragma once
// The host's property bag: an ordered list of key/value pairs a control writes when the form
// is saved and reads back when it is loaded. Values keep the type they were stored with; the
// control converts them on reading, so a wrongly typed entry fails in the control's own
// conversion (Control::ReadPersisted) and not here. Reading, writing and loading are linear in
// the number of keys: an index by key sits beside the entries kept in write order.
//
// A bag's file form (forms on disk, bag files) belongs to the host that stores it: the
// reference host's is host/reference/bag_file.h.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/runtime/variant.h"

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
    // The file bytes of the picture WriteProperty stored under `key` (PictureFileBytes), or
    // nullptr when the key holds no picture written that way.
    const std::vector<std::uint8_t>* PictureFile(std::string_view key) const;

private:
    struct Slot {
        std::string key;
        Variant value;
        std::int32_t error = 0;  // non-zero: unreadable
        bool dropped = false;    // written back to the default after it was stored
        // The file bytes of a picture, made when WriteProperty checked that the bag can hold
        // it, so a bag file writes them without encoding the picture again.
        std::shared_ptr<const std::vector<std::uint8_t>> picture_file;
    };
    const Slot* FindSlot(std::string_view key) const;
    Slot& SlotFor(std::string_view key);  // the key's slot, a new one at the end if it has none
    void Drop(std::string_view key);
    void Compact();  // removes the dropped slots

    std::vector<Slot> slots_;                                       // write order, dropped ones included
    std::unordered_map<std::string, std::size_t> index_;            // key folded to lower case -> slot
    std::size_t live_ = 0;                                          // slots not dropped
    mutable std::vector<std::pair<std::string, Variant>> entries_;  // built on demand
    mutable bool entries_current_ = true;
};

// Whether a bag would treat `value` as equal to `default_value` (see WriteProperty).
bool BagValuesEqual(const Variant& value, const Variant& default_value);

}  // namespace ov::host
