#pragma once
// Colours of the side logo as the painters use them: red, green and blue held as 16-bit
// integers, taken from an OLE_COLOR once, when the colour is written.
#include <cstdint>

#include "platform/gdi/gdi.h"

namespace ov::sidelogo {

struct ChannelTriple {
    std::int16_t red = 0, green = 0, blue = 0;
    friend bool operator==(const ChannelTriple&, const ChannelTriple&) = default;
};

// Translates without a palette; a colour the platform cannot translate gives black, the value
// the result holds when the translation leaves it untouched.
ChannelTriple TranslateToChannels(std::uint32_t ole_colour);

inline gdi::COLORREF ToColorRef(const ChannelTriple& c) {
    return static_cast<gdi::COLORREF>(c.red + 256 * c.green + 65536 * c.blue);
}

}  // namespace ov::sidelogo
