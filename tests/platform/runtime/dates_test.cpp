#include <gtest/gtest.h>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/variant.h"

namespace ov {
namespace {

TEST(Dates, SerialsAroundTheZeroDate) {
    EXPECT_EQ(*DateFromParts(1899, 12, 30), 0.0);
    EXPECT_EQ(*DateFromParts(1900, 1, 1), 2.0);
    EXPECT_EQ(*DateFromParts(2024, 1, 1), 45292.0);
    EXPECT_DOUBLE_EQ(*DateFromParts(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_DOUBLE_EQ(*DateFromParts(1899, 12, 28, 18, 0, 0), -2.75);
    EXPECT_EQ(DateToIsoText(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(DateToIsoText(-0.5), "1899-12-30 12:00:00");  // same moment as 0.5
    EXPECT_EQ(DateToIsoText(kMinDateSerial), "0100-01-01 00:00:00");
    EXPECT_EQ(DateToIsoText(kMaxDateSerial), "9999-12-31 23:59:59");
}

TEST(Dates, RealCalendarDatesOnly) {
    EXPECT_FALSE(DateFromParts(2024, 4, 31));
    EXPECT_FALSE(DateFromParts(2023, 2, 29));
    EXPECT_TRUE(DateFromParts(2024, 2, 29));
    EXPECT_FALSE(DateFromParts(1900, 2, 29));
    EXPECT_TRUE(DateFromParts(2000, 2, 29));
    EXPECT_FALSE(DateFromParts(2024, 1, 1, 24, 0, 0));
    EXPECT_FALSE(DateFromParts(99, 1, 1));
}

TEST(Dates, SerialAndSplitRoundTrip) {
    for (int y : {100, 1582, 1899, 1900, 1999, 2000, 2024, 9999}) {
        for (int m = 1; m <= 12; ++m) {
            for (int d : {1, 15, DaysInMonth(y, m)}) {
                for (int h : {0, 6, 23}) {
                    const double serial = *DateFromParts(y, m, d, h, 59, 30);
                    const DateParts p = SplitDate(serial);
                    ASSERT_EQ(p.year, y);
                    ASSERT_EQ(p.month, m);
                    ASSERT_EQ(p.day, d);
                    ASSERT_EQ(p.hour, h);
                    ASSERT_EQ(p.minute, 59);
                    ASSERT_EQ(p.second, 30);
                    ASSERT_EQ(*ParseIsoDateText(DateToIsoText(serial)), serial);
                    ASSERT_EQ(*ParseDateText(GeneralDateText(serial)), serial) << GeneralDateText(serial);
                }
            }
        }
    }
    EXPECT_EQ(Weekday(*DateFromParts(2001, 1, 1)), 2);  // a Monday
    EXPECT_EQ(Weekday(0), 7);                           // the zero date was a Saturday
    EXPECT_EQ(Weekday(-1.25), 6);
    EXPECT_EQ(SplitDate(*DateFromParts(2024, 12, 31)).day_of_year, 366);
}

TEST(Dates, DateSerialCarriesAndWindowsYears) {
    EXPECT_EQ(DateSerial(2024, 13, 1), *DateFromParts(2025, 1, 1));
    EXPECT_EQ(DateSerial(2024, 0, 1), *DateFromParts(2023, 12, 1));
    EXPECT_EQ(DateSerial(2024, 3, 0), *DateFromParts(2024, 2, 29));
    EXPECT_EQ(DateSerial(2024, -11, 1), *DateFromParts(2023, 1, 1));
    EXPECT_EQ(DateSerial(29, 1, 1), *DateFromParts(2029, 1, 1));
    EXPECT_EQ(DateSerial(30, 1, 1), *DateFromParts(1930, 1, 1));
    EXPECT_DOUBLE_EQ(TimeSerial(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(TimeSerial(25, 0, 0), 1.0 + 1.0 / 24);
    EXPECT_DOUBLE_EQ(TimeSerial(-6, 0, 0), -1.75);  // 18:00 on the day before the zero date
    try {
        DateSerial(10000, 1, 1);
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 5);
    }
}

TEST(Dates, TextParsing) {
    EXPECT_EQ(*ParseDateText("2024-1-5"), *DateFromParts(2024, 1, 5));
    EXPECT_EQ(*ParseDateText("2024-1-5 13:5:0"), *DateFromParts(2024, 1, 5, 13, 5, 0));
    EXPECT_DOUBLE_EQ(*ParseDateText("0:30:0"), 0.5 / 24);
    EXPECT_EQ(*ParseDateText("74-1-1"), *DateFromParts(1974, 1, 1));
    EXPECT_EQ(*ParseDateText("12/31/2024 11:59:59 PM"), *DateFromParts(2024, 12, 31, 23, 59, 59));
    EXPECT_DOUBLE_EQ(*ParseDateText("12:30:00 AM"), 0.5 / 24);
    EXPECT_FALSE(ParseDateText("2024-4-31"));
    EXPECT_FALSE(ParseDateText("2023-2-29"));
    EXPECT_FALSE(ParseDateText(""));
    EXPECT_FALSE(ParseDateText("24:0:0"));
    EXPECT_FALSE(ParseDateText("2024-1-5x"));
    EXPECT_FALSE(ParseIsoDateText("2024-1-05"));
    EXPECT_EQ(CDate(Variant::FromString("2024-06-01 12:00:00")), *DateFromParts(2024, 6, 1, 12, 0, 0));
    EXPECT_EQ(CStr(Variant::FromDate(*DateFromParts(2024, 6, 1, 13, 5, 9))), "6/1/2024 1:05:09 PM");
    EXPECT_EQ(CStr(Variant::FromDate(*DateFromParts(2024, 6, 1))), "6/1/2024");
    EXPECT_EQ(CStr(Variant::FromDate(0.75)), "6:00:00 PM");
}

TEST(Clock, FixedAndAdvanced) {
    SetFixedNow(*DateFromParts(2024, 3, 1, 12, 0, 0));
    EXPECT_EQ(DateToIsoText(Now()), "2024-03-01 12:00:00");
    AdvanceFixedNow(90'000);
    EXPECT_EQ(DateToIsoText(Now()), "2024-03-01 12:01:30");
    SetFixedNow(std::nullopt);
    const DateParts real = SplitDate(Now());
    EXPECT_GE(real.year, 2024);
}

}  // namespace
}  // namespace ov
