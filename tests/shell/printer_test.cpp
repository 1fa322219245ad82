#include <gtest/gtest.h>

#include <limits>

#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"
#include "shell/printer.h"

namespace ov::shell {
namespace {

class NamedObject : public IDispatch {
public:
    std::string TypeName() const override { return "OV3DLine"; }
    std::int32_t GetIDOfName(std::string_view) const override { return kDispidUnknown; }
    Variant Invoke(std::int32_t, InvokeKind, std::vector<Variant>&) override { return {}; }
};

TEST(ShellPrinter, ScalarsAndSpecialValues) {
    EXPECT_EQ(FormatValue(Variant()), "Empty");
    EXPECT_EQ(FormatValue(Variant::Null()), "Null");
    EXPECT_EQ(FormatValue(Variant::FromObject(nullptr)), "Nothing");
    EXPECT_EQ(FormatValue(Variant::FromBoolean(true)), "True");
    EXPECT_EQ(FormatValue(Variant::FromBoolean(false)), "False");
    EXPECT_EQ(FormatValue(Variant::FromInteger(-5)), "-5");
    EXPECT_EQ(FormatValue(Variant::FromLong(-2147483633)), "-2147483633");
    EXPECT_EQ(FormatValue(Variant::FromByte(200)), "200");
    EXPECT_EQ(FormatValue(Variant::FromObject(std::make_shared<NamedObject>())), "Object(OV3DLine)");
}

TEST(ShellPrinter, RealsUseTheirShortestText) {
    EXPECT_EQ(FormatValue(Variant::FromDouble(2)), "2");
    EXPECT_EQ(FormatValue(Variant::FromDouble(2.5)), "2.5");
    EXPECT_EQ(FormatValue(Variant::FromDouble(-0.25)), "-0.25");
    EXPECT_EQ(FormatValue(Variant::FromDouble(0.1)), "0.1");
    // A Single prints its own shortest digits, not those of the widened double.
    EXPECT_EQ(FormatValue(Variant::FromSingle(0.1f)), "0.1");
    EXPECT_EQ(FormatValue(Variant::FromSingle(8.25f)), "8.25");
    // A value no conversion makes but that can arrive from outside prints as what it is.
    EXPECT_EQ(FormatValue(Variant::FromSingle(std::numeric_limits<float>::infinity())), "1.#INF");
    EXPECT_EQ(FormatValue(Variant::FromDouble(-std::numeric_limits<double>::infinity())), "-1.#INF");
    EXPECT_EQ(FormatValue(Variant::FromDouble(std::numeric_limits<double>::quiet_NaN())), "1.#QNAN");
    EXPECT_EQ(FormatValue(Variant::FromSingle(3.4e38f)), "3.4E+38");
}

TEST(ShellPrinter, DatesAreAlwaysComplete) {
    EXPECT_EQ(FormatValue(Variant::FromDate(*DateFromParts(2024, 12, 31))), "#2024-12-31 00:00:00#");
    EXPECT_EQ(FormatValue(Variant::FromDate(*DateFromParts(2024, 12, 31, 13, 15, 0))), "#2024-12-31 13:15:00#");
    EXPECT_EQ(FormatValue(Variant::FromDate(0)), "#1899-12-30 00:00:00#");
}

TEST(ShellPrinter, StringsAreQuotedWithEscapes) {
    EXPECT_EQ(FormatValue(Variant::FromString("")), "\"\"");
    EXPECT_EQ(FormatValue(Variant::FromString("a\"b\\c")), R"("a\"b\\c")");
    EXPECT_EQ(FormatValue(Variant::FromString(std::string("\0\t\n\r", 4))), R"("\0\t\n\r")");
    EXPECT_EQ(FormatValue(Variant::FromString("\x01\x1b\x7f")), R"("\x01\x1B\x7F")");
    // Bytes above the ASCII range are Windows-1252 text, except the five the code page leaves
    // undefined, which stand for control characters.
    EXPECT_EQ(FormatValue(Variant::FromString("caf\xe9 \x80\x9f")), "\"caf\xe9 \x80\x9f\"");
    EXPECT_EQ(FormatValue(Variant::FromString("\x81\x8d\x8f\x90\x9d")), R"("\x81\x8D\x8F\x90\x9D")");
}

TEST(ShellPrinter, RgbTextOfAColour) {
    EXPECT_EQ(FormatRgb(0x00000000), "RGB(0, 0, 0)");
    EXPECT_EQ(FormatRgb(0x00C08040), "RGB(64, 128, 192)");
}

}  // namespace
}  // namespace ov::shell
