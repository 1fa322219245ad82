// The component server through its C interface only, as a hostile host drives it: sequences of
// calls on every interface of every class (creation, QueryInterface, AddRef and Release in any
// balance, late-bound members with arguments of any type, bags, extents, input, timers,
// rendering), and sinks that misbehave inside events (call back, release references, unadvise,
// advise more, leave values that cannot come back, re-enter initialisation and resizing).
// Pointers stay usable after their last release (the server answers OV_CO_E_OBJNOTCONNECTED),
// so the sequence may use them too. At the end every reference the sequence still holds is
// released, and no object, class object or lock of the server may remain.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <sanitizer/lsan_interface.h>

#include "byte_reader.h"
#include "orvelle/orvelle.h"

namespace {

enum class Kind { Dispatch, Persist, Control, Events, Factory };

// An interface pointer the sequence got, and how many references it holds through it.
struct Slot {
    void* face;
    Kind kind;
    int references;
};

// The three functions every interface starts with, called through the interface's own vtable
// type (calling through another is undefined, even where the layouts agree).
template <typename F>
auto OnFace(const Slot& s, F&& call) {
    switch (s.kind) {
        case Kind::Dispatch: return call(static_cast<OvDispatch*>(s.face));
        case Kind::Persist: return call(static_cast<OvPersistPropertyBag*>(s.face));
        case Kind::Control: return call(static_cast<OvControl*>(s.face));
        case Kind::Events: return call(static_cast<OvConnectionPoint*>(s.face));
        default: return call(static_cast<OvClassFactory*>(s.face));
    }
}
std::uint32_t AddRef(const Slot& s) {
    return OnFace(s, [](auto* face) { return face->lpVtbl->AddRef(face); });
}
std::uint32_t Release(const Slot& s) {
    return OnFace(s, [](auto* face) { return face->lpVtbl->Release(face); });
}
OvResult QueryInterface(const Slot& s, const OvGuid* iid, void** out) {
    return OnFace(s, [&](auto* face) { return face->lpVtbl->QueryInterface(face, iid, out); });
}

constexpr int kMaxSlots = 24;
constexpr int kMaxObjects = 3;  // each control has a form of its own; they are costly to make
constexpr int kMaxSinks = 8;
constexpr int kMaxSinkDepth = 3;

std::vector<OvGuid> g_classes;
std::string g_dir;

const std::vector<const char*> kNames = {
    "Caption",          "TabString",  "ControlString", "Text",     "Mask",     "Picture",      "Font",
    "BackColor",        "Refresh",    "GradientAngle", "Style",    "AutoSize", "Width",        "Height",
    "SelectedTab",      "Enabled",    "Orientation",   "TrayIcon", "Visible",  "InputFormat",  "FontSize",
    "AlignmentCushion", "BevelWidth", "Angle",         "Color1",   "Draw",     "NoSuchMember", "Index"};
const std::vector<const char*> kTargets = {"surface", "lblTabItem(0)", "lblTabItem(1)", "picMain", "txt", "nothing"};
const std::vector<const char*> kEvents = {"Click",   "DblClick", "MouseDown", "MouseMove",
                                          "MouseUp", "KeyPress", "GotFocus",  "Change"};
const std::vector<std::int32_t> kLongs = {
    0,         1, -1, 2, 7, 45, 255, 65536, -32769, 0x7FFFFFFF, -0x7FFFFFFF - 1, static_cast<std::int32_t>(0x8000000F),
    0x00FF00FF};
const std::vector<double> kNumbers = {0,
                                      1,
                                      -1,
                                      15,
                                      240,
                                      3000,
                                      1e9,
                                      -1e9,
                                      1e300,
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN(),
                                      0.5,
                                      65536,
                                      2147483648.0};

// Another server's object: only its reference counting is ever called.
std::uint32_t ForeignCount(OvDispatch*) { return 1; }
const OvDispatchVtbl kForeignVtbl = {nullptr, ForeignCount, ForeignCount, nullptr, nullptr, nullptr};
OvDispatch g_foreign{&kForeignVtbl};

struct Run;

struct SinkContext {
    Run* run;
    int slot;  // the interface the sink calls back through
    std::uint8_t behaviour;
    std::uint8_t argument;
    std::uint32_t cookie = 0;
};

struct Run {
    ByteReader in;
    std::vector<Slot> slots;
    std::vector<SinkContext> sinks;  // reserved up front: the contexts must not move
    int objects = 0;
    int locks = 0;
    int depth = 0;

    Slot* At(std::uint8_t choice, Kind kind) {
        if (slots.empty()) return nullptr;
        Slot& s = slots[choice % slots.size()];
        return s.kind == kind ? &s : nullptr;
    }

    void Keep(void* face, Kind kind) {
        if (!face) return;
        if (slots.size() < kMaxSlots) {
            slots.push_back(Slot{face, kind, 1});
            return;
        }
        Release(Slot{face, kind, 1});
    }

    OvVariant Value() {
        OvVariant v;
        OvVariantInit(&v);
        const std::uint8_t type = in.Byte();
        switch (type % 12) {
            case 0: break;
            case 1: v.vt = OV_VT_NULL; break;
            case 2: v.vt = OV_VT_I2, v.u.iVal = static_cast<std::int16_t>(in.Byte() * 257 - 32768); break;
            case 3: v.vt = OV_VT_I4, v.u.lVal = in.Pick(kLongs); break;
            case 4: v.vt = OV_VT_R4, v.u.fltVal = static_cast<float>(in.Pick(kNumbers)); break;
            case 5: v.vt = OV_VT_R8, v.u.dblVal = in.Pick(kNumbers); break;
            case 6: v.vt = OV_VT_DATE, v.u.date = in.Pick(kNumbers); break;
            case 7: {
                std::string text(in.Byte() % 24, '\0');
                for (char& c : text) c = static_cast<char>(in.Byte());
                v.vt = OV_VT_BSTR, v.u.bstrVal = OvStringAlloc(text.c_str());
                break;
            }
            case 8: v.vt = OV_VT_BOOL, v.u.boolVal = (in.Byte() & 1) ? -1 : 0; break;
            case 9: v.vt = OV_VT_UI1, v.u.bVal = in.Byte(); break;
            case 10: {
                // Any object the sequence holds, live or released, or another server's object; the
                // variant owns a reference, as OvVariantClear will release one.
                v.vt = OV_VT_DISPATCH;
                const std::uint8_t which = in.Byte();
                const Slot* slot = slots.empty() ? nullptr : &slots[which % slots.size()];
                if (!slot || slot->kind != Kind::Dispatch) {
                    v.u.pdispVal = (which & 1) ? &g_foreign : nullptr;
                } else {
                    AddRef(*slot);
                    v.u.pdispVal = static_cast<OvDispatch*>(slot->face);
                }
                break;
            }
            default: v.vt = static_cast<std::uint16_t>(0x100 + type); break;  // a type the interface has not
        }
        return v;
    }

    void Step();
    void Finish();
};

void CheckCode(OvResult hr) {
    // Every answer is one of the interface's result codes; OV_E_FAIL would mean something
    // escaped as an internal fault.
    if (hr == OV_E_FAIL) std::abort();
}

void Sink(void* context, const char*, std::int32_t, OvVariant* args, std::uint32_t count) {
    auto& sink = *static_cast<SinkContext*>(context);
    Run& run = *sink.run;
    if (run.depth >= kMaxSinkDepth) return;
    ++run.depth;
    Slot& slot = run.slots[sink.slot];
    switch (sink.behaviour % 8) {
        case 0: break;
        case 1:
            if (slot.kind == Kind::Dispatch) {
                auto* object = static_cast<OvDispatch*>(slot.face);
                std::int32_t dispid = 0;
                if (object->lpVtbl->GetIDOfName(object, kNames[sink.argument % kNames.size()], &dispid) == OV_S_OK) {
                    OvVariant result;
                    OvVariantInit(&result);
                    object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYGET, nullptr, 0, &result, nullptr);
                    OvVariantClear(&result);
                }
            }
            break;
        case 2:
            if (slot.references > 0) {
                --slot.references;
                Release(slot);
            }
            break;
        case 3:
            for (Slot& s : run.slots)
                if (s.kind == Kind::Events)
                    static_cast<OvConnectionPoint*>(s.face)->lpVtbl->Unadvise(static_cast<OvConnectionPoint*>(s.face),
                                                                              sink.cookie);
            break;
        case 4:
            for (std::uint32_t i = 0; i < count; ++i) {
                OvVariantClear(&args[i]);
                args[i] = run.Value();
            }
            break;
        case 5:
            for (Slot& s : run.slots)
                if (s.kind == Kind::Persist)
                    static_cast<OvPersistPropertyBag*>(s.face)->lpVtbl->InitNew(
                        static_cast<OvPersistPropertyBag*>(s.face));
            break;
        case 6:
            for (Slot& s : run.slots)
                if (s.kind == Kind::Control)
                    static_cast<OvControl*>(s.face)->lpVtbl->SetExtent(static_cast<OvControl*>(s.face),
                                                                       15.0 * sink.argument, 600);
            break;
        default:
            if (slot.kind == Kind::Events && run.sinks.size() < kMaxSinks) {
                run.sinks.push_back(
                    SinkContext{&run, sink.slot, static_cast<std::uint8_t>(sink.argument / 8), sink.argument});
                SinkContext& added = run.sinks.back();
                auto* events = static_cast<OvConnectionPoint*>(slot.face);
                events->lpVtbl->Advise(events, Sink, &added, &added.cookie);
            }
            break;
    }
    --run.depth;
}

void Run::Step() {
    const std::uint8_t op = in.Byte();
    const std::uint8_t choice = in.Byte();
    switch (op % 19) {
        case 0: {  // a new instance through its class object, which the sequence may keep
            if (objects >= kMaxObjects || g_classes.empty()) break;
            OvClassFactory* factory = nullptr;
            if (DllGetClassObject(&g_classes[choice % g_classes.size()], &OV_IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)) != OV_S_OK)
                std::abort();
            void* object = nullptr;
            CheckCode(factory->lpVtbl->CreateInstance(factory, nullptr, &OV_IID_IDispatch, &object));
            ++objects;
            Keep(object, Kind::Dispatch);
            if (choice & 0x80) Keep(factory, Kind::Factory);
            else factory->lpVtbl->Release(factory);
            break;
        }
        case 1: {  // QueryInterface for any interface
            if (slots.empty()) break;
            static const OvGuid* const iids[] = {
                &OV_IID_IUnknown,   &OV_IID_IDispatch,        &OV_IID_IPersistPropertyBag,
                &OV_IID_IOvControl, &OV_IID_IConnectionPoint, &OV_IID_IClassFactory};
            const Kind kinds[] = {Kind::Dispatch, Kind::Dispatch, Kind::Persist,
                                  Kind::Control,  Kind::Events,   Kind::Factory};
            const std::uint8_t which = in.Byte() % 6;
            Slot& s = slots[choice % slots.size()];
            void* face = nullptr;
            const OvResult hr = QueryInterface(s, iids[which], &face);
            CheckCode(hr);
            if (hr == OV_S_OK) Keep(face, s.kind == Kind::Factory ? Kind::Factory : kinds[which]);
            else if (face) std::abort();
            break;
        }
        case 2:
            if (!slots.empty()) {
                Slot& s = slots[choice % slots.size()];
                if (AddRef(s) > 0) ++s.references;
            }
            break;
        case 3:  // Release, also past the references held (the object answers, it is not freed twice)
            if (!slots.empty()) {
                Slot& s = slots[choice % slots.size()];
                Release(s);
                if (s.references > 0) --s.references;
            }
            break;
        case 4:
            if (Slot* s = At(choice, Kind::Dispatch)) {
                auto* object = static_cast<OvDispatch*>(s->face);
                char* name = nullptr;
                CheckCode(object->lpVtbl->GetTypeName(object, &name));
                OvStringFree(name);
            }
            break;
        case 5:
        case 6:
            if (Slot* s = At(choice, Kind::Dispatch)) {
                auto* object = static_cast<OvDispatch*>(s->face);
                std::int32_t dispid = static_cast<std::int8_t>(in.Byte());
                if (op % 19 == 5) object->lpVtbl->GetIDOfName(object, in.Pick(kNames), &dispid);
                const std::uint16_t flags = in.Byte() % 16;
                const std::uint32_t count = in.Byte() % 4;
                OvVariant args[3];
                for (std::uint32_t i = 0; i < count; ++i) args[i] = Value();
                OvVariant result;
                OvVariantInit(&result);
                OvExcepInfo error{};
                CheckCode(object->lpVtbl->Invoke(object, dispid, flags, args, count, &result, &error));
                OvExcepInfoClear(&error);
                for (std::uint32_t i = 0; i < count; ++i) OvVariantClear(&args[i]);
                if (result.vt == OV_VT_DISPATCH && result.u.pdispVal) {
                    Keep(result.u.pdispVal, Kind::Dispatch);
                    OvVariantInit(&result);
                }
                OvVariantClear(&result);
            }
            break;
        case 7:
            if (Slot* s = At(choice, Kind::Persist)) {
                auto* persist = static_cast<OvPersistPropertyBag*>(s->face);
                CheckCode(persist->lpVtbl->InitNew(persist));
            }
            break;
        case 8:
            if (Slot* s = At(choice, Kind::Persist)) {
                auto* persist = static_cast<OvPersistPropertyBag*>(s->face);
                const std::string paths[] = {g_dir + "/saved.bag", g_dir + "/garbage.bag", g_dir,
                                             g_dir + "/missing.bag"};
                CheckCode(persist->lpVtbl->Load(persist, paths[in.Byte() % 4].c_str()));
            }
            break;
        case 9:
            if (Slot* s = At(choice, Kind::Persist)) {
                auto* persist = static_cast<OvPersistPropertyBag*>(s->face);
                const std::string path = (in.Byte() & 1) ? g_dir + "/saved.bag" : g_dir + "/no/such/folder.bag";
                persist->lpVtbl->Save(persist, path.c_str());
            }
            break;
        case 10:
            if (Slot* s = At(choice, Kind::Control)) {
                auto* control = static_cast<OvControl*>(s->face);
                const double width = (in.Byte() & 1) ? in.Pick(kNumbers) : 15.0 * in.Byte();
                const double height = (in.Byte() & 1) ? in.Pick(kNumbers) : 15.0 * in.Byte();
                CheckCode(control->lpVtbl->SetExtent(control, width, height));
            }
            break;
        case 11:
            if (Slot* s = At(choice, Kind::Control)) {
                auto* control = static_cast<OvControl*>(s->face);
                double width = 0, height = 0;
                CheckCode(control->lpVtbl->GetExtent(control, &width, &height));
            }
            break;
        case 12:
            if (Slot* s = At(choice, Kind::Control)) {
                auto* control = static_cast<OvControl*>(s->face);
                const char* target = in.Pick(kTargets);
                const char* event = in.Pick(kEvents);
                const std::uint32_t count = in.Byte() % 5;
                OvVariant args[4];
                for (std::uint32_t i = 0; i < count; ++i) args[i] = Value();
                OvExcepInfo error{};
                CheckCode(control->lpVtbl->FireEvent(control, target, event, args, count, &error));
                OvExcepInfoClear(&error);
                for (std::uint32_t i = 0; i < count; ++i) OvVariantClear(&args[i]);
            }
            break;
        case 13:
            if (Slot* s = At(choice, Kind::Control)) {
                auto* control = static_cast<OvControl*>(s->face);
                CheckCode(control->lpVtbl->Wait(control, static_cast<std::int64_t>(in.Byte()) * 4 - 4));
            }
            break;
        case 14:
            if (Slot* s = At(choice, Kind::Control)) {
                auto* control = static_cast<OvControl*>(s->face);
                control->lpVtbl->RenderPng(control, (g_dir + "/render.png").c_str());
            }
            break;
        case 15:
            if (Slot* s = At(choice, Kind::Events); s && sinks.size() < kMaxSinks) {
                const std::uint8_t behaviour = in.Byte();
                const int slot = in.Byte() % static_cast<int>(slots.size());
                sinks.push_back(SinkContext{this, slot, behaviour, in.Byte()});
                SinkContext& added = sinks.back();
                auto* events = static_cast<OvConnectionPoint*>(s->face);
                CheckCode(events->lpVtbl->Advise(events, Sink, &added, &added.cookie));
            }
            break;
        case 16:
            if (Slot* s = At(choice, Kind::Events)) {
                auto* events = static_cast<OvConnectionPoint*>(s->face);
                CheckCode(events->lpVtbl->Unadvise(events, in.Byte() % 10));
            }
            break;
        case 17:
            if (Slot* s = At(choice, Kind::Factory)) {
                auto* factory = static_cast<OvClassFactory*>(s->face);
                const bool lock = in.Byte() & 1;
                // The server ignores an unlock past its locks, and so does the count here.
                if (factory->lpVtbl->LockServer(factory, lock) == OV_S_OK)
                    locks = lock ? locks + 1 : std::max(0, locks - 1);
            }
            break;
        default:
            if (Slot* s = At(choice, Kind::Factory); s && objects < kMaxObjects) {
                auto* factory = static_cast<OvClassFactory*>(s->face);
                void* object = nullptr;
                const OvResult hr = factory->lpVtbl->CreateInstance(factory, nullptr, &OV_IID_IOvControl, &object);
                CheckCode(hr);
                if (hr == OV_S_OK) ++objects;
                Keep(object, Kind::Control);
            }
            break;
    }
}

void Run::Finish() {
    for (Slot& s : slots)
        for (; s.references > 0; --s.references) Release(s);
    // Unlocks past the locks taken are ignored, so the count is all that needs undoing.
    for (; locks > 0; --locks) {
        OvClassFactory* factory = nullptr;
        DllGetClassObject(&g_classes[0], &OV_IID_IClassFactory, reinterpret_cast<void**>(&factory));
        factory->lpVtbl->LockServer(factory, 0);
        factory->lpVtbl->Release(factory);
    }
    if (DllCanUnloadNow() != OV_S_OK) std::abort();  // a reference or lock the server kept
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_dir = (std::filesystem::temp_directory_path() / ("orvelle-fuzz-server-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(g_dir);
    setenv("ORVELLE_REGISTRY", (g_dir + "/registry.json").c_str(), 1);
    setenv("ORVELLE_NOTIFY_AREA", "recording", 1);
    if (DllRegisterServer() != OV_S_OK) std::abort();
    for (const char* name : {"OV3DLine", "OVGradientPanel", "OVHotLabel", "OVTrayIcon", "OVTabHead", "OVMaskedTextBox",
                             "clsGradient", "OVSideLogo"}) {
        OvGuid clsid;
        if (OvCLSIDFromProgID((std::string("OrvelleControls.") + name).c_str(), &clsid) == OV_S_OK)
            g_classes.push_back(clsid);
    }
    std::FILE* garbage = std::fopen((g_dir + "/garbage.bag").c_str(), "wb");
    if (garbage) {
        std::fputs("{\"format\": [[[[", garbage);
        std::fclose(garbage);
    }
    // A panel drawn once (its caption is text) loads the font configuration. Fontconfig loses a
    // few hundred bytes of it for good on that one load; the leak check leaves this warm-up out
    // and watches everything the inputs allocate.
    const __lsan::ScopedDisabler warm_up;
    OvClassFactory* factory = nullptr;
    DllGetClassObject(&g_classes[1], &OV_IID_IClassFactory, reinterpret_cast<void**>(&factory));
    OvPersistPropertyBag* persist = nullptr;
    factory->lpVtbl->CreateInstance(factory, nullptr, &OV_IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    factory->lpVtbl->Release(factory);
    persist->lpVtbl->InitNew(persist);
    persist->lpVtbl->Save(persist, (g_dir + "/saved.bag").c_str());
    persist->lpVtbl->Release(persist);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 512) return 0;
    Run run{ByteReader{data, size}, {}, {}};
    run.sinks.reserve(kMaxSinks);
    run.slots.reserve(kMaxSlots);
    for (int step = 0; step < 64 && !run.in.done(); ++step) run.Step();
    run.Finish();
    return 0;
}
