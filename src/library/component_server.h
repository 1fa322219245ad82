#pragma once
// The in-process component server's entry points and the small component runtime they hand
// over to. Registering writes each type-library class (class id, ProgID, name) into the
// runtime's registry; a client then gets a class object by class id and creates instances
// through it. The server may be unloaded when no instance it created is alive and no class
// object is locked.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/automation_object.h"
#include "host/class_registry.h"

namespace ov::library {

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

// A class object: creates instances of one class and counts locks.
class ClassFactory {
public:
    explicit ClassFactory(const host::ClassEntry& entry) : entry_(entry) {}
    std::shared_ptr<AutomationObject> CreateInstance();
    void LockServer(bool lock);
    const host::ClassEntry& entry() const { return entry_; }

private:
    const host::ClassEntry& entry_;
};

// The platform's component registry, as far as this library uses it.
class ComponentRuntime {
public:
    struct Registration {
        std::string prog_id;
        std::string class_name;
    };
    void Register(const std::string& class_id, Registration registration);
    void Unregister(const std::string& class_id);
    // Class id for a ProgID; empty when not registered.
    std::string ClassIdOf(std::string_view prog_id) const;
    bool IsRegistered(std::string_view class_id) const;
    const std::map<std::string, Registration>& registrations() const { return registrations_; }
    // Creates an instance by ProgID through the server's class object (nullptr when unknown).
    std::shared_ptr<AutomationObject> CreateObject(std::string_view prog_id) const;

private:
    std::map<std::string, Registration> registrations_;
};

ComponentRuntime& Runtime();

HRESULT DllRegisterServer();
HRESULT DllUnregisterServer();
// CLASS_E_CLASSNOTAVAILABLE for a class id this server does not implement.
HRESULT DllGetClassObject(std::string_view class_id, std::shared_ptr<ClassFactory>* out);
// S_OK when nothing the server created is alive and no class object is locked, else S_FALSE.
HRESULT DllCanUnloadNow();

}  // namespace ov::library
