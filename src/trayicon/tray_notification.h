#pragma once
// What a notification on the tray icon means. The notification area reports activity by
// sending the icon's callback message (the mouse-move message) to the control's window with
// the mouse or balloon message in place of the x coordinate; the control gets it as its own
// mouse-move event and decodes that number here.
#include <cstdint>

namespace ov::trayicon {

enum class TrayEvent : std::uint8_t {
    None,
    MouseMove,
    MouseDown,
    MouseUp,
    MouseDblClick,
    BalloonShow,
    BalloonTimeoutOrHide,
    BalloonClick
};

struct DecodedNotification {
    TrayEvent event = TrayEvent::None;
    std::int16_t button = 0;  // MouseDown, MouseUp, MouseDblClick: 1 left, 2 right, 4 middle
};

// `message` is the event's X divided by the screen's twips per pixel, in single precision,
// and matches a message only when it equals it exactly: 512.5 is no message at all.
DecodedNotification DecodeNotification(float message);

}  // namespace ov::trayicon
