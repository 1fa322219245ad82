#pragma once
// A control's mouse pointer as a Qt cursor: the standard pointers 0..15 by shape, 99 (custom)
// from the MouseIcon picture. An icon picture, the hand cursors of host/hand_cursor.h among
// them, becomes a bitmap cursor of its own pixels pointing with the picture's hot spot; a
// custom pointer without an icon shows the arrow.
#include <QCursor>
#include <cstdint>
#include <memory>

#include "platform/runtime/dispatch.h"

namespace ov::qt {

QCursor CursorForPointer(std::int16_t mouse_pointer, const std::shared_ptr<IDispatch>& mouse_icon);

}  // namespace ov::qt
