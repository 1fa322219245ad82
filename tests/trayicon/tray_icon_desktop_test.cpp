// OVTrayIcon on the desktop backend, against a private session bus with a watcher and a
// notification server of our own: the icon and its tip reach the watcher's side, a balloon
// reaches the notification server, and closing, clicking and activating come back as events
// through the host's message loop.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fake_desktop.h"
#include "support/hosted_control.h"
#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/notifyarea/desktop_tray.h"
#include "platform/picture/picture.h"
#include "platform/runtime/dispatch.h"
#include "trayicon/tray_icon.h"

namespace ov::trayicon {
namespace {

using testing_support::FakeDesktop;
using testing_support::PrivateSessionBus;
using testing_support::RaisedEvent;

class TrayIconOnDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PrivateSessionBus::DaemonInstalled())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps.sh installs it)";
        gdi::Screen() = gdi::ScreenSettings{};
        // No display either: a system tray on the desktop running the tests would be somewhere
        // to show the icon without a watcher.
        if (const char* display = std::getenv("DISPLAY")) display_ = display;
        unsetenv("DISPLAY");
        bus_ = std::make_unique<PrivateSessionBus>();
        ASSERT_TRUE(bus_->running());
        ASSERT_TRUE(notifyarea::ConnectDesktopTray(false) == nullptr) << "no watcher or server yet: no desktop tray";
        desktop_ = std::make_unique<FakeDesktop>();
        ASSERT_TRUE(desktop_->ok());
        auto area = notifyarea::ConnectDesktopTray(false);
        ASSERT_TRUE(area != nullptr);
        previous_area_ = notifyarea::InstallNotificationArea(std::move(area));
        host_ = testing_support::FreshHost(testing_support::RegistryOf<OVTrayIcon>("OVTrayIcon", 1800, 375), record_);
        host_->New("Y", "OVTrayIcon");
    }
    void TearDown() override {
        host_.reset();
        notifyarea::InstallNotificationArea(std::move(previous_area_));
        desktop_.reset();
        bus_.reset();
        if (icon_) gdi::DestroyIcon(icon_);
        if (display_) setenv("DISPLAY", display_->c_str(), 1);
    }

    IDispatch& Tray() { return *host_->Find("Y"); }
    void Pump() { host_->ProcessMessages(); }
    void OnDesktop(const std::function<void(sd_bus*)>& work) {
        desktop_->Run(work, [this] { Pump(); });
    }
    // Turns the message loop until `count` events have arrived (or five seconds passed).
    void WaitForEvents(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (events_.size() < count && std::chrono::steady_clock::now() < deadline) {
            Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    void Balloon(const char* text, const char* title, std::int32_t style) {
        std::vector<Variant> args = {Variant::FromString(text), Variant::FromString(title), Variant::FromLong(style)};
        CallMethod(Tray(), "PopupBalloon", args);
    }
    // Loads the tour's icon into a picture, assigns it to TrayIcon and lets the picture go;
    // returns the icon's pixels.
    std::vector<std::uint32_t> AssignLoadedPicture() {
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
        const std::shared_ptr<Picture> picture = LoadPicture(ORVELLE_SOURCE_ROOT "/examples/pictures/tray.ico");
        EXPECT_TRUE(gdi::GetIconPixels(picture->handle(), &width, &height, &pixels));
        EXPECT_FALSE(pixels.empty());
        PutProperty(Tray(), "TrayIcon", Variant::FromObject(picture));
        return pixels;
    }
    // The tip's pixmap as 0xAARRGGBB words (it travels in network byte order).
    static std::vector<std::uint32_t> PublishedPixels(const testing_support::ToolTip& tip) {
        std::vector<std::uint32_t> words(tip.icon_bytes.size() / 4);
        for (std::size_t i = 0; i < tip.icon_bytes.size(); ++i) words[i / 4] = (words[i / 4] << 8) | tip.icon_bytes[i];
        return words;
    }
    std::vector<std::string> EventNames() const {
        std::vector<std::string> names;
        for (const RaisedEvent& e : events_) names.push_back(e.event);
        return names;
    }

    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<FakeDesktop> desktop_;
    std::unique_ptr<notifyarea::NotificationArea> previous_area_;
    testing_support::HostRecord record_;
    std::vector<RaisedEvent>& events_ = record_.events;
    std::unique_ptr<host::ReferenceHost> host_;
    gdi::HICON icon_ = 0;
    std::optional<std::string> display_;
};

TEST_F(TrayIconOnDesktop, RoundTrip) {
    const std::uint32_t pixels[] = {0xFF102030, 0x80FFFFFF, 0x00000000, 0xFF0000FF};
    icon_ = gdi::CreateIconFromArgb(2, 2, pixels);
    PutProperty(Tray(), "TrayIcon", Variant::FromLong(static_cast<std::int32_t>(icon_)));
    PutProperty(Tray(), "InfoTip", Variant::FromString("Backup"));
    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
    ASSERT_EQ(desktop_->registered_items.size(), 1u);
    const std::string item = desktop_->registered_items[0];
    // The program frees its icon once it was passed; the desktop still has its pixels, also
    // after an update that names the freed icon again.
    gdi::DestroyIcon(icon_);
    icon_ = 0;

    // The tip and the icon's pixels, as the watcher's side reads them.
    testing_support::ToolTip tip;
    OnDesktop([&](sd_bus* bus) { tip = FakeDesktop::ReadToolTip(bus, item); });
    EXPECT_EQ(tip.title, "Backup");
    EXPECT_EQ(tip.icon_width, 2);
    EXPECT_EQ(tip.icon_height, 2);
    EXPECT_EQ(tip.icon_bytes, (std::vector<std::uint8_t>{0xFF, 0x10, 0x20, 0x30, 0x80, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                                                         0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF}));
    const std::vector<std::uint8_t> first_icon = tip.icon_bytes;
    PutProperty(Tray(), "InfoTip", Variant::FromString("Done"));
    OnDesktop([&](sd_bus* bus) { tip = FakeDesktop::ReadToolTip(bus, item); });
    EXPECT_EQ(tip.title, "Done");
    EXPECT_EQ(tip.icon_bytes, first_icon);

    // A loaded picture assigned and released at once, as `Y.TrayIcon = LoadPicture(...)` does,
    // while the icon is in the area: the desktop reads the picture's pixels.
    const std::vector<std::uint32_t> loaded = AssignLoadedPicture();
    OnDesktop([&](sd_bus* bus) { tip = FakeDesktop::ReadToolTip(bus, item); });
    EXPECT_EQ(PublishedPixels(tip), loaded);

    // Balloons: shown, then closed as expired (1), dismissed (2), closed by a call (3: nothing),
    // clicked. The callbacks are read straight off a sink here, so the two closings can be
    // told apart (the host turns both into BalloonTimeoutOrHide, see the control's tests).
    struct Close {
        std::int32_t style;
        const char* icon_name;
        bool no_sound;
        std::function<void(sd_bus*, std::uint32_t)> close;
        std::vector<std::uint32_t> callbacks;
    };
    const Close closes[] = {
        {18,
         "dialog-warning",
         true,
         [](sd_bus* b, std::uint32_t id) { FakeDesktop::EmitClosed(b, id, 1); },
         {1026, 1028}},
        {1,
         "dialog-information",
         false,
         [](sd_bus* b, std::uint32_t id) { FakeDesktop::EmitClosed(b, id, 2); },
         {1026, 1027}},
        {3, "dialog-error", false, [](sd_bus* b, std::uint32_t id) { FakeDesktop::EmitClosed(b, id, 3); }, {1026}},
        {0,
         "",
         false,
         [](sd_bus* b, std::uint32_t id) { FakeDesktop::EmitActionInvoked(b, id, "default"); },
         {1026, 1029}},
    };
    const gdi::HWND window = host_->FindControl("Y")->hWnd();
    for (const Close& c : closes) {
        // A sink of the test's own claims the icon's window over the host's, the newer claim.
        notifyarea::CallbackSink sink([window](gdi::HWND w) { return w == window; });
        std::vector<std::uint32_t> callbacks;
        const auto take = [&] {
            for (const notifyarea::CallbackMessage& m : sink.Take()) {
                EXPECT_EQ(m.window, window);
                EXPECT_EQ(m.message, 512u);
                callbacks.push_back(m.x_message);
            }
        };
        Balloon("Saved", "Backup", c.style);
        ASSERT_FALSE(desktop_->notifications.empty());
        const testing_support::ShownNotification shown = desktop_->notifications.back();
        EXPECT_EQ(shown.summary, "Backup");
        EXPECT_EQ(shown.body, "Saved");
        EXPECT_EQ(shown.app_icon, c.icon_name);
        EXPECT_EQ(shown.suppress_sound, c.no_sound);
        EXPECT_EQ(shown.expire_timeout, 10000);
        desktop_->Run([&](sd_bus* bus) { c.close(bus, shown.id); }, take);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (callbacks.size() < c.callbacks.size() && std::chrono::steady_clock::now() < deadline) take();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        take();
        EXPECT_EQ(callbacks, c.callbacks) << c.style;
    }
    // One balloon all the way into the control's events.
    events_.clear();
    Balloon("Saved", "Backup", 0);
    OnDesktop([&](sd_bus* bus) { FakeDesktop::EmitActionInvoked(bus, desktop_->notifications.back().id, "default"); });
    WaitForEvents(2);
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"BalloonShow", "BalloonClick"}));

    // The desktop's clicks: the cursor is where it said.
    struct Click {
        const char* method;
        std::int16_t button;
    };
    for (const Click& c : {Click{"Activate", 1}, Click{"ContextMenu", 2}, Click{"SecondaryActivate", 4}}) {
        events_.clear();
        OnDesktop([&](sd_bus* bus) { FakeDesktop::CallItem(bus, item, c.method, 40, 700); });
        WaitForEvents(2);
        ASSERT_EQ(EventNames(), (std::vector<std::string>{"MouseDown", "MouseUp"})) << c.method;
        for (const RaisedEvent& e : events_) {
            EXPECT_EQ(CInt(e.args[0]), c.button) << c.method;
            EXPECT_EQ(CSng(e.args[1]), 40.0f);
            EXPECT_EQ(CSng(e.args[2]), 700.0f);
        }
    }

    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(false));
    OnDesktop([&](sd_bus* bus) {
        EXPECT_LT(sd_bus_get_name_creds(bus, item.c_str(), 0, nullptr), 0) << "the item left the bus";
    });

    // The same picture assigned and released before the icon is added, as the tour does.
    const std::vector<std::uint32_t> reloaded = AssignLoadedPicture();
    PutProperty(Tray(), "SetSysTray", Variant::FromBoolean(true));
    ASSERT_EQ(desktop_->registered_items.size(), 2u);
    OnDesktop([&](sd_bus* bus) { tip = FakeDesktop::ReadToolTip(bus, desktop_->registered_items[1]); });
    EXPECT_EQ(PublishedPixels(tip), reloaded);
}

}  // namespace
}  // namespace ov::trayicon
