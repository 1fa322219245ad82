#include "panel/transparency.h"

#include "host/contract/control.h"
#include "panel/shift_colour.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov::panel {

namespace {

constexpr gdi::COLORREF kWhite = 0xFFFFFF;
constexpr gdi::COLORREF kBlack = 0;

// The pixels a contained control covers on the panel, as the host composes it: its position
// and its size each rounded to whole pixels.
gdi::RECT CoveredPixels(const host::Control& panel, IDispatch& child) {
    const double left = CDbl(GetProperty(child, "Left"));
    const double top = CDbl(GetProperty(child, "Top"));
    const double width = CDbl(GetProperty(child, "Width"));
    const double height = CDbl(GetProperty(child, "Height"));
    const int x = panel.ToPixelsX(left), y = panel.ToPixelsY(top);
    return gdi::RECT{x, y, x + panel.ToPixelsX(width), y + panel.ToPixelsY(height)};
}

}  // namespace

void ApplySeeThroughMask(host::Control& panel, PictureBox& area) {
    area.SetPicture(area.Image());
    const std::int32_t back = ShiftColor(area.BackColor(), 0);
    const gdi::COLORREF mask_colour = back == 0 ? kWhite : kBlack;
    // The mask colour is BackColor as the mask picture holds it: a system colour translated
    // now, so a later change of the system colours leaves the mask and its colour in step
    // until the next repaint builds both again.
    panel.SetMaskColor(back);

    const gdi::HDC dc = area.hDC();
    const gdi::OwnedObject brush(gdi::CreateSolidBrush(mask_colour));
    for (const std::shared_ptr<IDispatch>& child : panel.ContainedControls()) {
        if (!child) continue;
        try {
            const gdi::RECT covered = CoveredPixels(panel, *child);
            gdi::FillRect(dc, &covered, brush.get());
        } catch (const AutomationError&) {
            // Its position or size cannot be read: the rest are still masked.
        }
    }

    panel.SetMaskPicture(area.Image());
    panel.SetBackStyle(0);
    area.Cls();
    area.Refresh();
}

}  // namespace ov::panel
