#pragma once
// The named objects of a reference host: every control and plain object a script or a form
// created, in creation order (which is also the z-order among siblings), with the place the
// host gave each control. Lookups by name are case-insensitive and, like lookups by object,
// take constant time, so a form of thousands of controls is not slowed by its own size.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/runtime/automation_object.h"

namespace ov::host {

class Control;

// One named object and, for a control, where the host placed it.
struct HostEntry {
    std::string name;
    std::string class_name;
    std::shared_ptr<AutomationObject> object;
    Control* control = nullptr;      // null for a plain object
    HostEntry* container = nullptr;  // null: the form
    double left = 0, top = 0;        // twips, in the container
    bool visible = true;
    // The place in the tab order among the entries of the same container: the lower key goes
    // first (focus_order.h gives it out as TabIndex); a new entry comes last.
    std::uint64_t tab_key = 0;
    bool tab_stop = true;  // false: Tab and Shift+Tab pass the control by
    // Whether the control shows on its form (is drawn and takes the pointer): a live control
    // the host has not hidden, unless its class is invisible at run time and the form runs
    // (UserMode True), as a tray icon is. False for a plain object.
    bool Shown() const;
};

class ObjectRegistry {
public:
    // Takes the entry as the newest one; its name must not be in use.
    HostEntry& Add(std::unique_ptr<HostEntry> entry);
    // Forgets the entry (the caller has terminated it and everything it contains).
    void Remove(const HostEntry& entry);

    HostEntry* Find(std::string_view name) const;
    HostEntry* EntryOf(const IDispatch* object) const;
    // The newest entry placed directly in `container`, nullptr when it holds none.
    HostEntry* NewestChildOf(const HostEntry& container) const;

    // Creation order.
    const std::vector<std::unique_ptr<HostEntry>>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

private:
    std::vector<std::unique_ptr<HostEntry>> entries_;
    std::unordered_map<std::string, HostEntry*> by_name_;  // folded to lower case
    std::unordered_map<const IDispatch*, HostEntry*> by_object_;
    std::uint64_t next_tab_key_ = 0;
};

}  // namespace ov::host
