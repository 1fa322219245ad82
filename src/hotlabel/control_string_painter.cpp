#include "hotlabel/control_string_painter.h"

#include <string>

#include "platform/runtime/variant.h"
#include "platform/scale/scale.h"

namespace ov::hotlabel {

namespace {

// A drawing position as a record keeps it: a 32-bit integer, halves to even (6 beyond range).
std::int32_t Stored(double position) { return CLng(Variant::FromDouble(position)); }

void SetUnderline(PictureBox& surface, bool underline) {
    const std::shared_ptr<StdFont>& font = surface.Font();
    if (font->desc().underline == underline) return;
    FontDesc desc = font->desc();
    desc.underline = underline;
    font->set_desc(desc);
}

// The state of the walk through the string.
struct Walk {
    bool inside = false;    // between an opening and a closing "~"
    std::int32_t k = 0;     // number of the current hot spot
    bool recorded = false;  // its record was rewritten at the opening "~"
};

void HotSpotMark(PictureBox& surface, Walk& walk, HotSpotTable& hot_spots) {
    walk.inside = !walk.inside;
    if (walk.inside) {
        // An opening "~" beyond the last pair (an odd last one) records nothing.
        if (walk.k + 1 > hot_spots.count) return;
        ++walk.k;
        HotSpot& spot = hot_spots(walk.k);
        walk.recorded = surface.CurrentX() != static_cast<double>(spot.left);
        if (walk.recorded) {
            spot.left = Stored(surface.CurrentX());
            spot.top = Stored(surface.CurrentY());
        }
    } else if (walk.recorded && walk.k >= 1 && walk.k <= hot_spots.count) {
        hot_spots(walk.k).right = Stored(surface.CurrentX());
    }
}

void InlinePicture(PictureBox& surface, PictureBox& picture) {
    const double x = surface.CurrentX(), y = surface.CurrentY();
    gdi::BitBlt(surface.hDC(), surface.ToPixelX(x + kPictureGap), surface.ToPixelY(y),
                RoundToPixels(picture.ScaleWidth()), RoundToPixels(picture.ScaleHeight()), picture.hDC(), 0, 0,
                gdi::SRCCOPY);
    const double outer_width = picture.ScaleX(picture.Width(), picture.container_scale_mode(), kScalePixels);
    surface.SetCurrentX(x + outer_width + kPictureGap);
}

}  // namespace

void RenderControlString(PictureBox& surface, PictureBox& picture, std::string_view control_string,
                         const ControlStringColours& colours, const Hover& hover, HotSpotTable& hot_spots) {
    if (hot_spots.count == 0) CountHotSpots(control_string, hot_spots);
    surface.Cls();
    surface.SetCurrentX(kTextOrigin);
    surface.SetCurrentY(kTextOrigin);

    Walk walk;
    std::string character(1, ' ');
    for (std::size_t i = 0; i < control_string.size(); ++i) {
        const char c = control_string[i];
        if (c == '\r' || c == '\n') {
            // A line break starts the next line where every line starts, as a wrap does; CR LF
            // is one break.
            if (c == '\n' && i > 0 && control_string[i - 1] == '\r') continue;
            surface.SetCurrentX(kTextOrigin);
            surface.SetCurrentY(surface.CurrentY() + surface.TextHeight(character) + kLineGap);
            continue;
        }
        if (c == kHotSpotMark) {
            HotSpotMark(surface, walk, hot_spots);
            continue;
        }
        if (c == kPictureMark) {
            InlinePicture(surface, picture);
            continue;
        }
        const OleColor colour = !walk.inside                            ? colours.fore
                                : (walk.k == hover.index && hover.over) ? colours.highlight
                                                                        : colours.hotspot;
        // Setting the value the surface already holds changes nothing, so only changes are set.
        if (surface.ForeColor() != colour) surface.SetForeColor(colour);
        SetUnderline(surface, walk.inside);

        character[0] = c;
        if (surface.CurrentX() + surface.TextWidth(character) > surface.ScaleWidth()) {
            surface.SetCurrentX(kTextOrigin);
            surface.SetCurrentY(surface.CurrentY() + surface.TextHeight(character) + kLineGap);
        }
        surface.Print(character);
    }
    surface.Refresh();
}

}  // namespace ov::hotlabel
