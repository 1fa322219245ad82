#include "hotlabel/hot_spots.h"

#include <algorithm>

namespace ov::hotlabel {

void CountHotSpots(std::string_view control_string, HotSpotTable& table) {
    const auto tildes = std::count(control_string.begin(), control_string.end(), kHotSpotMark);
    table.count = static_cast<std::int32_t>(tildes / 2);
    if (table.count > 0) table.records.assign(static_cast<std::size_t>(table.count), HotSpot{});
}

std::int32_t FindHotSpot(const HotSpotTable& table, float x, float y, float line_height) {
    std::int32_t found = 0;
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        const HotSpot& spot = table.records[i];
        const float top = static_cast<float>(spot.top);
        const float bottom = top + line_height + 2.0f;
        if (top <= y && y <= bottom && static_cast<float>(spot.left) <= x && x <= static_cast<float>(spot.right))
            found = static_cast<std::int32_t>(i + 1);
    }
    return found;
}

}  // namespace ov::hotlabel
