#pragma once
// Turning the comma-separated heading list into the twelve heading slots of the strip.
#include <array>
#include <string>
#include <string_view>

namespace ov::tabhead {

// The label array holds twelve headings; items beyond the twelfth are never shown.
inline constexpr int kHeadingCount = 12;

// What the list decides about one heading. A heading without an item only becomes hidden: its
// caption and width keep whatever they were, so a later list with more items shows old text
// only after re-parsing it.
struct HeadingText {
    std::string caption;
    double width = 0;  // twips
    bool visible = false;
};

using HeadingTexts = std::array<HeadingText, kHeadingCount>;

// Width of a heading for an item: by character count, not by the font, so "iii" and "WWW" are
// equally wide. An empty item shows "..." at a fixed 360 twips.
double HeadingWidthFor(std::string_view item);

// Splits `tab_string` at every "," (nothing trimmed; an empty string has no items) and updates
// the headings in place.
void ParseTabString(std::string_view tab_string, HeadingTexts& headings);

}  // namespace ov::tabhead
