// OVTrayIcon against programs of a real desktop that no one here wrote: a private session bus
// (dbus-daemon), a virtual X server (Xvfb), Debian's dunst as the notification server (with a
// configuration of the test's own, so its mouse bindings and format are known),
// status-notifier-watcher as the StatusNotifierWatcher and trayer as an XEmbed system tray.
// Each case starts what it needs and skips, saying why, when a program is missing.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "desktop_programs.h"
#include "fake_desktop.h"
#include "support/hosted_control.h"
#include "host/reference/reference_host.h"
#include "platform/codepage/windows1252.h"
#include "platform/notifyarea/desktop_tray.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "support/scratch_dir.h"
#include "trayicon/tray_icon.h"

namespace ov::trayicon {
namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::FindProgram;
using testing_support::PollUntil;
using testing_support::RaisedEvent;

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kNotifications = "org.freedesktop.Notifications";

// Left click invokes the balloon's action and closes it, middle click only closes it; the
// format shows summary and body apart; nothing expires on the server's own clock.
constexpr const char* kDunstConfig = R"([global]
    markup = full
    format = "%s|%b"
    mouse_left_click = do_action, close_current
    mouse_middle_click = close_current
    mouse_right_click = close_all
[urgency_low]
    timeout = 0
[urgency_normal]
    timeout = 0
[urgency_critical]
    timeout = 0
)";

// Library text from the UTF-8 of this file.
std::string Text(const char* utf8) { return codepage::Utf8ToWindows1252(utf8); }

struct HistoryEntry {
    std::string app, summary, body;
};

class TrayIconOnRealDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* program : {"dbus-daemon", "Xvfb", "dunst", "dunstctl", "status-notifier-watcher"})
            if (FindProgram(program).empty())
                GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh installs it)";
        bus_ = std::make_unique<testing_support::PrivateSessionBus>();
        ASSERT_TRUE(bus_->running());
        display_ = std::make_unique<testing_support::VirtualDisplay>();
        ASSERT_TRUE(display_->running()) << "Xvfb did not start";
        ASSERT_GE(sd_bus_open_user(&observer_), 0);
        const std::string config = scratch_.Write("dunstrc", kDunstConfig);
        dunst_ = std::make_unique<ChildProcess>(std::vector<std::string>{FindProgram("dunst"), "-config", config},
                                                ChildProcess::Pipes{});
        StartWatcher();
        ASSERT_TRUE(PollUntil([&] { return HasOwner(kNotifications); }, 10s)) << "dunst did not take its name";
        UseArea(notifyarea::kShortestBalloonMilliseconds);
        host_ = testing_support::FreshHost(testing_support::RegistryOf<OVTrayIcon>("OVTrayIcon", 1800, 375), record_);
        host_->New("Y", "OVTrayIcon");
    }
    void TearDown() override {
        host_.reset();
        notifyarea::InstallNotificationArea(std::move(previous_area_));
        trayer_.reset();
        watcher_.reset();
        dunst_.reset();
        if (observer_) sd_bus_flush_close_unref(observer_);
        display_.reset();
        bus_.reset();
    }

    void UseArea(std::int32_t shortest_balloon_ms) {
        auto area = notifyarea::ConnectDesktopTray(false, shortest_balloon_ms);
        ASSERT_TRUE(area != nullptr);
        auto replaced = notifyarea::InstallNotificationArea(std::move(area));
        if (!previous_area_) previous_area_ = std::move(replaced);
    }

    void StartWatcher() {
        watcher_ = std::make_unique<ChildProcess>(std::vector<std::string>{FindProgram("status-notifier-watcher")},
                                                  ChildProcess::Pipes{});
        ASSERT_TRUE(PollUntil([&] { return HasOwner(kWatcher); }, 10s)) << "the watcher did not take its name";
    }
    void StopWatcher() {
        watcher_.reset();
        ASSERT_TRUE(PollUntil([&] { return !HasOwner(kWatcher); }, 5s));
    }

    bool HasOwner(const char* name) {
        sd_bus_message* reply = nullptr;
        int owned = 0;
        if (sd_bus_call_method(observer_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", nullptr, &reply, "s", name) >= 0)
            sd_bus_message_read(reply, "b", &owned);
        sd_bus_message_unref(reply);
        return owned != 0;
    }

    std::vector<std::string> RegisteredItems() {
        char** items = nullptr;
        std::vector<std::string> names;
        if (sd_bus_get_property_strv(observer_, kWatcher, "/StatusNotifierWatcher", kWatcher,
                                     "RegisteredStatusNotifierItems", nullptr, &items) < 0)
            return names;
        for (char** i = items; i && *i; ++i) {
            names.push_back(*i);
            std::free(*i);
        }
        std::free(items);
        return names;
    }

    // Calls the process under test from the test's own connection without blocking the loop
    // that answers: the call goes out, and the host idles on the area until the reply is in.
    // Returns the reply (null on error or time-out).
    sd_bus_message* CallWhileIdling(sd_bus_message* call) {
        struct Answer {
            sd_bus_message* reply = nullptr;
            bool done = false;
        } answer;
        sd_bus_slot* slot = nullptr;
        const auto on_reply = [](sd_bus_message* m, void* userdata, sd_bus_error*) {
            auto& a = *static_cast<Answer*>(userdata);
            a.done = true;
            if (!sd_bus_message_is_method_error(m, nullptr)) a.reply = sd_bus_message_ref(m);
            return 0;
        };
        if (sd_bus_call_async(observer_, &slot, call, on_reply, &answer, 5'000'000) < 0) return nullptr;
        sd_bus_flush(observer_);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!answer.done && std::chrono::steady_clock::now() < deadline) {
            host_->WaitForInput(sd_bus_get_fd(observer_), 20);
            while (sd_bus_process(observer_, nullptr) > 0) {}
        }
        sd_bus_slot_unref(slot);
        return answer.reply;
    }

    // The tip as the desktop reads it from the item: the ToolTip's title.
    std::optional<std::string> ToolTipTitle(const std::string& item) {
        sd_bus_message* call = nullptr;
        if (sd_bus_message_new_method_call(observer_, &call, item.c_str(), "/StatusNotifierItem",
                                           "org.freedesktop.DBus.Properties", "Get") < 0)
            return std::nullopt;
        sd_bus_message_append(call, "ss", "org.kde.StatusNotifierItem", "ToolTip");
        sd_bus_message* reply = CallWhileIdling(call);
        sd_bus_message_unref(call);
        if (!reply) return std::nullopt;
        const char *icon_name = nullptr, *title = nullptr, *text = nullptr;
        std::optional<std::string> result;
        if (sd_bus_message_enter_container(reply, 'v', "(sa(iiay)ss)") >= 0 &&
            sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss") >= 0 &&
            sd_bus_message_read(reply, "s", &icon_name) >= 0 && sd_bus_message_skip(reply, "a(iiay)") >= 0 &&
            sd_bus_message_read(reply, "ss", &title, &text) >= 0)
            result = title;
        sd_bus_message_unref(reply);
        return result;
    }

    std::string Dunstctl(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {FindProgram("dunstctl")};
        argv.insert(argv.end(), args.begin(), args.end());
        return testing_support::RunProgram(argv, 10s);
    }
    int Displayed() { return std::atoi(Dunstctl({"count", "displayed"}).c_str()); }
    bool DisplayedBecomes(int count) {
        return PollUntil([&] { return Displayed() == count; }, 5s);
    }
    // The balloon closed last, as dunst keeps it.
    HistoryEntry LastClosed() {
        const nlohmann::json history = nlohmann::json::parse(Dunstctl({"history"}), nullptr, false);
        HistoryEntry entry;
        if (history.is_discarded() || history["data"].empty() || history["data"][0].empty()) return entry;
        const nlohmann::json& last = history["data"][0][0];
        entry.app = last["appname"]["data"];
        entry.summary = last["summary"]["data"];
        entry.body = last["body"]["data"];
        return entry;
    }

    IDispatch& Tray() { return *host_->Find("Y"); }
    void Put(const char* property, Variant value) { PutProperty(Tray(), property, std::move(value)); }
    void Balloon(const std::string& text, const std::string& title, std::int32_t style = bsIconInformation) {
        std::vector<Variant> args = {Variant::FromString(text), Variant::FromString(title), Variant::FromLong(style)};
        CallMethod(Tray(), "PopupBalloon", args);
    }
    std::vector<std::string> EventNames() const {
        std::vector<std::string> names;
        for (const RaisedEvent& e : record_.events) names.push_back(e.event);
        return names;
    }
    // Idles on the notification area until `count` events have arrived (at most five seconds).
    bool IdleForEvents(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (record_.events.size() < count && std::chrono::steady_clock::now() < deadline)
            host_->WaitForInput(-1, 50);
        return record_.events.size() >= count;
    }
    // Idles for `time`, delivering whatever comes.
    void IdleFor(std::chrono::milliseconds time) { host_->WaitForInput(-1, static_cast<int>(time.count())); }

    testing_support::ScratchDir scratch_{"real-desktop"};
    std::unique_ptr<testing_support::PrivateSessionBus> bus_;
    std::unique_ptr<testing_support::VirtualDisplay> display_;
    sd_bus* observer_ = nullptr;
    std::unique_ptr<ChildProcess> dunst_, watcher_, trayer_;
    std::unique_ptr<notifyarea::NotificationArea> previous_area_;
    testing_support::HostRecord record_;
    std::unique_ptr<host::ReferenceHost> host_;
};

TEST_F(TrayIconOnRealDesktop, TextReachesTheDesktopAsUtf8AndBalloonsBehave) {
    Put("InfoTip", Variant::FromString(Text("Grüße")));
    Put("SetSysTray", Variant::FromBoolean(true));
    const std::vector<std::string> items = RegisteredItems();
    ASSERT_EQ(items.size(), 1u) << "the watcher has the icon";
    EXPECT_EQ(ToolTipTitle(items[0]), std::optional<std::string>("Grüße"));

    // Shown, then dismissed on the server: the texts as the server received them.
    Balloon(Text("Café ouvert"), Text("Menü – 1"));
    ASSERT_TRUE(IdleForEvents(1));
    ASSERT_TRUE(DisplayedBecomes(1));
    Dunstctl({"close"});
    ASSERT_TRUE(IdleForEvents(2));
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"BalloonShow", "BalloonTimeoutOrHide"}));
    const HistoryEntry closed = LastClosed();
    EXPECT_EQ(closed.summary, "Menü – 1");
    EXPECT_EQ(closed.body, "Café ouvert");
    EXPECT_EQ(closed.app, "Orvelle");

    // dunst reads body markup, so markup characters are sent as entities and show as typed.
    Balloon("<b>Save</b> & go", "Markup");
    ASSERT_TRUE(DisplayedBecomes(1));
    Dunstctl({"close"});
    ASSERT_TRUE(DisplayedBecomes(0));
    EXPECT_EQ(LastClosed().body, "&lt;b&gt;Save&lt;/b&gt; &amp; go");

    // A second balloon takes the first one's place; taking the icon away takes the balloon.
    Balloon("first", "One");
    Balloon("second", "Two");
    ASSERT_TRUE(DisplayedBecomes(1));
    IdleFor(100ms);
    EXPECT_EQ(Displayed(), 1);
    EXPECT_EQ(std::atoi(Dunstctl({"count", "waiting"}).c_str()), 0) << "nothing queued behind it";
    Put("SetSysTray", Variant::FromBoolean(false));
    EXPECT_TRUE(DisplayedBecomes(0));
    EXPECT_TRUE(PollUntil([&] { return RegisteredItems().empty(); }, 5s)) << "the item left the watcher";
}

TEST_F(TrayIconOnRealDesktop, AClickOnTheBalloonIsAClickOnly) {
    Put("SetSysTray", Variant::FromBoolean(true));
    Balloon("Backup done", "Backup");
    ASSERT_TRUE(IdleForEvents(1));
    // The configured left click: the balloon's action, then its closing.
    Dunstctl({"action", "0"});
    ASSERT_TRUE(IdleForEvents(2));
    ASSERT_TRUE(DisplayedBecomes(0));
    IdleFor(200ms);  // the closing that follows the action must not come out as a hide
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"BalloonShow", "BalloonClick"}));
}

TEST_F(TrayIconOnRealDesktop, ABalloonsTimeClosesIt) {
    UseArea(300);
    Put("SetSysTray", Variant::FromBoolean(true));
    Balloon("Soon gone", "Timer");
    ASSERT_TRUE(DisplayedBecomes(1));
    // dunst is told never to expire anything on its own clock beyond what the balloon asks.
    ASSERT_TRUE(IdleForEvents(2));
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"BalloonShow", "BalloonTimeoutOrHide"}));
    EXPECT_TRUE(DisplayedBecomes(0));
}

TEST_F(TrayIconOnRealDesktop, WithoutAWatcherBalloonsStillReachTheServer) {
    Put("SetSysTray", Variant::FromBoolean(true));
    StopWatcher();
    Balloon(Text("Café ouvert"), "Watcher gone");
    ASSERT_TRUE(IdleForEvents(1));
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"BalloonShow"}));
    EXPECT_TRUE(DisplayedBecomes(1));

    // An icon added now has nowhere to be shown (no watcher, no system tray on the display):
    // the caller is told, and its balloons still go out.
    Put("SetSysTray", Variant::FromBoolean(false));
    try {
        Put("SetSysTray", Variant::FromBoolean(true));
        ADD_FAILURE() << "adding the icon with nowhere to show it raised nothing";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), error::kInvalidProcedureCall);
        EXPECT_NE(error.description().find("no notification area"), std::string::npos) << error.description();
    }
    EXPECT_TRUE(CBool(GetProperty(Tray(), "SetSysTray")));
    Balloon("Still here", "Watcher gone");
    EXPECT_TRUE(DisplayedBecomes(1));
}

// The shell at its prompt, a separate process: the desktop's calls on its icon are answered at
// once and their events printed, in order, with no statement typed.
TEST_F(TrayIconOnRealDesktop, TheShellAtItsPromptAnswersTheDesktop) {
    ChildProcess shell({ORVELLE_CLI, "shell"}, {.input = true, .output = true}, {"ORVELLE_NOTIFY_AREA=desktop"});
    ASSERT_TRUE(shell.started());
    shell.Write("new S OVTrayIcon\nS.InfoTip = \"Grüße\"\nS.SetSysTray = True\n");
    ASSERT_TRUE(shell.ReadUntil("tray add", 10s)) << shell.output();
    ASSERT_TRUE(PollUntil([&] { return RegisteredItems().size() == 1; }, 5s));
    const std::string item = RegisteredItems()[0];

    struct Activation {
        const char* method;
        const char* signature;
        std::string printed;
    };
    const Activation activations[] = {
        {"Activate", "ii", "event S.MouseDown(1, 40, 700)\n"},
        {"SecondaryActivate", "ii", "event S.MouseDown(4, 41, 701)\n"},
        {"ContextMenu", "ii", "event S.MouseDown(2, 42, 702)\n"},
        {"Scroll", "is", "event S.MouseMove(0, 0, 42, 702)\n"},
    };
    int offset = 0;
    for (const Activation& a : activations) {
        sd_bus_message* call = nullptr;
        ASSERT_GE(sd_bus_message_new_method_call(observer_, &call, item.c_str(), "/StatusNotifierItem",
                                                 "org.kde.StatusNotifierItem", a.method),
                  0);
        if (std::string(a.signature) == "ii") sd_bus_message_append(call, "ii", 40 + offset, 700 + offset);
        else sd_bus_message_append(call, "is", 1, "vertical");
        ++offset;
        const auto start = std::chrono::steady_clock::now();
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int r = sd_bus_call(observer_, call, 1'000'000, &error, nullptr);
        const auto took = std::chrono::steady_clock::now() - start;
        sd_bus_message_unref(call);
        EXPECT_GE(r, 0) << a.method << ": " << (error.message ? error.message : "");
        sd_bus_error_free(&error);
        EXPECT_LT(took, 1s) << a.method;
        EXPECT_TRUE(shell.ReadUntil(a.printed, 2s)) << a.method << "\n" << shell.output();
    }
    // In the order the desktop called, each press followed by its release.
    const std::string& out = shell.output();
    std::size_t last = 0;
    for (const char* line : {"event S.MouseDown(1, 40, 700)", "event S.MouseUp(1, 40, 700)",
                             "event S.MouseDown(4, 41, 701)", "event S.MouseUp(4, 41, 701)",
                             "event S.MouseDown(2, 42, 702)", "event S.MouseUp(2, 42, 702)", "event S.MouseMove("}) {
        const std::size_t at = out.find(line, last);
        ASSERT_NE(at, std::string::npos) << line << "\n" << out;
        last = at;
    }
    // At the end of its input the shell ends and takes its icon away.
    shell.CloseInput();
    EXPECT_TRUE(PollUntil([&] { return RegisteredItems().empty(); }, 5s));
}

TEST_F(TrayIconOnRealDesktop, WithoutAWatcherTheIconDocksInTheSystemTray) {
    if (FindProgram("trayer").empty()) GTEST_SKIP() << "trayer is not installed (scripts/install-deps.sh installs it)";
    StopWatcher();
    testing_support::SystemTrayWindows x;
    ASSERT_TRUE(x.ok());
    trayer_ = std::make_unique<ChildProcess>(std::vector<std::string>{FindProgram("trayer")}, ChildProcess::Pipes{});
    ASSERT_TRUE(PollUntil([&] { return x.TrayPresent(); }, 10s)) << "trayer did not take the tray selection";

    Put("InfoTip", Variant::FromString(Text("Grüße")));
    Put("SetSysTray", Variant::FromBoolean(true));  // raises nothing: there is a tray
    std::uint32_t icon = 0;
    ASSERT_TRUE(PollUntil(
        [&] {
            host_->ProcessMessages();
            icon = x.Named("Grüße");
            return icon != 0 && x.Embedded(icon);
        },
        10s))
        << "the icon's window is in the tray";

    x.Click(icon, 1, 30, 460);
    ASSERT_TRUE(IdleForEvents(2));
    EXPECT_EQ(EventNames(), (std::vector<std::string>{"MouseDown", "MouseUp"}));
    for (const RaisedEvent& e : record_.events) {
        EXPECT_EQ(CInt(e.args[0]), 1);
        EXPECT_EQ(CSng(e.args[1]), 30.0f);
        EXPECT_EQ(CSng(e.args[2]), 460.0f);
    }

    // A watcher that starts takes the icon over, and the tray lets it go.
    StartWatcher();
    EXPECT_TRUE(PollUntil(
        [&] {
            host_->ProcessMessages();
            return RegisteredItems().size() == 1 && x.Named("Grüße") == 0;
        },
        10s));
}

}  // namespace
}  // namespace ov::trayicon
