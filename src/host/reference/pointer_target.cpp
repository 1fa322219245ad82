#include "host/reference/pointer_target.h"

#include <algorithm>

#include "host/contract/control.h"
#include "host/reference/form_composition.h"
#include "host/reference/object_registry.h"
#include "host/reference/reference_host.h"
#include "host/contract/text_box.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/scale/scale.h"

namespace ov::host {

namespace {

struct PixelBox {
    std::int64_t left, top, right, bottom;  // half-open
    bool Holds(std::int64_t x, std::int64_t y) const { return x >= left && x < right && y >= top && y < bottom; }
};

PixelBox BoxOf(const Control& owner, const Constituent& c) {
    return {owner.ToPixelsX(c.Left()), owner.ToPixelsY(c.Top()), owner.ToPixelsX(c.Left() + c.Width()),
            owner.ToPixelsY(c.Top() + c.Height())};
}

bool TakesMouse(const Constituent& c) {
    if (!c.Visible()) return false;
    switch (c.kind()) {
        case ConstituentKind::Label: return static_cast<const Label&>(c).Enabled();
        case ConstituentKind::Image:
        case ConstituentKind::PictureBox:
        case ConstituentKind::TextBox: return true;
        default: return false;
    }
}

// Fills in the coordinates and the pointer of `source` (nullptr: the surface) for the
// control-relative pixel (x, y).
void Describe(const Control& control, const Constituent* source, std::int64_t x, std::int64_t y, PointerTarget& out) {
    const auto px = static_cast<double>(x), py = static_cast<double>(y);
    if (!source) {
        out.target = "surface";
        out.x = static_cast<float>(control.ScaleX(px, kScalePixels));
        out.y = static_cast<float>(control.ScaleY(py, kScalePixels));
        out.mouse_pointer = control.MousePointer();
        out.mouse_icon = control.MouseIcon();
        return;
    }
    out.target = source->QualifiedName();
    const PixelBox box = BoxOf(control, *source);
    if (source->kind() == ConstituentKind::PictureBox) {
        // A picture box's events are in its own scale, from its client area inside the frame.
        const ov::PictureBox& picture_box = static_cast<const ConstituentPictureBox&>(*source).box();
        const int frame = picture_box.BorderStyle() == 1 ? 2 : 0;
        const int mode = picture_box.ScaleMode();
        out.x = static_cast<float>(picture_box.ScaleLeft() +
                                   picture_box.ScaleX(px - static_cast<double>(box.left + frame), kScalePixels, mode));
        out.y = static_cast<float>(picture_box.ScaleTop() +
                                   picture_box.ScaleY(py - static_cast<double>(box.top + frame), kScalePixels, mode));
        out.mouse_pointer = static_cast<std::int16_t>(picture_box.MousePointer());
        out.mouse_icon = picture_box.MouseIcon();
        return;
    }
    // Lightweight constituents and text boxes report in the owner's scale, from their corner.
    out.x = static_cast<float>(control.ScaleX(px, kScalePixels) - source->Left());
    out.y = static_cast<float>(control.ScaleY(py, kScalePixels) - source->Top());
    out.mouse_pointer = 0;
    out.mouse_icon = nullptr;
    if (source->kind() == ConstituentKind::Label) {
        const auto& label = static_cast<const Label&>(*source);
        out.mouse_pointer = label.MousePointer();
        out.mouse_icon = label.MouseIcon();
    } else if (source->kind() == ConstituentKind::TextBox) {
        // A text box's default pointer is the I-beam (3), as the platform's edit fields show.
        const auto& box = static_cast<const TextBox&>(*source);
        out.mouse_pointer = box.MousePointer() == 0 ? std::int16_t{3} : box.MousePointer();
        out.mouse_icon = box.MouseIcon();
    }
}

// The constituent that takes a press at control-relative pixel (x, y): windowed ones lie above
// the lightweight ones, and later ones above earlier ones.
const Constituent* ConstituentAt(const Control& control, std::int64_t x, std::int64_t y) {
    const auto& all = control.constituents();
    for (bool windowed : {true, false})
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            const Constituent& c = **it;
            if (c.IsLightweight() == windowed || !TakesMouse(c)) continue;
            if (BoxOf(control, c).Holds(x, y)) return &c;
        }
    return nullptr;
}

// Searches the children of `container` (nullptr: the form) from the top of the z-order down;
// a control's own children lie above it. `clip` is the container's client area in form pixels.
const HostEntry* EntryAt(const ObjectRegistry& objects, const HostEntry* container, const PixelBox& clip,
                         std::int64_t x, std::int64_t y) {
    if (!clip.Holds(x, y)) return nullptr;
    const auto& entries = objects.entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const HostEntry& e = **it;
        if (e.container != container || !e.Shown()) continue;
        const FormPoint at = FormComposition::OriginOf(&e);
        const PixelBox own{at.x, at.y, at.x + e.control->PixelWidth(), at.y + e.control->PixelHeight()};
        if (!own.Holds(x, y)) continue;
        const PixelBox inner{std::max(own.left, clip.left), std::max(own.top, clip.top),
                             std::min(own.right, clip.right), std::min(own.bottom, clip.bottom)};
        if (const HostEntry* child = EntryAt(objects, &e, inner, x, y)) return child;
        return &e;
    }
    return nullptr;
}

}  // namespace

std::optional<PointerTarget> FindPointerTarget(const ReferenceHost& host, int x, int y) {
    const PixelBox form{0, 0, TwipsToPixels(host.form_object()->Width(), Axis::X),
                        TwipsToPixels(host.form_object()->Height(), Axis::Y)};
    const HostEntry* entry = EntryAt(host.objects(), nullptr, form, x, y);
    if (!entry) return std::nullopt;
    const FormPoint origin = FormComposition::OriginOf(entry);
    const std::int64_t local_x = x - origin.x, local_y = y - origin.y;
    PointerTarget target;
    target.control = entry->name;
    Describe(*entry->control, ConstituentAt(*entry->control, local_x, local_y), local_x, local_y, target);
    return target;
}

std::optional<PointerTarget> LocatePointer(const ReferenceHost& host, const PointerTarget& captured, int x, int y) {
    const HostEntry* entry = host.objects().Find(captured.control);
    if (!entry || !entry->control || entry->control->stage() == LifecycleStage::Terminated) return std::nullopt;
    const Constituent* source = nullptr;
    if (captured.target != "surface") {
        source = entry->control->FindConstituent(captured.target);
        if (!source) return std::nullopt;
    }
    const FormPoint origin = FormComposition::OriginOf(entry);
    PointerTarget target;
    target.control = entry->name;
    Describe(*entry->control, source, x - origin.x, y - origin.y, target);
    return target;
}

}  // namespace ov::host
