#pragma once
// A set of pixels held as disjoint rectangles: the parts of a surface that one copy of it
// already holds, so that a later copy takes only what is still missing.
#include <cstddef>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::panel {

class RectParts {
public:
    // The pieces of `rect` outside the set, disjoint from each other and from the set; none
    // for an empty or inverted rect.
    std::vector<gdi::RECT> Outside(const gdi::RECT& rect) const;
    // Adds pieces that Outside gave for this very set.
    void AddOutside(const std::vector<gdi::RECT>& pieces) { rects_.insert(rects_.end(), pieces.begin(), pieces.end()); }
    const std::vector<gdi::RECT>& rects() const { return rects_; }
    std::size_t size() const { return rects_.size(); }

private:
    std::vector<gdi::RECT> rects_;
};

}  // namespace ov::panel
