#include <gtest/gtest.h>

#include <cmath>

#include "maskedit/date_matcher.h"
#include "maskedit/mask_engine.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/format.h"
#include "test_support.h"

namespace ov::maskedit {
namespace {

using testing::At;
using testing::FixedContext;
constexpr int kDate = 2;

class DateMatcher : public ::testing::Test {
protected:
    MaskContext ctx = FixedContext();
    double Date(const char* text, const char* mask) { return ParseMaskedDate(text, mask, ctx).date; }
    bool Typing(const char* text, const char* mask) { return ParseMaskedDate(text, mask, ctx).acceptable; }
    bool Valid(const char* text, const char* mask) { return IsTextValid(text, mask, kDate, ctx).valid; }
};

TEST_F(DateMatcher, DayMonthYear) {
    EXPECT_EQ(Date("31/12/2024", "DD/MM/YYYY"), At(2024, 12, 31));
    EXPECT_EQ(Date("31/04/2024", "DD/MM/YYYY"), 0);  // accepted key by key, no such date
    EXPECT_TRUE(Typing("31/04/2024", "DD/MM/YYYY"));
    EXPECT_FALSE(Typing("4", "DD/MM/YYYY"));
    EXPECT_TRUE(Typing("3", "DD/MM/YYYY"));
    EXPECT_TRUE(Typing("31/", "DD/MM/YYYY"));
    EXPECT_FALSE(Typing("12/13", "DD/MM/YYYY"));
    EXPECT_FALSE(Typing("12/13/2024", "DD/MM/YYYY"));
    EXPECT_FALSE(Typing("12-", "DD/MM/YYYY"));                  // literal mismatch
    EXPECT_FALSE(Typing("31/12/20245", "DD/MM/YYYY"));          // text beyond the mask
    EXPECT_EQ(Date("5/11/2024", "D/M/YYYY"), At(2024, 11, 5));  // the "1" takes the next "1"
    EXPECT_EQ(Date("29/2/2023", "D/M/YYYY"), 0);
    EXPECT_EQ(Date("29/2/2024", "D/M/YYYY"), At(2024, 2, 29));
    EXPECT_FALSE(Typing("0/", "D/M/YYYY"));
    EXPECT_EQ(Date("31/12/2024", "dd/mm/yyyy"), At(2024, 12, 31));
    EXPECT_EQ(Date("20240601 13:05", "YYYYMMDD HH:MM"), At(2024, 6, 1, 13, 5));
}

TEST_F(DateMatcher, TwoDigitYearWindow) {
    EXPECT_EQ(Date("01/01/74", "DD/MM/YY"), At(1974, 1, 1));
    EXPECT_EQ(Date("01/01/73", "DD/MM/YY"), At(2073, 1, 1));
    const MaskContext early = FixedContext(2010);  // c = 10: 60..99 are the 1900s
    EXPECT_EQ(ParseMaskedDate("01/01/60", "DD/MM/YY", early).date, At(1960, 1, 1));
    EXPECT_EQ(ParseMaskedDate("01/01/59", "DD/MM/YY", early).date, At(2059, 1, 1));
    const MaskContext late = FixedContext(2090);  // c = 90: 00..39 move up to the 2100s
    EXPECT_EQ(ParseMaskedDate("01/01/39", "DD/MM/YY", late).date, At(2139, 1, 1));
    EXPECT_EQ(ParseMaskedDate("01/01/40", "DD/MM/YY", late).date, At(2040, 1, 1));
    // Years under 100 from YYYY take the platform's own window.
    EXPECT_EQ(Date("01/01/0029", "DD/MM/YYYY"), At(2029, 1, 1));
    EXPECT_EQ(Date("01/01/0030", "DD/MM/YYYY"), At(1930, 1, 1));
    EXPECT_EQ(Date("01/01/999", "DD/MM/YYY"), At(999, 1, 1));
    EXPECT_FALSE(Typing("01/01/2", "DD/MM/Y"));
}

TEST_F(DateMatcher, HoursMinutesAndAmPm) {
    EXPECT_DOUBLE_EQ(Date("12:30 AM", "HH:MM AMPM"), At(1899, 12, 30, 0, 30));
    EXPECT_DOUBLE_EQ(Date("01:15 PM", "HH:MM AMPM"), At(1899, 12, 30, 13, 15));
    EXPECT_DOUBLE_EQ(Date("12:15 pm", "hh:mm am/pm"), At(1899, 12, 30, 12, 15));
    EXPECT_TRUE(Typing("0", "HH:MM AMPM"));
    EXPECT_TRUE(Typing("01:1", "HH:MM AMPM"));
    EXPECT_TRUE(Typing("01:15 P", "HH:MM AMPM"));
    EXPECT_FALSE(Typing("01:15 X", "HH:MM AMPM"));
    EXPECT_FALSE(Typing("01:15 PX", "HH:MM AMPM"));
    EXPECT_FALSE(Typing("2", "HH:MM AMPM"));  // 12-hour clock: first digit 0 or 1
    EXPECT_FALSE(Typing("13", "HH:MM AMPM"));
    EXPECT_FALSE(Typing("10:7", "HH:MM"));
    EXPECT_TRUE(Valid("23:59", "HH:MM"));
    EXPECT_FALSE(Typing("24", "HH:MM"));
    EXPECT_FALSE(Valid("00:00", "HH:MM"));  // midnight alone composes nothing
    EXPECT_FALSE(Valid("12:00 AM", "HH:MM AMPM"));
    EXPECT_DOUBLE_EQ(Date("9:5:7", "H:M:S"), At(1899, 12, 30, 9, 5, 7));
    EXPECT_DOUBLE_EQ(Date("23:59:59", "H:M:S"), At(1899, 12, 30, 23, 59, 59));
    EXPECT_FALSE(Typing("24", "H:M"));  // "4" may not follow "2": it is left to meet the ":"
    EXPECT_DOUBLE_EQ(Date("12:5 PM", "H:M AMPM"), At(1899, 12, 30, 12, 5));
    EXPECT_FALSE(Typing("13", "H:M AMPM"));
    EXPECT_FALSE(Typing("01:15 PM x", "HH:MM AMPM"));  // nothing may follow the marker
}

TEST_F(DateMatcher, MinutesByTimeContext) {
    EXPECT_DOUBLE_EQ(Date("05:09", "MM:SS"), At(1899, 12, 30, 0, 5, 9));       // ':' after the run
    EXPECT_DOUBLE_EQ(Date("01 45PM", "HH MMAMPM"), At(1899, 12, 30, 13, 45));  // marker right after
    // A blank after the hour ends the time context: MM is a month and 45 is refused.
    EXPECT_FALSE(Typing("01 45 PM", "HH MM AMPM"));
    EXPECT_EQ(Date("2024/06/01 13:05", "YYYY/MM/DD HH:MM"), At(2024, 6, 1, 13, 5));
    EXPECT_FALSE(Typing("6", "MM:SS"));  // a first minute digit must be 0 to 5
}

TEST_F(DateMatcher, NamesOfMonthsAndWeekdays) {
    EXPECT_EQ(Date("MONDAY 01 JANUARY 2024", "DDDD DD MMMM YYYY"), At(2024, 1, 1));
    EXPECT_EQ(Date("TUESDAY 01 JANUARY 2024", "DDDD DD MMMM YYYY"), 0);
    EXPECT_TRUE(Typing("TUESDAY 01 JANUARY 2024", "DDDD DD MMMM YYYY"));
    EXPECT_EQ(Date("01 may 2024", "DD MMMM YYYY"), At(2024, 5, 1));  // a name shorter than the run
    EXPECT_EQ(Date("01 september 2024", "dd mmmm yyyy"), At(2024, 9, 1));
    EXPECT_TRUE(Typing("01 SEPTE", "DD MMMM YYYY"));
    EXPECT_FALSE(Typing("01 SEPTX", "DD MMMM YYYY"));
    EXPECT_FALSE(Typing("01 XYZW 2024", "DD MMMM YYYY"));
    EXPECT_EQ(Date("jan-01-2024", "MMM-DD-YYYY"), At(2024, 1, 1));
    EXPECT_TRUE(Typing("ja", "MMM-DD-YYYY"));
    EXPECT_FALSE(Typing("jx", "MMM-DD-YYYY"));
    EXPECT_EQ(Date("Sat 01/06/2024", "DDD DD/MM/YYYY"), At(2024, 6, 1));
    EXPECT_EQ(Date("Sun 01/06/2024", "DDD DD/MM/YYYY"), 0);
}

TEST_F(DateMatcher, KnownMonth) {
    // A month already set by an earlier run must be repeated by later month runs.
    EXPECT_EQ(Date("01/06/2024 (JUN)", "DD/MM/YYYY (MMM)"), At(2024, 6, 1));
    EXPECT_FALSE(Typing("01/06/2024 (JUL)", "DD/MM/YYYY (MMM)"));
    EXPECT_TRUE(Typing("01/06/2024 (JU", "DD/MM/YYYY (MMM)"));
    EXPECT_EQ(Date("01 JUNE 2024 06", "DD MMMM YYYY MM"), At(2024, 6, 1));
    EXPECT_FALSE(Typing("01 JUNE 2024 07", "DD MMMM YYYY MM"));
    EXPECT_TRUE(Typing("01 JUNE 2024 0", "DD MMMM YYYY MM"));
    EXPECT_FALSE(Typing("01 JUNE 2024 1", "DD MMMM YYYY MM"));
    EXPECT_TRUE(Typing("01 NOVEMBER 2024 1", "DD MMMM YYYY M"));  // "1" may still become 11
    EXPECT_FALSE(Typing("01 JUNE 2024 1", "DD MMMM YYYY M"));
    EXPECT_FALSE(Typing("01 JUNE 2024 JULY", "DD MMMM YYYY MMMM"));  // only the known month's name
}

TEST_F(DateMatcher, RunsOfOtherLengthsSetNothing) {
    EXPECT_EQ(Date("01/06/2024 abc", "DD/MM/YYYY SSS"), At(2024, 6, 1));
    EXPECT_EQ(Date("01/06/20245", "DD/MM/YYYYY"), 0);  // no year set
    EXPECT_TRUE(Typing("01/06/2024x", "DD/MM/YYYYY"));
}

TEST_F(DateMatcher, MaskChecks) {
    EXPECT_TRUE(IsMaskValid("DD/MM/YYYY", kDate, ctx));
    EXPECT_TRUE(IsMaskValid("", kDate, ctx));
    EXPECT_TRUE(IsMaskValid("HH:MM AMPM", kDate, ctx));
    EXPECT_TRUE(IsMaskValid("DDDD DD MMMM YYYY HH:MM AMPM", kDate, ctx));
    EXPECT_TRUE(IsMaskValid("YYYYMMDD HH:MM", kDate, ctx));
    EXPECT_FALSE(IsMaskValid("MMM-YYYY", kDate, ctx));
    EXPECT_FALSE(IsMaskValid("MM/YYYY", kDate, ctx));
    EXPECT_FALSE(IsMaskValid("DD/MM/Y", kDate, ctx));
    EXPECT_FALSE(IsMaskValid("HH:MM AMPM x", kDate, ctx));
    // Midnight formats to a time that composes nothing, so a time-only mask fails then.
    EXPECT_FALSE(IsMaskValid("HH:MM", kDate, FixedContext(2024, 6, 1, 0, 0, 0)));
    EXPECT_FALSE(IsMaskValid("DD/MM/YYYY", 3, ctx));
    EXPECT_FALSE(IsTextValid("", "", 3, ctx).valid);
    EXPECT_TRUE(IsPartialTextValid("x", "y", 3, ctx));
}

TEST_F(DateMatcher, StoredDateOfWholeTexts) {
    auto full = IsTextValid("31/12/2024", "DD/MM/YYYY", kDate, ctx);
    EXPECT_TRUE(full.valid);
    EXPECT_EQ(full.date, At(2024, 12, 31));
    auto bad = IsTextValid("31/04/2024", "DD/MM/YYYY", kDate, ctx);
    EXPECT_FALSE(bad.valid);
    EXPECT_EQ(bad.date, 0.0);  // the zero date replaces the stored one
    auto empty = IsTextValid("", "DD/MM/YYYY", kDate, ctx);
    EXPECT_TRUE(empty.valid);
    EXPECT_FALSE(empty.date.has_value());  // the stored date stays
}

TEST_F(DateMatcher, DigitsOnly) {
    EXPECT_TRUE(IsDigitsOnly("0123"));
    EXPECT_FALSE(IsDigitsOnly(""));
    EXPECT_FALSE(IsDigitsOnly("12a"));
    EXPECT_FALSE(IsDigitsOnly(" 1"));
}

// Formatting a date with a mask and parsing the text back gives the same date, and every
// prefix of that text is accepted while typing.
TEST_F(DateMatcher, FormatParseRoundTripsAndPrefixes) {
    struct Mask {
        const char* mask;
        bool seconds;
        bool date_part;
    };
    const Mask masks[] = {{"DD/MM/YYYY HH:MM:SS", true, true}, {"D/M/YYYY H:M:S", true, true},
                          {"YYYY-MM-DD HH:MM", false, true},   {"DDDD DD MMMM YYYY HH:MM AMPM", false, true},
                          {"DD MMM YYYY", false, true},        {"MMMM D, YYYY", false, true},
                          {"YYYYMMDD HH:MM", false, true},     {"dd.mm.yy", false, true},
                          {"DDD D/M/YYYY", false, true},       {"HH:MM:SS", true, false},
                          {"H:MM AMPM", false, false}};
    int checked = 0;
    for (const Mask& m : masks) {
        for (double day = At(1975, 1, 1); day < At(2073, 12, 31); day += 97.37) {
            const DateParts p = SplitDate(day);
            const double expected = m.date_part
                                        ? At(p.year, p.month, p.day, 0, 0, 0) +
                                              (p.hour * 3600 + p.minute * 60 + (m.seconds ? p.second : 0)) / 86400.0
                                        : (p.hour * 3600 + p.minute * 60 + (m.seconds ? p.second : 0)) / 86400.0;
            const bool has_time = p.hour || p.minute || (m.seconds && p.second);
            const bool masks_time = std::string(m.mask).find_first_of("Hh") != std::string::npos;
            if (!m.date_part && !has_time) continue;
            const double date = masks_time ? expected : std::floor(expected);
            const std::string text = *FormatDate(date, m.mask);
            const MaskedDate parsed = ParseMaskedDate(text, m.mask, ctx);
            ASSERT_NEAR(parsed.date, date, 1e-9) << m.mask << " " << text;
            for (std::size_t n = 0; n <= text.size(); ++n)
                ASSERT_TRUE(ParseMaskedDate(text.substr(0, n), m.mask, ctx).acceptable)
                    << m.mask << " '" << text.substr(0, n) << "'";
            ++checked;
        }
    }
    EXPECT_GT(checked, 3000);
}

TEST_F(DateMatcher, HostLocaleNames) {
    DateLocale german = EnglishLocale();
    german.month_names = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                          "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    SetDateLocale(german);
    const MaskContext local = FixedContext();
    SetDateLocale(std::nullopt);
    EXPECT_EQ(ParseMaskedDate("01 MAI 2024", "DD MMMM YYYY", local).date, At(2024, 5, 1));
    EXPECT_EQ(ParseMaskedDate("01 MAY 2024", "DD MMMM YYYY", local).date, 0);
    EXPECT_EQ(local.names.months[4], "MAI");
}

}  // namespace
}  // namespace ov::maskedit
