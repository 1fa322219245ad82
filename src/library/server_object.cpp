// The server objects: creation of the hosted control, event delivery to the sinks, and the
// interfaces an object answers for.
#include "library/server_object.h"

#include <algorithm>

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

namespace {

FacePool<ServerFaces>& ServerFacePool() {
    static auto* pool = new FacePool<ServerFaces>();  // outlives every object, even at exit
    return *pool;
}

FacePool<FactoryFaces>& FactoryFacePool() {
    static auto* pool = new FacePool<FactoryFaces>();
    return *pool;
}

}  // namespace

ServerObject::ServerObject() : faces(ServerFacePool().Take()) {
    *faces = ServerFaces{
        {&kDispatchVtbl, this}, {&kPersistVtbl, this}, {&kControlVtbl, this}, {&kConnectionPointVtbl, this}};
    ++g_live_objects;
}

ServerObject::~ServerObject() {
    // From here on the interfaces answer that the object is gone, and nothing is delivered:
    // terminating the control may raise events, and no sink may reach an object being freed.
    *faces = ServerFaces{{&kDispatchVtbl, nullptr},
                         {&kPersistVtbl, nullptr},
                         {&kControlVtbl, nullptr},
                         {&kConnectionPointVtbl, nullptr}};
    ServerFacePool().Retire(faces);
    sinks.clear();
    try {
        object.reset();
        host.reset();  // terminates the control
    } catch (...) {
        // A control that fails while terminating is gone all the same.
    }
    --g_live_objects;
}

std::shared_ptr<IDispatch> ServerObject::Instance() {
    if (!object && hosted()) {
        if (creating) {
            // A sink called back from the control's creation events: the control is in the
            // host already, and is answered as it stands.
            std::shared_ptr<IDispatch> being_created = host ? host->Find(kHostedName) : nullptr;
            if (!being_created) throw AutomationError(error::kObjectNotSet);
            return being_created;
        }
        Create(nullptr);
    }
    if (!object) throw AutomationError(error::kObjectNotSet);
    return object;
}

void ServerObject::Create(const host::PropertyBag* bag) {
    struct Creating {
        bool& flag;
        explicit Creating(bool& f) : flag(f) { flag = true; }
        ~Creating() { flag = false; }
    } during(creating);
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
    return wrapper->dispatch_face();
}

void ServerObject::Deliver(const EventDesc& event, std::vector<Variant>& args) {
    if (sinks.empty()) return;
    const Hold hold(*this);  // a sink may release the last reference
    struct Values {
        std::vector<OvVariant> list;
        ~Values() {
            for (OvVariant& v : list) OvVariantClear(&v);
        }
    } values;
    values.list.reserve(args.size());
    for (const Variant& v : args) values.list.push_back(ToOv(v));
    const std::vector<Sink> current = sinks;  // a sink may advise or unadvise
    for (const Sink& sink : current) {
        // One unadvised by an earlier sink of this delivery is not called.
        if (std::ranges::none_of(sinks, [&](const Sink& s) { return s.cookie == sink.cookie; })) continue;
        sink.function(sink.context, event.name.c_str(), event.dispid, values.list.data(),
                      static_cast<std::uint32_t>(values.list.size()));
    }
    // What the sinks left in the arguments goes back to the control; a value the interface
    // cannot carry back (an unknown type, another server's object) leaves that argument as it was.
    for (std::size_t i = 0; i < args.size(); ++i) {
        try {
            args[i] = FromOv(values.list[i]);
        } catch (const AutomationError&) {}
    }
}

OvResult ServerObject::QueryInterface(const OvGuid* iid, void** out) {
    if (!out) return OV_E_POINTER;
    *out = nullptr;
    if (!iid) return OV_E_INVALIDARG;
    if (SameGuid(*iid, OV_IID_IUnknown) || SameGuid(*iid, OV_IID_IDispatch)) *out = &faces->dispatch;
    else if (hosted() && SameGuid(*iid, OV_IID_IPersistPropertyBag)) *out = &faces->persist;
    else if (is_control() && SameGuid(*iid, OV_IID_IOvControl)) *out = &faces->control;
    else if (is_control() && SameGuid(*iid, OV_IID_IConnectionPoint)) *out = &faces->events;
    if (!*out) return OV_E_NOINTERFACE;
    AddRef();
    return OV_S_OK;
}

Factory::Factory(const host::ClassEntry* created_class) : faces(FactoryFacePool().Take()), entry(created_class) {
    faces->factory = {&kFactoryVtbl, this};
    ++g_live_factories;
}

Factory::~Factory() {
    faces->factory = {&kFactoryVtbl, nullptr};
    FactoryFacePool().Retire(faces);
    --g_live_factories;
}

}  // namespace ov::library::server
