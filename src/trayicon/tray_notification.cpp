#include "trayicon/tray_notification.h"

#include "platform/notifyarea/notify_icon_data.h"

namespace ov::trayicon {

namespace {

using namespace notifyarea;

struct NotificationRow {
    std::uint32_t message;
    TrayEvent event;
    std::int16_t button;
};

constexpr std::int16_t kLeft = 1, kRight = 2, kMiddle = 4;

// Hiding and timing out of a balloon are one event for the application.
constexpr NotificationRow kNotifications[] = {
    {kWmMouseMove, TrayEvent::MouseMove, 0},
    {kWmLButtonDown, TrayEvent::MouseDown, kLeft},
    {kWmLButtonUp, TrayEvent::MouseUp, kLeft},
    {kWmLButtonDblClk, TrayEvent::MouseDblClick, kLeft},
    {kWmRButtonDown, TrayEvent::MouseDown, kRight},
    {kWmRButtonUp, TrayEvent::MouseUp, kRight},
    {kWmRButtonDblClk, TrayEvent::MouseDblClick, kRight},
    {kWmMButtonDown, TrayEvent::MouseDown, kMiddle},
    {kWmMButtonUp, TrayEvent::MouseUp, kMiddle},
    {kWmMButtonDblClk, TrayEvent::MouseDblClick, kMiddle},
    {kNinBalloonShow, TrayEvent::BalloonShow, 0},
    {kNinBalloonHide, TrayEvent::BalloonTimeoutOrHide, 0},
    {kNinBalloonTimeout, TrayEvent::BalloonTimeoutOrHide, 0},
    {kNinBalloonUserClick, TrayEvent::BalloonClick, 0},
};

}  // namespace

DecodedNotification DecodeNotification(float message) {
    for (const NotificationRow& row : kNotifications)
        if (message == static_cast<float>(row.message)) return {row.event, row.button};
    return {};
}

}  // namespace ov::trayicon
