// The component server's C interface (include/orvelle/orvelle.h): the four entry points, the
// class objects, and the objects a host reaches through their vtables. Each created control is
// hosted in a reference host of its own (as one control on a hidden form), so it goes through
// its whole lifecycle, raises its events to the advised sinks and renders like any other.
//
// Nothing thrown crosses this interface: every function catches and answers with a result code.
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "host/reference/bag_file.h"
#include "orvelle/orvelle.h"

#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "library/component_registry.h"
#include "library/typelib_json.h"
#include "platform/codepage/windows1252.h"
#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/runtime/automation_error.h"

#define OV_EXPORT extern "C" __attribute__((visibility("default")))

namespace ov::library {
namespace {

// --- identifiers ----------------------------------------------------------------------------

constexpr OvGuid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint64_t d4) {
    OvGuid g{d1, d2, d3, {}};
    for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<std::uint8_t>(d4 >> (8 * (7 - i)));
    return g;
}

bool SameGuid(const OvGuid& a, const OvGuid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && std::memcmp(a.data4, b.data4, 8) == 0;
}

std::string GuidText(const OvGuid& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                  g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

bool ParseGuid(const char* text, OvGuid* out) {
    if (!text || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}') return false;
    const int dashes[] = {9, 14, 19, 24};
    for (int d : dashes)
        if (text[d] != '-') return false;
    std::uint8_t bytes[16];
    int n = 0;
    for (int i = 1; i < 37; ++i) {
        if (text[i] == '-') continue;
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = hex(text[i]), lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0 || n >= 16) return false;
        bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        ++i;
    }
    if (n != 16) return false;
    out->data1 = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    out->data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    out->data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(out->data4, bytes + 8, 8);
    return true;
}

// --- what keeps the server loaded -------------------------------------------------------------

std::atomic<int> g_live_objects{0};
std::atomic<int> g_live_factories{0};
std::atomic<int> g_locks{0};

// Every call runs on the host's thread, but a host may have several: one lock keeps the
// server's objects (which share the drawing layer) from running at once.
std::recursive_mutex& ServerLock() {
    static std::recursive_mutex lock;
    return lock;
}

template <typename F>
OvResult Guarded(F&& body) {
    try {
        std::lock_guard<std::recursive_mutex> hold(ServerLock());
        return body();
    } catch (const std::bad_alloc&) {
        return OV_E_OUTOFMEMORY;
    } catch (...) {
        return OV_E_FAIL;
    }
}

char* CopyString(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void FillException(OvExcepInfo* info, const AutomationError& error) {
    if (!info) return;
    info->number = error.number();
    info->source = CopyString(codepage::Windows1252ToUtf8(error.source()));
    info->description = CopyString(codepage::Windows1252ToUtf8(error.description()));
}

// --- objects -------------------------------------------------------------------------------------

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
    ~ServerObject() {
        object.reset();
        host.reset();  // terminates the control
        --g_live_objects;
    }

    bool hosted() const { return entry != nullptr; }
    bool is_control() const { return entry && entry->is_control; }

    // The instance, created with new-instance defaults if the host never chose.
    IDispatch& Instance() {
        if (!object && hosted()) Create(nullptr);
        if (!object) throw AutomationError(error::kObjectNotSet);
        return *object;
    }

    void Create(const host::PropertyBag* bag) {
        host = std::make_unique<host::ReferenceHost>(Classes());
        host::HostListener listener;
        listener.handle_event = [this](const std::string&, const EventDesc& event, std::vector<Variant>& args) {
            Deliver(event, args);
        };
        host->SetListener(std::move(listener));
        object = bag ? host->Load(kHostedName, entry->name, *bag) : host->New(kHostedName, entry->name);
    }

    void Deliver(const EventDesc& event, std::vector<Variant>& args);

    OvResult QueryInterface(const OvGuid* iid, void** out);
    std::uint32_t AddRef() { return ++references; }
    std::uint32_t Release() {
        const std::uint32_t left = --references;
        if (left == 0) delete this;
        return left;
    }
};

// --- values across the interface ------------------------------------------------------------------

OvDispatch* WrapObject(const std::shared_ptr<IDispatch>& object) {
    if (!object) return nullptr;
    auto* wrapper = new ServerObject();
    wrapper->object = object;
    return reinterpret_cast<OvDispatch*>(&wrapper->dispatch);
}

Variant FromOv(const OvVariant& v) {
    switch (v.vt) {
        case OV_VT_EMPTY: return Variant();
        case OV_VT_NULL: return Variant::Null();
        case OV_VT_I2: return Variant::FromInteger(v.u.iVal);
        case OV_VT_I4: return Variant::FromLong(v.u.lVal);
        case OV_VT_R4: return Variant::FromSingle(v.u.fltVal);
        case OV_VT_R8: return Variant::FromDouble(v.u.dblVal);
        case OV_VT_DATE: return Variant::FromDate(v.u.date);
        case OV_VT_BSTR: return Variant::FromString(codepage::Utf8ToWindows1252(v.u.bstrVal ? v.u.bstrVal : ""));
        case OV_VT_BOOL: return Variant::FromBoolean(v.u.boolVal != 0);
        case OV_VT_UI1: return Variant::FromByte(v.u.bVal);
        case OV_VT_DISPATCH: {
            if (!v.u.pdispVal) return Variant::FromObject(nullptr);
            // Only objects of this server can be handed back in.
            if (v.u.pdispVal->lpVtbl != &kDispatchVtbl) throw AutomationError(error::kTypeMismatch);
            ServerObject* owner = Owner<OvDispatchVtbl>(v.u.pdispVal);
            return Variant::FromObject(owner->object);
        }
        default: throw AutomationError(error::kTypeMismatch);
    }
}

OvVariant ToOv(const Variant& v) {
    OvVariant out;
    OvVariantInit(&out);
    switch (v.type()) {
        case VarType::Empty:
        case VarType::Missing: break;
        case VarType::Null: out.vt = OV_VT_NULL; break;
        case VarType::Boolean: out.vt = OV_VT_BOOL, out.u.boolVal = v.boolean() ? -1 : 0; break;
        case VarType::Byte: out.vt = OV_VT_UI1, out.u.bVal = static_cast<std::uint8_t>(v.integral()); break;
        case VarType::Integer: out.vt = OV_VT_I2, out.u.iVal = static_cast<std::int16_t>(v.integral()); break;
        case VarType::Long: out.vt = OV_VT_I4, out.u.lVal = static_cast<std::int32_t>(v.integral()); break;
        case VarType::Single: out.vt = OV_VT_R4, out.u.fltVal = static_cast<float>(v.real()); break;
        case VarType::Double: out.vt = OV_VT_R8, out.u.dblVal = v.real(); break;
        case VarType::Date: out.vt = OV_VT_DATE, out.u.date = v.real(); break;
        case VarType::String: out.vt = OV_VT_BSTR, out.u.bstrVal = CopyString(codepage::Windows1252ToUtf8(v.string())); break;
        case VarType::Object: out.vt = OV_VT_DISPATCH, out.u.pdispVal = WrapObject(v.object()); break;
    }
    return out;
}

std::vector<Variant> ArgumentsFrom(const OvVariant* args, std::uint32_t count) {
    std::vector<Variant> converted;
    converted.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) converted.push_back(FromOv(args[i]));
    return converted;
}

// By-reference arguments: whatever the callee left in them goes back to the caller.
void ArgumentsBack(const std::vector<Variant>& values, OvVariant* args, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count && i < values.size(); ++i) {
        if (FromOv(args[i]) == values[i]) continue;  // unchanged: the caller's value stays as it was
        OvVariantClear(&args[i]);
        args[i] = ToOv(values[i]);
    }
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

// --- the interfaces' functions -------------------------------------------------------------------

template <typename Vtbl>
OvResult QueryOf(void* face, const OvGuid* iid, void** out) {
    if (!face) return OV_E_POINTER;
    return Guarded([&] { return Owner<Vtbl>(face)->QueryInterface(iid, out); });
}
template <typename Vtbl>
std::uint32_t AddRefOf(void* face) {
    return face ? Owner<Vtbl>(face)->AddRef() : 0;
}
template <typename Vtbl>
std::uint32_t ReleaseOf(void* face) {
    if (!face) return 0;
    std::lock_guard<std::recursive_mutex> hold(ServerLock());
    return Owner<Vtbl>(face)->Release();
}

// Runs a member's body with automation errors reported through `exception`.
template <typename F>
OvResult Automation(OvExcepInfo* exception, F&& body) {
    return Guarded([&]() -> OvResult {
        try {
            return body();
        } catch (const AutomationError& error) {
            FillException(exception, error);
            return OV_DISP_E_EXCEPTION;
        }
    });
}

const OvDispatchVtbl kDispatchVtbl = {
    [](OvDispatch* self, const OvGuid* iid, void** out) { return QueryOf<OvDispatchVtbl>(self, iid, out); },
    [](OvDispatch* self) { return AddRefOf<OvDispatchVtbl>(self); },
    [](OvDispatch* self) { return ReleaseOf<OvDispatchVtbl>(self); },
    [](OvDispatch* self, char** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        return Guarded([&] {
            *out = CopyString(Owner<OvDispatchVtbl>(self)->Instance().TypeName());
            return *out ? OV_S_OK : OV_E_OUTOFMEMORY;
        });
    },
    [](OvDispatch* self, const char* name, std::int32_t* dispid) -> OvResult {
        if (!self || !name || !dispid) return OV_E_POINTER;
        return Guarded([&] {
            *dispid = Owner<OvDispatchVtbl>(self)->Instance().GetIDOfName(name);
            return *dispid == kDispidUnknown ? OV_DISP_E_UNKNOWNNAME : OV_S_OK;
        });
    },
    [](OvDispatch* self, std::int32_t dispid, std::uint16_t flags, OvVariant* args, std::uint32_t count,
       OvVariant* result, OvExcepInfo* exception) -> OvResult {
        if (!self || (count && !args)) return OV_E_POINTER;
        InvokeKind kind;
        if (flags & OV_DISPATCH_PROPERTYPUTREF) kind = InvokeKind::PropertyPutRef;
        else if (flags & OV_DISPATCH_PROPERTYPUT) kind = InvokeKind::PropertyPut;
        else if (flags & OV_DISPATCH_METHOD) kind = InvokeKind::Method;
        else if (flags & OV_DISPATCH_PROPERTYGET) kind = InvokeKind::PropertyGet;
        else return OV_E_INVALIDARG;
        return Automation(exception, [&]() -> OvResult {
            IDispatch& object = Owner<OvDispatchVtbl>(self)->Instance();
            std::vector<Variant> values = ArgumentsFrom(args, count);
            Variant value;
            try {
                value = object.Invoke(dispid, kind, values);
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
    },
};

const OvPersistPropertyBagVtbl kPersistVtbl = {
    [](OvPersistPropertyBag* self, const OvGuid* iid, void** out) {
        return QueryOf<OvPersistPropertyBagVtbl>(self, iid, out);
    },
    [](OvPersistPropertyBag* self) { return AddRefOf<OvPersistPropertyBagVtbl>(self); },
    [](OvPersistPropertyBag* self) { return ReleaseOf<OvPersistPropertyBagVtbl>(self); },
    [](OvPersistPropertyBag* self) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Guarded([&] {
            ServerObject* owner = Owner<OvPersistPropertyBagVtbl>(self);
            if (owner->object) return OV_E_UNEXPECTED;
            owner->Create(nullptr);
            return OV_S_OK;
        });
    },
    [](OvPersistPropertyBag* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Guarded([&]() -> OvResult {
            ServerObject* owner = Owner<OvPersistPropertyBagVtbl>(self);
            if (owner->object) return OV_E_UNEXPECTED;
            // A pipe is read like a file; a folder, or anything that cannot be read, is no file.
            const files::FileContents file = files::ReadWholeFile(path, files::ReadOptions{.read_streams = true});
            if (!file.ok()) return OV_STG_E_FILENOTFOUND;
            host::PropertyBag bag;
            try {
                bag = host::BagFromJsonText(file.bytes, std::filesystem::path(path).parent_path().string());
            } catch (const AutomationError&) {
                return OV_STG_E_INVALIDHEADER;
            }
            // Keys the control cannot read are skipped by the control itself, as on any form.
            owner->Create(&bag);
            return OV_S_OK;
        });
    },
    [](OvPersistPropertyBag* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Guarded([&]() -> OvResult {
            ServerObject* owner = Owner<OvPersistPropertyBagVtbl>(self);
            owner->Instance();
            const std::string text = BagToJsonText(owner->host->Save(kHostedName));
            return files::ReplaceFile(path, text) ? OV_S_OK : OV_E_FAIL;
        });
    },
};

const OvControlVtbl kControlVtbl = {
    [](OvControl* self, const OvGuid* iid, void** out) { return QueryOf<OvControlVtbl>(self, iid, out); },
    [](OvControl* self) { return AddRefOf<OvControlVtbl>(self); },
    [](OvControl* self) { return ReleaseOf<OvControlVtbl>(self); },
    [](OvControl* self, double width, double height) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Automation(nullptr, [&] {
            ServerObject* owner = Owner<OvControlVtbl>(self);
            owner->Instance();
            owner->host->Resize(kHostedName, width, height);
            return OV_S_OK;
        });
    },
    [](OvControl* self, double* width, double* height) -> OvResult {
        if (!self || !width || !height) return OV_E_POINTER;
        return Guarded([&] {
            ServerObject* owner = Owner<OvControlVtbl>(self);
            owner->Instance();
            const host::Control* control = owner->host->FindControl(kHostedName);
            *width = control ? control->Width() : 0;
            *height = control ? control->Height() : 0;
            return OV_S_OK;
        });
    },
    [](OvControl* self, const char* target, const char* event, OvVariant* args, std::uint32_t count,
       OvExcepInfo* exception) -> OvResult {
        if (!self || !target || !event || (count && !args)) return OV_E_POINTER;
        return Automation(exception, [&] {
            ServerObject* owner = Owner<OvControlVtbl>(self);
            owner->Instance();
            // What handlers do with by-reference arguments reaches the sinks; the caller's own
            // values stay as given.
            owner->host->Fire(kHostedName, target, event, ArgumentsFrom(args, count));
            return OV_S_OK;
        });
    },
    [](OvControl* self, std::int64_t milliseconds) -> OvResult {
        if (!self) return OV_E_POINTER;
        if (milliseconds < 0) return OV_E_INVALIDARG;
        return Automation(nullptr, [&] {
            ServerObject* owner = Owner<OvControlVtbl>(self);
            owner->Instance();
            owner->host->Wait(milliseconds);
            return OV_S_OK;
        });
    },
    [](OvControl* self, const char* path) -> OvResult {
        if (!self || !path) return OV_E_POINTER;
        return Automation(nullptr, [&] {
            ServerObject* owner = Owner<OvControlVtbl>(self);
            owner->Instance();
            return owner->host->Snap(kHostedName, path) ? OV_S_OK : OV_E_FAIL;
        });
    },
};

const OvConnectionPointVtbl kConnectionPointVtbl = {
    [](OvConnectionPoint* self, const OvGuid* iid, void** out) { return QueryOf<OvConnectionPointVtbl>(self, iid, out); },
    [](OvConnectionPoint* self) { return AddRefOf<OvConnectionPointVtbl>(self); },
    [](OvConnectionPoint* self) { return ReleaseOf<OvConnectionPointVtbl>(self); },
    [](OvConnectionPoint* self, OvEventSink sink, void* context, std::uint32_t* cookie) -> OvResult {
        if (!self || !sink || !cookie) return OV_E_POINTER;
        return Guarded([&] {
            ServerObject* owner = Owner<OvConnectionPointVtbl>(self);
            *cookie = owner->next_cookie++;
            owner->sinks.push_back(Sink{*cookie, sink, context});
            return OV_S_OK;
        });
    },
    [](OvConnectionPoint* self, std::uint32_t cookie) -> OvResult {
        if (!self) return OV_E_POINTER;
        return Guarded([&] {
            auto& sinks = Owner<OvConnectionPointVtbl>(self)->sinks;
            const auto erased = std::erase_if(sinks, [cookie](const Sink& s) { return s.cookie == cookie; });
            return erased ? OV_S_OK : OV_CONNECT_E_NOCONNECTION;
        });
    },
};

// --- class objects ------------------------------------------------------------------------------

struct Factory {
    const OvClassFactoryVtbl* lpVtbl;
    const host::ClassEntry* entry;
    std::atomic<std::uint32_t> references{1};
};

extern const OvClassFactoryVtbl kFactoryVtbl;

Factory* FactoryOf(OvClassFactory* face) { return reinterpret_cast<Factory*>(face); }

const OvClassFactoryVtbl kFactoryVtbl = {
    [](OvClassFactory* self, const OvGuid* iid, void** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        *out = nullptr;
        if (!iid) return OV_E_INVALIDARG;
        if (!SameGuid(*iid, OV_IID_IUnknown) && !SameGuid(*iid, OV_IID_IClassFactory)) return OV_E_NOINTERFACE;
        ++FactoryOf(self)->references;
        *out = self;
        return OV_S_OK;
    },
    [](OvClassFactory* self) -> std::uint32_t { return self ? ++FactoryOf(self)->references : 0; },
    [](OvClassFactory* self) -> std::uint32_t {
        if (!self) return 0;
        const std::uint32_t left = --FactoryOf(self)->references;
        if (left == 0) {
            delete FactoryOf(self);
            --g_live_factories;
        }
        return left;
    },
    [](OvClassFactory* self, OvUnknown* outer, const OvGuid* iid, void** out) -> OvResult {
        if (!self || !out) return OV_E_POINTER;
        *out = nullptr;
        if (outer) return OV_CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            auto* object = new ServerObject();
            object->entry = FactoryOf(self)->entry;
            const OvResult result = object->QueryInterface(iid, out);
            object->Release();  // the interface handed out holds the only reference
            return result;
        });
    },
    [](OvClassFactory* self, int lock) -> OvResult {
        if (!self) return OV_E_POINTER;
        if (lock) ++g_locks;
        else if (g_locks > 0) --g_locks;
        return OV_S_OK;
    },
};

// --- registration --------------------------------------------------------------------------------

std::string ThisLibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllGetClassObject), &info) && info.dli_fname)
        return std::filesystem::absolute(info.dli_fname).string();
    return {};
}

std::string TypeLibraryPath(const std::string& registry_path) {
    return (std::filesystem::path(registry_path).parent_path() / (std::string(kLibraryName) + ".typelib.json")).string();
}

}  // namespace
}  // namespace ov::library

using namespace ov::library;

OV_EXPORT const OvGuid OV_IID_IUnknown = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IClassFactory = MakeGuid(0x00000001, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IDispatch = MakeGuid(0x00020400, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IPersistPropertyBag = MakeGuid(0x37D84F60, 0x42CB, 0x11CE, 0x81350000C0BD3A0Bull);
OV_EXPORT const OvGuid OV_IID_IOvControl = MakeGuid(0x6F1C3D01, 0x7A52, 0x4E0B, 0x9C110D3E5A2B7F01ull);
OV_EXPORT const OvGuid OV_IID_IConnectionPoint = MakeGuid(0xB196B286, 0xBAB4, 0x101A, 0xB69C00AA00341D07ull);

OV_EXPORT OvResult OvGuidFromString(const char* text, OvGuid* out) {
    if (!out) return OV_E_POINTER;
    return ParseGuid(text, out) ? OV_S_OK : OV_E_INVALIDARG;
}

OV_EXPORT OvResult OvGuidToString(const OvGuid* guid, char out[39]) {
    if (!guid || !out) return OV_E_POINTER;
    std::memcpy(out, GuidText(*guid).c_str(), 39);
    return OV_S_OK;
}

OV_EXPORT int OvGuidEqual(const OvGuid* a, const OvGuid* b) { return a && b && SameGuid(*a, *b); }

OV_EXPORT char* OvStringAlloc(const char* utf8) { return CopyString(utf8 ? utf8 : ""); }
OV_EXPORT void OvStringFree(char* text) { std::free(text); }

OV_EXPORT void OvVariantInit(OvVariant* value) {
    if (!value) return;
    std::memset(value, 0, sizeof *value);
    value->vt = OV_VT_EMPTY;
}

OV_EXPORT OvResult OvVariantClear(OvVariant* value) {
    if (!value) return OV_E_POINTER;
    if (value->vt == OV_VT_BSTR) std::free(value->u.bstrVal);
    if (value->vt == OV_VT_DISPATCH && value->u.pdispVal) value->u.pdispVal->lpVtbl->Release(value->u.pdispVal);
    OvVariantInit(value);
    return OV_S_OK;
}

OV_EXPORT void OvExcepInfoClear(OvExcepInfo* info) {
    if (!info) return;
    std::free(info->source);
    std::free(info->description);
    *info = OvExcepInfo{0, nullptr, nullptr};
}

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
            if (!ov::files::ReplaceFile(typelib, TypeLibraryJson(Classes()).dump(2) + "\n")) return OV_SELFREG_E_TYPELIB;
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
        *out = new Factory{&kFactoryVtbl, entry};
        ++g_live_factories;
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
