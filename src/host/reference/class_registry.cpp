#include "host/reference/class_registry.h"

namespace ov::host {

void ClassRegistry::Add(ClassEntry entry) {
    for (ClassEntry& e : entries_) {
        if (EqualsIgnoreCase(e.name, entry.name)) {
            e = std::move(entry);
            return;
        }
    }
    entries_.push_back(std::move(entry));
}

const ClassEntry* ClassRegistry::Find(std::string_view name_or_prog_id) const {
    for (const ClassEntry& e : entries_)
        if (EqualsIgnoreCase(e.name, name_or_prog_id) ||
            (!e.prog_id.empty() && EqualsIgnoreCase(e.prog_id, name_or_prog_id)))
            return &e;
    return nullptr;
}

const ClassEntry* ClassRegistry::FindByClassId(std::string_view class_id) const {
    for (const ClassEntry& e : entries_)
        if (!e.class_id.empty() && EqualsIgnoreCase(e.class_id, class_id)) return &e;
    return nullptr;
}

std::shared_ptr<AutomationObject> ClassRegistry::Create(std::string_view name_or_prog_id) const {
    const ClassEntry* e = Find(name_or_prog_id);
    return e && e->create ? e->create() : nullptr;
}

}  // namespace ov::host
