#pragma once
// The desktop backend of the notification area: the icon as a StatusNotifierItem on the session
// D-Bus (or, with no StatusNotifierWatcher there, as an icon in the display's XEmbed system
// tray), balloons through org.freedesktop.Notifications.
#include <cstdint>
#include <memory>

#include "platform/notifyarea/notification_area.h"

namespace ov::notifyarea {

// The platform keeps a balloon up for at least ten seconds, whatever shorter time it is given.
inline constexpr std::int32_t kShortestBalloonMilliseconds = 10'000;

// Connects to the session bus. Without `force`, only when there is somewhere to show an icon
// or a balloon (a StatusNotifierWatcher or a notification server on the bus, a system tray on
// the display); with it, whenever the bus can be reached. Null when it cannot be had.
// `shortest_balloon_ms` is the least time a balloon stays up (tests shorten it).
std::unique_ptr<NotificationArea> ConnectDesktopTray(bool force,
                                                     std::int32_t shortest_balloon_ms = kShortestBalloonMilliseconds);

}  // namespace ov::notifyarea
