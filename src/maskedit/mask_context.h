#pragma once
// What the mask engine needs from its surroundings: the current date and time (two-digit
// years, date-mask checks) and the locale's month and weekday names. A control builds one per
// validation with Current(); tests and tools build their own to fix the clock.
#include <array>
#include <string>

namespace ov::maskedit {

// Upper-cased names as the platform formats fixed dates: months from 1 January..December 2001,
// weekdays from 1..7 January 2001, which run Monday to Sunday.
struct LocaleNames {
    std::array<std::string, 12> months;
    std::array<std::string, 12> month_abbreviations;
    std::array<std::string, 7> weekdays;               // Monday .. Sunday
    std::array<std::string, 7> weekday_abbreviations;  // Monday .. Sunday

    // Built through the platform's Format, so they follow the host's locale setting.
    static LocaleNames FromPlatformFormat();
};

struct MaskContext {
    double now = 0;  // date serial
    LocaleNames names;

    static MaskContext Current();  // the platform clock and locale
    static MaskContext At(double now);
};

enum class InputFormat : int { Text = 0, Numeric = 1, Date = 2 };

}  // namespace ov::maskedit
