#include <gtest/gtest.h>

#include "maskedit/mask_engine.h"
#include "maskedit/numeric_matcher.h"
#include "test_support.h"

namespace ov::maskedit {
namespace {

using testing::FixedContext;
constexpr int kNumeric = 1;

TEST(NumericMatcher, MaskValidity) {
    const auto ctx = FixedContext();
    for (const char* ok : {"", "#", "###.##", "-##", ".##", "-.#", "#."})
        EXPECT_TRUE(IsMaskValid(ok, kNumeric, ctx)) << ok;
    for (const char* bad : {"#-#", "##..", "#.#.#", "0.0", "--#", "# #"})
        EXPECT_FALSE(IsMaskValid(bad, kNumeric, ctx)) << bad;
}

TEST(NumericMatcher, Normalise) {
    EXPECT_EQ(NormaliseNumericText("-"), "-0");
    EXPECT_EQ(NormaliseNumericText("."), "0.0");
    EXPECT_EQ(NormaliseNumericText("-."), "-0.0");
    EXPECT_EQ(NormaliseNumericText("+"), "+");
    EXPECT_EQ(NormaliseNumericText("-5"), "-5");
    EXPECT_EQ(NormaliseNumericText(" - "), " - ");
}

TEST(NumericMatcher, DigitCounts) {
    const auto ctx = FixedContext();
    auto valid = [&](const char* text, const char* mask) { return IsTextValid(text, mask, kNumeric, ctx).valid; };
    EXPECT_TRUE(valid("123.45", "###.##"));
    EXPECT_FALSE(valid("1234", "###.##"));
    EXPECT_FALSE(valid("12.345", "###.##"));
    EXPECT_FALSE(valid("-1", "###.##"));
    EXPECT_TRUE(valid("-12", "-##"));
    EXPECT_TRUE(valid("12", "-##"));
    EXPECT_FALSE(valid("-123", "-##"));
    EXPECT_TRUE(valid("0.25", ".##"));  // the leading "0" is not an integer digit
    EXPECT_FALSE(valid("1.5", ".##"));
    EXPECT_TRUE(valid("0", "##"));
    EXPECT_TRUE(valid("007", "#"));     // judged on the canonical "7"
    EXPECT_TRUE(valid("1.50", "#.#"));  // canonical "1.5"
    EXPECT_TRUE(valid("", "##"));
    EXPECT_FALSE(valid("abc", "##"));
    EXPECT_FALSE(valid("1e3", ""));
    EXPECT_TRUE(valid(" +5 ", "#"));
    EXPECT_FALSE(valid("12", "#-#"));  // an invalid mask refuses every text
    EXPECT_FALSE(valid("", "#-#"));
}

TEST(NumericMatcher, TypingIsJudgedAsComplete) {
    const auto ctx = FixedContext();
    EXPECT_TRUE(IsPartialTextValid("-", "-##", kNumeric, ctx));
    EXPECT_TRUE(IsPartialTextValid(".", "", kNumeric, ctx));
    EXPECT_TRUE(IsPartialTextValid("-.", "-#.#", kNumeric, ctx));
    // "-" is negative zero, whose canonical text "0" carries no sign.
    EXPECT_TRUE(IsPartialTextValid("-", "##", kNumeric, ctx));
    EXPECT_FALSE(IsPartialTextValid("-1", "##", kNumeric, ctx));
    EXPECT_FALSE(IsPartialTextValid("12.", "#.#", kNumeric, ctx));
    EXPECT_TRUE(IsPartialTextValid("1.", "#.#", kNumeric, ctx));
    EXPECT_FALSE(IsPartialTextValid("1x", "", kNumeric, ctx));
}

}  // namespace
}  // namespace ov::maskedit
