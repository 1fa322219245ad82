#include "host/reference/drop_target.h"

#include "host/contract/text_box.h"
#include "host/reference/reference_host.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"

namespace ov::host {

namespace {

TextBox* TextBoxOf(const ReferenceHost& host, const PointerTarget& target) {
    Control* control = host.FindControl(target.control);
    Constituent* constituent = control ? control->FindConstituent(target.target) : nullptr;
    if (!constituent || constituent->kind() != ConstituentKind::TextBox) return nullptr;
    return static_cast<TextBox*>(constituent);
}

bool SameTarget(const PointerTarget& a, const PointerTarget& b) {
    return EqualsIgnoreCase(a.control, b.control) && EqualsIgnoreCase(a.target, b.target);
}

}  // namespace

DropTracker::Mode DropTracker::DropModeOf(const PointerTarget& target) const {
    std::int16_t mode = 0;
    if (const TextBox* box = TextBoxOf(host_, target)) mode = box->OLEDropMode();
    else if (const Control* control = host_.FindControl(target.control)) mode = control->OLEDropMode();
    return mode == 1 ? Mode::Manual : mode == 2 ? Mode::Automatic : Mode::None;
}

std::int32_t DropTracker::Raise(const PointerTarget& target, const char* event, const std::shared_ptr<DataObject>& data,
                                std::int32_t effect, std::int16_t button, std::int16_t shift,
                                std::optional<std::int16_t> state) {
    std::vector<Variant> args = {Variant::FromObject(data), Variant::FromLong(effect), Variant::FromInteger(button),
                                 Variant::FromInteger(shift), Variant::FromSingle(target.x), Variant::FromSingle(target.y)};
    if (state) args.push_back(Variant::FromInteger(*state));
    try {
        for (const ChangedArgument& changed : host_.Fire(target.control, target.target, event, std::move(args)))
            if (EqualsIgnoreCase(changed.name, "Effect")) effect = CLng(changed.value);
    } catch (const AutomationError&) {
        // A handler's error ends that event, as a window procedure drops it; the effect stays.
    }
    return effect;
}

std::int32_t DropTracker::Over(const std::shared_ptr<DataObject>& data, int x, int y, std::int32_t allowed,
                               std::int16_t button, std::int16_t shift) {
    std::optional<PointerTarget> under = FindPointerTarget(host_, x, y);
    const Mode mode = under ? DropModeOf(*under) : Mode::None;
    if (over_ && !(under && mode == Mode::Manual && SameTarget(*over_, *under))) Leave();
    if (mode == Mode::Automatic)
        return data->text() && TextBoxOf(host_, *under) ? kDropEffectCopy & allowed : kDropEffectNone;
    if (mode != Mode::Manual) return kDropEffectNone;
    const std::int16_t state = over_ ? kDragOver : kDragEnter;
    over_ = under;
    data_ = data;
    return Raise(*under, "OLEDragOver", data, allowed, button, shift, state);
}

void DropTracker::Leave() {
    if (!over_) return;
    const PointerTarget left = *over_;
    const std::shared_ptr<DataObject> data = data_;
    over_.reset();
    data_.reset();
    // Where the drag was last seen, in the target's scale, as the platform reports a leave.
    if (host_.FindControl(left.control)) Raise(left, "OLEDragOver", data, kDropEffectNone, 0, 0, kDragLeave);
}

std::int32_t DropTracker::Drop(const std::shared_ptr<DataObject>& data, int x, int y, std::int32_t allowed,
                               std::int16_t button, std::int16_t shift) {
    std::optional<PointerTarget> under = FindPointerTarget(host_, x, y);
    const Mode mode = under ? DropModeOf(*under) : Mode::None;
    if (over_ && !(under && mode == Mode::Manual && SameTarget(*over_, *under))) Leave();
    over_.reset();
    data_.reset();
    if (mode == Mode::Automatic) {
        TextBox* box = TextBoxOf(host_, *under);
        if (!box || !data->text() || (allowed & kDropEffectCopy) == 0) return kDropEffectNone;
        try {
            box->DropText(under->x, *data->text());
        } catch (const AutomationError&) {
        }
        return kDropEffectCopy;
    }
    if (mode != Mode::Manual) return kDropEffectNone;
    return Raise(*under, "OLEDragDrop", data, allowed, button, shift, std::nullopt);
}

}  // namespace ov::host
