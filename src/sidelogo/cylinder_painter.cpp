#include "sidelogo/cylinder_painter.h"

#include "platform/runtime/variant.h"

namespace ov::sidelogo {

namespace {

std::int16_t ToInteger16(double value) { return CInt(Variant::FromDouble(value)); }

std::int16_t Darken(std::int16_t channel) {
    const int lowered = channel - kCylinderDarkening;
    return static_cast<std::int16_t>(lowered <= 0 ? 0 : lowered);
}

}  // namespace

void PaintCylinder(double scale_width, double scale_height, const ChannelTriple& base, const FillBox& fill_box) {
    const std::int16_t centre = ToInteger16(scale_width / 2);
    const std::int16_t step = ToInteger16(scale_width / 45);
    const std::int16_t bottom = ToInteger16(scale_height);

    std::int16_t right_from = centre, right_to = ToInteger16(centre + step);
    std::int16_t left_from = centre, left_to = ToInteger16(centre - step);
    ChannelTriple colour = base;
    for (int pair = 0; pair < kCylinderPairs; ++pair) {
        const gdi::COLORREF fill = gdi::RGB(colour.red, colour.green, colour.blue);
        fill_box(right_from, 0, right_to, bottom, fill);
        fill_box(left_from, 0, left_to, bottom, fill);
        colour = ChannelTriple{Darken(colour.red), Darken(colour.green), Darken(colour.blue)};
        right_from = ToInteger16(right_from + step);
        right_to = ToInteger16(right_to + step);
        left_from = ToInteger16(left_from - step);
        left_to = ToInteger16(left_to - step);
    }
}

}  // namespace ov::sidelogo
