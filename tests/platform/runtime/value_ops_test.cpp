#include <gtest/gtest.h>

#include <cmath>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/value_ops.h"

namespace ov {
namespace {

TEST(CanonicalNumberText, PositionalShortest) {
    EXPECT_EQ(CanonicalNumberText(7), "7");
    EXPECT_EQ(CanonicalNumberText(1.5), "1.5");
    EXPECT_EQ(CanonicalNumberText(0.5), "0.5");
    EXPECT_EQ(CanonicalNumberText(-0.0), "0");
    EXPECT_EQ(CanonicalNumberText(-12), "-12");
    EXPECT_EQ(CanonicalNumberText(1e16), "10000000000000000");
    EXPECT_EQ(CanonicalNumberText(1e-5), "0.00001");
    EXPECT_EQ(CanonicalNumberText(123.456), "123.456");
    EXPECT_EQ(CanonicalNumberText(0.1 + 0.2), "0.30000000000000004");
}

TEST(NumericText, EngineTest) {
    for (const char* yes : {"5", "-5", "+5", " 5 ", "5.", ".5", "-.5", "007.50"})
        EXPECT_TRUE(IsNumericText(yes)) << yes;
    for (const char* no : {"", "-", ".", "-.", "1.2.3", "1e5", "&H10", "1,000", "$5", "5-", "+-5", "1 2"})
        EXPECT_FALSE(IsNumericText(no)) << no;
    EXPECT_EQ(NumericTextValue(" +007.50 "), 7.5);
    EXPECT_EQ(NumericTextValue("-.5"), -0.5);
    // 308 nines still fit a Double; 309 do not, and text that cannot be converted is
    // not numeric.
    EXPECT_TRUE(IsNumericText(std::string(308, '9')));
    EXPECT_FALSE(IsNumericText(std::string(309, '9')));
    EXPECT_FALSE(IsNumericText("-" + std::string(400, '9') + ".5"));
    EXPECT_EQ(NumericTextValue(std::string(309, '9')), 0);
    EXPECT_TRUE(IsNumericText("0." + std::string(400, '0') + "1"));  // underflow is a tiny number
}

TEST(Val, ReadsAsFarAsANumberGoes) {
    EXPECT_EQ(Val("  1615 198th Street"), 1615198);  // blanks vanish anywhere
    EXPECT_EQ(Val("12abc"), 12);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val(".5"), 0.5);
    EXPECT_EQ(Val("1.2.3"), 1.2);
    EXPECT_EQ(Val("1e3x"), 1000);
    EXPECT_EQ(Val("1d2"), 100);
    EXPECT_EQ(Val("1e"), 1);
    EXPECT_EQ(Val("- 5"), -5);
    EXPECT_EQ(Val("&HFF"), 255);
    EXPECT_EQ(Val("&HFFFF"), -1);
    EXPECT_EQ(Val("&H8000"), -32768);
    EXPECT_EQ(Val("&H10000"), 65536);
    EXPECT_EQ(Val("&O17"), 15);
    EXPECT_EQ(Val("&17"), 15);
    EXPECT_EQ(Val("&H1Fz"), 31);
    EXPECT_EQ(Val("&H"), 0);
    try {
        Val("1e999");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST(UpperCase, LettersOfTheCodePage) {
    struct Case {
        const char* text;
        const char* want;
    };
    const Case cases[] = {
        {"dd/mm/yyyy am", "DD/MM/YYYY AM"},
        {"d\xE9"
         "cembre",
         "D\xC9"
         "CEMBRE"},                                        // é
        {"\xE0\xE7\xF1\xF6\xFE", "\xC0\xC7\xD1\xD6\xDE"},  // à ç ñ ö þ
        {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"},          // š œ ž ÿ
        {"\xDF\xB5\xF7", "\xDF\xB5\xF7"},                  // ß µ ÷ have no capital
        {"\xC9\x80 1", "\xC9\x80 1"},                      // capitals and signs stay
    };
    for (const Case& c : cases) EXPECT_EQ(UpperCase(c.text), c.want) << c.text;
}

}  // namespace
}  // namespace ov
