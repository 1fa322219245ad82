#include "platform/runtime/value_ops.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

template <typename Float>
DecimalDigits ShortestDigitsOf(Float value) {
    DecimalDigits result;
    if (value == 0 || !std::isfinite(value)) return result;
    result.negative = value < 0;
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    if (ec != std::errc()) return result;
    // "d.dddde+XX" or "de+XX"
    std::string digits;
    const char* p = buffer;
    while (p < end && *p != 'e') {
        if (*p != '.') digits.push_back(*p);
        ++p;
    }
    int exponent = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    result.digits = digits;
    result.exponent = exponent + 1;
    return result;
}

bool IsValBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The value of text of IsNumericText's form; infinite when it is beyond a Double.
double ConvertNumericText(std::string_view text) {
    std::string clean;
    for (char c : text)
        if (c != ' ' && c != '+') clean.push_back(c);
    return std::strtod(clean.c_str(), nullptr);
}

}  // namespace

DecimalDigits ShortestDigits(double value) { return ShortestDigitsOf(value); }
DecimalDigits ShortestDigits(float value) { return ShortestDigitsOf(value); }

std::string PositionalText(const DecimalDigits& d) {
    if (d.digits == "0") return "0";
    std::string text = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-d.exponent), '0');
        text += d.digits;
    } else if (d.exponent >= n) {
        text += d.digits;
        text.append(static_cast<std::size_t>(d.exponent - n), '0');
    } else {
        text += d.digits.substr(0, static_cast<std::size_t>(d.exponent));
        text += '.';
        text += d.digits.substr(static_cast<std::size_t>(d.exponent));
    }
    return text;
}

std::string CanonicalNumberText(double value) { return PositionalText(ShortestDigits(value)); }

bool IsNumericText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    int digits = 0, points = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            if (++points > 1) return false;
        } else {
            break;
        }
        ++pos;
    }
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return pos == text.size() && digits > 0 && std::isfinite(ConvertNumericText(text));
}

double NumericTextValue(std::string_view text) { return IsNumericText(text) ? ConvertNumericText(text) : 0; }

RadixLiteral ReadRadixLiteral(std::string_view s, std::size_t& pos) {
    int radix = 8;
    ++pos;  // the '&'
    if (pos < s.size() && (s[pos] == 'H' || s[pos] == 'h')) {
        radix = 16;
        ++pos;
    } else if (pos < s.size() && (s[pos] == 'O' || s[pos] == 'o')) {
        ++pos;
    }
    std::uint64_t value = 0;
    RadixLiteral literal;
    for (; pos < s.size(); ++pos, ++literal.digits) {
        const char c = s[pos];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (radix == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (radix == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= radix) break;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) throw AutomationError(error::kOverflow);
    }
    literal.value = value <= 0xFFFF ? static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)))
                                    : static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    return literal;
}

double Val(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!IsValBlank(c)) s.push_back(c);
    std::size_t pos = 0;
    if (pos < s.size() && s[pos] == '&') return ReadRadixLiteral(s, pos).value;
    std::string number;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
        if (s[pos] == '-') number.push_back('-');
        ++pos;
    }
    int digits = 0;
    bool point = false;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c >= '0' && c <= '9') {
            number.push_back(c);
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
            number.push_back(c);
        } else {
            break;
        }
    }
    if (digits == 0) return 0;
    if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e' || s[pos] == 'D' || s[pos] == 'd')) {
        std::size_t look = pos + 1;
        std::string exponent = "e";
        if (look < s.size() && (s[look] == '+' || s[look] == '-')) exponent.push_back(s[look++]);
        if (look < s.size() && s[look] >= '0' && s[look] <= '9') {
            while (look < s.size() && s[look] >= '0' && s[look] <= '9') exponent.push_back(s[look++]);
            number += exponent;
        }
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) throw AutomationError(error::kOverflow);
    return value;
}

char UpperCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 'a' + 'A');
    // à..þ sit 0x20 above À..Þ, except the division sign ÷ (0xF7) in the middle.
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    switch (u) {
        case 0x9A: return static_cast<char>(0x8A);  // š
        case 0x9C: return static_cast<char>(0x8C);  // œ
        case 0x9E: return static_cast<char>(0x8E);  // ž
        case 0xFF: return static_cast<char>(0x9F);  // ÿ
        default: return c;
    }
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCase(c);
    return out;
}

}  // namespace ov
