#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov {
namespace {

std::int32_t ErrorNumberOf(auto&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(Conversions, IntegersRoundHalvesToEven) {
    EXPECT_EQ(CInt(Variant::FromDouble(2.5)), 2);
    EXPECT_EQ(CInt(Variant::FromDouble(3.5)), 4);
    EXPECT_EQ(CInt(Variant::FromDouble(-2.5)), -2);
    EXPECT_EQ(CInt(Variant::FromDouble(-3.5)), -4);
    EXPECT_EQ(CInt(Variant::FromDouble(2.4999)), 2);
    EXPECT_EQ(CLng(Variant::FromDouble(0.5)), 0);
    EXPECT_EQ(CLng(Variant::FromDouble(1.5)), 2);
    EXPECT_EQ(CByte(Variant::FromString("254.5")), 254);
    EXPECT_EQ(CInt(Variant::FromString(" 12.5 ")), 12);
}

TEST(Conversions, OutOfRangeIsOverflowSix) {
    EXPECT_EQ(CInt(Variant::FromLong(32767)), 32767);
    EXPECT_EQ(CInt(Variant::FromLong(-32768)), -32768);
    EXPECT_EQ(ErrorNumberOf([] { CInt(Variant::FromLong(32768)); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CInt(Variant::FromDouble(-32768.6)); }), 6);
    // 32767.5 rounds to the even 32768, which no longer fits.
    EXPECT_EQ(ErrorNumberOf([] { CInt(Variant::FromDouble(32767.5)); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CByte(Variant::FromInteger(-1)); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::FromDouble(2147483648.0)); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CSng(Variant::FromDouble(1e39)); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CDbl(Variant::FromString("1e400")); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::FromDouble(std::nan(""))); }), 6);
}

TEST(Conversions, NonNumericIsTypeMismatchThirteen) {
    EXPECT_EQ(ErrorNumberOf([] { CInt(Variant::FromString("abc")); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { CDbl(Variant::FromString("1.2.3")); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { CDbl(Variant::FromString("")); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::Null()); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { CStr(Variant::FromObject(nullptr)); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { CObj(Variant::FromLong(1)); }), 13);
    AutomationError e(13);
    EXPECT_EQ(e.description(), "Type mismatch");
    EXPECT_EQ(AutomationError(6).description(), "Overflow");
    EXPECT_EQ(AutomationError(93).description(), "Invalid pattern string");
    EXPECT_EQ(AutomationError(380).description(), "Invalid property value");
    EXPECT_EQ(AutomationError(1234, "desc", "Src").source(), "Src");
}

TEST(Conversions, NumericTextForms) {
    EXPECT_EQ(CDbl(Variant::FromString("&HFF")), 255);
    EXPECT_EQ(CDbl(Variant::FromString("&hff")), 255);
    EXPECT_EQ(CInt(Variant::FromString("&HFFFF")), -1);  // four hex digits read as a 16-bit value
    EXPECT_EQ(CLng(Variant::FromString("&H10000")), 65536);
    EXPECT_EQ(CLng(Variant::FromString("&HFFFFFFFF")), -1);
    EXPECT_EQ(CLng(Variant::FromString("&O17")), 15);
    EXPECT_EQ(CDbl(Variant::FromString("  -1.5e2 ")), -150);
    EXPECT_EQ(CDbl(Variant::FromString("1D3")), 1000);
    EXPECT_EQ(CDbl(Variant::FromString(".5")), 0.5);
    EXPECT_EQ(CDbl(Variant::FromString("+5.")), 5);
    double out = 0;
    EXPECT_FALSE(ParseNumericText("&H", out));
    EXPECT_FALSE(ParseNumericText("1e", out));
    EXPECT_FALSE(ParseNumericText("&HFG", out));
}

TEST(Conversions, BooleansAreMinusOne) {
    EXPECT_EQ(CInt(Variant::FromBoolean(true)), -1);
    EXPECT_EQ(CDbl(Variant::FromBoolean(false)), 0);
    EXPECT_TRUE(CBool(Variant::FromString("true")));
    EXPECT_FALSE(CBool(Variant::FromString("False")));
    EXPECT_TRUE(CBool(Variant::FromDouble(0.1)));
    EXPECT_EQ(CStr(Variant::FromBoolean(true)), "True");
    EXPECT_EQ(ConvertTo(Variant::FromBoolean(true), VarType::Long), Variant::FromLong(-1));
}

TEST(Conversions, ShortestDoubleText) {
    EXPECT_EQ(CStr(Variant::FromDouble(0.1)), "0.1");
    EXPECT_EQ(CStr(Variant::FromDouble(1.5)), "1.5");
    EXPECT_EQ(CStr(Variant::FromDouble(100)), "100");
    EXPECT_EQ(CStr(Variant::FromDouble(-2.25)), "-2.25");
    EXPECT_EQ(CStr(Variant::FromDouble(0.1 + 0.2)), "0.30000000000000004");
    EXPECT_EQ(CStr(Variant::FromDouble(123456789012345.0)), "123456789012345");
    EXPECT_EQ(CStr(Variant::FromDouble(1e15)), "1E+15");
    EXPECT_EQ(CStr(Variant::FromDouble(0.0001)), "0.0001");
    EXPECT_EQ(CStr(Variant::FromDouble(0.000015)), "1.5E-05");
    EXPECT_EQ(CStr(Variant::FromSingle(0.1f)), "0.1");
    EXPECT_EQ(CStr(Variant::FromSingle(3.14159f)), "3.14159");
    EXPECT_EQ(CStr(Variant::FromInteger(-7)), "-7");
    // Every text reads back to the same double.
    for (double v : {1.0 / 3, 2.0 / 3, 1e-300, 123.456, 9007199254740993.0, 5e-324}) {
        EXPECT_EQ(CDbl(Variant::FromString(CStr(Variant::FromDouble(v)))), v) << v;
    }
}

TEST(Conversions, EqualityIsTypeAndValue) {
    EXPECT_EQ(Variant::FromLong(1), Variant::FromLong(1));
    EXPECT_NE(Variant::FromLong(1), Variant::FromInteger(1));
    EXPECT_NE(Variant::FromString("a"), Variant::FromString("A"));
    EXPECT_EQ(Variant(), Variant());
    EXPECT_TRUE(Variant::Missing().IsMissing());
    EXPECT_EQ(ConvertTo(Variant::FromString("3.5"), VarType::Integer), Variant::FromInteger(4));
    EXPECT_EQ(CStr(Variant()), "");
    EXPECT_EQ(CLng(Variant()), 0);
}

}  // namespace
}  // namespace ov
