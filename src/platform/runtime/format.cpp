#include "platform/runtime/format.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/value_ops.h"

namespace ov {

namespace {

std::optional<DateLocale> g_locale;

bool IsDateLetter(char upper) { return upper == 'D' || upper == 'M' || upper == 'Y' || upper == 'H' || upper == 'S'; }

// Length of the AM/PM marker at the start of an upper-cased pattern slice, or 0.
std::size_t MarkerLength(std::string_view upper) {
    if (upper.substr(0, 4) == "AMPM") return 4;
    if (upper.substr(0, 5) == "AM/PM") return 5;
    return 0;
}

int MaxTokenLength(char letter) { return letter == 'H' || letter == 'S' ? 2 : 4; }

std::string Padded(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

void AppendToken(std::string& out, char letter, int length, bool minutes, bool twelve_hour, const DateParts& p,
                 const DateLocale& locale) {
    switch (letter) {
        case 'Y':
            if (length == 4) out += Padded(p.year, 4);
            else if (length == 3) out += Padded(p.year % 1000, 3);
            else if (length == 2) out += Padded(p.year % 100, 2);
            else out += std::to_string(p.day_of_year);
            break;
        case 'M':
            if (minutes && length <= 2) out += length == 2 ? Padded(p.minute, 2) : std::to_string(p.minute);
            else if (length == 4) out += locale.month_names[p.month - 1];
            else if (length == 3) out += locale.month_abbreviations[p.month - 1];
            else out += length == 2 ? Padded(p.month, 2) : std::to_string(p.month);
            break;
        case 'D':
            if (length == 4) out += locale.weekday_names[p.weekday - 1];
            else if (length == 3) out += locale.weekday_abbreviations[p.weekday - 1];
            else out += length == 2 ? Padded(p.day, 2) : std::to_string(p.day);
            break;
        case 'H': {
            int hour = p.hour;
            if (twelve_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
            out += length == 2 ? Padded(hour, 2) : std::to_string(hour);
            break;
        }
        case 'S': out += length == 2 ? Padded(p.second, 2) : std::to_string(p.second); break;
    }
}

}  // namespace

const DateLocale& EnglishLocale() {
    static const DateLocale locale{{"January", "February", "March", "April", "May", "June", "July", "August",
                                    "September", "October", "November", "December"},
                                   {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
                                   {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
                                   {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                                   "AM",
                                   "PM"};
    return locale;
}

void SetDateLocale(std::optional<DateLocale> locale) { g_locale = std::move(locale); }

const DateLocale& CurrentDateLocale() { return g_locale ? *g_locale : EnglishLocale(); }

std::optional<std::string> FormatDate(double serial, std::string_view pattern) {
    if (!std::isfinite(serial) || serial < kMinDateSerial - 1 || serial >= 2958466.0) return std::nullopt;
    if (pattern.empty()) return GeneralDateText(serial);
    const DateParts parts = SplitDate(serial);
    const DateLocale& locale = CurrentDateLocale();
    const std::string upper = UpperCase(pattern);
    const bool twelve_hour = upper.find("AMPM") != std::string::npos || upper.find("AM/PM") != std::string::npos;
    std::string out;
    bool time_context = false;
    std::size_t i = 0;
    while (i < upper.size()) {
        if (const std::size_t marker = MarkerLength(std::string_view(upper).substr(i))) {
            out += parts.hour < 12 ? locale.am : locale.pm;
            time_context = false;
            i += marker;
            continue;
        }
        const char letter = upper[i];
        if (!IsDateLetter(letter)) {
            out += pattern[i];
            time_context = letter == ':';
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < upper.size() && upper[end] == letter) ++end;
        int length = static_cast<int>(end - i);
        const bool minutes = letter == 'M' && (time_context || (end < upper.size() && upper[end] == ':') ||
                                               MarkerLength(std::string_view(upper).substr(end)) != 0);
        // Runs longer than any token are cut into the longest tokens, left to right.
        while (length > 0) {
            const int token = std::min(length, MaxTokenLength(letter));
            AppendToken(out, letter, token, minutes, twelve_hour, parts, locale);
            length -= token;
        }
        i = end;
    }
    return out;
}

std::string FormatNumber(double value, std::string_view pattern) {
    if (pattern.empty() || !std::isfinite(value)) return CanonicalNumberText(value);
    const std::size_t point = pattern.find('.');
    const std::string_view int_pattern = pattern.substr(0, point);
    const std::string_view frac_pattern =
        point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
    int decimals = 0;
    for (char c : frac_pattern)
        if (c == '#' || c == '0') ++decimals;

    // Round |value| to `decimals` places on its shortest decimal digits, halves away from zero.
    const DecimalDigits d = ShortestDigits(std::fabs(value));
    std::string scaled;  // the rounded value times 10^decimals, as decimal digits
    if (d.digits != "0") {
        const int keep = d.exponent + decimals;
        if (keep >= 0) {
            std::string kept =
                d.digits.substr(0, static_cast<std::size_t>(std::min<int>(keep, static_cast<int>(d.digits.size()))));
            if (static_cast<int>(kept.size()) < keep) kept.append(static_cast<std::size_t>(keep) - kept.size(), '0');
            const bool round_up =
                keep < static_cast<int>(d.digits.size()) && d.digits[static_cast<std::size_t>(keep)] >= '5';
            if (round_up) {
                int k = static_cast<int>(kept.size()) - 1;
                while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
                if (k < 0) kept.insert(kept.begin(), '1');
                else ++kept[static_cast<std::size_t>(k)];
            }
            scaled = kept;
        }
    }
    if (scaled.size() < static_cast<std::size_t>(decimals) + 1)
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    std::string int_digits = scaled.substr(0, scaled.size() - static_cast<std::size_t>(decimals));
    const std::string frac_digits = scaled.substr(scaled.size() - static_cast<std::size_t>(decimals));
    const std::size_t first_nonzero = int_digits.find_first_not_of('0');
    int_digits = first_nonzero == std::string::npos ? "" : int_digits.substr(first_nonzero);
    const bool is_zero = int_digits.empty() && frac_digits.find_first_not_of('0') == std::string::npos;

    // Integer placeholders: "0" forces a digit from its position to the point.
    std::vector<std::size_t> placeholders;
    std::size_t forced = 0;
    for (std::size_t k = 0; k < int_pattern.size(); ++k) {
        if (int_pattern[k] != '#' && int_pattern[k] != '0') continue;
        if (int_pattern[k] == '0' && forced == 0) forced = 1;
        else if (forced) ++forced;
        placeholders.push_back(k);
    }
    if (int_digits.size() < forced) int_digits.insert(0, forced - int_digits.size(), '0');

    std::string out = value < 0 && !is_zero ? "-" : "";
    // Digits fill the placeholders from the right; extra leading digits go to the first one.
    std::vector<std::string> slot(placeholders.size());
    std::size_t remaining = int_digits.size();
    for (std::size_t k = placeholders.size(); k-- > 0 && remaining > 0;) {
        const std::size_t take = k == 0 ? remaining : 1;
        slot[k] = int_digits.substr(remaining - take, take);
        remaining -= take;
    }
    if (placeholders.empty()) out += int_digits;
    std::size_t next_slot = 0;
    for (std::size_t k = 0; k < int_pattern.size(); ++k) {
        if (next_slot < placeholders.size() && placeholders[next_slot] == k) out += slot[next_slot++];
        else out += int_pattern[k];
    }
    if (point == std::string_view::npos) return out;
    out += '.';
    // Trailing "#" decimals show nothing for trailing zero digits.
    std::size_t shown = frac_digits.size();
    {
        std::size_t placeholder = frac_digits.size();
        for (std::size_t k = frac_pattern.size(); k-- > 0;) {
            if (frac_pattern[k] != '#' && frac_pattern[k] != '0') continue;
            --placeholder;
            if (frac_pattern[k] == '#' && frac_digits[placeholder] == '0' && shown == placeholder + 1)
                shown = placeholder;
            else break;
        }
    }
    std::size_t digit = 0;
    for (char c : frac_pattern) {
        if (c == '#' || c == '0') {
            if (digit < shown) out += frac_digits[digit];
            ++digit;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Format(const Variant& value, std::string_view pattern) {
    auto as_date = [&](double serial) {
        auto text = FormatDate(serial, pattern);
        if (!text) throw AutomationError(error::kInvalidProcedureCall);
        return *text;
    };
    bool date_pattern = false;
    for (char c : pattern)
        if (IsDateLetter(UpperCase(c))) date_pattern = true;
    switch (value.type()) {
        case VarType::Empty: return "";
        case VarType::Date: return as_date(value.real());
        case VarType::String: {
            double number;
            if (ParseNumericText(value.string(), number))
                return date_pattern ? as_date(number) : FormatNumber(number, pattern);
            if (auto date = ParseDateText(value.string())) return as_date(*date);
            return value.string();
        }
        case VarType::Boolean:
            if (pattern.empty()) return CStr(value);
            [[fallthrough]];
        default: {
            const double number = CDbl(value);
            return date_pattern ? as_date(number) : FormatNumber(number, pattern);
        }
    }
}

}  // namespace ov
