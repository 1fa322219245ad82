#include "library/component_server.h"

#include <vector>

#include "library/classes.h"

namespace ov::library {

namespace {

struct ServerState {
    std::vector<std::weak_ptr<AutomationObject>> instances;
    int locks = 0;
};

ServerState& State() {
    static ServerState state;
    return state;
}

}  // namespace

std::shared_ptr<AutomationObject> ClassFactory::CreateInstance() {
    auto object = entry_.create();
    if (object) {
        auto& instances = State().instances;
        std::erase_if(instances, [](const auto& w) { return w.expired(); });
        instances.push_back(object);
    }
    return object;
}

void ClassFactory::LockServer(bool lock) { State().locks += lock ? 1 : -1; }

void ComponentRuntime::Register(const std::string& class_id, Registration registration) {
    registrations_[class_id] = std::move(registration);
}

void ComponentRuntime::Unregister(const std::string& class_id) { registrations_.erase(class_id); }

std::string ComponentRuntime::ClassIdOf(std::string_view prog_id) const {
    for (const auto& [id, r] : registrations_)
        if (EqualsIgnoreCase(r.prog_id, prog_id)) return id;
    return {};
}

bool ComponentRuntime::IsRegistered(std::string_view class_id) const {
    return registrations_.contains(std::string(class_id));
}

std::shared_ptr<AutomationObject> ComponentRuntime::CreateObject(std::string_view prog_id) const {
    const std::string id = ClassIdOf(prog_id);
    std::shared_ptr<ClassFactory> factory;
    if (id.empty() || DllGetClassObject(id, &factory) != S_OK) return nullptr;
    return factory->CreateInstance();
}

ComponentRuntime& Runtime() {
    static ComponentRuntime runtime;
    return runtime;
}

HRESULT DllRegisterServer() {
    for (const host::ClassEntry& e : Classes().entries())
        if (InTypeLibrary(e)) Runtime().Register(e.class_id, {e.prog_id, e.name});
    return S_OK;
}

HRESULT DllUnregisterServer() {
    for (const host::ClassEntry& e : Classes().entries())
        if (InTypeLibrary(e)) Runtime().Unregister(e.class_id);
    return S_OK;
}

HRESULT DllGetClassObject(std::string_view class_id, std::shared_ptr<ClassFactory>* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const host::ClassEntry* entry = Classes().FindByClassId(class_id);
    if (!entry || !InTypeLibrary(*entry)) return CLASS_E_CLASSNOTAVAILABLE;
    *out = std::make_shared<ClassFactory>(*entry);
    return S_OK;
}

HRESULT DllCanUnloadNow() {
    const ServerState& state = State();
    if (state.locks > 0) return S_FALSE;
    for (const auto& w : state.instances)
        if (!w.expired()) return S_FALSE;
    return S_OK;
}

}  // namespace ov::library
