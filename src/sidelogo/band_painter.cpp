#include "sidelogo/band_painter.h"

#include <cmath>

#include "platform/gdi/scoped_objects.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::sidelogo {

namespace {

std::int16_t BlendChannel(int start, int delta, int height, int position) {
    const double value = start + static_cast<double>(height - position) * delta / height;
    if (!std::isfinite(value)) throw AutomationError(error::kOverflow);
    return CInt(Variant::FromDouble(value));
}

}  // namespace

int BandStep(int height) {
    const int step = height / 255;
    return step == 0 ? 1 : step;
}

void PaintBands(gdi::HDC dc, int width, int height, const ChannelTriple& start, const ChannelTriple& end) {
    const int step = BandStep(height);
    const int delta_red = end.red - start.red;
    const int delta_green = end.green - start.green;
    const int delta_blue = end.blue - start.blue;

    ChannelTriple colour = start;
    int bottom = height;
    for (int i = height; i >= 0; i -= step) {
        const gdi::RECT band{0, bottom - step, width, bottom};
        gdi::FillSolidRect(dc, band, ToColorRef(colour));
        bottom -= step;
        // The colour for the next band up: proportional to how far this band's index is from
        // the bottom, hence one band behind.
        colour.red = BlendChannel(start.red, delta_red, height, i);
        colour.green = BlendChannel(start.green, delta_green, height, i);
        colour.blue = BlendChannel(start.blue, delta_blue, height, i);
    }
}

}  // namespace ov::sidelogo
