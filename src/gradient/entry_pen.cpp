#include "gradient/entry_pen.h"

namespace ov::gradient {

EntryPen::EntryPen(gdi::HDC dc, const ColourTable& table, std::int64_t index) : dc_(dc) {
    if (index < 0 || index >= static_cast<std::int64_t>(table.size())) return;
    pen_ = gdi::CreatePen(gdi::PS_SOLID, 1, static_cast<gdi::COLORREF>(table[static_cast<std::size_t>(index)]));
    if (pen_) previous_ = gdi::SelectObject(dc_, pen_);
}

EntryPen::~EntryPen() {
    if (!pen_) return;
    if (previous_) gdi::SelectObject(dc_, previous_);
    gdi::DeleteObject(pen_);
}

}  // namespace ov::gradient
