#pragma once
// Drags from another application over a host's form, as the controls see them: the control
// under the pointer that accepts drops (its drop mode, or its text box's, is manual) gets
// OLEDragOver with the data, the effects the source allows, the buttons, the shift state,
// the position in the target's scale and the state (0 the drag came onto it, 2 it moves over
// it, 1 it left), and OLEDragDrop when the data is dropped on it. What a handler leaves in
// Effect is the effect the window system shows and reports to the source. A text box whose
// drop mode is automatic takes dropped text itself, where it is dropped, without events.
#include <cstdint>
#include <memory>
#include <optional>

#include "host/reference/data_object.h"
#include "host/reference/pointer_target.h"
#include "host/reference/reference_only.h"

namespace ov::host {

class ReferenceHost;

inline constexpr std::int32_t kDropEffectNone = 0, kDropEffectCopy = 1, kDropEffectMove = 2;
inline constexpr std::int16_t kDragEnter = 0, kDragLeave = 1, kDragOver = 2;

class DropTracker {
public:
    explicit DropTracker(ReferenceHost& host) : host_(host) {}

    // The drag carrying `data` moved to form pixel (x, y); returns the effect for this place
    // (kDropEffectNone where nothing takes the drop). The control it left hears State 1 first.
    std::int32_t Over(const std::shared_ptr<DataObject>& data, int x, int y, std::int32_t allowed,
                      std::int16_t button, std::int16_t shift);
    // The drag left the window (or was cancelled): State 1 to the control it was over.
    void Leave();
    // The data was dropped at (x, y); returns the effect the drop had.
    std::int32_t Drop(const std::shared_ptr<DataObject>& data, int x, int y, std::int32_t allowed,
                      std::int16_t button, std::int16_t shift);

private:
    enum class Mode : std::uint8_t { None, Manual, Automatic };
    Mode DropModeOf(const PointerTarget& target) const;
    std::int32_t Raise(const PointerTarget& target, const char* event, const std::shared_ptr<DataObject>& data,
                       std::int32_t effect, std::int16_t button, std::int16_t shift, std::optional<std::int16_t> state);

    ReferenceHost& host_;
    std::optional<PointerTarget> over_;  // the manual drop target the drag is over
    std::shared_ptr<DataObject> data_;   // what it carries, for the State 1 of a leave
};

}  // namespace ov::host
