#include "tabhead/tab_string.h"

#include <vector>

namespace ov::tabhead {

namespace {

constexpr std::string_view kEmptyItemCaption = "...";
constexpr double kEmptyItemWidth = 360;

std::vector<std::string_view> SplitAtCommas(std::string_view text) {
    std::vector<std::string_view> items;
    if (text.empty()) return items;  // no items at all, not one empty item
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            items.push_back(text.substr(start));
            return items;
        }
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
}

}  // namespace

double HeadingWidthFor(std::string_view item) {
    if (item.empty()) return kEmptyItemWidth;
    return static_cast<double>(item.size()) * 90 + 200;
}

void ParseTabString(std::string_view tab_string, HeadingTexts& headings) {
    const std::vector<std::string_view> items = SplitAtCommas(tab_string);
    for (int i = 0; i < kHeadingCount; ++i) {
        HeadingText& heading = headings[static_cast<std::size_t>(i)];
        if (static_cast<std::size_t>(i) >= items.size()) {
            heading.visible = false;
            continue;
        }
        const std::string_view item = items[static_cast<std::size_t>(i)];
        heading.caption = std::string(item.empty() ? kEmptyItemCaption : item);
        heading.width = HeadingWidthFor(item);
        heading.visible = true;
    }
}

}  // namespace ov::tabhead
