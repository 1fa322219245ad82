#pragma once
// Class and interface identifiers of the component server: building them, comparing them and
// their registry text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <cstdint>
#include <string>

#include "orvelle/orvelle.h"

namespace ov::library::server {

constexpr OvGuid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint64_t d4) {
    OvGuid g{d1, d2, d3, {}};
    for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<std::uint8_t>(d4 >> (8 * (7 - i)));
    return g;
}

bool SameGuid(const OvGuid& a, const OvGuid& b);
std::string GuidText(const OvGuid& g);
// False, leaving `out` as it was, for text that is not a braced identifier.
bool ParseGuid(const char* text, OvGuid* out);

}  // namespace ov::library::server
