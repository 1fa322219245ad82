// Decoding of the number a notification carries: every message of the table, values next to
// them, and values that mean nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "trayicon/tray_notification.h"

namespace ov::trayicon {
namespace {

struct DecodeCase {
    float message;
    TrayEvent event;
    std::int16_t button;
};

TEST(TrayNotification, DecodesEveryMessageExactly) {
    const DecodeCase cases[] = {
        {512, TrayEvent::MouseMove, 0},
        {513, TrayEvent::MouseDown, 1},
        {514, TrayEvent::MouseUp, 1},
        {515, TrayEvent::MouseDblClick, 1},
        {516, TrayEvent::MouseDown, 2},
        {517, TrayEvent::MouseUp, 2},
        {518, TrayEvent::MouseDblClick, 2},
        {519, TrayEvent::MouseDown, 4},
        {520, TrayEvent::MouseUp, 4},
        {521, TrayEvent::MouseDblClick, 4},
        {1026, TrayEvent::BalloonShow, 0},
        {1027, TrayEvent::BalloonTimeoutOrHide, 0},
        {1028, TrayEvent::BalloonTimeoutOrHide, 0},
        {1029, TrayEvent::BalloonClick, 0},
        // Nothing: unknown messages, the neighbours of the table, fractions.
        {0, TrayEvent::None, 0},
        {511, TrayEvent::None, 0},
        {522, TrayEvent::None, 0},
        {1024, TrayEvent::None, 0},
        {1025, TrayEvent::None, 0},
        {1030, TrayEvent::None, 0},
        {512.5f, TrayEvent::None, 0},
        {-513, TrayEvent::None, 0},
        {std::nextafter(513.0f, 0.0f), TrayEvent::None, 0},
        {std::nextafter(1029.0f, 2000.0f), TrayEvent::None, 0},
    };
    for (const DecodeCase& c : cases) {
        const DecodedNotification decoded = DecodeNotification(c.message);
        EXPECT_EQ(decoded.event, c.event) << c.message;
        EXPECT_EQ(decoded.button, c.button) << c.message;
    }
}

}  // namespace
}  // namespace ov::trayicon
