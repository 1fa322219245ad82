#include "sidelogo/logo_colours.h"

#include "platform/gdi/ole_colour.h"

namespace ov::sidelogo {

ChannelTriple TranslateToChannels(std::uint32_t ole_colour) {
    const gdi::COLORREF translated = gdi::TranslateOleColorOrBlack(ole_colour);
    return ChannelTriple{static_cast<std::int16_t>(gdi::GetRValue(translated)),
                         static_cast<std::int16_t>(gdi::GetGValue(translated)),
                         static_cast<std::int16_t>(gdi::GetBValue(translated))};
}

}  // namespace ov::sidelogo
