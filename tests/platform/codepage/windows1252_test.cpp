// Windows-1252 <-> UTF-8: every byte survives the trip out and back, the 0x80..0x9F range maps
// to its own characters, and whatever 1252 cannot hold or UTF-8 does not allow becomes '?'.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage/windows1252.h"

namespace ov::codepage {
namespace {

TEST(Windows1252, EveryByteSurvivesARoundTripThroughUtf8) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(text)), text) << byte;
        EXPECT_EQ(FromUnicode(ToUnicode(static_cast<unsigned char>(byte))), byte) << byte;
    }
}

TEST(Windows1252, BytesEncodeAsTheirCharacters) {
    const struct {
        unsigned char byte;
        const char* utf8;
    } cases[] = {
        {'A', "A"},
        {0x80, "\xE2\x82\xAC"},  // euro sign
        {0x81, "\xC2\x81"},      // undefined in 1252: the C1 control of the same value
        {0x8A, "\xC5\xA0"},      // S with caron
        {0x99, "\xE2\x84\xA2"},  // trade mark sign
        {0x9F, "\xC5\xB8"},      // Y with diaeresis
        {0xA0, "\xC2\xA0"},
        {0xE9, "\xC3\xA9"},  // e acute
        {0xFF, "\xC3\xBF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Windows1252ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8) << int(c.byte);
        EXPECT_EQ(Utf8ToWindows1252(c.utf8), std::string(1, static_cast<char>(c.byte))) << int(c.byte);
    }
    EXPECT_EQ(FromUnicode(0x20AC), 0x80);
    EXPECT_EQ(FromUnicode(0x0100), std::nullopt);  // A with macron: not in 1252
}

TEST(Windows1252, Utf8OutsideTheCodePageOrMalformedBecomesQuestionMarks) {
    const struct {
        const char* utf8;
        const char* text;
    } cases[] = {
        {"caf\xC3\xA9", "caf\xE9"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},  // two characters 1252 lacks
        {"\xF0\x9F\x98\x80!", "?!"},         // a four-byte character is one '?'
        {"a\x80z", "a?z"},                   // a stray continuation byte
        {"caf\xE9", "caf?"},                 // 1252 passed off as UTF-8
        {"\xC3", "?"},                       // truncated at the end
        {"\xE2\x82", "??"},
        {"\xE2\x82"
         "A",
         "??A"},             // truncated before a new character
        {"\xC0\xAF", "??"},  // overlong '/'
        {"\xE0\x80\xAF", "???"},
        {"\xED\xA0\x80", "???"},       // a surrogate
        {"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
        {"\xFE\xFF", "??"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.text) << c.utf8;
}

TEST(Windows1252, RepairKeepsWellFormedUtf8AndReplacesEveryBadByte) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"caf\xE9", "caf?"},
        {"\xC3\xC3\xA9", "?\xC3\xA9"},
        {"\xED\xA0\x80x", "???x"},
    };
    for (const auto& c : cases) EXPECT_EQ(RepairUtf8(c.in), c.out) << c.in;
}

TEST(Windows1252, ControlBytesAreC0DelAndTheUndefinedOnes) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool undefined = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
        EXPECT_EQ(IsControlByte(static_cast<unsigned char>(byte)), byte < 0x20 || byte == 0x7F || undefined) << byte;
    }
}

}  // namespace
}  // namespace ov::codepage
