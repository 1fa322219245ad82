// The variants of OLE_COLOR translation side by side, on the values where they differ: plain
// colours with and without stray high bits, system colours inside and outside the scheme and
// beyond index 24, and high bytes the platform refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/gdi/gdi.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/screen.h"

namespace ov::gdi {
namespace {

TEST(OleColour, SystemColourValuesNameTheirIndex) {
    EXPECT_EQ(OleSystemColor(COLOR_BTNFACE), static_cast<std::int32_t>(0x8000000Fu));
    EXPECT_EQ(OleSystemColor(COLOR_WINDOW), static_cast<std::int32_t>(0x80000005u));
    EXPECT_EQ(OleSystemColor(COLOR_3DLIGHT), static_cast<std::int32_t>(0x80000016u));
    EXPECT_TRUE(IsSystemColor(0x80000000u));
    EXPECT_FALSE(IsSystemColor(0x7FFFFFFFu));
    // The named indices are the classic scheme's.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    EXPECT_EQ(GetSysColor(COLOR_MENUBAR), RGB(192, 192, 192));
}

TEST(OleColour, EachVariantOnTheValuesWhereTheyDiffer) {
    ResetSysColors();
    constexpr std::uint32_t kUnknown = 0xDEADu;  // stands for "refused" in the validity column
    const std::uint32_t face = GetSysColor(COLOR_BTNFACE), info = GetSysColor(COLOR_INFOBK);
    const std::uint32_t slot25 = GetSysColor(25), menu_bar = GetSysColor(COLOR_MENUBAR);
    struct Case {
        std::uint32_t value;
        std::uint32_t or_black, or_low24, or_raw;
        bool translates;
        std::uint32_t any_index, up_to_24;
    };
    const Case cases[] = {
        {0x00123456u, 0x123456u, 0x123456u, 0x123456u, true, 0x123456u, 0x123456u},
        // Stray high bits: refused by the platform form, passed through by the resolving ones.
        {0x7F123456u, 0, 0x123456u, 0x7F123456u, false, 0x7F123456u, 0x7F123456u},
        {0x8000000Fu, face, face, face, true, face, face},
        {0x80000018u, info, info, info, true, info, info},
        // Index 25 is in the scheme but past the assignment form's range.
        {0x80000019u, slot25, slot25, slot25, true, slot25, 0x80000019u},
        {0x8000001Eu, menu_bar, menu_bar, menu_bar, true, menu_bar, 0x8000001Eu},
        // Past the scheme: refused, or black at use time.
        {0x8000001Fu, 0, 0x00001Fu, 0x8000001Fu, false, 0, 0x8000001Fu},
        {0x80FFFFFFu, 0, 0xFFFFFFu, 0x80FFFFFFu, false, 0, 0x80FFFFFFu},
        // A high byte other than 0x80 with the high bit set: the use-time form reads the whole
        // rest as the index.
        {0x81000005u, 0, 0x000005u, 0x81000005u, false, 0, 0x81000005u},
        {0xFFFFFFFFu, 0, 0xFFFFFFu, 0xFFFFFFFFu, false, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "0x" << c.value);
        EXPECT_EQ(TranslateOleColorOrBlack(c.value), c.or_black);
        EXPECT_EQ(TranslateOleColorOrLow24Bits(c.value), c.or_low24);
        EXPECT_EQ(TranslateOleColorOrRaw(c.value), c.or_raw);
        EXPECT_EQ(OleColorTranslates(c.value), c.translates);
        EXPECT_EQ(ResolveSystemColorAnyIndex(c.value), c.any_index);
        EXPECT_EQ(static_cast<std::uint32_t>(ResolveSystemColorUpToIndex24(static_cast<std::int32_t>(c.value))),
                  c.up_to_24);
        // The platform form is OleTranslateColor: where it accepts, all its variants agree.
        COLORREF platform = kUnknown;
        const bool accepted = OleTranslateColor(c.value, 0, &platform) == S_OK;
        EXPECT_EQ(accepted, c.translates);
        if (accepted) EXPECT_EQ(platform, c.or_black);
    }
}

// The gradient's colour properties store this form: system colours up to index 24 become
// their current RGB value; index 25 and above, other high-bit values and plain colours are kept.
TEST(OleColour, AssignmentFormTranslatesUpToIndex24) {
    ResetSysColors();
    SetSysColorEntry(COLOR_INFOBK, RGB(1, 2, 3));
    const std::pair<std::uint32_t, std::uint32_t> rows[] = {{0x80000005u, GetSysColor(COLOR_WINDOW)},
                                                            {0x80000018u, RGB(1, 2, 3)},
                                                            {0x80000019u, 0x80000019u},
                                                            {0xFF000005u, 0xFF000005u},
                                                            {0x123456u, 0x123456u}};
    for (auto [written, stored] : rows)
        EXPECT_EQ(ResolveSystemColorUpToIndex24(static_cast<std::int32_t>(written)), static_cast<std::int32_t>(stored))
            << std::hex << written;
    ResetSysColors();
}

TEST(OleColour, SystemColoursFollowTheCurrentScheme) {
    SetSysColorEntry(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(TranslateOleColorOrBlack(0x8000000Fu), RGB(1, 2, 3));
    EXPECT_EQ(ResolveSystemColorAnyIndex(0x8000000Fu), RGB(1, 2, 3));
    EXPECT_EQ(ResolveSystemColorUpToIndex24(OleSystemColor(COLOR_BTNFACE)), static_cast<std::int32_t>(RGB(1, 2, 3)));
    ResetSysColors();
    EXPECT_EQ(TranslateOleColorOrBlack(0x8000000Fu), RGB(192, 192, 192));
}

}  // namespace
}  // namespace ov::gdi
