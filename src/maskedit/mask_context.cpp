#include "maskedit/mask_context.h"

#include <optional>
#include <string>

#include "platform/runtime/clock.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/format.h"
#include "platform/runtime/value_ops.h"

namespace ov::maskedit {

namespace {

std::string NameOf(const std::string& date_text, const char* pattern) {
    const auto serial = ParseDateText(date_text);
    const auto text = serial ? FormatDate(*serial, pattern) : std::nullopt;
    return UpperCase(text.value_or(""));
}

bool SameNames(const DateLocale& a, const DateLocale& b) {
    return a.month_names == b.month_names && a.month_abbreviations == b.month_abbreviations &&
           a.weekday_names == b.weekday_names && a.weekday_abbreviations == b.weekday_abbreviations;
}

LocaleNames FormatNames() {
    LocaleNames names;
    for (int i = 1; i <= 12; ++i) {
        const std::string date = "2001-" + std::to_string(i) + "-1";
        names.months[i - 1] = NameOf(date, "MMMM");
        names.month_abbreviations[i - 1] = NameOf(date, "MMM");
    }
    for (int i = 1; i <= 7; ++i) {
        const std::string date = "2001-1-" + std::to_string(i);
        names.weekdays[i - 1] = NameOf(date, "DDDD");
        names.weekday_abbreviations[i - 1] = NameOf(date, "DDD");
    }
    return names;
}

}  // namespace

// The locale is read at every call; formatting its 38 names again is skipped while they are
// the ones formatted last time (every keystroke of a box asks).
LocaleNames LocaleNames::FromPlatformFormat() {
    static std::optional<DateLocale> formatted_from;
    static LocaleNames names;
    const DateLocale& current = CurrentDateLocale();
    if (!formatted_from || !SameNames(*formatted_from, current)) {
        names = FormatNames();
        formatted_from = current;
    }
    return names;
}

MaskContext MaskContext::Current() { return At(Now()); }

MaskContext MaskContext::At(double now) {
    MaskContext context;
    context.now = now;
    context.names = LocaleNames::FromPlatformFormat();
    return context;
}

}  // namespace ov::maskedit
