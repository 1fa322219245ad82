#pragma once
// Base64 (the standard alphabet, "=" padding) for bytes carried inside text: pictures in
// property bags, toolbox pictures in the designer metadata.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

std::string Base64Encode(const std::vector<std::uint8_t>& bytes);
// Characters outside the alphabet (padding, line breaks) are skipped.
std::vector<std::uint8_t> Base64Decode(std::string_view text);

}  // namespace ov
