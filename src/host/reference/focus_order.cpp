#include "host/reference/focus_order.h"

#include <algorithm>

#include "host/contract/control.h"
#include "host/contract/text_box.h"
#include "host/reference/object_registry.h"
#include "host/reference/text_input.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"

namespace ov::host {

namespace {

// The entries placed directly in `container` (nullptr: the form), by tab key; creation order
// breaks no ties, since every key is given out once.
std::vector<HostEntry*> SiblingsInTabOrder(const ObjectRegistry& objects, const HostEntry* container) {
    std::vector<HostEntry*> siblings;
    for (const auto& entry : objects.entries())
        if (entry->container == container) siblings.push_back(entry.get());
    std::sort(siblings.begin(), siblings.end(),
              [](const HostEntry* a, const HostEntry* b) { return a->tab_key < b->tab_key; });
    return siblings;
}

void AppendInTabOrder(const ObjectRegistry& objects, const HostEntry* container, std::vector<HostEntry*>& order) {
    for (HostEntry* entry : SiblingsInTabOrder(objects, container)) {
        order.push_back(entry);
        if (entry->control) AppendInTabOrder(objects, entry, order);
    }
}

}  // namespace

bool ShownWithItsContainers(const HostEntry& entry) {
    for (const HostEntry* e = &entry; e; e = e->container)
        if (!e->visible) return false;
    return true;
}

std::vector<HostEntry*> TabOrder(const ObjectRegistry& objects) {
    std::vector<HostEntry*> order;
    order.reserve(objects.entries().size());
    AppendInTabOrder(objects, nullptr, order);
    return order;
}

bool TakesTabFocus(const HostEntry& entry) {
    if (!entry.control || !entry.tab_stop || !ShownWithItsContainers(entry)) return false;
    const TextBox* box = InputTextBox(*entry.control);
    return box && box->Enabled();
}

std::string NextTabStop(const ObjectRegistry& objects, std::string_view from, bool forward, bool wrap) {
    const std::vector<HostEntry*> order = TabOrder(objects);
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    if (count == 0) return {};
    // Where the walk starts: the current control, else just outside the end it enters from.
    std::ptrdiff_t at = forward ? -1 : count;
    for (std::ptrdiff_t i = 0; i < count; ++i)
        if (EqualsIgnoreCase(order[static_cast<std::size_t>(i)]->name, from)) at = i;
    const std::ptrdiff_t step = forward ? 1 : -1;
    for (std::ptrdiff_t walked = 0; walked < count + 1; ++walked) {
        at += step;
        if (at < 0 || at >= count) {
            if (!wrap) return {};
            at = forward ? 0 : count - 1;
        }
        const HostEntry& entry = *order[static_cast<std::size_t>(at)];
        if (TakesTabFocus(entry)) return entry.name;
    }
    return {};
}

std::int32_t TabIndexOf(const ObjectRegistry& objects, const HostEntry& entry) {
    const std::vector<HostEntry*> siblings = SiblingsInTabOrder(objects, entry.container);
    return static_cast<std::int32_t>(std::find(siblings.begin(), siblings.end(), &entry) - siblings.begin());
}

void SetTabIndex(const ObjectRegistry& objects, HostEntry& entry, std::int32_t index) {
    if (index < 0) throw AutomationError(error::kInvalidPropertyValue);
    std::vector<HostEntry*> siblings = SiblingsInTabOrder(objects, entry.container);
    std::erase(siblings, &entry);
    const auto place = std::min<std::size_t>(static_cast<std::size_t>(index), siblings.size());
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(place), &entry);
    // The siblings keep the keys they had, handed out again in the new order, so entries of
    // other containers and entries yet to come (with higher keys) are not affected.
    std::vector<std::uint64_t> keys;
    for (const HostEntry* sibling : siblings) keys.push_back(sibling->tab_key);
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < siblings.size(); ++i) siblings[i]->tab_key = keys[i];
}

}  // namespace ov::host
