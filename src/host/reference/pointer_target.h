#pragma once
// Where the user's pointer meets a reference host's form: the topmost visible control under a
// form pixel and, inside it, the topmost constituent that takes mouse events (windowed picture
// boxes and text boxes above labels and images; lines, shapes and timers take none, nor does a
// disabled label), else the control's own surface. The coordinates are what the target's mouse
// events carry: its scale units from its top-left corner (a picture box's from its client area,
// offset by its ScaleLeft and ScaleTop), and the mouse pointer is the one the target asks for.
//
// A live host sends every pointer event through this: the target of a press keeps the pointer
// (capture) until the button goes up, so moves and the release are located on it even when
// they fall outside.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/reference/reference_only.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

class ReferenceHost;

struct PointerTarget {
    std::string control;                    // the host's name of the control
    std::string target;                     // "surface" or a constituent's qualified name ("lblTabItem(2)")
    float x = 0, y = 0;                     // the target's scale units from its top-left corner
    std::int16_t mouse_pointer = 0;         // 0 default, 1..15 the standard pointers, 99 custom
    std::shared_ptr<IDispatch> mouse_icon;  // the picture a custom pointer shows
};

// The target under form pixel (x, y); nullopt where only the form is.
std::optional<PointerTarget> FindPointerTarget(const ReferenceHost& host, int x, int y);

// `captured` located again at form pixel (x, y), wherever that is; nullopt when its control or
// constituent is gone.
std::optional<PointerTarget> LocatePointer(const ReferenceHost& host, const PointerTarget& captured, int x, int y);

}  // namespace ov::host
