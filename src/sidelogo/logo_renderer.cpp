#include "sidelogo/logo_renderer.h"

#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"
#include "sidelogo/band_painter.h"
#include "sidelogo/caption_painter.h"
#include "sidelogo/cylinder_painter.h"

namespace ov::sidelogo {

namespace {

// Integer division as the language's "\" does it: both sides rounded to whole numbers first,
// then the quotient truncated; a zero divisor is an error.
int WholeDivide(double twips, int twips_per_pixel) {
    const std::int32_t dividend = CLng(Variant::FromDouble(twips));
    if (twips_per_pixel == 0) throw AutomationError(error::kDivisionByZero);
    return dividend / twips_per_pixel;
}

}  // namespace

bool RenderLogo(PictureBox& box, const gdi::ScreenSettings& screen, const LogoAppearance& logo) {
    try {
        const int height = WholeDivide(box.Height(), screen.twips_per_pixel_y);
        const int width = WholeDivide(box.Width(), screen.twips_per_pixel_x);

        if (logo.style == 1) {
            // Drawn with the box's own filled boxes in its twips scale.
            PaintCylinder(box.ScaleWidth(), box.ScaleHeight(), logo.start,
                          [&box](int x1, int y1, int x2, int y2, gdi::COLORREF colour) {
                              box.Line(x1, y1, x2, y2, colour, LineForm::FilledBox);
                          });
        } else {
            PaintBands(box.hDC(), width, height, logo.start, logo.end);
        }

        const std::shared_ptr<StdFont>& font = box.Font();
        PaintCaption(box.hDC(), height, logo.caption, font ? font->desc() : FontDesc{});
        box.Refresh();
        return true;
    } catch (const AutomationError&) {
        return false;
    }
}

}  // namespace ov::sidelogo
