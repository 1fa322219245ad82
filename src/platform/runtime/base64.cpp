#include "platform/runtime/base64.h"

#include <cstdint>

namespace ov {

namespace {
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string Base64Encode(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t n = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int s = 18; s >= 0; s -= 6) out += kBase64[(n >> s) & 63];
    }
    if (i < bytes.size()) {
        std::uint32_t n = bytes[i] << 16;
        if (i + 1 < bytes.size()) n |= bytes[i + 1] << 8;
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += (i + 1 < bytes.size()) ? kBase64[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::vector<std::uint8_t> Base64Decode(std::string_view text) {
    std::vector<std::uint8_t> out;
    std::uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        const char* p = std::char_traits<char>::find(kBase64, 64, c);
        if (!p) continue;  // padding and line breaks
        buffer = (buffer << 6) | static_cast<std::uint32_t>(p - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

}  // namespace ov
