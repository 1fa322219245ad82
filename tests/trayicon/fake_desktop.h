#pragma once
// A desktop of our own for the tray's round-trip test: a private session bus (a dbus-daemon
// started for the test) with a StatusNotifierWatcher and a notification server on one
// connection, served on a thread of their own, as a real desktop serves from another process.
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ov::testing_support {

// dbus-daemon --session on a socket in a fresh folder; DBUS_SESSION_BUS_ADDRESS points at it
// for the bus's lifetime.
class PrivateSessionBus {
public:
    static bool DaemonInstalled();
    PrivateSessionBus();
    ~PrivateSessionBus();
    bool running() const { return pid_ > 0; }

private:
    std::string folder_;
    int pid_ = -1;
};

struct ShownNotification {
    std::uint32_t id = 0;
    std::string app_icon, summary, body;
    std::vector<std::string> actions;
    bool suppress_sound = false;
    std::int32_t expire_timeout = 0;
};

struct ToolTip {
    std::string title;
    int icon_width = 0, icon_height = 0;
    std::vector<std::uint8_t> icon_bytes;  // ARGB32, network order
};

class FakeDesktop {
public:
    FakeDesktop();  // on the current session bus; names are owned when it returns
    ~FakeDesktop();
    bool ok() const { return ok_; }

    // Runs `work` on the desktop's thread and returns when it is done, turning `pump` (the
    // host's message loop) meanwhile: the work may call into the process under test.
    void Run(const std::function<void(sd_bus*)>& work, const std::function<void()>& pump);

    // Shared with the desktop's thread: read them only between Runs.
    std::vector<std::string> registered_items;
    std::vector<ShownNotification> notifications;

    static ToolTip ReadToolTip(sd_bus* bus, const std::string& item);
    static void CallItem(sd_bus* bus, const std::string& item, const char* method, int x, int y);
    static void EmitClosed(sd_bus* bus, std::uint32_t id, std::uint32_t reason);
    static void EmitActionInvoked(sd_bus* bus, std::uint32_t id, const char* action);

private:
    void Serve();
    static int OnRegisterItem(sd_bus_message* call, void* userdata, sd_bus_error*);
    static int OnNotify(sd_bus_message* call, void* userdata, sd_bus_error*);

    sd_bus* bus_ = nullptr;
    sd_bus_slot* watcher_ = nullptr;
    sd_bus_slot* server_ = nullptr;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::mutex jobs_mutex_;
    std::vector<std::packaged_task<void()>> jobs_;
    std::uint32_t next_id_ = 1;
    std::thread thread_;
};

}  // namespace ov::testing_support
