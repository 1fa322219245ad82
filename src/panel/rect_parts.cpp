#include "panel/rect_parts.h"

#include <algorithm>

namespace ov::panel {

namespace {

bool Empty(const gdi::RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

// `piece` less `cut`, as up to four rects: the full-width strips above and below the cut, then
// the parts left and right of it between them.
void Subtract(const gdi::RECT& piece, const gdi::RECT& cut, std::vector<gdi::RECT>& out) {
    const gdi::RECT overlap{std::max(piece.left, cut.left), std::max(piece.top, cut.top),
                            std::min(piece.right, cut.right), std::min(piece.bottom, cut.bottom)};
    if (Empty(overlap)) {
        out.push_back(piece);
        return;
    }
    const gdi::RECT parts[] = {
        {piece.left, piece.top, piece.right, overlap.top},
        {piece.left, overlap.bottom, piece.right, piece.bottom},
        {piece.left, overlap.top, overlap.left, overlap.bottom},
        {overlap.right, overlap.top, piece.right, overlap.bottom},
    };
    for (const gdi::RECT& part : parts)
        if (!Empty(part)) out.push_back(part);
}

}  // namespace

std::vector<gdi::RECT> RectParts::Outside(const gdi::RECT& rect) const {
    std::vector<gdi::RECT> pieces;
    if (Empty(rect)) return pieces;
    pieces.push_back(rect);
    std::vector<gdi::RECT> next;
    for (const gdi::RECT& held : rects_) {
        next.clear();
        for (const gdi::RECT& piece : pieces) Subtract(piece, held, next);
        pieces.swap(next);
        if (pieces.empty()) break;
    }
    return pieces;
}

}  // namespace ov::panel
