#include "base/TextEncoding.h"

#include "base/StringUtil.h"

#include <gtest/gtest.h>

using namespace zarvex;
using namespace zarvex::text;

// Undeclared text is UTF-16 by its mark (broken units become U+FFFD), UTF-8 when
// valid, otherwise ISO 8859-1.
TEST(TextEncoding, UndeclaredFilesAreUtf16ByMarkUtf8WhenValidElseLatin1) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ascii", "ascii"},
        {"\xEF\xBB\xBFmark", "mark"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"caf\xE9", "caf\xC3\xA9"},
        {std::string("\xFE\xFF\0a\0\xE9", 6), "a\xC3\xA9"},
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"}, // surrogate pair
        {std::string("\xFF\xFE\x00\xDE", 4), "\xEF\xBF\xBD"},             // lone low surrogate
        {std::string("\xFF\xFE\x00\xD8\x7A\x00", 6), "\xEF\xBF\xBDz"},    // lone high surrogate
        {std::string("\xFE\xFF\x00\x41\x00", 5), "A\xEF\xBF\xBD"},        // odd byte at the end
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"}, // encoded surrogate is not UTF-8
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},             // overlong UTF-8 is not UTF-8
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
    EXPECT_FALSE(utf16ToUtf8(std::string("\x00\x41\x00", 3), true, true)) << "strict";
}

TEST(StringUtil, ReplaceAllNeverRescansReplacedTextAndIgnoresAnEmptyPattern) {
    std::string text = "a-a-a";
    EXPECT_EQ(replaceAll(text, "a", "aa"), 3u); // "aa" holds "a" again: not replaced twice
    EXPECT_EQ(replaceAll(text, "-", ""), 2u);
    EXPECT_EQ(replaceAll(text, "", "x") + replaceAll(text, "b", "x"), 0u);
    EXPECT_EQ(text, "aaaaaa");
}
