// The vtables of the server's interfaces, slot by slot. Each function checks its pointers,
// then runs under the server's lock with nothing thrown crossing the interface, holding a
// reference to its object for as long as it runs (OnOwner).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "library/server_calls.h"
#include "library/server_identifiers.h"
#include "library/server_object.h"
#include "library/server_values.h"
#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"

namespace ov::library::server {
namespace {

template <typename Vtbl>
OvResult QueryOf(void* face, const OvGuid* iid, void** out) {
    if (!face || !out) return OV_E_POINTER;
    *out = nullptr;
    return Guarded(
        [&] { return OnOwner<Vtbl>(face, [&](ServerObject& owner) { return owner.QueryInterface(iid, out); }); });
}

template <typename Vtbl>
std::uint32_t AddRefOf(void* face) {
    if (!face) return 0;
    std::lock_guard<std::recursive_mutex> hold(ServerLock());
    ServerObject* owner = Owner<Vtbl>(face);
    return owner ? owner->AddRef() : 0;
}

template <typename Vtbl>
std::uint32_t ReleaseOf(void* face) {
    if (!face) return 0;
    std::lock_guard<std::recursive_mutex> hold(ServerLock());
    ServerObject* owner = Owner<Vtbl>(face);
    return owner ? owner->Release() : 0;
}

// The hosted control, made first if the host never chose (or answered as it stands while it
// is being made); the host-side calls below go through the host it lives in.
host::ReferenceHost& HostOf(ServerObject& owner) {
    owner.Instance();
    return *owner.host;
}

}  // namespace

const OvDispatchVtbl kDispatchVtbl = {
    .QueryInterface = [](OvDispatch* self, const OvGuid* iid,
                         void** out) { return QueryOf<OvDispatchVtbl>(self, iid, out); },
    .AddRef = [](OvDispatch* self) { return AddRefOf<OvDispatchVtbl>(self); },
    .Release = [](OvDispatch* self) { return ReleaseOf<OvDispatchVtbl>(self); },
    .GetTypeName = [](OvDispatch* self, char** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        *out = nullptr;
        return Guarded([&] {
            return OnOwner<OvDispatchVtbl>(self, [&](ServerObject& owner) {
                *out = CopyString(owner.Instance()->TypeName());
                return *out ? OV_S_OK : OV_E_OUTOFMEMORY;
            });
        });
    },
    .GetIDOfName = [](OvDispatch* self, const char* name, std::int32_t* dispid) -> OvResult {
        if (!self || !name || !dispid) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvDispatchVtbl>(self, [&](ServerObject& owner) {
                *dispid = owner.Instance()->GetIDOfName(name);
                return *dispid == kDispidUnknown ? OV_DISP_E_UNKNOWNNAME : OV_S_OK;
            });
        });
    },
    .Invoke = [](OvDispatch* self, std::int32_t dispid, std::uint16_t flags, OvVariant* args, std::uint32_t count,
                 OvVariant* result, OvExcepInfo* exception) -> OvResult {
        if (!self || (count && !args)) return OV_E_POINTER;
        InvokeKind kind;
        if (flags & OV_DISPATCH_PROPERTYPUTREF) kind = InvokeKind::PropertyPutRef;
        else if (flags & OV_DISPATCH_PROPERTYPUT) kind = InvokeKind::PropertyPut;
        else if (flags & OV_DISPATCH_METHOD) kind = InvokeKind::Method;
        else if (flags & OV_DISPATCH_PROPERTYGET) kind = InvokeKind::PropertyGet;
        else return OV_E_INVALIDARG;
        return Automation(exception, [&] {
            return OnOwner<OvDispatchVtbl>(self, [&](ServerObject& owner) -> OvResult {
                const std::shared_ptr<IDispatch> object = owner.Instance();
                std::vector<Variant> values = ArgumentsFrom(args, count);
                Variant value;
                try {
                    value = object->Invoke(dispid, kind, values);
                } catch (const AutomationError& error) {
                    // A member the object does not have is the dispatch interface's own answer.
                    if (error.number() == error::kObjectDoesntSupport) {
                        FillException(exception, error);
                        return OV_DISP_E_MEMBERNOTFOUND;
                    }
                    throw;
                }
                ArgumentsBack(values, args, count);
                if (result) {
                    OvVariantClear(result);
                    *result = ToOv(value);
                }
                return OV_S_OK;
            });
        });
    },
};

const OvPersistPropertyBagVtbl kPersistVtbl = {
    .QueryInterface = [](OvPersistPropertyBag* self, const OvGuid* iid,
                         void** out) { return QueryOf<OvPersistPropertyBagVtbl>(self, iid, out); },
    .AddRef = [](OvPersistPropertyBag* self) { return AddRefOf<OvPersistPropertyBagVtbl>(self); },
    .Release = [](OvPersistPropertyBag* self) { return ReleaseOf<OvPersistPropertyBagVtbl>(self); },
    .InitNew = [](OvPersistPropertyBag* self) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvPersistPropertyBagVtbl>(self, [&](ServerObject& owner) {
                if (owner.object || owner.creating) return OV_E_UNEXPECTED;
                owner.Create(nullptr);
                return OV_S_OK;
            });
        });
    },
    .Load = [](OvPersistPropertyBag* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvPersistPropertyBagVtbl>(self, [&](ServerObject& owner) -> OvResult {
                if (owner.object || owner.creating) return OV_E_UNEXPECTED;
                // Only a regular file is a bag: a folder, a pipe or a device (which may never end) is
                // no file, as is one that cannot be read.
                const files::FileContents file = files::ReadWholeFile(path);
                if (!file.ok()) return OV_STG_E_FILENOTFOUND;
                host::PropertyBag bag;
                try {
                    bag = host::BagFromJsonText(file.bytes, std::filesystem::path(path).parent_path().string());
                } catch (const AutomationError&) {
                    return OV_STG_E_INVALIDHEADER;
                }
                // Keys the control cannot read are skipped by the control itself, as on any form.
                owner.Create(&bag);
                return OV_S_OK;
            });
        });
    },
    .Save = [](OvPersistPropertyBag* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvPersistPropertyBagVtbl>(self, [&](ServerObject& owner) {
                const std::string text = BagToJsonText(HostOf(owner).Save(kHostedName));
                return files::ReplaceFile(path, text) ? OV_S_OK : OV_E_FAIL;
            });
        });
    },
};

const OvControlVtbl kControlVtbl = {
    .QueryInterface = [](OvControl* self, const OvGuid* iid,
                         void** out) { return QueryOf<OvControlVtbl>(self, iid, out); },
    .AddRef = [](OvControl* self) { return AddRefOf<OvControlVtbl>(self); },
    .Release = [](OvControl* self) { return ReleaseOf<OvControlVtbl>(self); },
    .SetExtent = [](OvControl* self, double width, double height) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Automation(nullptr, [&] {
            return OnOwner<OvControlVtbl>(self, [&](ServerObject& owner) {
                HostOf(owner).Resize(kHostedName, width, height);
                return OV_S_OK;
            });
        });
    },
    .GetExtent = [](OvControl* self, double* width, double* height) -> OvResult {
        if (!self || !width || !height) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvControlVtbl>(self, [&](ServerObject& owner) {
                const host::Control* control = HostOf(owner).FindControl(kHostedName);
                *width = control ? control->Width() : 0;
                *height = control ? control->Height() : 0;
                return OV_S_OK;
            });
        });
    },
    .FireEvent = [](OvControl* self, const char* target, const char* event, OvVariant* args, std::uint32_t count,
                    OvExcepInfo* exception) -> OvResult {
        if (!self || !target || !event || (count && !args)) return OV_E_POINTER;
        return Automation(exception, [&] {
            return OnOwner<OvControlVtbl>(self, [&](ServerObject& owner) {
                // What handlers do with by-reference arguments reaches the sinks; the caller's
                // own values stay as given.
                HostOf(owner).Fire(kHostedName, target, event, ArgumentsFrom(args, count));
                return OV_S_OK;
            });
        });
    },
    .Wait = [](OvControl* self, std::int64_t milliseconds) -> OvResult {
        if (!self) return OV_E_POINTER;
        if (milliseconds < 0) return OV_E_INVALIDARG;
        return Automation(nullptr, [&] {
            return OnOwner<OvControlVtbl>(self, [&](ServerObject& owner) {
                HostOf(owner).Wait(milliseconds);
                return OV_S_OK;
            });
        });
    },
    .RenderPng = [](OvControl* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Automation(nullptr, [&] {
            return OnOwner<OvControlVtbl>(
                self, [&](ServerObject& owner) { return HostOf(owner).Snap(kHostedName, path) ? OV_S_OK : OV_E_FAIL; });
        });
    },
};

const OvConnectionPointVtbl kConnectionPointVtbl = {
    .QueryInterface = [](OvConnectionPoint* self, const OvGuid* iid,
                         void** out) { return QueryOf<OvConnectionPointVtbl>(self, iid, out); },
    .AddRef = [](OvConnectionPoint* self) { return AddRefOf<OvConnectionPointVtbl>(self); },
    .Release = [](OvConnectionPoint* self) { return ReleaseOf<OvConnectionPointVtbl>(self); },
    .Advise = [](OvConnectionPoint* self, OvEventSink sink, void* context, std::uint32_t* cookie) -> OvResult {
        if (!self || !sink || !cookie) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvConnectionPointVtbl>(self, [&](ServerObject& owner) {
                *cookie = owner.next_cookie++;
                owner.sinks.push_back(Sink{*cookie, sink, context});
                return OV_S_OK;
            });
        });
    },
    .Unadvise = [](OvConnectionPoint* self, std::uint32_t cookie) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Guarded([&] {
            return OnOwner<OvConnectionPointVtbl>(self, [&](ServerObject& owner) {
                const auto erased = std::erase_if(owner.sinks, [cookie](const Sink& s) { return s.cookie == cookie; });
                return erased ? OV_S_OK : OV_CONNECT_E_NOCONNECTION;
            });
        });
    },
};

const OvClassFactoryVtbl kFactoryVtbl = {
    .QueryInterface = [](OvClassFactory* self, const OvGuid* iid, void** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        *out = nullptr;
        if (!iid) return OV_E_INVALIDARG;
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        Factory* factory = FactoryOf(self);
        if (!factory) return OV_CO_E_OBJNOTCONNECTED;
        if (!SameGuid(*iid, OV_IID_IUnknown) && !SameGuid(*iid, OV_IID_IClassFactory)) return OV_E_NOINTERFACE;
        ++factory->references;
        *out = self;
        return OV_S_OK;
    },
    .AddRef = [](OvClassFactory* self) -> std::uint32_t {
        if (!self) return 0;
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        Factory* factory = FactoryOf(self);
        return factory ? ++factory->references : 0;
    },
    .Release = [](OvClassFactory* self) -> std::uint32_t {
        if (!self) return 0;
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        Factory* factory = FactoryOf(self);
        if (!factory) return 0;
        const std::uint32_t left = --factory->references;
        if (left == 0) delete factory;
        return left;
    },
    .CreateInstance = [](OvClassFactory* self, OvUnknown* outer, const OvGuid* iid, void** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        *out = nullptr;
        if (outer) return OV_CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            const Factory* factory = FactoryOf(self);
            if (!factory) return OV_CO_E_OBJNOTCONNECTED;
            auto* object = new ServerObject();
            object->entry = factory->entry;
            const OvResult result = object->QueryInterface(iid, out);
            object->Release();  // the interface handed out holds the only reference
            return result;
        });
    },
    .LockServer = [](OvClassFactory* self, int lock) -> OvResult {
        if (!self) return OV_E_POINTER;
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        if (!FactoryOf(self)) return OV_CO_E_OBJNOTCONNECTED;
        if (lock) ++g_locks;
        else if (g_locks > 0) --g_locks;
        return OV_S_OK;
    },
};

}  // namespace ov::library::server
