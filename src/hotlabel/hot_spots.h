#pragma once
// The hot spots of a control string: how many pairs of "~" it holds, the rectangle the
// renderer recorded for each, and the search for the one under the pointer.
#include <cstdint>
#include <string_view>
#include <vector>

namespace ov::hotlabel {

inline constexpr char kHotSpotMark = '~';
inline constexpr char kPictureMark = '*';

// Where a hot spot was drawn, in pixels of the surface: from x = left to x = right on the text
// line whose top is y = top. Only the line the hot spot starts on is recorded.
struct HotSpot {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
};

// Hot spot number i (1-based) is records[i - 1]. The records outlive a count of 0: they are
// only re-made, zeroed, when a count finds at least one hot spot.
struct HotSpotTable {
    std::int32_t count = 0;
    std::vector<HotSpot> records;

    HotSpot& operator()(std::int32_t number) { return records[static_cast<std::size_t>(number - 1)]; }
    const HotSpot& operator()(std::int32_t number) const { return records[static_cast<std::size_t>(number - 1)]; }
};

// count = tildes / 2, rounded down (three tildes make one hot spot); a count above 0 re-makes
// the records, every field 0, and a count of 0 leaves them as they are.
void CountHotSpots(std::string_view control_string, HotSpotTable& table);

// The number of the last record whose band holds (x, y): top <= y <= top + line_height + 2 and
// left <= x <= right, all inclusive, the band's bottom summed in single precision as the
// pointer's coordinates are. Every record is tried, so a later match wins. 0 when none does.
std::int32_t FindHotSpot(const HotSpotTable& table, float x, float y, float line_height);

}  // namespace ov::hotlabel
