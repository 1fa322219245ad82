#include "maskedit/mask_context.h"

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

}  // namespace

LocaleNames LocaleNames::FromPlatformFormat() {
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

MaskContext MaskContext::Current() { return At(Now()); }

MaskContext MaskContext::At(double now) {
    MaskContext context;
    context.now = now;
    context.names = LocaleNames::FromPlatformFormat();
    return context;
}

}  // namespace ov::maskedit
