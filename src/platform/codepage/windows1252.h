#pragma once
// Text inside the library is single-byte Windows-1252, as the platform's single-byte text
// functions expect; files, scripts and terminals outside it speak UTF-8. Every boundary converts
// with the functions here, and the drawing layer maps bytes to code points with the same table.
//
// The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same value, as the platform's own conversion does, so every byte survives a
// round trip through UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace ov::codepage {

// What a character 1252 cannot hold becomes, and what an invalid UTF-8 byte becomes.
inline constexpr char kReplacement = '?';

// The code point a 1252 byte stands for.
char32_t ToUnicode(unsigned char byte);

// The 1252 byte of a code point, or nullopt when the code page has none.
std::optional<unsigned char> FromUnicode(char32_t code_point);

// UTF-8 to 1252. A character outside 1252 becomes one '?'; so does every byte that is not part
// of a well-formed sequence (stray continuation bytes, truncated or overlong sequences,
// surrogates, code points past U+10FFFF).
std::string Utf8ToWindows1252(std::string_view utf8);

// 1252 to UTF-8; never fails.
std::string Windows1252ToUtf8(std::string_view text);

// UTF-8 with every byte that is not part of a well-formed sequence replaced by '?'; well-formed
// text is returned unchanged. Lets a reader that insists on UTF-8 accept a damaged file.
std::string RepairUtf8(std::string_view utf8);

// True for the bytes whose character is a control character (C0, DEL and the C1 range bytes
// 1252 leaves undefined): what a printer escapes rather than shows.
bool IsControlByte(unsigned char byte);

}  // namespace ov::codepage
