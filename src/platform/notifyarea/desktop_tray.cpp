#include "platform/notifyarea/desktop_tray.h"

#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage/windows1252.h"
#include "platform/gdi/icon.h"
#include "platform/notifyarea/system_tray_display.h"

namespace ov::notifyarea {

namespace {

constexpr const char* kBusService = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";
constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kNotificationsService = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr const char* kApplicationName = "Orvelle";
constexpr std::uint64_t kCallTimeoutMicroseconds = 5'000'000;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
// A watcher that has its name but does not answer yet is asked again this often, this many times.
constexpr std::uint64_t kRegisterRetryMicroseconds = 100'000;
constexpr int kRegisterAttempts = 50;

// Reasons of NotificationClosed.
constexpr std::uint32_t kClosedExpired = 1, kClosedDismissed = 2, kClosedByCall = 3;

using ItemKey = std::pair<gdi::HWND, std::uint32_t>;

void CloseBus(sd_bus*& bus) {
    if (bus) sd_bus_flush_close_unref(bus);
    bus = nullptr;
}

// sd_bus_error's own cleanup as a scope.
struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&error); }
    // What went wrong, as library text (the bus speaks UTF-8).
    std::string Text(int r) const {
        const std::string utf8 = error.message ? error.message : std::strerror(r < 0 ? -r : r);
        return codepage::Utf8ToWindows1252(utf8);
    }
};

struct Reply {
    sd_bus_message* message = nullptr;
    ~Reply() { sd_bus_message_unref(message); }
};

std::uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

// The library's text as the bus takes it: D-Bus strings are UTF-8 and the library's are
// Windows-1252, every byte of which has a character, so nothing is lost on the way.
std::string BusText(std::string_view text) { return codepage::Windows1252ToUtf8(text); }

// Body text for a server that reads markup: the characters markup gives a meaning to,
// spelled as entities, so `<b>` and `&` show as typed.
std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&apos;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

// One descriptor for everything the tray waits on: an epoll set holding the buses and the
// display, and a timer for the buses' own deadlines and the balloons' time-outs.
class Wakeups {
public:
    Wakeups()
        : epoll_(epoll_create1(EPOLL_CLOEXEC)), timer_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
        Watch(timer_, EPOLLIN);
    }
    ~Wakeups() {
        if (timer_ >= 0) close(timer_);
        if (epoll_ >= 0) close(epoll_);
    }
    Wakeups(const Wakeups&) = delete;
    Wakeups& operator=(const Wakeups&) = delete;

    bool ok() const { return epoll_ >= 0 && timer_ >= 0; }
    int descriptor() const { return epoll_; }

    void Watch(int fd, std::uint32_t events) {
        if (fd < 0 || epoll_ < 0) return;
        epoll_event event{};
        event.events = events;
        event.data.fd = fd;
        if (epoll_ctl(epoll_, EPOLL_CTL_MOD, fd, &event) < 0 && errno == ENOENT)
            epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
    }
    void Forget(int fd) {
        if (fd >= 0 && epoll_ >= 0) epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    }
    // Makes the descriptor readable at `when` (monotonic microseconds; 0 at once, kNever not).
    void WakeAt(std::uint64_t when) {
        itimerspec arming{};
        if (when != kNever) {
            when = std::max<std::uint64_t>(when, 1);  // an all-zero time would disarm the timer
            arming.it_value.tv_sec = static_cast<time_t>(when / 1'000'000u);
            arming.it_value.tv_nsec = static_cast<long>(when % 1'000'000u) * 1000;
        }
        timerfd_settime(timer_, TFD_TIMER_ABSTIME, &arming, nullptr);
    }
    void Clear() {
        std::uint64_t expirations = 0;
        while (read(timer_, &expirations, sizeof expirations) > 0) {}
    }

private:
    int epoll_;
    int timer_;
};

struct IconPixels {
    gdi::HICON handle = 0;
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // 0xAARRGGBB, row-major, top-down; empty: no icon
};

// The pixels of the icon a record names. An icon freed since the last record that named the
// same handle keeps the copy already taken: a program may free its icon once it was passed.
void CopyIconPixels(gdi::HICON icon, IconPixels& copy) {
    IconPixels taken;
    taken.handle = icon;
    if (gdi::GetIconPixels(icon, &taken.width, &taken.height, &taken.argb)) copy = std::move(taken);
    else if (icon != copy.handle) copy = IconPixels{icon, 0, 0, {}};
}

class DesktopTray;

// One icon: its own connection, so that each item sits at the path watchers look at.
struct Item {
    gdi::HWND window = 0;
    std::uint32_t id = 0;
    std::uint32_t callback_message = 0;
    // A copy of the icon's pixels taken when a record named the icon: the program may free the
    // icon right after the call, and the desktop asks for the pixmap later.
    IconPixels icon;
    std::string tip;  // UTF-8
    std::string service;
    sd_bus* bus = nullptr;
    int fd = -1;  // the connection's, watched while the item lives
    sd_bus_slot* object = nullptr;
    gdi::POINT* cursor = nullptr;  // where the desktop said the pointer was, shared by all items
    DesktopTray* tray = nullptr;
    std::uint32_t docked = 0;  // the icon's window in the display's system tray, 0 if none
    // The balloon on screen, if any, and when its time is up.
    std::optional<std::uint32_t> balloon;
    std::uint64_t balloon_deadline = kNever;
    // A watcher that started later: when to offer it the icon (again, if it was not ready),
    // how often that was tried, and the call under way.
    std::uint64_t register_at = kNever;
    int register_attempts = 0;
    sd_bus_slot* registering = nullptr;

    ~Item() {
        if (registering) sd_bus_slot_unref(registering);
        if (object) sd_bus_slot_unref(object);
        CloseBus(bus);
    }
    void Post(std::uint32_t message) const { PostCallbackMessage({window, callback_message, message}); }
};

int AppendString(sd_bus_message* reply, const char* text) { return sd_bus_message_append(reply, "s", text); }

// a(iiay): the icon's pixels as ARGB32 in network byte order.
int AppendPixmaps(sd_bus_message* reply, const IconPixels& icon) {
    int r = sd_bus_message_open_container(reply, 'a', "(iiay)");
    if (r < 0) return r;
    if (!icon.argb.empty()) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(icon.argb.size() * 4);
        for (std::uint32_t p : icon.argb)
            for (int shift : {24, 16, 8, 0}) bytes.push_back(static_cast<std::uint8_t>(p >> shift));
        if ((r = sd_bus_message_open_container(reply, 'r', "iiay")) < 0) return r;
        if ((r = sd_bus_message_append(reply, "ii", icon.width, icon.height)) < 0) return r;
        if ((r = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size())) < 0) return r;
        if ((r = sd_bus_message_close_container(reply)) < 0) return r;
    }
    return sd_bus_message_close_container(reply);
}

int GetConstant(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void*, sd_bus_error*) {
    const std::string_view name = property;
    if (name == "Category") return AppendString(reply, "ApplicationStatus");
    if (name == "Status") return AppendString(reply, "Active");
    if (name == "IconName") return AppendString(reply, "");
    return AppendString(reply, kApplicationName);  // Id, Title
}

int GetIconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                  sd_bus_error*) {
    return AppendPixmaps(reply, static_cast<Item*>(userdata)->icon);
}

// (sa(iiay)ss): icon name, icon pixels, title, text. The tip is the title.
int GetToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const Item& item = *static_cast<Item*>(userdata);
    int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
    if (r < 0) return r;
    if ((r = AppendString(reply, "")) < 0) return r;
    if ((r = AppendPixmaps(reply, item.icon)) < 0) return r;
    if ((r = sd_bus_message_append(reply, "ss", item.tip.c_str(), "")) < 0) return r;
    return sd_bus_message_close_container(reply);
}

int GetItemIsMenu(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*, sd_bus_error*) {
    return sd_bus_message_append(reply, "b", 0);
}

// The desktop's activations as the mouse messages a click of that button sends. The call is
// answered at once; the messages wait for the host's loop.
int Pressed(sd_bus_message* call, Item& item, std::uint32_t down, std::uint32_t up) {
    std::int32_t x = 0, y = 0;
    const int r = sd_bus_message_read(call, "ii", &x, &y);
    if (r < 0) return r;
    *item.cursor = gdi::POINT{x, y};
    item.Post(down);
    item.Post(up);
    return sd_bus_reply_method_return(call, "");
}

int OnActivate(sd_bus_message* call, void* userdata, sd_bus_error*) {
    return Pressed(call, *static_cast<Item*>(userdata), kWmLButtonDown, kWmLButtonUp);
}
int OnContextMenu(sd_bus_message* call, void* userdata, sd_bus_error*) {
    return Pressed(call, *static_cast<Item*>(userdata), kWmRButtonDown, kWmRButtonUp);
}
int OnSecondaryActivate(sd_bus_message* call, void* userdata, sd_bus_error*) {
    return Pressed(call, *static_cast<Item*>(userdata), kWmMButtonDown, kWmMButtonUp);
}
int OnScroll(sd_bus_message* call, void* userdata, sd_bus_error*) {
    static_cast<Item*>(userdata)->Post(kWmMouseMove);
    return sd_bus_reply_method_return(call, "");
}

const sd_bus_vtable kItemVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("Category", "s", GetConstant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Id", "s", GetConstant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Title", "s", GetConstant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("Status", "s", GetConstant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconName", "s", GetConstant, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("IconPixmap", "a(iiay)", GetIconPixmap, 0, 0),
    SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", GetToolTip, 0, 0),
    SD_BUS_PROPERTY("ItemIsMenu", "b", GetItemIsMenu, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_METHOD("Activate", "ii", "", OnActivate, 0),
    SD_BUS_METHOD("SecondaryActivate", "ii", "", OnSecondaryActivate, 0),
    SD_BUS_METHOD("ContextMenu", "ii", "", OnContextMenu, 0),
    SD_BUS_METHOD("Scroll", "is", "", OnScroll, 0),
    SD_BUS_SIGNAL("NewIcon", "", 0),
    SD_BUS_SIGNAL("NewToolTip", "", 0),
    SD_BUS_VTABLE_END,
};

bool NameHasOwner(sd_bus* bus, const char* name) {
    Reply reply;
    int has_owner = 0;
    const int r =
        sd_bus_call_method(bus, kBusService, kBusPath, kBusService, "NameHasOwner", nullptr, &reply.message, "s", name);
    if (r >= 0) sd_bus_message_read(reply.message, "b", &has_owner);
    return r >= 0 && has_owner;
}

const char* BalloonIconName(std::uint32_t info_flags) {
    switch (info_flags & kNiifIconMask) {
        case kNiifInfo: return "dialog-information";
        case kNiifWarning: return "dialog-warning";
        case kNiifError: return "dialog-error";
        default: return "";
    }
}

class DesktopTray : public NotificationArea {
public:
    DesktopTray(sd_bus* bus, std::int32_t shortest_balloon_ms)
        : bus_(bus), bus_fd_(sd_bus_get_fd(bus)), shortest_balloon_ms_(std::max<std::int32_t>(shortest_balloon_ms, 1)) {
        sd_bus_match_signal(bus_, &closed_slot_, kNotificationsService, kNotificationsPath, kNotificationsService,
                            "NotificationClosed", &DesktopTray::OnClosed, this);
        sd_bus_match_signal(bus_, &action_slot_, kNotificationsService, kNotificationsPath, kNotificationsService,
                            "ActionInvoked", &DesktopTray::OnAction, this);
        sd_bus_match_signal(bus_, &owner_slot_, kBusService, kBusPath, kBusService, "NameOwnerChanged",
                            &DesktopTray::OnNameOwnerChanged, this);
        Rearm();
    }
    ~DesktopTray() override {
        while (!items_.empty()) Remove(items_.begin());
        sd_bus_slot_unref(closed_slot_);
        sd_bus_slot_unref(action_slot_);
        sd_bus_slot_unref(owner_slot_);
        display_.reset();
        CloseBus(bus_);
    }

    bool ok() const { return wakeups_.ok(); }

    // Whether there is anywhere to show an icon or a balloon.
    bool DesktopPresent() {
        if (NameHasOwner(bus_, kWatcherService) || NameHasOwner(bus_, kNotificationsService)) return true;
        SystemTrayDisplay* display = Display();
        return display && display->TrayPresent();
    }

    bool NotifyIcon(std::uint32_t message, const NotifyIconDataA& record) override {
        const bool result = Carry(message, record);
        Rearm();
        return result;
    }

    bool SetForegroundWindow(gdi::HWND window) override { return window != 0; }
    gdi::HWND SetActiveWindow(gdi::HWND window) override {
        const gdi::HWND previous = active_;
        active_ = window;
        return previous;
    }
    bool GetCursorPos(gdi::POINT* point) override {
        *point = cursor_;
        return true;
    }

    void Poll() override {
        wakeups_.Clear();
        DrainBus();
        for (auto& [key, item] : items_)
            while (item->bus && sd_bus_process(item->bus, nullptr) > 0) {}
        const std::uint64_t now = NowMicroseconds();
        for (auto& [key, item] : items_)
            if (item->register_at <= now) OfferToWatcher(*item);
        for (auto& [key, item] : items_) {
            if (!item->balloon || item->balloon_deadline > now) continue;
            // The server may keep a balloon longer than asked (some never expire one): its
            // time is up here all the same.
            item->Post(kNinBalloonTimeout);
            CloseBalloon(*item);
        }
        Rearm();
    }

    int WaitDescriptor() const override { return wakeups_.descriptor(); }

private:
    using Items = std::map<ItemKey, std::unique_ptr<Item>>;

    bool Carry(std::uint32_t message, const NotifyIconDataA& record) {
        auto found = items_.find({record.window, record.id});
        switch (message) {
            case kNimAdd: {
                if (found != items_.end()) return false;
                auto item = std::make_unique<Item>();
                item->window = record.window;
                item->id = record.id;
                item->cursor = &cursor_;
                item->tray = this;
                Apply(*item, record, false);
                if (!Export(*item)) return false;
                Item& added = *items_.emplace(ItemKey{record.window, record.id}, std::move(item)).first->second;
                // The icon stays known without a place to show it, so its balloons still go out and
                // a watcher that starts later shows it; the caller learns that it is not seen.
                bool shown = Show(added);
                if (record.flags & kNifInfo) shown = ShowBalloon(added, record) && shown;
                return shown;
            }
            case kNimModify:
                if (found == items_.end()) return false;
                Apply(*found->second, record, true);
                if (record.flags & kNifInfo) return ShowBalloon(*found->second, record);
                return true;
            case kNimDelete:
                if (found == items_.end()) return false;
                Remove(found);
                return true;
            default: return false;
        }
    }

    void Apply(Item& item, const NotifyIconDataA& record, bool announce) {
        if (record.flags & kNifMessage) item.callback_message = record.callback_message;
        if (record.flags & kNifIcon) {
            CopyIconPixels(record.icon, item.icon);
            if (announce) sd_bus_emit_signal(item.bus, kItemPath, kItemInterface, "NewIcon", "");
            if (item.docked) display_->SetIcon(item.docked, item.icon.width, item.icon.height, item.icon.argb);
        }
        if (record.flags & kNifTip) {
            item.tip = BusText(TextField(record.tip));
            if (announce) sd_bus_emit_signal(item.bus, kItemPath, kItemInterface, "NewToolTip", "");
            if (item.docked) display_->SetTip(item.docked, item.tip);
        }
    }

    // The item on the bus under a name of its own, at the path watchers look at.
    bool Export(Item& item) {
        item.service = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++next_item_);
        int r = sd_bus_open_user(&item.bus);
        if (r >= 0) r = sd_bus_add_object_vtable(item.bus, &item.object, kItemPath, kItemInterface, kItemVtable, &item);
        if (r >= 0) r = sd_bus_request_name(item.bus, item.service.c_str(), 0);
        if (r >= 0) r = item.fd = sd_bus_get_fd(item.bus);
        if (r < 0) {
            ReportFailure(std::string("The icon could not be put on the session bus: ") + std::strerror(-r));
            return false;
        }
        return true;
    }

    // Into the desktop's notification area: the watcher's, else the display's system tray.
    bool Show(Item& item) {
        if (NameHasOwner(bus_, kWatcherService)) {
            BusError error;
            Reply reply;
            const int r =
                sd_bus_call_method(bus_, kWatcherService, kWatcherPath, kWatcherService, "RegisterStatusNotifierItem",
                                   &error.error, &reply.message, "s", item.service.c_str());
            if (r >= 0) return true;
            ReportFailure("The StatusNotifierWatcher did not take the icon: " + error.Text(r));
            return false;
        }
        if (Dock(item)) return true;
        ReportFailure(
            "The desktop has no notification area: no StatusNotifierWatcher on the session bus and no system tray "
            "on the display");
        return false;
    }

    bool Dock(Item& item) {
        SystemTrayDisplay* display = Display();
        if (!display || !display->TrayPresent()) return false;
        item.docked = display->Dock(item.icon.width, item.icon.height, item.icon.argb, item.tip);
        return item.docked != 0;
    }

    void Remove(Items::iterator found) {
        Item& item = *found->second;
        CloseBalloon(item);
        if (item.docked) display_->Undock(item.docked);
        wakeups_.Forget(item.fd);
        items_.erase(found);
    }

    SystemTrayDisplay* Display() {
        if (!display_tried_) {
            display_tried_ = true;
            display_ = SystemTrayDisplay::Open([this](std::uint32_t icon, std::uint32_t mouse_message, int x, int y) {
                for (auto& [key, item] : items_) {
                    if (item->docked != icon) continue;
                    cursor_ = gdi::POINT{x, y};
                    item->Post(mouse_message);
                }
            });
            if (display_) wakeups_.Watch(display_->descriptor(), EPOLLIN);
        }
        return display_.get();
    }

    bool BodyMarkup() {
        if (body_markup_) return *body_markup_;
        Reply reply;
        bool markup = false;
        if (sd_bus_call_method(bus_, kNotificationsService, kNotificationsPath, kNotificationsService,
                               "GetCapabilities", nullptr, &reply.message, "") >= 0) {
            char** capabilities = nullptr;
            if (sd_bus_message_read_strv(reply.message, &capabilities) >= 0) {
                for (char** c = capabilities; c && *c; ++c) {
                    markup = markup || std::string_view(*c) == "body-markup";
                    std::free(*c);
                }
                std::free(capabilities);
            }
            body_markup_ = markup;  // asked again only when another server takes the name
        }
        return markup;
    }

    bool ShowBalloon(Item& item, const NotifyIconDataA& record) {
        const std::string title = BusText(TextField(record.info_title));
        std::string text = BusText(TextField(record.info));
        // An empty text takes the icon's balloon down, as on the platform.
        if (text.empty()) {
            CloseBalloon(item);
            return true;
        }
        if (BodyMarkup()) text = EscapeMarkup(text);
        // What the server said about earlier balloons is heard first: one it closed meanwhile
        // is not replaced, and its number, which the server may give out again, is forgotten.
        DrainBus();
        const std::int32_t expire =
            std::max<std::int32_t>(static_cast<std::int32_t>(std::min<std::uint32_t>(
                                       record.timeout_or_version, std::numeric_limits<std::int32_t>::max())),
                                   shortest_balloon_ms_);
        sd_bus_message* call = nullptr;
        Reply reply;
        BusError error;
        std::uint32_t notification = 0;
        int r = sd_bus_message_new_method_call(bus_, &call, kNotificationsService, kNotificationsPath,
                                               kNotificationsService, "Notify");
        // A new balloon takes the place of the icon's last one rather than piling up beside it.
        if (r >= 0)
            r = sd_bus_message_append(call, "susss", kApplicationName, item.balloon.value_or(0u),
                                      BalloonIconName(record.info_flags), title.c_str(), text.c_str());
        if (r >= 0) r = sd_bus_message_append_strv(call, const_cast<char**>(kActions));
        if (r >= 0) {
            if (record.info_flags & kNiifNoSound) r = sd_bus_message_append(call, "a{sv}", 1, "suppress-sound", "b", 1);
            else r = sd_bus_message_append(call, "a{sv}", 0);
        }
        if (r >= 0) r = sd_bus_message_append(call, "i", expire);
        if (r >= 0) r = sd_bus_call(bus_, call, kCallTimeoutMicroseconds, &error.error, &reply.message);
        if (r >= 0) r = sd_bus_message_read(reply.message, "u", &notification);
        sd_bus_message_unref(call);
        if (r < 0) {
            ReportFailure("The notification server did not show the balloon: " + error.Text(r));
            return false;
        }
        // Signals read while the call waited were sent before the answer: they are about the
        // balloons that were there before this one, even one whose number it now carries.
        DrainBus();
        if (item.balloon && *item.balloon != notification) balloons_.erase(*item.balloon);
        item.balloon = notification;
        item.balloon_deadline = NowMicroseconds() + static_cast<std::uint64_t>(expire) * 1000u;
        balloons_[notification] = {item.window, item.id};
        item.Post(kNinBalloonShow);
        return true;
    }

    void DrainBus() {
        while (sd_bus_process(bus_, nullptr) > 0) {}
    }

    // Takes the icon's balloon off the screen and forgets it: what the server says about it
    // afterwards (closed by a call) means nothing to the icon.
    void CloseBalloon(Item& item) {
        if (!item.balloon) return;
        sd_bus_call_method_async(bus_, nullptr, kNotificationsService, kNotificationsPath, kNotificationsService,
                                 "CloseNotification", nullptr, nullptr, "u", *item.balloon);
        Forget(item);
    }

    void Forget(Item& item) {
        if (item.balloon) balloons_.erase(*item.balloon);
        item.balloon.reset();
        item.balloon_deadline = kNever;
    }

    Item* BalloonOwner(std::uint32_t notification) {
        auto balloon = balloons_.find(notification);
        if (balloon == balloons_.end()) return nullptr;
        auto item = items_.find(balloon->second);
        return item == items_.end() ? nullptr : item->second.get();
    }

    // Everything the tray waits on, armed again: each bus for what it needs now (reading,
    // writing), the timer for the nearest of the buses' deadlines and the balloons' time-outs.
    void Rearm() {
        std::uint64_t when = kNever;
        const auto consider = [&](sd_bus* bus, int fd) {
            if (!bus) return;
            const int events = sd_bus_get_events(bus);
            // A connection the bus closed would report its hang-up for ever: it is not watched.
            if (events >= 0) wakeups_.Watch(fd, static_cast<std::uint32_t>(events));
            else wakeups_.Forget(fd);
            std::uint64_t deadline = kNever;
            // Messages read while a call waited for its reply make this "now".
            if (sd_bus_get_timeout(bus, &deadline) >= 0) when = std::min(when, deadline);
        };
        consider(bus_, bus_fd_);
        for (auto& [key, item] : items_) {
            consider(item->bus, item->fd);
            when = std::min({when, item->balloon_deadline, item->register_at});
        }
        if (display_ && display_->Process()) when = 0;
        wakeups_.WakeAt(when);
    }

    static int OnClosed(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto& tray = *static_cast<DesktopTray*>(userdata);
        std::uint32_t notification = 0, reason = 0;
        if (sd_bus_message_read(signal, "uu", &notification, &reason) < 0) return 0;
        Item* item = tray.BalloonOwner(notification);
        if (!item) return 0;
        if (reason == kClosedExpired) item->Post(kNinBalloonTimeout);
        else if (reason != kClosedByCall) item->Post(kNinBalloonHide);  // dismissed, or a reason of the server's own
        tray.Forget(*item);
        return 0;
    }

    static int OnAction(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto& tray = *static_cast<DesktopTray*>(userdata);
        std::uint32_t notification = 0;
        const char* action = nullptr;
        if (sd_bus_message_read(signal, "us", &notification, &action) < 0) return 0;
        Item* item = tray.BalloonOwner(notification);
        if (!item) return 0;
        // A click is the balloon's end: the closing the server reports next is not a hide.
        item->Post(kNinBalloonUserClick);
        tray.CloseBalloon(*item);
        return 0;
    }

    // A watcher that starts shows every icon (the display's tray lets go of them); one that
    // stops leaves them to the display's tray. Another notification server may read markup
    // differently.
    static int OnNameOwnerChanged(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto& tray = *static_cast<DesktopTray*>(userdata);
        const char *name = nullptr, *old_owner = nullptr, *new_owner = nullptr;
        if (sd_bus_message_read(signal, "sss", &name, &old_owner, &new_owner) < 0) return 0;
        const std::string_view changed = name;
        if (changed == kNotificationsService) tray.body_markup_.reset();
        if (changed != kWatcherService) return 0;
        const bool started = new_owner && *new_owner;
        for (auto& [key, item] : tray.items_) {
            item->register_attempts = 0;
            if (started) {
                item->register_at = 0;  // at the next poll, outside this callback
            } else {
                item->register_at = kNever;
                if (!item->docked) tray.Dock(*item);
            }
        }
        return 0;
    }

    // Offers the icon to a watcher that started after it was added. A watcher may own its name
    // a moment before it answers, so a refusal is tried again a little later; the display's
    // tray keeps the icon until the watcher has it.
    void OfferToWatcher(Item& item) {
        item.register_at = kNever;
        if (item.registering) item.registering = sd_bus_slot_unref(item.registering);
        sd_bus_call_method_async(bus_, &item.registering, kWatcherService, kWatcherPath, kWatcherService,
                                 "RegisterStatusNotifierItem", &DesktopTray::OnRegistered, &item, "s",
                                 item.service.c_str());
    }

    static int OnRegistered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        auto& item = *static_cast<Item*>(userdata);
        if (!sd_bus_message_is_method_error(reply, nullptr)) {
            if (item.docked) item.tray->display_->Undock(item.docked);
            item.docked = 0;
        } else if (++item.register_attempts < kRegisterAttempts) {
            item.register_at = NowMicroseconds() + kRegisterRetryMicroseconds;
        }
        return 0;
    }

    static constexpr const char* kActions[] = {"default", "Open", nullptr};

    Wakeups wakeups_;
    sd_bus* bus_ = nullptr;
    int bus_fd_ = -1;
    std::int32_t shortest_balloon_ms_;
    sd_bus_slot* closed_slot_ = nullptr;
    sd_bus_slot* action_slot_ = nullptr;
    sd_bus_slot* owner_slot_ = nullptr;
    Items items_;
    std::map<std::uint32_t, ItemKey> balloons_;
    std::unique_ptr<SystemTrayDisplay> display_;
    bool display_tried_ = false;
    std::optional<bool> body_markup_;
    gdi::POINT cursor_;
    gdi::HWND active_ = 0;
    int next_item_ = 0;
};

}  // namespace

std::unique_ptr<NotificationArea> ConnectDesktopTray(bool force, std::int32_t shortest_balloon_ms) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) {
        CloseBus(bus);
        return nullptr;
    }
    auto tray = std::make_unique<DesktopTray>(bus, shortest_balloon_ms);
    if (!tray->ok() || (!force && !tray->DesktopPresent())) return nullptr;
    return tray;
}

}  // namespace ov::notifyarea
