// OVGradientPanel's mouse and drag events: each event of the panel's surface is raised again
// as the panel's own, with the same arguments by reference, so what a handler stores in them
// (Effect, DefaultCursors, AllowedEffects, Data) is what the platform sees afterwards. Only X
// and Y are copies, converted from the panel's scale to the parent's.
#include "panel/gradient_panel.h"

#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dispatch.h"
#include "platform/scale/scale.h"

namespace ov::panel {

namespace {

constexpr std::int32_t kLastSurfaceEvent = 11;  // OLECompleteDrag; Resize is the panel's own

bool IsCoordinate(const ParamDesc& p, std::string_view axis) { return EqualsIgnoreCase(p.name, axis); }

}  // namespace

// The parent's scale when it had one at loading, read again for every coordinate so that a
// later change of its ScaleMode shows; twips otherwise.
int OVGradientPanel::EventCoordinateTarget() const {
    if (!parent_scale_) return kScaleTwips;
    const std::shared_ptr<IDispatch> parent = Parent();
    if (!parent) return kScaleTwips;
    try {
        return CLng(GetProperty(*parent, "ScaleMode"));
    } catch (const AutomationError&) {
        return kScaleTwips;
    }
}

void OVGradientPanel::OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) {
    const EventDesc* desc = Info().FindEvent(event);
    if (!desc || desc->dispid > kLastSurfaceEvent || desc->params.size() != args.size()) return;
    std::vector<Variant> raised = args;
    for (std::size_t i = 0; i < desc->params.size(); ++i) {
        const ParamDesc& p = desc->params[i];
        if (IsCoordinate(p, "X"))
            raised[i] =
                Variant::FromSingle(static_cast<float>(ScaleX(CSng(args[i]), ScaleMode(), EventCoordinateTarget())));
        else if (IsCoordinate(p, "Y"))
            raised[i] =
                Variant::FromSingle(static_cast<float>(ScaleY(CSng(args[i]), ScaleMode(), EventCoordinateTarget())));
    }
    RaiseEvent(desc->dispid, raised);
    for (std::size_t i = 0; i < desc->params.size(); ++i)
        if (!IsCoordinate(desc->params[i], "X") && !IsCoordinate(desc->params[i], "Y")) args[i] = raised[i];
}

}  // namespace ov::panel
