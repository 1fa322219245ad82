#pragma once
// The platform's Format: dates by a pattern of date tokens and numbers by a pattern of
// digit placeholders, with month and weekday names from a host-settable locale.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/variant.h"

namespace ov {

struct DateLocale {
    std::array<std::string, 12> month_names;           // January ..
    std::array<std::string, 12> month_abbreviations;   // Jan ..
    std::array<std::string, 7> weekday_names;          // Sunday .. Saturday
    std::array<std::string, 7> weekday_abbreviations;  // Sun .. Sat
    std::string am = "AM";
    std::string pm = "PM";
};

const DateLocale& EnglishLocale();
// The host's locale hook: names used by every later Format (nullopt restores English).
void SetDateLocale(std::optional<DateLocale> locale);
const DateLocale& CurrentDateLocale();

// Dates. Tokens, read case-insensitively: YYYY, YYY (last three digits), YY, Y (day of the
// year), MMMM, MMM, MM, M, DDDD, DDD, DD, D, HH, H, SS, S, and the marker AMPM or AM/PM (which
// also turns the hours to the 12-hour clock wherever it appears). A run of M of length one or
// two means minutes when the literal just before it was ":", when ":" follows it, or when the
// marker follows it directly, the same rule the masked-date parser applies; runs of other
// lengths are cut into the longest tokens. Every other character is literal. An empty pattern
// gives the general date text. nullopt when the serial is no date.
std::optional<std::string> FormatDate(double serial, std::string_view pattern);

// Numbers: "#" a digit when significant, "0" a digit always, "." the decimal point (always
// written), other characters literal. The value is rounded to the pattern's decimals with
// halves away from zero, judged on its shortest decimal text; a value that rounds to zero
// carries no sign. An empty pattern gives the canonical text.
std::string FormatNumber(double value, std::string_view pattern);

// Format of a value: dates (and numbers with a pattern holding date letters) as dates,
// numbers and numeric text as numbers, other text unchanged, Empty as "". Throws
// AutomationError 5 for a value that is no date where a date is needed, 13 for Null/objects.
std::string Format(const Variant& value, std::string_view pattern = {});

}  // namespace ov
