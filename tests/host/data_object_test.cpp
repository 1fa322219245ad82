// The data object drag-and-drop handlers read and fill, through its late-bound members as a
// handler calls them.
#include <gtest/gtest.h>

#include "host/reference/data_object.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {
namespace {

Variant Call(IDispatch& object, const char* method, std::vector<Variant> args) {
    return CallMethod(object, method, args);
}

int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& error) {
        return error.number();
    }
    return 0;
}

TEST(DataObject, FormatsDataAndFiles) {
    DataObject data;
    const Variant text = Variant::FromInteger(kDataFormatText), files = Variant::FromInteger(kDataFormatFiles);
    // Empty: no format, and asking for text is an invalid call.
    EXPECT_FALSE(CBool(Call(data, "GetFormat", {text})));
    EXPECT_FALSE(CBool(Call(data, "GetFormat", {files})));
    EXPECT_EQ(ErrorOf([&] { Call(data, "GetData", {text}); }), error::kInvalidProcedureCall);

    // SetData with the format omitted stores text; files come through Files.
    Call(data, "SetData", {Variant::FromString("caf\xe9")});
    const auto list = CObj(GetProperty(data, "Files"));
    Call(*list, "Add", {Variant::FromString("/tmp/a.txt")});
    EXPECT_TRUE(CBool(Call(data, "GetFormat", {text})));
    EXPECT_TRUE(CBool(Call(data, "GetFormat", {files})));
    EXPECT_EQ(CStr(Call(data, "GetData", {text})), "caf\xe9");
    EXPECT_EQ(CLng(GetProperty(*list, "Count")), 1);
    EXPECT_EQ(CStr(GetProperty(*list, "Item", {Variant::FromLong(1)})), "/tmp/a.txt");
    EXPECT_EQ(ErrorOf([&] { GetProperty(*list, "Item", {Variant::FromLong(2)}); }), error::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { GetProperty(*list, "Item", {Variant::FromLong(0)}); }), error::kSubscriptOutOfRange);
    // Files are read as a list, never through GetData; other formats cannot be set.
    EXPECT_EQ(ErrorOf([&] { Call(data, "GetData", {files}); }), error::kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { Call(data, "SetData", {Variant::FromString("x"), Variant::FromInteger(2)}); }),
              error::kInvalidProcedureCall);

    // An offered format without data reads as empty text; Clear forgets everything.
    Call(data, "Clear", {});
    EXPECT_FALSE(CBool(Call(data, "GetFormat", {files})));
    Call(data, "SetData", {Variant::Missing(), text});
    EXPECT_EQ(CStr(Call(data, "GetData", {text})), "");
}

}  // namespace
}  // namespace ov::host
