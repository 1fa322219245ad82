#include "sidelogo/logo_colours.h"

namespace ov::sidelogo {

ChannelTriple TranslateToChannels(std::uint32_t ole_colour) {
    gdi::COLORREF translated = 0;
    gdi::OleTranslateColor(ole_colour, 0, &translated);
    return ChannelTriple{static_cast<std::int16_t>(gdi::GetRValue(translated)),
                         static_cast<std::int16_t>(gdi::GetGValue(translated)),
                         static_cast<std::int16_t>(gdi::GetBValue(translated))};
}

}  // namespace ov::sidelogo
