#pragma once
// Date values as the platform holds them: a double counting days since 30 December 1899
// (the zero date), the fraction giving the time of day. Before the zero date the integer
// part counts days backwards while the fraction still runs forwards from midnight, so
// 1899-12-29 06:00 is -1.25, not -0.75. Every calculation converts to a continuous day
// count first (LinearFromSerial) and back at the end, so that representation lives here only.
#include <optional>
#include <string>
#include <string_view>

namespace ov {

inline constexpr double kZeroDate = 0.0;
inline constexpr double kMinDateSerial = -657434.0;                      // 100-01-01 00:00:00
inline constexpr double kMaxDateSerial = 2958465.0 + 86399.0 / 86400.0;  // 9999-12-31 23:59:59

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    int weekday = 7;  // 1 Sunday .. 7 Saturday (the zero date was a Saturday)
    int day_of_year = 364;
};

// Continuous day count <-> the platform's serial representation.
double LinearFromSerial(double serial);
double SerialFromLinear(double linear);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsRealCalendarDate(int year, int month, int day);  // 31 April and 29 Feb of common years are not

// Strict composition: nullopt unless the parts name a real date (years 100..9999) and time.
std::optional<double> DateFromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// The language's DateSerial/TimeSerial: out-of-range months, days, hours, minutes and
// seconds carry into the next unit; years 0-29 are 2000-2029 and 30-99 are 1930-1999.
// Throw AutomationError 5 when the result falls outside years 100..9999.
double DateSerial(int year, int month, int day);
double TimeSerial(int hour, int minute, int second);

// The parts of a serial, the time rounded to the nearest second.
DateParts SplitDate(double serial);
int Weekday(double serial);  // 1 Sunday .. 7 Saturday

// "YYYY-MM-DD HH:MM:SS", always complete.
std::string DateToIsoText(double serial);
// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" exactly (digits as shown); nullopt otherwise.
std::optional<double> ParseIsoDateText(std::string_view text);

// The platform's text-to-date test and conversion, used for composed texts and CDate:
// "Y-M-D", "Y-M-D H:M[:S]", "H:M[:S]" with 1-4 digit years and 1-2 digit parts, or
// "M/D/Y [H:M[:S]] [AM|PM]". Surrounding blanks are ignored; years below 100 take the
// two-digit window above. nullopt when the text is not a real date and time.
std::optional<double> ParseDateText(std::string_view text);

// The general date text: "M/D/YYYY h:mm:ss AM"; the time alone for day 0, the date alone at
// midnight.
std::string GeneralDateText(double serial);

}  // namespace ov
