#include "panel/caption_painter.h"

#include <algorithm>
#include <vector>

#include "panel/panel_enums.h"
#include "panel/shift_colour.h"
#include "platform/limits.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/rounding.h"

namespace ov::panel {

namespace {

constexpr OleColor kWhite = 0xFFFFFF;
constexpr std::int64_t kLighterText = 60;

struct ExtraPass {
    int offset;  // the same in both directions
    bool white;  // else the text colour lightened by 60
};

std::vector<ExtraPass> ExtraPasses(std::int32_t style) {
    switch (style) {
        case gpcInsetLight: return {{+1, true}};
        case gpcInsetHeavy: return {{-1, false}, {+1, true}};
        case gpcRaisedLight: return {{-1, true}};
        case gpcRaisedHeavy: return {{-1, true}, {+1, false}};
        case gpcDropShadow: return {{+1, false}};
        default: return {};
    }
}

// Edges are worked out in double (exact at these magnitudes) and held within the drawing
// layer's coordinates, so a cushion near 2^31 places the caption far off the panel instead of
// overflowing an int; the text's own size then fits beside them.
int Nearest(double value) {
    constexpr double kLimit = limits::kMaxPixelCoordinate;
    return static_cast<int>(std::clamp(RoundHalfEven(value), -kLimit, kLimit));
}

void DrawSingleLine(gdi::HDC dc, const std::string& text, gdi::RECT rect) {
    gdi::DrawTextA(dc, text.data(), static_cast<int>(text.size()), &rect, gdi::DT_SINGLELINE);
}

}  // namespace

gdi::RECT PlaceCaption(const CaptionLayout& layout, int tw, int th) {
    const double c = layout.cushion, w = layout.panel_width, h = layout.panel_height;
    const int left_edge = Nearest(c), top_edge = Nearest(c);
    const int right_edge = Nearest(w - tw - (c + 1)), bottom_edge = Nearest(h - th - (c + 1));
    const int centre_x = Nearest((w - tw) / 2), middle_y = Nearest((h - th) / 2);
    int left = centre_x, top = middle_y;
    switch (layout.alignment) {
        case gpaLeftTop: left = left_edge, top = top_edge; break;
        case gpaLeftMiddle: left = left_edge, top = middle_y; break;
        case gpaLeftBottom: left = left_edge, top = bottom_edge; break;
        case gpaRightTop: left = right_edge, top = top_edge; break;
        case gpaRightMiddle: left = right_edge, top = middle_y; break;
        case gpaRightBottom: left = right_edge, top = bottom_edge; break;
        case gpaCenterTop: top = top_edge; break;
        case gpaCenterBottom: top = bottom_edge; break;
        default: break;  // gpaCenterMiddle and any value outside the enumeration
    }
    return gdi::RECT{left, top, left + tw, top + th};
}

gdi::RECT PlaceCaptionText(const std::string& text, PictureBox& area, const CaptionLayout& layout) {
    gdi::RECT measured = layout.client;
    gdi::DrawTextA(area.hDC(), text.data(), static_cast<int>(text.size()), &measured, gdi::DT_CALCRECT);
    return PlaceCaption(layout, measured.right - measured.left, measured.bottom - measured.top);
}

gdi::RECT CaptionBounds(const gdi::RECT& placed) {
    return gdi::RECT{placed.left - 1, placed.top - 1, placed.right + 1, placed.bottom + 1};
}

gdi::RECT DrawCaptionAt(const std::string& text, PictureBox& area, std::int32_t style, const gdi::RECT& rect) {
    const gdi::HDC dc = area.hDC();
    const OleColor fore = area.ForeColor();
    const std::vector<ExtraPass> passes = ExtraPasses(style);
    for (const ExtraPass& pass : passes) {
        area.SetForeColor(pass.white ? kWhite : static_cast<OleColor>(ShiftColor(fore, kLighterText)));
        DrawSingleLine(dc, text,
                       gdi::RECT{rect.left + pass.offset, rect.top + pass.offset, rect.right + pass.offset,
                                 rect.bottom + pass.offset});
    }
    if (!passes.empty()) area.SetForeColor(fore);
    DrawSingleLine(dc, text, rect);
    return CaptionBounds(rect);
}

gdi::RECT DrawCaption(const std::string& text, PictureBox& area, const CaptionLayout& layout) {
    return DrawCaptionAt(text, area, layout.style, PlaceCaptionText(text, area, layout));
}

}  // namespace ov::panel
