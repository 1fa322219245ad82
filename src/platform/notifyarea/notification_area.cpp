#include "platform/notifyarea/notification_area.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string_view>

#include "platform/notifyarea/desktop_tray.h"

namespace ov::notifyarea {

namespace {

struct AreaState {
    std::unique_ptr<NotificationArea> area;
    CallObserver observer;
    std::vector<CallbackSink*> sinks;  // oldest first
    std::string failure;               // of the call in progress, then of the last one
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

void NotificationArea::ReportFailure(std::string reason) { State().failure = std::move(reason); }

bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* record) {
    State().failure.clear();
    if (!record) return false;
    AreaCall call;
    call.kind = AreaCall::Kind::NotifyIcon;
    call.message = message;
    call.record = *record;
    call.result = CurrentNotificationArea().NotifyIcon(message, *record);
    call.failure = State().failure;
    Report(call);
    return call.result;
}

const std::string& LastNotifyIconFailure() { return State().failure; }

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

void PostCallbackMessage(const CallbackMessage& callback) {
    const std::vector<CallbackSink*>& sinks = State().sinks;
    auto owner = std::find_if(sinks.rbegin(), sinks.rend(),
                              [&](const CallbackSink* sink) { return sink->OwnsWindow(callback.window); });
    if (owner == sinks.rend()) return;
    CallbackSink& sink = **owner;
    sink.posted_.push_back(callback);
    if (sink.wakeup_) sink.wakeup_();
}

CallbackSink::CallbackSink(Owns owns) : owns_(std::move(owns)) { State().sinks.push_back(this); }

CallbackSink::~CallbackSink() { std::erase(State().sinks, this); }

std::vector<CallbackMessage> CallbackSink::Take() {
    PollArea();
    std::vector<CallbackMessage> taken;
    taken.swap(posted_);
    return taken;
}

void PollArea() {
    if (State().area) State().area->Poll();
}

int AreaWaitDescriptor() { return State().area ? State().area->WaitDescriptor() : -1; }

InputWait WaitForInputOrArea(int input, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
        pollfd watched[2] = {{input, POLLIN, 0}, {AreaWaitDescriptor(), POLLIN, 0}};
        // Nothing to wait on and no end to the wait: nothing could ever end it.
        if (watched[0].fd < 0 && watched[1].fd < 0 && timeout_ms < 0) return InputWait::TimedOut;
        int left = -1;
        if (timeout_ms >= 0) {
            const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            left = static_cast<int>(std::clamp<std::int64_t>(remaining, 0, 1 << 30));
        }
        // A negative descriptor is skipped by poll, so a missing area or input costs nothing.
        const int ready = poll(watched, 2, left);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return InputWait::Readable;  // let the read report what is wrong
        if (watched[0].revents != 0) return InputWait::Readable;
        if (watched[1].revents != 0) return InputWait::AreaActive;
        if (ready == 0) return InputWait::TimedOut;
    }
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
