#include "base/TextEncoding.h"

#include "base/StringUtil.h"

#include <gtest/gtest.h>

using namespace zarvex;
using namespace zarvex::text;

// Undeclared text is UTF-16 by its mark, UTF-8 when valid, otherwise ISO 8859-1.
TEST(TextEncoding, UndeclaredFilesAreUtf16ByMarkUtf8WhenValidElseLatin1) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"\xEF\xBB\xBFmark", "mark"},
        {"caf\xE9", "caf\xC3\xA9"},
        {std::string("\xFE\xFF\0a\0\xE9", 6), "a\xC3\xA9"},
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"}, // surrogate pair
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
}

TEST(StringUtil, ReplaceAllNeverRescansReplacedTextAndIgnoresAnEmptyPattern) {
    std::string text = "a-a-a";
    EXPECT_EQ(replaceAll(text, "a", "aa"), 3u); // "aa" holds "a" again: not replaced twice
    EXPECT_EQ(replaceAll(text, "-", ""), 2u);
    EXPECT_EQ(replaceAll(text, "", "x") + replaceAll(text, "b", "x"), 0u);
    EXPECT_EQ(text, "aaaaaa");
}
