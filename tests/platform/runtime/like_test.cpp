#include <gtest/gtest.h>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/like.h"

namespace ov {
namespace {

TEST(Like, Wildcards) {
    EXPECT_TRUE(Like("(555) 123-4567", "(###) ###-####"));
    EXPECT_FALSE(Like("(555) 123-456", "(###) ###-####"));
    EXPECT_TRUE(Like("abc", "a*"));
    EXPECT_TRUE(Like("a", "a*"));
    EXPECT_TRUE(Like("", "*"));
    EXPECT_FALSE(Like("", "?"));
    EXPECT_TRUE(Like("xaybzc", "*a*b*c"));
    EXPECT_FALSE(Like("xaybzcd", "*a*b*c"));
    EXPECT_TRUE(Like("aXb", "a?b"));
    EXPECT_FALSE(Like("ab", "a?b"));
    EXPECT_FALSE(Like("a5b", "a#"));
    EXPECT_TRUE(Like("mississippi", "*iss*ipp?"));
}

TEST(Like, Lists) {
    EXPECT_TRUE(Like("B7", "[A-Z]#"));
    EXPECT_FALSE(Like("b7", "[A-Z]#"));  // case-sensitive
    EXPECT_TRUE(Like("b", "[!A-Z]"));
    EXPECT_FALSE(Like("Q", "[!A-Z]"));
    EXPECT_TRUE(Like("-", "[-a]"));
    EXPECT_TRUE(Like("-", "[a-]"));
    EXPECT_FALSE(Like("b", "[-a]"));
    EXPECT_TRUE(Like("*", "[*?#[]"));
    EXPECT_TRUE(Like("[", "[*?#[]"));
    EXPECT_FALSE(Like("x", "[*?#[]"));
    EXPECT_TRUE(Like("m", "[a-cm-oz]"));
    EXPECT_FALSE(Like("d", "[a-cm-oz]"));
    EXPECT_TRUE(Like("]", "]"));
    EXPECT_TRUE(Like("ab", "a[]b"));
    EXPECT_TRUE(Like("\xE9", "[\xE0-\xFF]"));  // codes above 127 compare unsigned
}

TEST(Like, BadPatternsAreErrorNinetyThree) {
    EXPECT_EQ(MatchLike("A", "[AB"), LikeResult::BadPattern);
    EXPECT_EQ(MatchLike("a", "[z-a]"), LikeResult::BadPattern);
    try {
        Like("A", "[AB");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 93);
    }
}

}  // namespace
}  // namespace ov
