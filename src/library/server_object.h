#pragma once
// The objects a host reaches through vtables: a control of the library, each hosted in a
// reference host of its own (as one control on a hidden form), so it goes through its whole
// lifecycle, raises its events to the advised sinks and renders like any other; or an object a
// member handed out (a font, a picture), which only has its dispatch interface. And the class
// objects that create the controls.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "host/reference/reference_host.h"
#include "library/server_calls.h"
#include "orvelle/orvelle.h"

namespace ov::library::server {

struct ServerObject;
struct Factory;

// One interface of an object: the vtable pointer the caller sees, then the object behind it
// (nullptr once the object is gone).
template <typename Vtbl, typename Object>
struct Face {
    const Vtbl* lpVtbl;
    Object* self;
};

// The memory an interface pointer points at outlives the object behind it. When an object
// goes, its faces stay readable with no object behind them, so a host that calls through a
// pointer it has already released, or releases it twice, gets an answer (OV_CO_E_OBJNOTCONNECTED,
// or 0 from AddRef and Release) instead of freed memory. A retired block is given to a new
// object only once kRetiredKept others have been retired after it, so the memory stays bounded.
template <typename Faces>
class FacePool {
public:
    static constexpr std::size_t kRetiredKept = 256;

    Faces* Take() {
        if (retired_.size() <= kRetiredKept) return new Faces();
        Faces* reused = retired_.front().release();
        retired_.pop_front();
        return reused;
    }
    void Retire(Faces* faces) { retired_.emplace_back(faces); }

private:
    std::deque<std::unique_ptr<Faces>> retired_;
};

struct ServerFaces {
    Face<OvDispatchVtbl, ServerObject> dispatch;
    Face<OvPersistPropertyBagVtbl, ServerObject> persist;
    Face<OvControlVtbl, ServerObject> control;
    Face<OvConnectionPointVtbl, ServerObject> events;
};

struct FactoryFaces {
    Face<OvClassFactoryVtbl, Factory> factory;
};

// The object behind an interface pointer of this server, nullptr when it is gone.
template <typename Vtbl>
ServerObject* Owner(void* face) {
    return static_cast<Face<Vtbl, ServerObject>*>(face)->self;
}

struct Sink {
    std::uint32_t cookie;
    OvEventSink function;
    void* context;
};

extern const OvDispatchVtbl kDispatchVtbl;
extern const OvPersistPropertyBagVtbl kPersistVtbl;
extern const OvControlVtbl kControlVtbl;
extern const OvConnectionPointVtbl kConnectionPointVtbl;

constexpr const char* kHostedName = "Control";

struct ServerObject {
    ServerFaces* const faces;
    std::uint32_t references = 1;

    // A class of the library, hosted on its own form; or an object a member handed out
    // (a font, a picture), which only has its dispatch interface.
    const host::ClassEntry* entry = nullptr;
    std::unique_ptr<host::ReferenceHost> host;
    std::shared_ptr<IDispatch> object;
    std::vector<Sink> sinks;
    std::uint32_t next_cookie = 1;
    // While the control goes through its creation lifecycle (a sink may call back from its
    // events): calls reach the control being created, and nothing creates another.
    bool creating = false;

    ServerObject();
    ~ServerObject();
    ServerObject(const ServerObject&) = delete;
    ServerObject& operator=(const ServerObject&) = delete;

    bool hosted() const { return entry != nullptr; }
    bool is_control() const { return entry && entry->is_control; }
    OvDispatch* dispatch_face() { return reinterpret_cast<OvDispatch*>(&faces->dispatch); }

    // The instance, created with new-instance defaults if the host never chose; during its
    // creation, the control being created. 91 when there is none.
    std::shared_ptr<IDispatch> Instance();

    // A new host with the control created in it, from `bag` or with new-instance defaults.
    // Not while a creation runs (the caller checks `creating`).
    void Create(const host::PropertyBag* bag);

    void Deliver(const EventDesc& event, std::vector<Variant>& args);

    OvResult QueryInterface(const OvGuid* iid, void** out);
    std::uint32_t AddRef() { return ++references; }
    std::uint32_t Release() {
        const std::uint32_t left = --references;
        if (left == 0) delete this;
        return left;
    }
};

// A reference held for the length of a call or an event delivery: an object whose last
// outside reference is released meanwhile (by a sink, say) goes when the call is over, not
// under it.
class Hold {
public:
    explicit Hold(ServerObject& object) : object_(object) { object_.AddRef(); }
    ~Hold() { object_.Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    ServerObject& object_;
};

// Runs `body(owner)` for the object behind `face`, holding a reference meanwhile; called under
// the server's lock (inside Guarded or Automation).
template <typename Vtbl, typename F>
OvResult OnOwner(void* face, F&& body) {
    ServerObject* owner = Owner<Vtbl>(face);
    if (!owner) return OV_CO_E_OBJNOTCONNECTED;
    const Hold hold(*owner);
    return body(*owner);
}

// A new server object holding `object` behind its dispatch interface; nullptr for Nothing.
OvDispatch* WrapObject(const std::shared_ptr<IDispatch>& object);

// A class object: creates instances of one class.
struct Factory {
    FactoryFaces* const faces;
    const host::ClassEntry* entry;
    std::uint32_t references = 1;

    explicit Factory(const host::ClassEntry* created_class);
    ~Factory();
    Factory(const Factory&) = delete;
    Factory& operator=(const Factory&) = delete;

    OvClassFactory* face() { return reinterpret_cast<OvClassFactory*>(&faces->factory); }
};

extern const OvClassFactoryVtbl kFactoryVtbl;

// The class object behind an interface pointer, nullptr when it is gone.
inline Factory* FactoryOf(OvClassFactory* face) {
    return reinterpret_cast<Face<OvClassFactoryVtbl, Factory>*>(face)->self;
}

}  // namespace ov::library::server
