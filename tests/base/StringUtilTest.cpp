#include "base/StringUtil.h"

#include <gtest/gtest.h>

using namespace zarvex;

TEST(StringUtil, ReplaceAllNeverRescansReplacedTextAndIgnoresAnEmptyPattern) {
    std::string text = "a-a-a";
    EXPECT_EQ(replaceAll(text, "a", "aa"), 3u); // "aa" holds "a" again: not replaced twice
    EXPECT_EQ(text, "aa-aa-aa");
    EXPECT_EQ(replaceAll(text, "-", ""), 2u);
    EXPECT_EQ(text, "aaaaaa");
    EXPECT_EQ(replaceAll(text, "", "x"), 0u);
    EXPECT_EQ(text, "aaaaaa");
    EXPECT_EQ(replaceAll(text, "b", "x"), 0u);
}
