// The server objects: creation of the hosted control, event delivery to the sinks, and the
// interfaces an object answers for.
#include "library/server_object.h"

#include "library/classes.h"
#include "library/server_identifiers.h"
#include "library/server_values.h"

namespace ov::library::server {

std::atomic<int> g_live_objects{0};
std::atomic<int> g_live_factories{0};
std::atomic<int> g_locks{0};

std::recursive_mutex& ServerLock() {
    static std::recursive_mutex lock;
    return lock;
}

ServerObject::~ServerObject() {
    object.reset();
    host.reset();  // terminates the control
    --g_live_objects;
}

void ServerObject::Create(const host::PropertyBag* bag) {
    host = std::make_unique<host::ReferenceHost>(Classes());
    host::HostListener listener;
    listener.handle_event = [this](const std::string&, const EventDesc& event, std::vector<Variant>& args) {
        Deliver(event, args);
    };
    host->SetListener(std::move(listener));
    object = bag ? host->Load(kHostedName, entry->name, *bag) : host->New(kHostedName, entry->name);
}

OvDispatch* WrapObject(const std::shared_ptr<IDispatch>& object) {
    if (!object) return nullptr;
    auto* wrapper = new ServerObject();
    wrapper->object = object;
    return reinterpret_cast<OvDispatch*>(&wrapper->dispatch);
}

void ServerObject::Deliver(const EventDesc& event, std::vector<Variant>& args) {
    if (sinks.empty()) return;
    std::vector<OvVariant> values;
    for (const Variant& v : args) values.push_back(ToOv(v));
    const std::vector<Sink> current = sinks;  // a sink may unadvise itself
    for (const Sink& sink : current)
        sink.function(sink.context, event.name.c_str(), event.dispid, values.data(), static_cast<std::uint32_t>(values.size()));
    for (std::size_t i = 0; i < args.size(); ++i) args[i] = FromOv(values[i]);
    for (OvVariant& v : values) OvVariantClear(&v);
}

OvResult ServerObject::QueryInterface(const OvGuid* iid, void** out) {
    if (!out) return OV_E_POINTER;
    *out = nullptr;
    if (!iid) return OV_E_INVALIDARG;
    if (SameGuid(*iid, OV_IID_IUnknown) || SameGuid(*iid, OV_IID_IDispatch)) *out = &dispatch;
    else if (hosted() && SameGuid(*iid, OV_IID_IPersistPropertyBag)) *out = &persist;
    else if (is_control() && SameGuid(*iid, OV_IID_IOvControl)) *out = &control;
    else if (is_control() && SameGuid(*iid, OV_IID_IConnectionPoint)) *out = &events;
    if (!*out) return OV_E_NOINTERFACE;
    AddRef();
    return OV_S_OK;
}

}  // namespace ov::library::server
