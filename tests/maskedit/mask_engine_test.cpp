#include <gtest/gtest.h>

#include "maskedit/mask_engine.h"
#include "test_support.h"

namespace ov::maskedit {
namespace {

using testing::FixedContext;

TEST(MaskEngine, EmptyTextIsValidUnderEveryValidMask) {
    const auto ctx = FixedContext();
    for (int format : {0, 1, 2}) {
        for (const char* mask : {"", "[A-Z]#", "###.##", "DD/MM/YYYY"}) {
            if (!IsMaskValid(mask, format, ctx)) continue;
            EXPECT_TRUE(IsTextValid("", mask, format, ctx).valid) << format << " " << mask;
            EXPECT_TRUE(IsPartialTextValid("", mask, format, ctx)) << format << " " << mask;
        }
    }
}

TEST(MaskEngine, FormatsOutsideTheEnumeration) {
    const auto ctx = FixedContext();
    for (int format : {-1, 3, 1000}) {
        EXPECT_FALSE(IsMaskValid("", format, ctx));
        EXPECT_FALSE(IsTextValid("", "", format, ctx).valid);
        EXPECT_TRUE(IsPartialTextValid("zz", "##", format, ctx));
    }
}

TEST(MaskEngine, SameMaskMeansDifferentThingsPerFormat) {
    const auto ctx = FixedContext();
    EXPECT_TRUE(IsMaskValid("##.#", 0, ctx));
    EXPECT_TRUE(IsMaskValid("##.#", 1, ctx));
    EXPECT_TRUE(IsTextValid("12.3", "##.#", 0, ctx).valid);
    EXPECT_FALSE(IsTextValid("1.3", "##.#", 0, ctx).valid);  // a pattern wants two digits
    EXPECT_TRUE(IsTextValid("1.3", "##.#", 1, ctx).valid);   // a number may have fewer
    EXPECT_FALSE(IsTextValid("123.45", "##.#", 1, ctx).valid);
}

}  // namespace
}  // namespace ov::maskedit
