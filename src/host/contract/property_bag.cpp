#include "host/contract/property_bag.h"

#include <cmath>
#include <memory>

#include "host/contract/font_attributes.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

namespace {

std::string FoldedKey(std::string_view key) {
    std::string folded(key);
    for (char& c : folded) c = AsciiLower(c);
    return folded;
}

// Throws the error a bag raises for a value it cannot hold; for a picture, returns the bytes of
// its file (what a bag stores of it), made once here.
std::shared_ptr<const std::vector<std::uint8_t>> RequireStorable(const Variant& value) {
    if ((value.type() == VarType::Single || value.type() == VarType::Double) && !std::isfinite(value.real()))
        throw AutomationError(error::kOverflow);  // a file holds no infinities
    if (!value.IsObject() || !value.object() || IsFontObject(value.object())) return nullptr;
    const auto* picture = dynamic_cast<const Picture*>(value.object().get());
    if (!picture) throw AutomationError(error::kTypeMismatch);
    if (picture->type() == PictureType::None) return nullptr;
    return std::make_shared<const std::vector<std::uint8_t>>(PictureFileBytes(*picture));
}

}  // namespace

bool BagValuesEqual(const Variant& value, const Variant& default_value) {
    if (value.IsObject() && default_value.IsObject()) {
        const auto& a = value.object();
        const auto& b = default_value.object();
        if (a == b) return true;
        if (IsFontObject(a) && IsFontObject(b)) return FontFromObject(a) == FontFromObject(b);
        return false;
    }
    return value == default_value;
}

const PropertyBag::Slot* PropertyBag::FindSlot(std::string_view key) const {
    const auto it = index_.find(FoldedKey(key));
    return it == index_.end() ? nullptr : &slots_[it->second];
}

PropertyBag::Slot& PropertyBag::SlotFor(std::string_view key) {
    entries_current_ = false;
    const auto [it, inserted] = index_.try_emplace(FoldedKey(key), slots_.size());
    if (!inserted) return slots_[it->second];
    ++live_;
    return slots_.emplace_back(Slot{std::string(key), Variant(), 0, false});
}

void PropertyBag::Drop(std::string_view key) {
    const auto it = index_.find(FoldedKey(key));
    if (it == index_.end()) return;
    slots_[it->second].dropped = true;
    slots_[it->second].value = Variant();  // releases an object value now
    slots_[it->second].picture_file.reset();
    index_.erase(it);
    --live_;
    entries_current_ = false;
    // Dropped slots are swept out once they outnumber the live ones, so a key dropped and
    // written again and again costs amortised constant time and bounded memory.
    const std::size_t dropped = slots_.size() - live_;
    if (dropped > 64 && dropped > live_) Compact();
}

void PropertyBag::Compact() {
    std::erase_if(slots_, [](const Slot& slot) { return slot.dropped; });
    index_.clear();
    for (std::size_t i = 0; i < slots_.size(); ++i) index_.emplace(FoldedKey(slots_[i].key), i);
}

Variant PropertyBag::ReadProperty(std::string_view key, const Variant& default_value) const {
    const Slot* slot = FindSlot(key);
    if (!slot) return default_value;
    if (slot->error) throw AutomationError(slot->error);
    return slot->value;
}

void PropertyBag::WriteProperty(std::string_view key, const Variant& value, const Variant& default_value) {
    if (BagValuesEqual(value, default_value)) {
        Drop(key);
        return;
    }
    // Checked now, so that a value no bag can hold fails this key alone (the caller skips it and
    // goes on) instead of the whole bag when it is written out. A key that fails leaves no
    // earlier value behind.
    std::shared_ptr<const std::vector<std::uint8_t>> picture_file;
    try {
        picture_file = RequireStorable(value);
    } catch (...) {
        Drop(key);
        throw;
    }
    Slot& slot = SlotFor(key);
    slot.value = value;
    slot.error = 0;
    slot.picture_file = std::move(picture_file);
}

void PropertyBag::Set(std::string_view key, const Variant& value) {
    Slot& slot = SlotFor(key);
    slot.value = value;
    slot.error = 0;
    slot.picture_file.reset();
}

void PropertyBag::SetUnreadable(std::string_view key, std::int32_t error_number) {
    Slot& slot = SlotFor(key);
    slot.value = Variant();
    slot.error = error_number;
    slot.picture_file.reset();
}

const std::vector<std::uint8_t>* PropertyBag::PictureFile(std::string_view key) const {
    const Slot* slot = FindSlot(key);
    return slot ? slot->picture_file.get() : nullptr;
}

bool PropertyBag::Contains(std::string_view key) const { return FindSlot(key) != nullptr; }

void PropertyBag::Clear() {
    slots_.clear();
    index_.clear();
    live_ = 0;
    entries_.clear();
    entries_current_ = true;
}

const std::vector<std::pair<std::string, Variant>>& PropertyBag::entries() const {
    if (!entries_current_) {
        entries_.clear();
        for (const Slot& slot : slots_)
            if (!slot.dropped && !slot.error) entries_.emplace_back(slot.key, slot.value);
        entries_current_ = true;
    }
    return entries_;
}

std::vector<std::pair<std::string, std::int32_t>> PropertyBag::unreadable() const {
    std::vector<std::pair<std::string, std::int32_t>> keys;
    for (const Slot& slot : slots_)
        if (!slot.dropped && slot.error) keys.emplace_back(slot.key, slot.error);
    return keys;
}

}  // namespace ov::host
