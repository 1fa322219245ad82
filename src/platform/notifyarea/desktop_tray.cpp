#include "platform/notifyarea/desktop_tray.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/icon.h"

namespace ov::notifyarea {

namespace {

constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kNotificationsService = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr std::uint64_t kCallTimeoutMicroseconds = 5'000'000;
// The platform keeps a balloon up for at least ten seconds, whatever shorter time it is given.
constexpr std::int32_t kShortestBalloonMilliseconds = 10'000;

// Reasons of NotificationClosed.
constexpr std::uint32_t kClosedExpired = 1, kClosedDismissed = 2;

void CloseBus(sd_bus*& bus) {
    if (bus) sd_bus_flush_close_unref(bus);
    bus = nullptr;
}

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
    else if (icon != copy.handle) copy = IconPixels{icon};
}

// One icon: its own connection, so that each item sits at the path watchers look at.
struct Item {
    gdi::HWND window = 0;
    std::uint32_t id = 0;
    std::uint32_t callback_message = 0;
    // A copy of the icon's pixels taken when a record named the icon: the program may free the
    // icon right after the call, and the desktop asks for the pixmap later.
    IconPixels icon;
    std::string tip;
    std::string service;
    sd_bus* bus = nullptr;
    sd_bus_slot* object = nullptr;
    gdi::POINT* cursor = nullptr;  // where the desktop said the pointer was, shared by all items

    ~Item() {
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

int GetConstant(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void*,
                sd_bus_error*) {
    const std::string name = property;
    if (name == "Category") return AppendString(reply, "ApplicationStatus");
    if (name == "Status") return AppendString(reply, "Active");
    if (name == "IconName") return AppendString(reply, "");
    return AppendString(reply, "Orvelle");  // Id, Title
}

int GetIconPixmap(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
                  sd_bus_error*) {
    return AppendPixmaps(reply, static_cast<Item*>(userdata)->icon);
}

// (sa(iiay)ss): icon name, icon pixels, title, text. The tip is the title.
int GetToolTip(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata,
               sd_bus_error*) {
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

// The desktop's activations as the mouse messages a click of that button sends.
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

bool WatcherPresent(sd_bus* bus) {
    sd_bus_message* reply = nullptr;
    int has_owner = 0;
    const int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     "NameHasOwner", nullptr, &reply, "s", kWatcherService);
    if (r >= 0) sd_bus_message_read(reply, "b", &has_owner);
    sd_bus_message_unref(reply);
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
    explicit DesktopTray(sd_bus* bus) : bus_(bus) {
        sd_bus_match_signal(bus_, &closed_slot_, kNotificationsService, kNotificationsPath, kNotificationsService,
                            "NotificationClosed", &DesktopTray::OnClosed, this);
        sd_bus_match_signal(bus_, &action_slot_, kNotificationsService, kNotificationsPath, kNotificationsService,
                            "ActionInvoked", &DesktopTray::OnAction, this);
    }
    ~DesktopTray() override {
        items_.clear();
        sd_bus_slot_unref(closed_slot_);
        sd_bus_slot_unref(action_slot_);
        CloseBus(bus_);
    }

    bool NotifyIcon(std::uint32_t message, const NotifyIconDataA& record) override {
        auto found = items_.find({record.window, record.id});
        switch (message) {
        case kNimAdd: {
            if (found != items_.end()) return false;
            auto item = std::make_unique<Item>();
            item->window = record.window;
            item->id = record.id;
            item->cursor = &cursor_;
            Apply(*item, record, false);
            if (!Export(*item)) return false;
            Item& added = *items_.emplace(std::make_pair(record.window, record.id), std::move(item)).first->second;
            if (record.flags & kNifInfo) ShowBalloon(added, record);
            return true;
        }
        case kNimModify:
            if (found == items_.end()) return false;
            Apply(*found->second, record, true);
            if (record.flags & kNifInfo) ShowBalloon(*found->second, record);
            return true;
        case kNimDelete:
            if (found == items_.end()) return false;
            items_.erase(found);
            return true;
        default: return false;
        }
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
        while (sd_bus_process(bus_, nullptr) > 0) {}
        for (auto& [key, item] : items_)
            while (item->bus && sd_bus_process(item->bus, nullptr) > 0) {}
    }

private:
    void Apply(Item& item, const NotifyIconDataA& record, bool announce) {
        if (record.flags & kNifMessage) item.callback_message = record.callback_message;
        if (record.flags & kNifIcon) {
            CopyIconPixels(record.icon, item.icon);
            if (announce) sd_bus_emit_signal(item.bus, kItemPath, kItemInterface, "NewIcon", "");
        }
        if (record.flags & kNifTip) {
            item.tip = TextField(record.tip);
            if (announce) sd_bus_emit_signal(item.bus, kItemPath, kItemInterface, "NewToolTip", "");
        }
    }

    bool Export(Item& item) {
        item.service = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++next_item_);
        if (sd_bus_open_user(&item.bus) < 0) return false;
        if (sd_bus_add_object_vtable(item.bus, &item.object, kItemPath, kItemInterface, kItemVtable, &item) < 0)
            return false;
        if (sd_bus_request_name(item.bus, item.service.c_str(), 0) < 0) return false;
        sd_bus_message* reply = nullptr;
        const int r = sd_bus_call_method(bus_, kWatcherService, kWatcherPath, kWatcherService,
                                         "RegisterStatusNotifierItem", nullptr, &reply, "s", item.service.c_str());
        sd_bus_message_unref(reply);
        return r >= 0;
    }

    void ShowBalloon(const Item& item, const NotifyIconDataA& record) {
        sd_bus_message* call = nullptr;
        sd_bus_message* reply = nullptr;
        std::uint32_t notification = 0;
        const std::string title = TextField(record.info_title), text = TextField(record.info);
        const std::int32_t expire = std::max<std::int32_t>(static_cast<std::int32_t>(record.timeout_or_version),
                                                           kShortestBalloonMilliseconds);
        int r = sd_bus_message_new_method_call(bus_, &call, kNotificationsService, kNotificationsPath,
                                               kNotificationsService, "Notify");
        if (r >= 0)
            r = sd_bus_message_append(call, "susss", "Orvelle", 0u, BalloonIconName(record.info_flags), title.c_str(),
                                      text.c_str());
        if (r >= 0) r = sd_bus_message_append_strv(call, const_cast<char**>(kActions));
        if (r >= 0) {
            if (record.info_flags & kNiifNoSound) r = sd_bus_message_append(call, "a{sv}", 1, "suppress-sound", "b", 1);
            else r = sd_bus_message_append(call, "a{sv}", 0);
        }
        if (r >= 0) r = sd_bus_message_append(call, "i", expire);
        if (r >= 0) r = sd_bus_call(bus_, call, kCallTimeoutMicroseconds, nullptr, &reply);
        if (r >= 0) r = sd_bus_message_read(reply, "u", &notification);
        sd_bus_message_unref(call);
        sd_bus_message_unref(reply);
        if (r < 0) return;
        balloons_[notification] = {item.window, item.id};
        item.Post(kNinBalloonShow);
    }

    const Item* BalloonOwner(std::uint32_t notification) const {
        auto balloon = balloons_.find(notification);
        if (balloon == balloons_.end()) return nullptr;
        auto item = items_.find(balloon->second);
        return item == items_.end() ? nullptr : item->second.get();
    }

    static int OnClosed(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto& tray = *static_cast<DesktopTray*>(userdata);
        std::uint32_t notification = 0, reason = 0;
        if (sd_bus_message_read(signal, "uu", &notification, &reason) < 0) return 0;
        if (const Item* item = tray.BalloonOwner(notification)) {
            if (reason == kClosedExpired) item->Post(kNinBalloonTimeout);
            if (reason == kClosedDismissed) item->Post(kNinBalloonHide);
        }
        tray.balloons_.erase(notification);
        return 0;
    }

    static int OnAction(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        auto& tray = *static_cast<DesktopTray*>(userdata);
        std::uint32_t notification = 0;
        const char* action = nullptr;
        if (sd_bus_message_read(signal, "us", &notification, &action) < 0) return 0;
        if (const Item* item = tray.BalloonOwner(notification)) item->Post(kNinBalloonUserClick);
        return 0;
    }

    static constexpr const char* kActions[] = {"default", "Open", nullptr};

    sd_bus* bus_ = nullptr;
    sd_bus_slot* closed_slot_ = nullptr;
    sd_bus_slot* action_slot_ = nullptr;
    std::map<std::pair<gdi::HWND, std::uint32_t>, std::unique_ptr<Item>> items_;
    std::map<std::uint32_t, std::pair<gdi::HWND, std::uint32_t>> balloons_;
    gdi::POINT cursor_;
    gdi::HWND active_ = 0;
    int next_item_ = 0;
};

}  // namespace

std::unique_ptr<NotificationArea> ConnectDesktopTray(bool force) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0) return nullptr;
    if (!force && !WatcherPresent(bus)) {
        CloseBus(bus);
        return nullptr;
    }
    return std::make_unique<DesktopTray>(bus);
}

}  // namespace ov::notifyarea
