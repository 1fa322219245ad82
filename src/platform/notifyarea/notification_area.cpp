#include "platform/notifyarea/notification_area.h"

#include <cstdlib>
#include <string_view>

#include "platform/notifyarea/desktop_tray.h"

namespace ov::notifyarea {

namespace {

struct AreaState {
    std::unique_ptr<NotificationArea> area;
    CallObserver observer;
    std::vector<CallbackMessage> posted;
};

// Everything runs on the host's one thread, like the platform's window calls.
AreaState& State() {
    static AreaState state;
    return state;
}

void Report(const AreaCall& call) {
    if (State().observer) State().observer(call);
}

std::string_view ForcedBackend() {
    const char* value = std::getenv(kBackendVariable);
    return value ? std::string_view(value) : std::string_view();
}

}  // namespace

NotificationArea& CurrentNotificationArea() {
    AreaState& state = State();
    if (!state.area) state.area = SelectNotificationArea();
    return *state.area;
}

std::unique_ptr<NotificationArea> InstallNotificationArea(std::unique_ptr<NotificationArea> area) {
    std::swap(State().area, area);
    return area;
}

std::unique_ptr<NotificationArea> SelectNotificationArea() {
    const std::string_view forced = ForcedBackend();
    if (forced == "recording") return std::make_unique<RecordingNotificationArea>();
    if (forced == "desktop" || forced.empty()) {
        if (auto desktop = ConnectDesktopTray(forced == "desktop")) return desktop;
    }
    return std::make_unique<RecordingNotificationArea>();
}

std::unique_ptr<NotificationArea> SelectNotificationAreaForTools() {
    if (ForcedBackend() == "desktop") {
        if (auto desktop = ConnectDesktopTray(true)) return desktop;
    }
    return std::make_unique<RecordingNotificationArea>();
}

CallObserver SetCallObserver(CallObserver observer) {
    std::swap(State().observer, observer);
    return observer;
}

bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* record) {
    if (!record) return false;
    AreaCall call;
    call.kind = AreaCall::Kind::NotifyIcon;
    call.message = message;
    call.record = *record;
    call.result = CurrentNotificationArea().NotifyIcon(message, *record);
    Report(call);
    return call.result;
}

bool SetForegroundWindow(gdi::HWND window) {
    AreaCall call;
    call.kind = AreaCall::Kind::SetForegroundWindow;
    call.window = window;
    call.result = CurrentNotificationArea().SetForegroundWindow(window);
    Report(call);
    return call.result;
}

gdi::HWND SetActiveWindow(gdi::HWND window) {
    AreaCall call;
    call.kind = AreaCall::Kind::SetActiveWindow;
    call.window = window;
    const gdi::HWND previous = CurrentNotificationArea().SetActiveWindow(window);
    call.result = true;
    Report(call);
    return previous;
}

bool GetCursorPos(gdi::POINT* point) {
    if (!point) return false;
    AreaCall call;
    call.kind = AreaCall::Kind::GetCursorPos;
    call.result = CurrentNotificationArea().GetCursorPos(&call.cursor);
    *point = call.cursor;
    Report(call);
    return call.result;
}

void PostCallbackMessage(const CallbackMessage& callback) { State().posted.push_back(callback); }

std::vector<CallbackMessage> TakeCallbackMessages() {
    CurrentNotificationArea().Poll();
    std::vector<CallbackMessage> taken;
    taken.swap(State().posted);
    return taken;
}

bool RecordingNotificationArea::NotifyIcon(std::uint32_t message, const NotifyIconDataA& record) {
    const std::pair<gdi::HWND, std::uint32_t> key{record.window, record.id};
    switch (message) {
    case kNimAdd: return icons_.insert(key).second;
    case kNimModify: return icons_.count(key) != 0;
    case kNimDelete: return icons_.erase(key) != 0;
    default: return false;
    }
}

bool RecordingNotificationArea::SetForegroundWindow(gdi::HWND window) {
    foreground_ = window;
    return window != 0;
}

gdi::HWND RecordingNotificationArea::SetActiveWindow(gdi::HWND window) {
    const gdi::HWND previous = active_;
    active_ = window;
    return previous;
}

bool RecordingNotificationArea::GetCursorPos(gdi::POINT* point) {
    *point = cursor_;
    return true;
}

}  // namespace ov::notifyarea
