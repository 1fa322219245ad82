#pragma once
// The desktop backend of the notification area: the icon as a StatusNotifierItem on the session
// D-Bus, balloons through org.freedesktop.Notifications.
#include <memory>

#include "platform/notifyarea/notification_area.h"

namespace ov::notifyarea {

// Connects to the session bus. Without `force`, only when a StatusNotifierWatcher is there
// to show the icon; with it, whenever the bus can be reached. Null when it cannot be had.
std::unique_ptr<NotificationArea> ConnectDesktopTray(bool force);

}  // namespace ov::notifyarea
