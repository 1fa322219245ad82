#include <gtest/gtest.h>

#include "maskedit/mask_engine.h"
#include "maskedit/pattern_matcher.h"
#include "test_support.h"

namespace ov::maskedit {
namespace {

using testing::FixedContext;
constexpr int kText = 0;

TEST(PatternMatcher, MaskValidity) {
    const auto ctx = FixedContext();
    EXPECT_TRUE(IsMaskValid("", kText, ctx));
    EXPECT_TRUE(IsMaskValid("[A-Z]#", kText, ctx));
    EXPECT_FALSE(IsMaskValid("[AB", kText, ctx));
    EXPECT_FALSE(IsMaskValid("[A]x[", kText, ctx));
    EXPECT_TRUE(IsMaskValid("]x", kText, ctx));   // a lone ']' is ordinary
    EXPECT_TRUE(IsMaskValid("[[]", kText, ctx));  // '[' inside a list
}

TEST(PatternMatcher, WholeTexts) {
    const auto ctx = FixedContext();
    EXPECT_TRUE(IsTextValid("(555) 123-4567", "(###) ###-####", kText, ctx).valid);
    EXPECT_FALSE(IsTextValid("(555) 123-456", "(###) ###-####", kText, ctx).valid);
    EXPECT_TRUE(IsTextValid("B7", "[A-Z]#", kText, ctx).valid);
    EXPECT_FALSE(IsTextValid("b7", "[A-Z]#", kText, ctx).valid);
    EXPECT_TRUE(IsTextValid("anything", "", kText, ctx).valid);
    EXPECT_TRUE(IsTextValid("", "[A-Z]#", kText, ctx).valid);
    EXPECT_FALSE(IsTextValid("A", "[AB", kText, ctx).valid);  // invalid mask: invalid text
    EXPECT_FALSE(IsTextValid("", "[AB", kText, ctx).valid);
    EXPECT_FALSE(IsTextValid("a", "[z-a]", kText, ctx).valid);  // unreadable range matches nothing
    EXPECT_FALSE(IsTextValid("abc", "abc", kText, ctx).date.has_value());
}

TEST(PatternMatcher, PartialTextsTakeOneTokenPerCharacter) {
    const auto ctx = FixedContext();
    EXPECT_TRUE(IsPartialTextValid("(555) 123-456", "(###) ###-####", kText, ctx));
    EXPECT_FALSE(IsPartialTextValid("(5a", "(###) ###-####", kText, ctx));
    EXPECT_TRUE(IsPartialTextValid("", "[AB", kText, ctx));
    EXPECT_EQ(PartialPatternLength("x", "??*"), 1u);
    EXPECT_EQ(PartialPatternLength("xy", "??*"), 2u);
    EXPECT_EQ(PartialPatternLength("xyz", "??*"), 3u);
    EXPECT_EQ(PartialPatternLength("xyzzzz", "??*"), 3u);
    EXPECT_TRUE(IsPartialTextValid("xyzzzz", "??*", kText, ctx));
    // A bracket group is one token.
    EXPECT_EQ(PartialPatternLength("B", "[A-Z]#"), 5u);
    EXPECT_TRUE(IsPartialTextValid("B", "[A-Z]#", kText, ctx));
    EXPECT_FALSE(IsPartialTextValid("b", "[A-Z]#", kText, ctx));
    // A text longer than the mask must match all of it.
    EXPECT_FALSE(IsPartialTextValid("B77", "[A-Z]#", kText, ctx));
    // A prefix that cuts a bracket group short is an invalid mask, so the text is refused.
    EXPECT_EQ(PartialPatternLength("a", "[ab"), 3u);
    EXPECT_FALSE(IsPartialTextValid("a", "[ab", kText, ctx));
}

TEST(PatternMatcher, EveryPrefixOfAValidTextIsAcceptable) {
    const auto ctx = FixedContext();
    const std::pair<const char*, const char*> cases[] = {
        {"(555) 123-4567", "(###) ###-####"}, {"AB-12x", "[A-Z][!0-9]-##?"}, {"ab", "a*b"}, {"K9", "[A-Z]#"}};
    for (const auto& [text, mask] : cases) {
        const std::string full = text;
        for (std::size_t n = 0; n <= full.size(); ++n)
            EXPECT_TRUE(IsPartialTextValid(full.substr(0, n), mask, kText, ctx)) << mask << " " << full.substr(0, n);
    }
}

}  // namespace
}  // namespace ov::maskedit
