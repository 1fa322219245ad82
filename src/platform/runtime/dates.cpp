#include "platform/runtime/dates.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil algorithms).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

std::int64_t DayNumber(int year, int month, int day) { return DaysFromCivil(year, month, day) - kEpochOffset; }

int WindowYear(int year) {
    if (year >= 0 && year < 30) return year + 2000;
    if (year >= 30 && year < 100) return year + 1900;
    return year;
}

bool InRange(double linear) { return linear >= kMinDateSerial && linear < 2958466.0; }

// Reads 1..max_digits decimal digits; false when none.
bool ReadNumber(std::string_view text, std::size_t& pos, int max_digits, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < max_digits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double LinearFromSerial(double serial) {
    if (serial >= 0) return serial;
    const double day = std::ceil(serial);  // towards zero
    return day + (day - serial);
}

double SerialFromLinear(double linear) {
    if (linear >= 0) return linear;
    const double day = std::floor(linear);
    const double fraction = linear - day;
    return fraction == 0 ? day : day - fraction;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsRealCalendarDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

std::optional<double> DateFromParts(int year, int month, int day, int hour, int minute, int second) {
    if (!IsRealCalendarDate(year, month, day)) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
    const double linear =
        static_cast<double>(DayNumber(year, month, day)) + (hour * 3600 + minute * 60 + second) / 86400.0;
    return SerialFromLinear(linear);
}

double DateSerial(int year, int month, int day) {
    std::int64_t y = WindowYear(year);
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;  // carry months into years
    y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
    m0 -= (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12)) * 12;
    if (y < 100 || y > 9999) throw AutomationError(error::kInvalidProcedureCall);
    const double linear = static_cast<double>(DayNumber(static_cast<int>(y), static_cast<int>(m0) + 1, 1)) + (day - 1);
    if (!InRange(linear)) throw AutomationError(error::kInvalidProcedureCall);
    return SerialFromLinear(linear);
}

double TimeSerial(int hour, int minute, int second) {
    const double seconds = static_cast<double>(hour) * 3600.0 + static_cast<double>(minute) * 60.0 + second;
    const double linear = seconds / 86400.0;
    if (!InRange(linear)) throw AutomationError(error::kInvalidProcedureCall);
    return SerialFromLinear(linear);
}

DateParts SplitDate(double serial) {
    DateParts parts;
    if (!std::isfinite(serial)) return parts;
    const double linear = LinearFromSerial(serial);
    const auto total = static_cast<std::int64_t>(std::llround(linear * 86400.0));
    std::int64_t days = total / 86400;
    std::int64_t seconds = total % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    CivilFromDays(days + kEpochOffset, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    std::int64_t weekday = (days + 6) % 7;  // day 0 was a Saturday (index 6 counting from Sunday)
    if (weekday < 0) weekday += 7;
    parts.weekday = static_cast<int>(weekday) + 1;
    parts.day_of_year = static_cast<int>(days - DayNumber(parts.year, 1, 1)) + 1;
    return parts;
}

int Weekday(double serial) { return SplitDate(serial).weekday; }

std::string DateToIsoText(double serial) {
    const DateParts p = SplitDate(serial);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buffer;
}

std::optional<double> ParseIsoDateText(std::string_view text) {
    auto digits = [&](std::size_t at, std::size_t count, int& value) {
        value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + (text[i] - '0');
        }
        return true;
    };
    int y, m, d, h = 0, n = 0, s = 0;
    if (text.size() != 10 && text.size() != 19) return std::nullopt;
    if (!digits(0, 4, y) || text[4] != '-' || !digits(5, 2, m) || text[7] != '-' || !digits(8, 2, d))
        return std::nullopt;
    if (text.size() == 19 && (text[10] != ' ' || !digits(11, 2, h) || text[13] != ':' || !digits(14, 2, n) ||
                              text[16] != ':' || !digits(17, 2, s)))
        return std::nullopt;
    return DateFromParts(y, m, d, h, n, s);
}

std::optional<double> ParseDateText(std::string_view text) {
    std::size_t pos = 0;
    auto skip_blanks = [&] {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
    };
    skip_blanks();
    bool has_date = false, has_time = false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int first, first_digits;
    if (!ReadNumber(text, pos, 4, first, first_digits)) return std::nullopt;
    char separator = pos < text.size() ? text[pos] : '\0';
    if (separator == '-' || separator == '/') {
        int second_part, third_part, digits_2, digits_3;
        ++pos;
        if (!ReadNumber(text, pos, 2, second_part, digits_2)) return std::nullopt;
        if (pos >= text.size() || text[pos] != separator) return std::nullopt;
        ++pos;
        if (!ReadNumber(text, pos, 4, third_part, digits_3)) return std::nullopt;
        if (separator == '-') {
            if (digits_3 > 2) return std::nullopt;
            year = first, month = second_part, day = third_part;
        } else {
            if (first_digits > 2) return std::nullopt;
            month = first, day = second_part, year = third_part;
        }
        year = WindowYear(year);
        has_date = true;
        const std::size_t before_blank = pos;
        skip_blanks();
        if (pos < text.size() && pos > before_blank) {
            if (!ReadNumber(text, pos, 2, hour, first_digits)) return std::nullopt;
            if (pos >= text.size() || text[pos] != ':') return std::nullopt;
            has_time = true;
        }
    } else if (separator == ':' && first_digits <= 2) {
        hour = first;
        has_time = true;
    } else {
        return std::nullopt;
    }
    if (has_time) {
        int digits;
        ++pos;  // the ':' after the hour
        if (!ReadNumber(text, pos, 2, minute, digits)) return std::nullopt;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!ReadNumber(text, pos, 2, second, digits)) return std::nullopt;
        }
        const std::size_t before_blank = pos;
        skip_blanks();
        if (pos + 1 < text.size() && pos > before_blank) {
            const char a = static_cast<char>(text[pos] & ~0x20), b = static_cast<char>(text[pos + 1] & ~0x20);
            if ((a == 'A' || a == 'P') && b == 'M') {
                if (hour < 1 || hour > 12) return std::nullopt;
                if (a == 'A' && hour == 12) hour = 0;
                if (a == 'P' && hour < 12) hour += 12;
                pos += 2;
            }
        }
    }
    skip_blanks();
    if (pos != text.size()) return std::nullopt;
    if (!has_date) {
        if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
        return (hour * 3600 + minute * 60 + second) / 86400.0;
    }
    return DateFromParts(year, month, day, hour, minute, second);
}

std::string GeneralDateText(double serial) {
    const DateParts p = SplitDate(serial);
    const bool has_time = p.hour != 0 || p.minute != 0 || p.second != 0;
    const bool day_zero = std::floor(LinearFromSerial(serial) + 0.5 / 86400.0) == 0;
    char date_text[32], time_text[32];
    std::snprintf(date_text, sizeof date_text, "%d/%d/%04d", p.month, p.day, p.year);
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    std::snprintf(time_text, sizeof time_text, "%d:%02d:%02d %s", hour12, p.minute, p.second,
                  p.hour < 12 ? "AM" : "PM");
    if (day_zero) return time_text;
    if (!has_time) return date_text;
    return std::string(date_text) + " " + time_text;
}

}  // namespace ov
