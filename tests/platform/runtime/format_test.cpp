#include <gtest/gtest.h>

#include "platform/runtime/dates.h"
#include "platform/runtime/format.h"

namespace ov {
namespace {

double At(int y, int m, int d, int h = 0, int n = 0, int s = 0) { return *DateFromParts(y, m, d, h, n, s); }

TEST(FormatDate, TokensAndNames) {
    const double t = At(2024, 6, 1, 13, 5, 9);  // a Saturday
    EXPECT_EQ(*FormatDate(t, "DD/MM/YYYY"), "01/06/2024");
    EXPECT_EQ(*FormatDate(t, "d/m/yy"), "1/6/24");
    EXPECT_EQ(*FormatDate(t, "DDDD DD MMMM YYYY"), "Saturday 01 June 2024");
    EXPECT_EQ(*FormatDate(t, "ddd mmm"), "Sat Jun");
    EXPECT_EQ(*FormatDate(t, "HH:MM:SS"), "13:05:09");
    EXPECT_EQ(*FormatDate(t, "H:M:S"), "13:5:9");
    EXPECT_EQ(*FormatDate(t, "HH:MM AMPM"), "01:05 PM");
    EXPECT_EQ(*FormatDate(t, "hh:mm am/pm"), "01:05 PM");
    EXPECT_EQ(*FormatDate(At(2024, 6, 1, 0, 30), "H:MM AMPM"), "12:30 AM");
    EXPECT_EQ(*FormatDate(t, "YYY"), "024");
    EXPECT_EQ(*FormatDate(t, "Y"), "153");  // the day of the year
    EXPECT_EQ(*FormatDate(t, ""), "6/1/2024 1:05:09 PM");
}

TEST(FormatDate, MinutesByTimeContext) {
    const double t = At(2024, 6, 1, 13, 5, 9);
    EXPECT_EQ(*FormatDate(t, "MM"), "06");              // month alone
    EXPECT_EQ(*FormatDate(t, "HH:MM"), "13:05");        // ':' before
    EXPECT_EQ(*FormatDate(t, "MM:SS"), "05:09");        // ':' after
    EXPECT_EQ(*FormatDate(t, "HHMM"), "1306");          // runs meet, no ':' near: month
    EXPECT_EQ(*FormatDate(t, "HHMMAMPM"), "0105PM");    // the marker right after: minutes
    EXPECT_EQ(*FormatDate(t, "HH:MM MM"), "13:05 06");  // a blank ends the time context
}

TEST(FormatDate, LongRunsAreCutAndOthersAreLiteral) {
    const double t = At(2024, 6, 1, 13, 5, 9);
    EXPECT_EQ(*FormatDate(t, "YYYYY"), "2024153");
    EXPECT_EQ(*FormatDate(t, "HHH"), "1313");
    EXPECT_EQ(*FormatDate(t, "MMMMM"), "June6");
    EXPECT_EQ(*FormatDate(t, "[YYYY] x"), "[2024] x");
    EXPECT_FALSE(FormatDate(1e9, "YYYY"));
}

TEST(FormatDate, HostLocaleNames) {
    DateLocale french = EnglishLocale();
    french.month_names[5] = "juin";
    french.weekday_names[6] = "samedi";
    SetDateLocale(french);
    EXPECT_EQ(*FormatDate(At(2024, 6, 1), "DDDD D MMMM"), "samedi 1 juin");
    SetDateLocale(std::nullopt);
    EXPECT_EQ(*FormatDate(At(2024, 6, 1), "DDDD D MMMM"), "Saturday 1 June");
}

TEST(FormatNumber, PlaceholdersAndRounding) {
    EXPECT_EQ(FormatNumber(2.25, "#.#"), "2.3");  // halves away from zero on the decimal text
    EXPECT_EQ(FormatNumber(1.005, "#.##"), "1.01");
    EXPECT_EQ(FormatNumber(-2.25, "#.#"), "-2.3");
    EXPECT_EQ(FormatNumber(0.5, "#.#"), ".5");  // '#' writes no leading zero
    EXPECT_EQ(FormatNumber(0.5, "0.0"), "0.5");
    EXPECT_EQ(FormatNumber(2, "#.##"), "2.");  // the point is always written
    EXPECT_EQ(FormatNumber(2.5, "#.00"), "2.50");
    EXPECT_EQ(FormatNumber(2.5, "#.##"), "2.5");
    EXPECT_EQ(FormatNumber(123456, "##"), "123456");  // all integer digits remain
    EXPECT_EQ(FormatNumber(5, "000"), "005");
    EXPECT_EQ(FormatNumber(2.5, "#"), "3");
    EXPECT_EQ(FormatNumber(0.4, "#"), "");
    EXPECT_EQ(FormatNumber(-0.04, "#.#"), ".");  // rounds to zero: no sign
    EXPECT_EQ(FormatNumber(9.96, "#.#"), "10.");
    EXPECT_EQ(FormatNumber(0.96, "0.0"), "1.0");
    EXPECT_EQ(FormatNumber(1e16, ""), "10000000000000000");
    EXPECT_EQ(FormatNumber(7.5, ""), "7.5");
    EXPECT_EQ(FormatNumber(1234.5, "$#0.00"), "$1234.50");
}

TEST(FormatValue, DispatchesByType) {
    EXPECT_EQ(Format(Variant::FromString("2.5"), "#.00"), "2.50");
    EXPECT_EQ(Format(Variant::FromDate(At(2024, 6, 1)), "YYYY-MM-DD"), "2024-06-01");
    EXPECT_EQ(Format(Variant::FromString("2024-6-1"), "DD/MM/YYYY"), "01/06/2024");
    EXPECT_EQ(Format(Variant::FromString("hello"), "#"), "hello");
    EXPECT_EQ(Format(Variant::FromLong(45444), "YYYY-MM-DD"), "2024-06-01");
    EXPECT_EQ(Format(Variant(), "#"), "");
}

}  // namespace
}  // namespace ov
