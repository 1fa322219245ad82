#include "fake_desktop.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace ov::testing_support {

namespace {

constexpr const char* kDaemon = "/usr/bin/dbus-daemon";

// Whether the daemon accepts connections at `socket`: the file appears when the daemon binds it,
// a moment before it listens, and a client connecting in between is refused.
bool Accepts(const std::string& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.size() >= sizeof address.sun_path) return false;
    socket.copy(address.sun_path, socket.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

void Check(int r, const char* what) {
    if (r < 0) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(-r));
}

}  // namespace

bool PrivateSessionBus::DaemonInstalled() { return access(kDaemon, X_OK) == 0; }

PrivateSessionBus::PrivateSessionBus() {
    char folder[] = "/tmp/orvelle-bus-XXXXXX";
    if (!mkdtemp(folder)) return;
    folder_ = folder;
    const std::string socket = folder_ + "/bus";
    const std::string address = "--address=unix:path=" + socket;
    pid_ = fork();
    if (pid_ == 0) {
        // The daemon's complaints about its own limits are not the test's output.
        if (FILE* quiet = freopen("/dev/null", "w", stderr)) (void)quiet;
        execl(kDaemon, kDaemon, "--session", "--nofork", "--nopidfile", address.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) return;
    for (int i = 0; i < 500 && !Accepts(socket); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!Accepts(socket)) return;
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

FakeDesktop::FakeDesktop() {
    if (sd_bus_open_user(&bus_) < 0) return;
    static const sd_bus_vtable watcher[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", &FakeDesktop::OnRegisterItem, 0),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable server[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", &FakeDesktop::OnNotify, 0),
        SD_BUS_SIGNAL("NotificationClosed", "uu", 0),
        SD_BUS_SIGNAL("ActionInvoked", "us", 0),
        SD_BUS_VTABLE_END,
    };
    if (sd_bus_add_object_vtable(bus_, &watcher_, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher", watcher,
                                 this) < 0 ||
        sd_bus_add_object_vtable(bus_, &server_, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                 server, this) < 0 ||
        sd_bus_request_name(bus_, "org.kde.StatusNotifierWatcher", 0) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.Notifications", 0) < 0)
        return;
    ok_ = true;
    thread_ = std::thread([this] { Serve(); });
}

FakeDesktop::~FakeDesktop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    sd_bus_slot_unref(watcher_);
    sd_bus_slot_unref(server_);
    if (bus_) sd_bus_flush_close_unref(bus_);
}

void FakeDesktop::Serve() {
    while (!stop_) {
        while (sd_bus_process(bus_, nullptr) > 0) {}
        std::vector<std::packaged_task<void()>> jobs;
        {
            std::lock_guard lock(jobs_mutex_);
            jobs.swap(jobs_);
        }
        for (auto& job : jobs) job();
        sd_bus_wait(bus_, 10'000);
    }
}

void FakeDesktop::Run(const std::function<void(sd_bus*)>& work, const std::function<void()>& pump) {
    std::packaged_task<void()> task([this, &work] { work(bus_); });
    std::future<void> done = task.get_future();
    {
        std::lock_guard lock(jobs_mutex_);
        jobs_.push_back(std::move(task));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the desktop did not answer");
        pump();
    }
    done.get();
}

int FakeDesktop::OnRegisterItem(sd_bus_message* call, void* userdata, sd_bus_error*) {
    const char* service = nullptr;
    int r;
    if ((r = sd_bus_message_read(call, "s", &service)) < 0) return r;
    static_cast<FakeDesktop*>(userdata)->registered_items.push_back(service);
    return sd_bus_reply_method_return(call, "");
}

int FakeDesktop::OnNotify(sd_bus_message* call, void* userdata, sd_bus_error*) {
    auto& desktop = *static_cast<FakeDesktop*>(userdata);
    ShownNotification shown;
    int r;
    const char *app = nullptr, *icon = nullptr, *summary = nullptr, *body = nullptr;
    std::uint32_t replaces = 0;
    if ((r = sd_bus_message_read(call, "susss", &app, &replaces, &icon, &summary, &body)) < 0) return r;
    char** actions = nullptr;
    if ((r = sd_bus_message_read_strv(call, &actions)) < 0) return r;
    for (char** a = actions; a && *a; ++a) {
        shown.actions.push_back(*a);
        free(*a);
    }
    free(actions);
    if ((r = sd_bus_message_enter_container(call, 'a', "{sv}")) < 0) return r;
    while ((r = sd_bus_message_enter_container(call, 'e', "sv")) > 0) {
        const char* key = nullptr;
        if ((r = sd_bus_message_read(call, "s", &key)) < 0) return r;
        if (std::string(key) == "suppress-sound") {
            int value = 0;
            if ((r = sd_bus_message_read(call, "v", "b", &value)) < 0) return r;
            shown.suppress_sound = value;
        } else {
            if ((r = sd_bus_message_skip(call, "v")) < 0) return r;
        }
        if ((r = sd_bus_message_exit_container(call)) < 0) return r;
    }
    if ((r = sd_bus_message_exit_container(call)) < 0) return r;
    if ((r = sd_bus_message_read(call, "i", &shown.expire_timeout)) < 0) return r;
    shown.id = desktop.next_id_++;
    shown.app_icon = icon;
    shown.summary = summary;
    shown.body = body;
    desktop.notifications.push_back(shown);
    return sd_bus_reply_method_return(call, "u", shown.id);
}

ToolTip FakeDesktop::ReadToolTip(sd_bus* bus, const std::string& item) {
    sd_bus_message* reply = nullptr;
    Check(sd_bus_get_property(bus, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", "ToolTip",
                              nullptr, &reply, "(sa(iiay)ss)"),
          "getting the tool tip");
    ToolTip tip;
    const char *icon_name = nullptr, *title = nullptr, *text = nullptr;
    Check(sd_bus_message_enter_container(reply, 'r', "sa(iiay)ss"), "entering the tool tip");
    Check(sd_bus_message_read(reply, "s", &icon_name), "reading the icon name");
    Check(sd_bus_message_enter_container(reply, 'a', "(iiay)"), "entering the pixmaps");
    if (sd_bus_message_enter_container(reply, 'r', "iiay") > 0) {
        const void* bytes = nullptr;
        std::size_t size = 0;
        Check(sd_bus_message_read(reply, "ii", &tip.icon_width, &tip.icon_height), "reading the pixmap size");
        Check(sd_bus_message_read_array(reply, 'y', &bytes, &size), "reading the pixmap");
        const auto* first = static_cast<const std::uint8_t*>(bytes);
        tip.icon_bytes.assign(first, first + size);
        Check(sd_bus_message_exit_container(reply), "leaving the pixmap");
    }
    Check(sd_bus_message_exit_container(reply), "leaving the pixmaps");
    Check(sd_bus_message_read(reply, "ss", &title, &text), "reading the texts");
    tip.title = title;
    sd_bus_message_unref(reply);
    return tip;
}

void FakeDesktop::CallItem(sd_bus* bus, const std::string& item, const char* method, int x, int y) {
    Check(sd_bus_call_method(bus, item.c_str(), "/StatusNotifierItem", "org.kde.StatusNotifierItem", method, nullptr,
                             nullptr, "ii", x, y),
          method);
}

void FakeDesktop::EmitClosed(sd_bus* bus, std::uint32_t id, std::uint32_t reason) {
    Check(sd_bus_emit_signal(bus, "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                             "NotificationClosed", "uu", id, reason),
          "NotificationClosed");
}

void FakeDesktop::EmitActionInvoked(sd_bus* bus, std::uint32_t id, const char* action) {
    Check(sd_bus_emit_signal(bus, "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked",
                             "us", id, action),
          "ActionInvoked");
}

}  // namespace ov::testing_support
