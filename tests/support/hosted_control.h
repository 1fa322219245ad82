#pragma once
// What a control's host-level tests set up before each case: the control's class registered
// alone, and a recorder of the events and change notifications the reference host passes on.
#include <memory>
#include <string>
#include <vector>

#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/screen.h"

namespace ov::testing_support {

enum class HostClasses { kLeftOut, kIncluded };

// A registry holding `ControlClass` under `name`, new instances `width` x `height` twips, alone
// or beside the host's own classes (picture boxes, forms) for tests that create those too;
// built once per class and choice.
template <class ControlClass, HostClasses kHostClasses = HostClasses::kLeftOut>
host::ClassRegistry& RegistryOf(const char* name, double width, double height) {
    static host::ClassRegistry registry = [&] {
        host::ClassRegistry r;
        if constexpr (kHostClasses == HostClasses::kIncluded) host::RegisterHostClasses(r);
        r.Add(host::ControlEntry<ControlClass>(name, width, height));
        return r;
    }();
    return registry;
}

struct RaisedEvent {
    std::string object, event;
    std::vector<Variant> args;
};

// Events as raised and the names of the properties a control announced, in order.
struct HostRecord {
    std::vector<RaisedEvent> events;
    std::vector<std::string> changed;
    void Clear() {
        events.clear();
        changed.clear();
    }
};

// Makes `host` report to `record`, which must outlive it.
inline void RecordInto(host::ReferenceHost& host, HostRecord& record) {
    host::HostListener listener;
    listener.on_event = [&record](const std::string& object, const std::string& event,
                                  const std::vector<Variant>& args) {
        record.events.push_back({object, event, args});
    };
    listener.on_changed = [&record](const std::string&, const std::string& property) {
        record.changed.push_back(property);
    };
    host.SetListener(std::move(listener));
}

// A reference host on `registry` reporting to `record`, on the default screen and the classic
// system colours (an earlier test may have changed either).
inline std::unique_ptr<host::ReferenceHost> FreshHost(host::ClassRegistry& registry, HostRecord& record) {
    gdi::Screen() = gdi::ScreenSettings{};
    gdi::ResetSysColors();
    auto host = std::make_unique<host::ReferenceHost>(registry);
    RecordInto(*host, record);
    return host;
}

}  // namespace ov::testing_support
