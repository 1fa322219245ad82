#pragma once
// The notification area of an X display without a StatusNotifierWatcher: the system tray an
// XEmbed panel (trayer, stalonetray, the older desktop panels) manages. Each icon is a small
// window of ours that the tray embeds after a dock request; it draws the icon's pixels scaled
// to the size the tray gives it and reports the pointer's presses as mouse messages.
//
// One connection to the display serves every icon. Nothing here blocks: Process reads what the
// display sent, and descriptor() says when there is something to read.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov::notifyarea {

class SystemTrayDisplay {
public:
    // A press, release, double click or move on an icon: the mouse message it stands for and
    // the pointer's place on the screen.
    using PointerHandler = std::function<void(std::uint32_t icon, std::uint32_t mouse_message, int x, int y)>;

    // The display $DISPLAY names; null when there is none or it cannot be opened.
    static std::unique_ptr<SystemTrayDisplay> Open(PointerHandler on_pointer);
    virtual ~SystemTrayDisplay() = default;

    // The connection's descriptor, readable when the display sent something.
    virtual int descriptor() const = 0;
    // Whether a tray manager owns the system-tray selection of the default screen.
    virtual bool TrayPresent() = 0;
    // A new icon window asked to be docked (again whenever a tray manager starts later);
    // returns its key, 0 when no window could be made. `argb` is 0xAARRGGBB, row-major,
    // top-down; `tip` is UTF-8 (it names the window).
    virtual std::uint32_t Dock(int width, int height, const std::vector<std::uint32_t>& argb,
                               const std::string& tip) = 0;
    virtual void SetIcon(std::uint32_t icon, int width, int height, const std::vector<std::uint32_t>& argb) = 0;
    virtual void SetTip(std::uint32_t icon, const std::string& tip) = 0;
    virtual void Undock(std::uint32_t icon) = 0;
    // Handles everything the display sent. Returns true when events are still queued on the
    // client side (read during a request), so the caller should come back at once.
    virtual bool Process() = 0;
};

}  // namespace ov::notifyarea
