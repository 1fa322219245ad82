#include "platform/codepage/windows1252.h"

namespace ov::codepage {

namespace {

// 0x80..0x9F; every other byte is the Latin-1 code point of the same value.
constexpr char16_t kHighRange[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The length of the well-formed UTF-8 sequence starting at `at` and its code point, or 0 when
// the bytes there do not form one. The ranges of the second byte exclude overlong forms,
// surrogates and code points past U+10FFFF.
std::size_t DecodeOne(std::string_view s, std::size_t at, char32_t& code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) length = 3, low = 0xA0;
    else if (lead == 0xED) length = 3, high = 0x9F;
    else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) length = 4, low = 0x90;
    else if (lead == 0xF4) length = 4, high = 0x8F;
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else return 0;
    if (at + length > s.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (byte(at + i) & 0x3F);
    code_point = value;
    return length;
}

// Walks UTF-8 text: each well-formed sequence goes to `on_character` (the output so far, its
// code point, its bytes), each byte that is not part of one becomes '?'.
template <typename OnCharacter>
std::string Transcode(std::string_view utf8, OnCharacter on_character) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code_point = 0;
        const std::size_t length = DecodeOne(utf8, i, code_point);
        if (length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        on_character(out, code_point, utf8.substr(i, length));
        i += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // everything 1252 maps to lies in the Basic Multilingual Plane
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t ToUnicode(unsigned char byte) { return (byte >= 0x80 && byte < 0xA0) ? kHighRange[byte - 0x80] : byte; }

std::optional<unsigned char> FromUnicode(char32_t code_point) {
    if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<unsigned char>(code_point);
    for (unsigned i = 0; i < 32; ++i)
        if (kHighRange[i] == code_point) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
    return Transcode(utf8, [](std::string& out, char32_t code_point, std::string_view) {
        const auto byte = FromUnicode(code_point);
        out += byte ? static_cast<char>(*byte) : kReplacement;
    });
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) AppendUtf8(out, ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string RepairUtf8(std::string_view utf8) {
    return Transcode(utf8, [](std::string& out, char32_t, std::string_view sequence) { out.append(sequence); });
}

bool IsControlByte(unsigned char byte) {
    const char32_t c = ToUnicode(byte);
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

}  // namespace ov::codepage
