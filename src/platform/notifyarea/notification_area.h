#pragma once
// The desktop's notification area and the three window calls a tray program makes, behind one
// backend at a time:
//
//   - RecordingNotificationArea keeps every call (the default for tests, the shell and
//     `orvelle render`): nothing leaves the process;
//   - the desktop backend (desktop_tray.h) shows the icon and its balloons on the session bus.
//
// The calls are the platform's: Shell_NotifyIconA, SetForegroundWindow, SetActiveWindow,
// GetCursorPos. What the area sends back to an icon's window (the callback message with a mouse
// or balloon message in place of the x coordinate) is posted to a queue that the host's message
// loop empties (TakeCallbackMessages), so it arrives on the host's thread like any message.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/notifyarea/notify_icon_data.h"

namespace ov::notifyarea {

class NotificationArea {
public:
    virtual ~NotificationArea() = default;
    virtual bool NotifyIcon(std::uint32_t message, const NotifyIconDataA& record) = 0;
    virtual bool SetForegroundWindow(gdi::HWND window) = 0;
    // Returns the window that was active before.
    virtual gdi::HWND SetActiveWindow(gdi::HWND window) = 0;
    virtual bool GetCursorPos(gdi::POINT* point) = 0;
    // Reads what the desktop sent since the last call and posts it (TakeCallbackMessages
    // calls this first). The recording backend has nothing to read.
    virtual void Poll() {}
};

// One call as it was made, with its result.
struct AreaCall {
    enum class Kind : std::uint8_t { NotifyIcon, SetForegroundWindow, SetActiveWindow, GetCursorPos };
    Kind kind = Kind::NotifyIcon;
    std::uint32_t message = 0;     // NotifyIcon
    NotifyIconDataA record;        // NotifyIcon: the whole record as passed
    gdi::HWND window = 0;          // the window calls
    gdi::POINT cursor;             // GetCursorPos: the position returned
    bool result = false;
};

// The platform's calls, through the installed backend. A null record is refused (false).
bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* record);
bool SetForegroundWindow(gdi::HWND window);
gdi::HWND SetActiveWindow(gdi::HWND window);
bool GetCursorPos(gdi::POINT* point);

// The backend in use. Until one is installed the choice of SelectNotificationArea() is made
// on first use.
NotificationArea& CurrentNotificationArea();
// Installs `area` (null: back to the choice on first use); returns the one it replaces.
std::unique_ptr<NotificationArea> InstallNotificationArea(std::unique_ptr<NotificationArea> area);

// The environment variable that forces a backend: "recording" or "desktop".
inline constexpr const char* kBackendVariable = "ORVELLE_NOTIFY_AREA";
// The backend to use when nobody installed one: the one the variable names; otherwise the
// desktop when a session bus with a StatusNotifierWatcher is present; otherwise recording.
std::unique_ptr<NotificationArea> SelectNotificationArea();
// What the shell and `orvelle render` use: recording unless the variable asks for the desktop.
std::unique_ptr<NotificationArea> SelectNotificationAreaForTools();

// Sees every call after it was made, whatever the backend (the shell prints them). Returns the
// observer it replaces.
using CallObserver = std::function<void(const AreaCall&)>;
CallObserver SetCallObserver(CallObserver observer);

// A callback the area sends to an icon's window: `message` is the record's callback message,
// `x_message` the mouse or balloon message that occurred.
struct CallbackMessage {
    gdi::HWND window = 0;
    std::uint32_t message = 0;
    std::uint32_t x_message = 0;
};
void PostCallbackMessage(const CallbackMessage& callback);
// Polls the backend, then hands over every callback posted so far, oldest first.
std::vector<CallbackMessage> TakeCallbackMessages();

// Keeps every call. Answers as the desktop's area does: an add of an icon (window, id) already
// there fails, so do a modify or delete of one that is not; the cursor is where SetCursor put
// it; SetActiveWindow returns the window it last activated.
class RecordingNotificationArea : public NotificationArea {
public:
    bool NotifyIcon(std::uint32_t message, const NotifyIconDataA& record) override;
    bool SetForegroundWindow(gdi::HWND window) override;
    gdi::HWND SetActiveWindow(gdi::HWND window) override;
    bool GetCursorPos(gdi::POINT* point) override;

    void SetCursor(gdi::POINT cursor) { cursor_ = cursor; }
    bool HasIcon(gdi::HWND window, std::uint32_t id) const { return icons_.count({window, id}) != 0; }
    gdi::HWND foreground_window() const { return foreground_; }

private:
    std::set<std::pair<gdi::HWND, std::uint32_t>> icons_;
    gdi::POINT cursor_;
    gdi::HWND foreground_ = 0;
    gdi::HWND active_ = 0;
};

}  // namespace ov::notifyarea
