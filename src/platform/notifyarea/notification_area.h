#pragma once
// The desktop's notification area and the three window calls a tray program makes, behind one
// backend at a time:
//
//   - RecordingNotificationArea keeps every call (the default for tests, the shell and
//     `orvelle render`): nothing leaves the process;
//   - the desktop backend (desktop_tray.h) shows the icon and its balloons on the session bus
//     (the icon in the display's XEmbed system tray when no StatusNotifierWatcher is there).
//
// The calls are the platform's: Shell_NotifyIconA, SetForegroundWindow, SetActiveWindow,
// GetCursorPos. What the area sends back to an icon's window (the callback message with a mouse
// or balloon message in place of the x coordinate) is posted to the callback sink of the host
// that owns the window, and that host's message loop empties its own sink, so each callback
// arrives on its host's thread like any message, and two hosts in one process never take each
// other's.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
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
    // Reads what the desktop sent since the last call and posts it (every sink's Take calls
    // this first). The recording backend has nothing to read.
    virtual void Poll() {}
    // A descriptor that turns readable whenever the area has something to read or to do (a
    // call from the desktop, a balloon whose time ran out): a host's message loop waits on it
    // beside its own input and calls Poll, through its sink, when it does. -1 when the area
    // never has anything (the recording backend). The same for the area's whole lifetime.
    virtual int WaitDescriptor() const { return -1; }

protected:
    // Says why the call in progress failed when the desktop could not carry it out (text it
    // would not take, a notification server that did not answer, nowhere to show the icon),
    // as opposed to a refusal the platform makes too (an add of an icon already there).
    static void ReportFailure(std::string reason);
};

// One call as it was made, with its result.
struct AreaCall {
    enum class Kind : std::uint8_t { NotifyIcon, SetForegroundWindow, SetActiveWindow, GetCursorPos };
    Kind kind = Kind::NotifyIcon;
    std::uint32_t message = 0;  // NotifyIcon
    NotifyIconDataA record;     // NotifyIcon: the whole record as passed
    gdi::HWND window = 0;       // the window calls
    gdi::POINT cursor;          // GetCursorPos: the position returned
    bool result = false;
    std::string failure;  // why the desktop could not carry the call out; empty if it did
};

// The platform's calls, through the installed backend. A null record is refused (false).
bool Shell_NotifyIconA(std::uint32_t message, const NotifyIconDataA* record);
// Why the last Shell_NotifyIconA failed when the desktop could not carry it out; empty after a
// call that succeeded or was refused as the platform refuses.
const std::string& LastNotifyIconFailure();
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
// desktop when it has somewhere to show icons or balloons (a StatusNotifierWatcher or a
// notification server on the session bus, a system tray on the display); otherwise recording.
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
// Hands the callback to the sink that owns its window (the newest such sink); a callback for a
// window no sink owns is dropped, as a message to a destroyed window is.
void PostCallbackMessage(const CallbackMessage& callback);

// One host's share of the callbacks: those for the windows `owns` claims. A sink is known to
// the area from construction to destruction; everything runs on the host's one thread.
class CallbackSink {
public:
    using Owns = std::function<bool(gdi::HWND window)>;
    explicit CallbackSink(Owns owns);
    ~CallbackSink();
    CallbackSink(const CallbackSink&) = delete;
    CallbackSink& operator=(const CallbackSink&) = delete;

    bool OwnsWindow(gdi::HWND window) const { return owns_(window); }
    // Polls the area, then hands over the callbacks posted to this sink so far, oldest first.
    std::vector<CallbackMessage> Take();
    // Runs whenever a callback is posted to this sink, so a host whose loop is not waiting on
    // the area itself (a second widget of a live host) can schedule its own. It must not call
    // back into the area: it runs inside the poll that read the callback.
    void SetWakeup(std::function<void()> wakeup) { wakeup_ = std::move(wakeup); }

private:
    friend void PostCallbackMessage(const CallbackMessage& callback);
    Owns owns_;
    std::function<void()> wakeup_;
    std::vector<CallbackMessage> posted_;
};

// Polls the area in use, if one is (no backend is chosen for it), posting what it read.
void PollArea();
// The WaitDescriptor of the area in use; -1 while none is in use.
int AreaWaitDescriptor();

// What waiting for input beside the area ended with.
enum class InputWait : std::uint8_t { Readable, AreaActive, TimedOut };
// Waits until `input` is readable (or at its end, or failed: a read will tell), the area has
// something to do, or `timeout_ms` passed (-1: no limit). Signals do not end the wait early.
// With neither an input nor an area to wait on, a wait without limit ends at once (TimedOut).
InputWait WaitForInputOrArea(int input, int timeout_ms);

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
