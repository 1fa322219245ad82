#include "host/reference/object_registry.h"

#include <algorithm>
#include <cctype>

#include "host/contract/control.h"
#include "host/contract/visual_changes.h"

namespace ov::host {

bool HostEntry::Shown() const {
    if (!control || !visible || control->stage() == LifecycleStage::Terminated) return false;
    return !(control->Info().invisible_at_run_time && control->AmbientUserMode());
}

namespace {

// Names compare case-insensitively in ASCII, as EqualsIgnoreCase does; the index holds them
// folded so one lookup finds any spelling.
std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace

HostEntry& ObjectRegistry::Add(std::unique_ptr<HostEntry> entry) {
    HostEntry& added = *entry;
    added.tab_key = next_tab_key_++;
    by_name_[Folded(added.name)] = &added;
    by_object_[added.object.get()] = &added;
    entries_.push_back(std::move(entry));
    NoteVisualChange();
    return added;
}

void ObjectRegistry::Remove(const HostEntry& entry) {
    by_name_.erase(Folded(entry.name));
    by_object_.erase(entry.object.get());
    std::erase_if(entries_, [&](const auto& e) { return e.get() == &entry; });
    NoteVisualChange();
}

HostEntry* ObjectRegistry::Find(std::string_view name) const {
    const auto it = by_name_.find(Folded(name));
    return it == by_name_.end() ? nullptr : it->second;
}

HostEntry* ObjectRegistry::EntryOf(const IDispatch* object) const {
    const auto it = by_object_.find(object);
    return it == by_object_.end() ? nullptr : it->second;
}

HostEntry* ObjectRegistry::NewestChildOf(const HostEntry& container) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if ((*it)->container == &container) return it->get();
    return nullptr;
}

}  // namespace ov::host
