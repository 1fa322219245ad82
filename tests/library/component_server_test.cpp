// The component server as a host application sees it: only the C interface of
// include/orvelle/orvelle.h, against libOrvelleControls.so. Registration into a temporary
// configuration directory, creation by ProgID and class id, the interfaces of an instance,
// unload accounting, and hostile registry and bag files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "orvelle/orvelle.h"

namespace {

namespace fs = std::filesystem;

const char* kTabHead = "OrvelleControls.OVTabHead";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Each test registers into a configuration directory of its own.
class ComponentServer : public ::testing::Test {
protected:
    void SetUp() override {
        // The process id as well: runs of this program in other builds share the folder.
        config_ =
            fs::temp_directory_path() / ("orvelle-server-" + std::to_string(::getpid()) + "-" +
                                         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(config_);
        fs::create_directories(config_);
        unsetenv("ORVELLE_REGISTRY");
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    }
    void TearDown() override {
        EXPECT_EQ(DllCanUnloadNow(), OV_S_OK) << "a test left an object, class object or lock alive";
        fs::remove_all(config_);
    }
    fs::path registry() const { return config_ / "orvelle" / "registry.json"; }

    OvDispatch* Create(const char* prog_id) {
        OvGuid clsid;
        if (OvCLSIDFromProgID(prog_id, &clsid) != OV_S_OK) return nullptr;
        OvDispatch* object = nullptr;
        EXPECT_EQ(OvCoCreateInstance(&clsid, &OV_IID_IDispatch, reinterpret_cast<void**>(&object)), OV_S_OK);
        return object;
    }

    fs::path config_;
};

template <typename Face>
Face* Query(OvDispatch* object, const OvGuid& iid) {
    void* face = nullptr;
    return object->lpVtbl->QueryInterface(object, &iid, &face) == OV_S_OK ? static_cast<Face*>(face) : nullptr;
}

OvResult Put(OvDispatch* object, const char* name, OvVariant value, OvExcepInfo* error = nullptr) {
    std::int32_t dispid = 0;
    const OvResult found = object->lpVtbl->GetIDOfName(object, name, &dispid);
    if (found != OV_S_OK) return found;
    const OvResult hr = object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYPUT, &value, 1, nullptr, error);
    OvVariantClear(&value);
    return hr;
}

OvVariant Get(OvDispatch* object, const char* name) {
    OvVariant result;
    OvVariantInit(&result);
    std::int32_t dispid = 0;
    if (object->lpVtbl->GetIDOfName(object, name, &dispid) == OV_S_OK)
        object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYGET, nullptr, 0, &result, nullptr);
    return result;
}

OvVariant Text(const char* text) {
    OvVariant v;
    v.vt = OV_VT_BSTR;
    v.u.bstrVal = OvStringAlloc(text);
    return v;
}

OvVariant Long(std::int32_t value) {
    OvVariant v;
    v.vt = OV_VT_I4;
    v.u.lVal = value;
    return v;
}

TEST_F(ComponentServer, RegisterAndUnregisterTouchOnlyTheirOwnEntries) {
    fs::create_directories(registry().parent_path());
    const std::string foreign =
        R"({"format": "OrvelleControls component registry", "version": 1, "classes": [)"
        R"({"clsid": "{11111111-2222-3333-4444-555555555555}", "progid": "Other.Thing", "name": "Thing",)"
        R"( "server": "/opt/other/libthing.so", "typelib": "/opt/other/thing.json"}]})";
    WriteFile(registry(), foreign);

    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    const std::string registered = ReadFile(registry());
    for (const char* prog_id : {"OrvelleControls.OV3DLine", kTabHead, "OrvelleControls.OVSideLogo",
                                "OrvelleControls.clsGradient", "Other.Thing"}) {
        OvGuid clsid;
        EXPECT_EQ(OvCLSIDFromProgID(prog_id, &clsid), OV_S_OK) << prog_id;
    }
    EXPECT_NE(registered.find("libOrvelleControls.so"), std::string::npos);
    EXPECT_TRUE(fs::exists(config_ / "orvelle" / "OrvelleControls.typelib.json"));
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);  // registering twice changes nothing
    EXPECT_EQ(ReadFile(registry()), registered);

    ASSERT_EQ(DllUnregisterServer(), OV_S_OK);
    OvGuid clsid;
    EXPECT_EQ(OvCLSIDFromProgID(kTabHead, &clsid), OV_CO_E_CLASSSTRING);
    EXPECT_EQ(OvCLSIDFromProgID("Other.Thing", &clsid), OV_S_OK);
    EXPECT_FALSE(fs::exists(config_ / "orvelle" / "OrvelleControls.typelib.json"));

    // ORVELLE_REGISTRY names another file altogether.
    setenv("ORVELLE_REGISTRY", (config_ / "elsewhere.json").c_str(), 1);
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    EXPECT_TRUE(fs::exists(config_ / "elsewhere.json"));
    char* path = OvRegistryPath();
    EXPECT_EQ(std::string(path), (config_ / "elsewhere.json").string());
    OvStringFree(path);
}

TEST_F(ComponentServer, ClassObjectsCreateInstancesByClassIdAndProgId) {
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    OvGuid clsid;
    ASSERT_EQ(OvCLSIDFromProgID("orvellecontrols.ov3dline", &clsid), OV_S_OK);  // ProgIDs ignore case
    char text[39];
    OvGuidToString(&clsid, text);
    EXPECT_STREQ(text, "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7001}");

    OvClassFactory* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(&clsid, &OV_IID_IClassFactory, reinterpret_cast<void**>(&factory)), OV_S_OK);
    EXPECT_EQ(DllCanUnloadNow(), OV_S_FALSE);  // a class object is alive
    OvDispatch* line = nullptr;
    OvUnknown outer{};
    EXPECT_EQ(factory->lpVtbl->CreateInstance(factory, &outer, &OV_IID_IDispatch, reinterpret_cast<void**>(&line)),
              OV_CLASS_E_NOAGGREGATION);
    ASSERT_EQ(factory->lpVtbl->CreateInstance(factory, nullptr, &OV_IID_IDispatch, reinterpret_cast<void**>(&line)),
              OV_S_OK);
    factory->lpVtbl->LockServer(factory, 1);
    factory->lpVtbl->Release(factory);
    char* name = nullptr;
    ASSERT_EQ(line->lpVtbl->GetTypeName(line, &name), OV_S_OK);
    EXPECT_STREQ(name, "OV3DLine");
    OvStringFree(name);
    line->lpVtbl->Release(line);
    EXPECT_EQ(DllCanUnloadNow(), OV_S_FALSE);  // the lock holds
    factory = nullptr;
    ASSERT_EQ(DllGetClassObject(&clsid, &OV_IID_IUnknown, reinterpret_cast<void**>(&factory)), OV_S_OK);
    factory->lpVtbl->LockServer(factory, 0);
    factory->lpVtbl->Release(factory);

    // What a caller can get wrong.
    OvGuid unknown;
    ASSERT_EQ(OvGuidFromString("{00000000-0000-0000-0000-000000000001}", &unknown), OV_S_OK);
    void* out = nullptr;
    EXPECT_EQ(DllGetClassObject(&unknown, &OV_IID_IClassFactory, &out), OV_CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(DllGetClassObject(&clsid, &OV_IID_IDispatch, &out), OV_E_NOINTERFACE);
    EXPECT_EQ(DllGetClassObject(&clsid, &OV_IID_IClassFactory, nullptr), OV_E_POINTER);
    EXPECT_EQ(OvCoCreateInstance(&unknown, &OV_IID_IDispatch, &out), OV_REGDB_E_CLASSNOTREG);
    EXPECT_EQ(OvGuidFromString("{not a guid}", &unknown), OV_E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
}

TEST_F(ComponentServer, InstancesOfferTheirInterfacesAndReportAutomationErrors) {
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    OvDispatch* tabs = Create(kTabHead);
    ASSERT_NE(tabs, nullptr);
    auto* persist = Query<OvPersistPropertyBag>(tabs, OV_IID_IPersistPropertyBag);
    ASSERT_NE(persist, nullptr);
    EXPECT_EQ(persist->lpVtbl->InitNew(persist), OV_S_OK);
    EXPECT_EQ(persist->lpVtbl->InitNew(persist), OV_E_UNEXPECTED);

    EXPECT_EQ(Put(tabs, "TabString", Text("One,Two")), OV_S_OK);
    OvExcepInfo error{};
    EXPECT_EQ(Put(tabs, "SelectedColor", Text("not a colour"), &error), OV_DISP_E_EXCEPTION);
    EXPECT_EQ(error.number, 13);
    EXPECT_STREQ(error.source, "OrvelleControls.OVTabHead");
    OvExcepInfoClear(&error);
    std::int32_t dispid = 0;
    EXPECT_EQ(tabs->lpVtbl->GetIDOfName(tabs, "NoSuchMember", &dispid), OV_DISP_E_UNKNOWNNAME);
    EXPECT_EQ(tabs->lpVtbl->Invoke(tabs, 4242, OV_DISPATCH_PROPERTYGET, nullptr, 0, nullptr, nullptr),
              OV_DISP_E_MEMBERNOTFOUND);
    // An object that is not this server's cannot be passed in.
    OvDispatchVtbl foreign_vtbl = *tabs->lpVtbl;
    OvDispatch foreign{&foreign_vtbl};
    OvVariant object;
    object.vt = OV_VT_DISPATCH;
    object.u.pdispVal = &foreign;
    ASSERT_EQ(tabs->lpVtbl->GetIDOfName(tabs, "TabString", &dispid), OV_S_OK);
    EXPECT_EQ(tabs->lpVtbl->Invoke(tabs, dispid, OV_DISPATCH_PROPERTYPUT, &object, 1, nullptr, &error),
              OV_DISP_E_EXCEPTION);
    EXPECT_EQ(error.number, 13);
    OvExcepInfoClear(&error);

    // Events reach every advised sink, by reference.
    auto* events = Query<OvConnectionPoint>(tabs, OV_IID_IConnectionPoint);
    auto* control = Query<OvControl>(tabs, OV_IID_IOvControl);
    ASSERT_TRUE(events && control);
    struct Seen {
        std::string names;
    } seen;
    std::uint32_t cookie = 0;
    ASSERT_EQ(events->lpVtbl->Advise(
                  events,
                  [](void* context, const char* event, std::int32_t, OvVariant* args, std::uint32_t count) {
                      static_cast<Seen*>(context)->names += std::string(event) + "/" + std::to_string(count) + " ";
                      if (std::string(event) == "TabSelected") {
                          OvVariantClear(&args[0]);
                          args[0].vt = OV_VT_I2;
                          args[0].u.iVal = 0;  // the handler sends the selection back to the first tab
                      }
                  },
                  &seen, &cookie),
              OV_S_OK);
    ASSERT_EQ(control->lpVtbl->FireEvent(control, "lblTabItem(1)", "Click", nullptr, 0, nullptr), OV_S_OK);
    EXPECT_EQ(seen.names, "TabSelected/2 ");
    OvVariant selected = Get(tabs, "SelectedTab");
    ASSERT_EQ(selected.vt, OV_VT_BSTR);
    EXPECT_STREQ(selected.u.bstrVal, "0");
    OvVariantClear(&selected);
    EXPECT_EQ(events->lpVtbl->Unadvise(events, cookie), OV_S_OK);
    EXPECT_EQ(events->lpVtbl->Unadvise(events, cookie), OV_CONNECT_E_NOCONNECTION);
    EXPECT_EQ(control->lpVtbl->FireEvent(control, "NoSuchPart", "Click", nullptr, 0, &error), OV_DISP_E_EXCEPTION);
    OvExcepInfoClear(&error);

    // An object a member hands out (the font) keeps the server loaded too.
    OvDispatch* logo = Create("OrvelleControls.OVSideLogo");
    ASSERT_NE(logo, nullptr);
    OvVariant font = Get(logo, "Font");
    ASSERT_EQ(font.vt, OV_VT_DISPATCH);
    logo->lpVtbl->Release(logo);
    events->lpVtbl->Release(events);
    control->lpVtbl->Release(control);
    persist->lpVtbl->Release(persist);
    tabs->lpVtbl->Release(tabs);
    EXPECT_EQ(DllCanUnloadNow(), OV_S_FALSE);
    OvVariant size = Get(font.u.pdispVal, "Size");
    EXPECT_EQ(size.vt, OV_VT_R8);
    OvVariantClear(&font);

    // A class that is not a control has no control interfaces.
    OvDispatch* gradient = Create("OrvelleControls.clsGradient");
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(Query<OvControl>(gradient, OV_IID_IOvControl), nullptr);
    EXPECT_EQ(Put(gradient, "Angle", Long(45)), OV_S_OK);
    gradient->lpVtbl->Release(gradient);
}

// A by-reference argument the member does not assign comes back to a C caller exactly as it
// passed it: the balloon's style, an Integer or a Double, is not rewritten as the Long the
// member worked with.
TEST_F(ComponentServer, ByReferenceArgumentsComeBackAsTheCallerPassedThem) {
    setenv("ORVELLE_NOTIFY_AREA", "recording", 1);
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    OvDispatch* tray = Create("OrvelleControls.OVTrayIcon");
    ASSERT_NE(tray, nullptr);
    OvVariant on;
    on.vt = OV_VT_BOOL;
    on.u.boolVal = -1;
    ASSERT_EQ(Put(tray, "SetSysTray", on), OV_S_OK);
    std::int32_t dispid = 0;
    ASSERT_EQ(tray->lpVtbl->GetIDOfName(tray, "PopupBalloon", &dispid), OV_S_OK);
    OvVariant integer;
    integer.vt = OV_VT_I2;
    integer.u.iVal = 18;
    OvVariant real;
    real.vt = OV_VT_R8;
    real.u.dblVal = 2.5;
    for (const OvVariant& style : {integer, real}) {
        OvVariant args[3] = {Text("Saved"), Text("Backup"), style};
        EXPECT_EQ(tray->lpVtbl->Invoke(tray, dispid, OV_DISPATCH_METHOD, args, 3, nullptr, nullptr), OV_S_OK);
        ASSERT_EQ(args[0].vt, OV_VT_BSTR);
        EXPECT_STREQ(args[0].u.bstrVal, "Saved");
        ASSERT_EQ(args[1].vt, OV_VT_BSTR);
        EXPECT_STREQ(args[1].u.bstrVal, "Backup");
        ASSERT_EQ(args[2].vt, style.vt);
        if (style.vt == OV_VT_I2) EXPECT_EQ(args[2].u.iVal, 18);
        else EXPECT_EQ(args[2].u.dblVal, 2.5);
        for (OvVariant& arg : args) OvVariantClear(&arg);
    }
    OvVariant off;
    off.vt = OV_VT_BOOL;
    off.u.boolVal = 0;
    EXPECT_EQ(Put(tray, "SetSysTray", off), OV_S_OK);
    tray->lpVtbl->Release(tray);
    EXPECT_EQ(DllUnregisterServer(), OV_S_OK);
}

TEST_F(ComponentServer, BagsRoundTripAndHostileBagsAreRefused) {
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    OvDispatch* tabs = Create(kTabHead);
    ASSERT_EQ(Put(tabs, "TabString", Text("Red,Green")), OV_S_OK);
    auto* persist = Query<OvPersistPropertyBag>(tabs, OV_IID_IPersistPropertyBag);
    const fs::path bag = config_ / "tabs.bag";
    ASSERT_EQ(persist->lpVtbl->Save(persist, bag.c_str()), OV_S_OK);
    persist->lpVtbl->Release(persist);
    tabs->lpVtbl->Release(tabs);

    struct Case {
        const char* what;
        std::string contents;  // empty: no file at all
        OvResult expected;
    };
    WriteFile(config_ / "garbage.bag", "\x01\x02 not a bag");
    WriteFile(config_ / "truncated.bag", ReadFile(bag).substr(0, ReadFile(bag).size() / 2));
    const Case cases[] = {
        {"the saved bag", bag.string(), OV_S_OK},
        {"garbage", (config_ / "garbage.bag").string(), OV_STG_E_INVALIDHEADER},
        {"truncated", (config_ / "truncated.bag").string(), OV_STG_E_INVALIDHEADER},
        {"missing", (config_ / "missing.bag").string(), OV_STG_E_FILENOTFOUND},
        {"a folder", config_.string(), OV_STG_E_FILENOTFOUND},
        {"a device", "/dev/zero", OV_STG_E_FILENOTFOUND},
    };
    for (const Case& c : cases) {
        OvDispatch* loaded = Create(kTabHead);
        auto* loader = Query<OvPersistPropertyBag>(loaded, OV_IID_IPersistPropertyBag);
        EXPECT_EQ(loader->lpVtbl->Load(loader, c.contents.c_str()), c.expected) << c.what;
        if (c.expected == OV_S_OK) {
            OvVariant text = Get(loaded, "TabString");
            EXPECT_STREQ(text.u.bstrVal, "Red,Green");
            OvVariantClear(&text);
        }
        loader->lpVtbl->Release(loader);
        loaded->lpVtbl->Release(loaded);
    }
}

// A value no bag can hold is left out of the saved file with nothing else: Save succeeds.
TEST_F(ComponentServer, SaveLeavesOutOnlyTheValueNoBagCanHold) {
    ASSERT_EQ(DllRegisterServer(), OV_S_OK);
    for (const double angle : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()}) {
        OvDispatch* panel = Create("OrvelleControls.OVGradientPanel");
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(Put(panel, "Caption", Text("kept")), OV_S_OK);
        OvVariant value;
        value.vt = OV_VT_R8;
        value.u.dblVal = angle;
        ASSERT_EQ(Put(panel, "GradientAngle", value), OV_S_OK);
        auto* persist = Query<OvPersistPropertyBag>(panel, OV_IID_IPersistPropertyBag);
        const fs::path bag = config_ / "panel.bag";
        EXPECT_EQ(persist->lpVtbl->Save(persist, bag.c_str()), OV_S_OK) << angle;
        const std::string saved = ReadFile(bag);
        EXPECT_NE(saved.find("\"kept\""), std::string::npos) << saved;
        EXPECT_EQ(saved.find("GradientAngle"), std::string::npos) << saved;
        persist->lpVtbl->Release(persist);
        panel->lpVtbl->Release(panel);
    }
}

TEST_F(ComponentServer, HostileRegistryFilesGiveResultCodesAndAreLeftAlone) {
    fs::create_directories(registry().parent_path());
    struct Case {
        const char* what;
        std::string contents;
    };
    const Case cases[] = {
        {"truncated", R"({"format": "OrvelleControls component registry", "version": 1, "classes": [)"},
        {"an array", "[1, 2, 3]"},
        {"another format", R"({"format": "something else", "version": 1, "classes": []})"},
        {"a later version", R"({"format": "OrvelleControls component registry", "version": 2, "classes": []})"},
        {"a class without its server", R"({"format": "OrvelleControls component registry", "version": 1,)"
                                       R"( "classes": [{"clsid": "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7001}"}]})"},
        {"deeply nested", std::string(100000, '[') + std::string(100000, ']')},
        {"binary", std::string("\0\xff\xfe", 3)},
    };
    for (const Case& c : cases) {
        WriteFile(registry(), c.contents);
        OvGuid clsid;
        EXPECT_EQ(OvCLSIDFromProgID(kTabHead, &clsid), OV_REGDB_E_READREGDB) << c.what;
        EXPECT_EQ(DllRegisterServer(), OV_SELFREG_E_CLASS) << c.what;
        EXPECT_EQ(DllUnregisterServer(), OV_SELFREG_E_CLASS) << c.what;
        EXPECT_EQ(ReadFile(registry()), c.contents) << c.what << ": the file was changed";
    }

    // A registered class whose library has gone.
    WriteFile(registry(),
              R"({"format": "OrvelleControls component registry", "version": 1, "classes": [)"
              R"({"clsid": "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7005}", "progid": "OrvelleControls.OVTabHead",)"
              R"( "name": "OVTabHead", "server": "/nonexistent/libOrvelleControls.so", "typelib": "x"}]})");
    OvGuid clsid;
    ASSERT_EQ(OvCLSIDFromProgID(kTabHead, &clsid), OV_S_OK);
    void* out = nullptr;
    EXPECT_EQ(OvCoCreateInstance(&clsid, &OV_IID_IDispatch, &out), OV_CO_E_DLLNOTFOUND);
    // No registry at all: nothing is registered.
    fs::remove(registry());
    EXPECT_EQ(OvCLSIDFromProgID(kTabHead, &clsid), OV_CO_E_CLASSSTRING);
    EXPECT_EQ(DllUnregisterServer(), OV_S_OK);
}

}  // namespace
