// The server's entry points (registration into the per-user registry file, class objects,
// unload accounting) and the component runtime's registry lookups.
#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library/classes.h"
#include "library/component_registry.h"
#include "library/server_calls.h"
#include "library/server_exports.h"
#include "library/server_identifiers.h"
#include "library/server_object.h"
#include "library/server_values.h"
#include "library/typelib_json.h"
#include "platform/files/replace_file.h"

namespace ov::library::server {
namespace {

std::string ThisLibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllGetClassObject), &info) && info.dli_fname)
        return std::filesystem::absolute(info.dli_fname).string();
    return {};
}

std::string TypeLibraryPath(const std::string& registry_path) {
    return (std::filesystem::path(registry_path).parent_path() / (std::string(kLibraryName) + ".typelib.json"))
        .string();
}

}  // namespace
}  // namespace ov::library::server

using namespace ov::library;
using namespace ov::library::server;

OV_EXPORT OvResult DllRegisterServer(void) {
    return Guarded([] {
        const std::string path = RegistryPath();
        std::vector<RegistryEntry> entries;
        const RegistryStatus status = ReadRegistry(path, &entries);
        if (status != RegistryStatus::Ok && status != RegistryStatus::Missing) return OV_SELFREG_E_CLASS;
        const std::string server = ThisLibraryPath();
        const std::string typelib = TypeLibraryPath(path);
        {
            std::error_code ec;
            std::filesystem::create_directories(std::filesystem::path(typelib).parent_path(), ec);
            if (!ov::files::ReplaceFile(typelib, TypeLibraryJson(Classes()).dump(2) + "\n"))
                return OV_SELFREG_E_TYPELIB;
        }
        for (const ov::host::ClassEntry& e : Classes().entries()) {
            if (!InTypeLibrary(e)) continue;
            std::erase_if(entries, [&](const RegistryEntry& r) { return ov::EqualsIgnoreCase(r.clsid, e.class_id); });
            entries.push_back(RegistryEntry{e.class_id, e.prog_id, e.name, server, typelib});
        }
        return WriteRegistry(path, entries) == RegistryStatus::Ok ? OV_S_OK : OV_SELFREG_E_CLASS;
    });
}

OV_EXPORT OvResult DllUnregisterServer(void) {
    return Guarded([] {
        const std::string path = RegistryPath();
        std::vector<RegistryEntry> entries;
        const RegistryStatus status = ReadRegistry(path, &entries);
        if (status == RegistryStatus::Missing) return OV_S_OK;
        if (status != RegistryStatus::Ok) return OV_SELFREG_E_CLASS;
        // Only what this library registered: its class ids pointing at this library.
        const std::string server = ThisLibraryPath();
        bool ours_left = false;
        std::erase_if(entries, [&](const RegistryEntry& r) {
            const ov::host::ClassEntry* e = Classes().FindByClassId(r.clsid);
            return e && InTypeLibrary(*e) && r.server == server;
        });
        const std::string typelib = TypeLibraryPath(path);
        for (const RegistryEntry& r : entries) ours_left |= r.typelib == typelib;
        if (WriteRegistry(path, entries) != RegistryStatus::Ok) return OV_SELFREG_E_CLASS;
        if (!ours_left) {
            std::error_code ec;
            std::filesystem::remove(typelib, ec);
        }
        return OV_S_OK;
    });
}

OV_EXPORT OvResult DllGetClassObject(const OvGuid* clsid, const OvGuid* iid, void** out) {
    if (!clsid || !iid || !out) return OV_E_POINTER;
    *out = nullptr;
    return Guarded([&] {
        const ov::host::ClassEntry* entry = Classes().FindByClassId(GuidText(*clsid));
        if (!entry || !InTypeLibrary(*entry)) return OV_CLASS_E_CLASSNOTAVAILABLE;
        if (!SameGuid(*iid, OV_IID_IUnknown) && !SameGuid(*iid, OV_IID_IClassFactory)) return OV_E_NOINTERFACE;
        *out = (new Factory(entry))->face();
        return OV_S_OK;
    });
}

OV_EXPORT OvResult DllCanUnloadNow(void) {
    return g_live_objects == 0 && g_live_factories == 0 && g_locks == 0 ? OV_S_OK : OV_S_FALSE;
}

OV_EXPORT char* OvRegistryPath(void) { return CopyString(RegistryPath()); }

OV_EXPORT OvResult OvCLSIDFromProgID(const char* prog_id, OvGuid* out) {
    if (!prog_id || !out) return OV_E_POINTER;
    return Guarded([&] {
        std::vector<RegistryEntry> entries;
        const RegistryStatus status = ReadRegistry(RegistryPath(), &entries);
        if (status == RegistryStatus::Malformed || status == RegistryStatus::IoError) return OV_REGDB_E_READREGDB;
        const RegistryEntry* entry = FindByProgId(entries, prog_id);
        if (!entry || !ParseGuid(entry->clsid.c_str(), out)) return OV_CO_E_CLASSSTRING;
        return OV_S_OK;
    });
}

OV_EXPORT OvResult OvCoCreateInstance(const OvGuid* clsid, const OvGuid* iid, void** out) {
    if (!clsid || !iid || !out) return OV_E_POINTER;
    *out = nullptr;
    std::string server;
    const OvResult found = Guarded([&] {
        std::vector<RegistryEntry> entries;
        const RegistryStatus status = ReadRegistry(RegistryPath(), &entries);
        if (status == RegistryStatus::Malformed || status == RegistryStatus::IoError) return OV_REGDB_E_READREGDB;
        const RegistryEntry* entry = FindByClassId(entries, GuidText(*clsid));
        if (!entry) return OV_REGDB_E_CLASSNOTREG;
        server = entry->server;
        return OV_S_OK;
    });
    if (OV_FAILED(found)) return found;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(server, ec)) return OV_CO_E_DLLNOTFOUND;
    // The registered server stays loaded for the life of the process, as the component
    // runtime's own loads do until the host asks it to free unused libraries.
    void* library = dlopen(server.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return OV_CO_E_DLLNOTFOUND;
    using GetClassObject = OvResult (*)(const OvGuid*, const OvGuid*, void**);
    auto get_class_object = reinterpret_cast<GetClassObject>(dlsym(library, "DllGetClassObject"));
    if (!get_class_object) return OV_CO_E_ERRORINDLL;
    OvClassFactory* factory = nullptr;
    const OvResult got = get_class_object(clsid, &OV_IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (OV_FAILED(got)) return got;
    const OvResult created = factory->lpVtbl->CreateInstance(factory, nullptr, iid, out);
    factory->lpVtbl->Release(factory);
    return created;
}
