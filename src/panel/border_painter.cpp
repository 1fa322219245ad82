#include "panel/border_painter.h"

#include <algorithm>

#include "panel/panel_enums.h"
#include "panel/shaded_border_painter.h"
#include "panel/shift_colour.h"
#include "platform/gdi/gdi.h"
#include "platform/picturebox/picture_box.h"
#include "platform/scale/scale.h"

namespace ov::panel {

namespace {

OleColor Plain(std::int32_t colour) { return static_cast<OleColor>(colour); }

// The box and line operations of the drawing area between the given pixel offsets: `x2` and
// `y2` count from the far edges.
void Box(PictureBox& area, const FrameGeometry& g, int x1, int y1, int far_x2, int far_y2, std::int32_t colour) {
    area.Line(g.NearX(x1), g.NearY(y1), g.FarX(far_x2), g.FarY(far_y2), Plain(colour), LineForm::Box);
}

void HorizontalLine(PictureBox& area, const FrameGeometry& g, int y, int x1, int far_x2, std::int32_t colour) {
    area.Line(g.NearX(x1), g.NearY(y), g.FarX(far_x2), g.NearY(y), Plain(colour));
}

void VerticalLine(PictureBox& area, const FrameGeometry& g, int x, int y1, int far_y2, std::int32_t colour) {
    area.Line(g.NearX(x), g.NearY(y1), g.NearX(x), g.FarY(far_y2), Plain(colour));
}

// The drawing area's extent in pixels, as the shaded frames measure it.
int AreaPixels(const PictureBox& area, Axis axis) {
    return axis == Axis::X ? RoundToPixels(area.ScaleX(area.ScaleWidth(), area.ScaleMode(), kScalePixels))
                           : RoundToPixels(area.ScaleY(area.ScaleHeight(), area.ScaleMode(), kScalePixels));
}

// Four bands along the edges, `top` rows deep at the top and so on (clipped by whoever uses
// them): what a frame changes lies in them.
std::vector<gdi::RECT> EdgeBands(int w, int h, int top, int bottom, int left, int right) {
    return {gdi::RECT{0, 0, w, top}, gdi::RECT{0, h - bottom, w, h}, gdi::RECT{0, 0, left, h},
            gdi::RECT{w - right, 0, w, h}};
}

// The classic frames lie on the two outermost rings; the far-edge coordinates pass through the
// area's scale, so a band of four pixels along each edge holds them whatever the rounding.
std::vector<gdi::RECT> ClassicFrameBands(int w, int h) {
    constexpr int kBand = 4;
    return EdgeBands(w, h, kBand, kBand, kBand, kBand);
}

// A shaded frame's runs each lie along one edge, at most as deep as its outermost ring: the
// bands reach the deepest run on each side (a run in the middle of a tiny panel counts for the
// nearer edge, and the bands then overlap).
std::vector<gdi::RECT> ShiftedBands(const ShiftProgram& program, int w, int h) {
    int top = 0, bottom = 0, left = 0, right = 0;
    for (const ShiftRun& run : program) {
        if (run.first > run.last) continue;
        const int extent = run.along == ShiftRun::Along::Row ? h : w;
        int& near = run.along == ShiftRun::Along::Row ? top : left;
        int& far = run.along == ShiftRun::Along::Row ? bottom : right;
        if (run.line < extent - 1 - run.line) near = std::max(near, run.line + 1);
        else far = std::max(far, extent - run.line);
    }
    return EdgeBands(w, h, top, bottom, left, right);
}

}  // namespace

BorderColours ComputeBorderColours(std::int32_t style, std::int32_t border_colour) {
    if (style != gpsGradient && style != gpsPicture && style != gpsTransparent) {
        return BorderColours{static_cast<std::int32_t>(gdi::GetSysColor(gdi::COLOR_BTNSHADOW)),
                             static_cast<std::int32_t>(gdi::GetSysColor(gdi::COLOR_3DDKSHADOW)),
                             static_cast<std::int32_t>(gdi::GetSysColor(gdi::COLOR_3DLIGHT)),
                             static_cast<std::int32_t>(gdi::GetSysColor(gdi::COLOR_3DHIGHLIGHT))};
    }
    const auto colour = static_cast<std::uint32_t>(border_colour);
    return BorderColours{ShiftColor(colour, kShadowShift), ShiftColor(colour, kDarkShadowShift),
                         ShiftColor(colour, kLightShift), ShiftColor(colour, kHighlightShift)};
}

void DrawClassicFlatFrame(PictureBox& area, const FrameGeometry& g, int o, bool inset, const BorderColours& c) {
    const std::int32_t outline = inset ? c.highlight : c.dark_shadow;
    const std::int32_t top_left = inset ? c.dark_shadow : c.highlight;
    Box(area, g, o, o, o + 1, o + 1, outline);
    VerticalLine(area, g, o, o, o + 1, top_left);
    HorizontalLine(area, g, o, o, o + 1, top_left);
}

void DrawClassic3DFrame(PictureBox& area, const FrameGeometry& g, int o, bool inset, const BorderColours& c) {
    // The boxes lay down the bottom and right edges of both rings; the lines then overwrite
    // the top and left edges.
    Box(area, g, o + 1, o + 1, o + 2, o + 2, inset ? c.highlight : c.shadow);
    Box(area, g, o, o, o + 1, o + 1, inset ? c.light : c.dark_shadow);
    const std::int32_t outer = inset ? c.dark_shadow : c.highlight;
    HorizontalLine(area, g, o, o, o + 1, outer);
    VerticalLine(area, g, o, o, o + 1, outer);
    const std::int32_t inner = inset ? c.shadow : c.light;
    HorizontalLine(area, g, o + 1, o + 1, o + 2, inner);
    VerticalLine(area, g, o + 1, o + 1, o + 2, inner);
}

void DrawClassicEtchedFrame(PictureBox& area, const FrameGeometry& g, int o, const BorderColours& c) {
    Box(area, g, o, o, o + 1, o + 1, c.highlight);
    Box(area, g, o + 1, o + 1, o + 1, o + 1, c.highlight);
    Box(area, g, o, o, o + 2, o + 2, c.dark_shadow);
}

namespace {

bool ClassicFrame(const BorderSettings& s) {
    return s.classic && s.appearance != gpaBevelRaised && s.appearance != gpaBevelInset;
}

// The shifts of a shaded frame or a bevel on a w x h area.
ShiftProgram ShadedProgram(int w, int h, const BorderSettings& s) {
    switch (s.appearance) {
        case gpaFlatRaised:
        case gpaFlatInset: return ShadedFlatFrame(w, h, 0, s.appearance == gpaFlatInset);
        case gpa3DRaised:
        case gpa3DInset: return Shaded3DFrame(w, h, 0, s.appearance == gpa3DInset);
        case gpaBevelRaised:
        case gpaBevelInset: return BevelRings(w, h, 0, s.bevel_width, s.bevel_intensity, s.appearance == gpaBevelInset);
        default: return ShadedEtchedFrame(w, h, 0);
    }
}

std::vector<gdi::RECT> ClassicBandsOf(const PictureBox& area, int w, int h) {
    return ClassicFrameBands(std::max(w, area.client_width()), std::max(h, area.client_height()));
}

}  // namespace

std::vector<gdi::RECT> BorderBands(const PictureBox& area, const BorderSettings& s) {
    if (s.appearance == gpaNone) return {};
    const int w = AreaPixels(area, Axis::X), h = AreaPixels(area, Axis::Y);
    if (ClassicFrame(s)) return ClassicBandsOf(area, w, h);
    return ShiftedBands(ShadedProgram(w, h, s), w, h);
}

std::vector<gdi::RECT> DrawBorder(PictureBox& area, const FrameGeometry& geometry, const BorderSettings& s,
                                  const gdi::RECT* redo_within) {
    if (s.appearance == gpaNone) return {};
    const int w = AreaPixels(area, Axis::X), h = AreaPixels(area, Axis::Y);
    if (ClassicFrame(s)) {
        switch (s.appearance) {
            case gpaFlatRaised:
            case gpaFlatInset: DrawClassicFlatFrame(area, geometry, 0, s.appearance == gpaFlatInset, s.colours); break;
            case gpa3DRaised:
            case gpa3DInset: DrawClassic3DFrame(area, geometry, 0, s.appearance == gpa3DInset, s.colours); break;
            default: DrawClassicEtchedFrame(area, geometry, 0, s.colours); break;
        }
        return ClassicBandsOf(area, w, h);
    }
    const ShiftProgram program = ShadedProgram(w, h, s);
    RunShifts(area.hDC(), program, redo_within);
    return ShiftedBands(program, w, h);
}

}  // namespace ov::panel
