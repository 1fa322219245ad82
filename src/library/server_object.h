#pragma once
// The objects a host reaches through vtables: a control of the library, each hosted in a
// reference host of its own (as one control on a hidden form), so it goes through its whole
// lifecycle, raises its events to the advised sinks and renders like any other; or an object a
// member handed out (a font, a picture), which only has its dispatch interface. And the class
// objects that create the controls.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/reference_host.h"
#include "library/server_calls.h"
#include "orvelle/orvelle.h"

namespace ov::library::server {

struct ServerObject;

// One interface of an object: the vtable pointer the caller sees, then the object behind it.
template <typename Vtbl>
struct Face {
    const Vtbl* lpVtbl;
    ServerObject* self;
};

template <typename Vtbl>
ServerObject* Owner(void* face) {
    return static_cast<Face<Vtbl>*>(face)->self;
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
    Face<OvDispatchVtbl> dispatch{&kDispatchVtbl, this};
    Face<OvPersistPropertyBagVtbl> persist{&kPersistVtbl, this};
    Face<OvControlVtbl> control{&kControlVtbl, this};
    Face<OvConnectionPointVtbl> events{&kConnectionPointVtbl, this};
    std::atomic<std::uint32_t> references{1};

    // A class of the library, hosted on its own form; or an object a member handed out
    // (a font, a picture), which only has its dispatch interface.
    const host::ClassEntry* entry = nullptr;
    std::unique_ptr<host::ReferenceHost> host;
    std::shared_ptr<IDispatch> object;
    std::vector<Sink> sinks;
    std::uint32_t next_cookie = 1;

    ServerObject() { ++g_live_objects; }
    ~ServerObject();

    bool hosted() const { return entry != nullptr; }
    bool is_control() const { return entry && entry->is_control; }

    // The instance, created with new-instance defaults if the host never chose.
    IDispatch& Instance() {
        if (!object && hosted()) Create(nullptr);
        if (!object) throw AutomationError(error::kObjectNotSet);
        return *object;
    }

    // A new host with the control created in it, from `bag` or with new-instance defaults.
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

// A new server object holding `object` behind its dispatch interface; nullptr for Nothing.
OvDispatch* WrapObject(const std::shared_ptr<IDispatch>& object);

// A class object: creates instances of one class.
struct Factory {
    const OvClassFactoryVtbl* lpVtbl;
    const host::ClassEntry* entry;
    std::atomic<std::uint32_t> references{1};
};

extern const OvClassFactoryVtbl kFactoryVtbl;

inline Factory* FactoryOf(OvClassFactory* face) { return reinterpret_cast<Factory*>(face); }

}  // namespace ov::library::server
