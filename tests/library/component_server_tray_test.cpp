// Two tray icons of two component-server objects in one process, through the C interface only,
// on the desktop backend against a private session bus with a desktop of our own: each object
// gets the desktop's calls on its own icon, and running one object's loop never takes the
// other's callbacks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "orvelle/orvelle.h"
#include "trayicon/fake_desktop.h"

namespace {

namespace fs = std::filesystem;
using ov::testing_support::FakeDesktop;
using ov::testing_support::PrivateSessionBus;

template <typename Face>
Face* Query(OvDispatch* object, const OvGuid& iid) {
    void* face = nullptr;
    return object->lpVtbl->QueryInterface(object, &iid, &face) == OV_S_OK ? static_cast<Face*>(face) : nullptr;
}

// One OVTrayIcon object with its icon in the area, its events written down.
struct TrayObject {
    OvDispatch* object = nullptr;
    OvControl* control = nullptr;
    OvConnectionPoint* events = nullptr;
    std::vector<std::string> seen;

    explicit TrayObject(const OvGuid& clsid) {
        EXPECT_EQ(OvCoCreateInstance(&clsid, &OV_IID_IDispatch, reinterpret_cast<void**>(&object)), OV_S_OK);
        if (!object) return;
        control = Query<OvControl>(object, OV_IID_IOvControl);
        events = Query<OvConnectionPoint>(object, OV_IID_IConnectionPoint);
        std::uint32_t cookie = 0;
        EXPECT_EQ(events->lpVtbl->Advise(
                      events,
                      [](void* context, const char* event, std::int32_t, OvVariant*, std::uint32_t) {
                          static_cast<TrayObject*>(context)->seen.push_back(event);
                      },
                      this, &cookie),
                  OV_S_OK);
        std::int32_t dispid = 0;
        EXPECT_EQ(object->lpVtbl->GetIDOfName(object, "SetSysTray", &dispid), OV_S_OK);
        OvVariant on;
        on.vt = OV_VT_BOOL;
        on.u.boolVal = -1;
        EXPECT_EQ(object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYPUT, &on, 1, nullptr, nullptr), OV_S_OK);
    }
    ~TrayObject() {
        if (events) events->lpVtbl->Release(events);
        if (control) control->lpVtbl->Release(control);
        if (object) object->lpVtbl->Release(object);
    }
    void RunLoop() { control->lpVtbl->Wait(control, 0); }
};

TEST(ComponentServerTray, EachObjectGetsItsOwnIconsCallbacks) {
    if (!PrivateSessionBus::DaemonInstalled())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps.sh installs it)";
    const fs::path config = fs::temp_directory_path() / "orvelle-server-tray";
    fs::remove_all(config);
    fs::create_directories(config);
    unsetenv("ORVELLE_REGISTRY");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // The server's area is chosen at its first call: the desktop, on the private bus.
    setenv("ORVELLE_NOTIFY_AREA", "desktop", 1);
    unsetenv("DISPLAY");
    {
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.running());
        FakeDesktop desktop;
        ASSERT_TRUE(desktop.ok());
        ASSERT_EQ(DllRegisterServer(), OV_S_OK);
        OvGuid clsid;
        ASSERT_EQ(OvCLSIDFromProgID("OrvelleControls.OVTrayIcon", &clsid), OV_S_OK);
        {
            TrayObject first(clsid), second(clsid);
            ASSERT_TRUE(first.control && second.control);
            ASSERT_EQ(desktop.registered_items.size(), 2u);
            struct Case {
                TrayObject* clicked;
                TrayObject* running;  // the object whose loop answers the desktop
                TrayObject* waiting;
                std::string item;
            };
            const Case cases[] = {
                {&second, &first, &second, desktop.registered_items[1]},
                {&first, &second, &first, desktop.registered_items[0]},
            };
            for (const Case& c : cases) {
                first.seen.clear();
                second.seen.clear();
                desktop.Run([&](sd_bus* b) { FakeDesktop::CallItem(b, c.item, "Activate", 3, 4); },
                            [&] { c.running->RunLoop(); });
                c.running->RunLoop();
                EXPECT_TRUE(c.running->seen.empty()) << "the running object took the other's callbacks";
                c.waiting->RunLoop();
                EXPECT_EQ(c.clicked->seen, (std::vector<std::string>{"MouseDown", "MouseUp"}));
            }
        }
        EXPECT_EQ(DllUnregisterServer(), OV_S_OK);
    }
    unsetenv("ORVELLE_NOTIFY_AREA");
    fs::remove_all(config);
}

}  // namespace
