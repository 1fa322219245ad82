#include "qt/palette_colours.h"

#include <QColor>

namespace ov::qt {

namespace {

using G = QPalette::ColorGroup;
using R = QPalette::ColorRole;

std::array<gdi::COLORREF, gdi::kSysColorCount> CurrentScheme() {
    std::array<gdi::COLORREF, gdi::kSysColorCount> scheme{};
    for (int i = 0; i < gdi::kSysColorCount; ++i) scheme[static_cast<std::size_t>(i)] = gdi::GetSysColor(i);
    return scheme;
}

bool SetScheme(const std::array<gdi::COLORREF, gdi::kSysColorCount>& scheme) {
    const bool changed = scheme != CurrentScheme();
    for (int i = 0; i < gdi::kSysColorCount; ++i) gdi::SetSysColorEntry(i, scheme[static_cast<std::size_t>(i)]);
    return changed;
}

}  // namespace

// System colour -> palette colour. Faces, frames and shades of buttons and 3-D edges come
// from the button roles (Button, Light, Midlight, Dark, Shadow), text entry backgrounds and
// their text from Base and Text, selections from Highlight, tool tips from the tool tip
// roles; captions of inactive windows and their text from the Inactive group, grey text from
// the Disabled group's Text; everything else from the Active group. Index 25 is a slot the
// classic scheme leaves unused (button face there); it follows Button.
const std::array<PaletteSource, gdi::kSysColorCount>& PaletteSources() {
    static const std::array<PaletteSource, gdi::kSysColorCount> table = {{
        {gdi::COLOR_SCROLLBAR, G::Active, R::Button},
        {gdi::COLOR_DESKTOP, G::Active, R::Dark},
        {gdi::COLOR_ACTIVECAPTION, G::Active, R::Highlight},
        {gdi::COLOR_INACTIVECAPTION, G::Inactive, R::Dark},
        {gdi::COLOR_MENU, G::Active, R::Window},
        {gdi::COLOR_WINDOW, G::Active, R::Base},
        {gdi::COLOR_WINDOWFRAME, G::Active, R::Shadow},
        {gdi::COLOR_MENUTEXT, G::Active, R::WindowText},
        {gdi::COLOR_WINDOWTEXT, G::Active, R::Text},
        {gdi::COLOR_CAPTIONTEXT, G::Active, R::HighlightedText},
        {gdi::COLOR_ACTIVEBORDER, G::Active, R::Button},
        {gdi::COLOR_INACTIVEBORDER, G::Inactive, R::Button},
        {gdi::COLOR_APPWORKSPACE, G::Active, R::Dark},
        {gdi::COLOR_HIGHLIGHT, G::Active, R::Highlight},
        {gdi::COLOR_HIGHLIGHTTEXT, G::Active, R::HighlightedText},
        {gdi::COLOR_BTNFACE, G::Active, R::Button},
        {gdi::COLOR_BTNSHADOW, G::Active, R::Dark},
        {gdi::COLOR_GRAYTEXT, G::Disabled, R::Text},
        {gdi::COLOR_BTNTEXT, G::Active, R::ButtonText},
        {gdi::COLOR_INACTIVECAPTIONTEXT, G::Inactive, R::Light},
        {gdi::COLOR_3DHIGHLIGHT, G::Active, R::Light},
        {gdi::COLOR_3DDKSHADOW, G::Active, R::Shadow},
        {gdi::COLOR_3DLIGHT, G::Active, R::Midlight},
        {gdi::COLOR_INFOTEXT, G::Active, R::ToolTipText},
        {gdi::COLOR_INFOBK, G::Active, R::ToolTipBase},
        {25, G::Active, R::Button},
        {gdi::COLOR_HOTLIGHT, G::Active, R::Link},
        {gdi::COLOR_GRADIENTACTIVECAPTION, G::Active, R::Highlight},
        {gdi::COLOR_GRADIENTINACTIVECAPTION, G::Inactive, R::Dark},
        {gdi::COLOR_MENUHILIGHT, G::Active, R::Highlight},
        {gdi::COLOR_MENUBAR, G::Active, R::Window},
    }};
    return table;
}

std::array<gdi::COLORREF, gdi::kSysColorCount> SchemeFromPalette(const QPalette& palette) {
    std::array<gdi::COLORREF, gdi::kSysColorCount> scheme{};
    for (const PaletteSource& source : PaletteSources()) {
        const QColor colour = palette.color(source.group, source.role);
        scheme[static_cast<std::size_t>(source.index)] = gdi::RGB(colour.red(), colour.green(), colour.blue());
    }
    return scheme;
}

bool ApplyPaletteColours(const QPalette& palette) { return SetScheme(SchemeFromPalette(palette)); }

bool ApplyClassicColours() {
    const std::array<gdi::COLORREF, gdi::kSysColorCount> before = CurrentScheme();
    gdi::ResetSysColors();
    return CurrentScheme() != before;
}

}  // namespace ov::qt
