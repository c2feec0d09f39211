#include "base/TextEncoding.h"

#include <gtest/gtest.h>

using namespace zarvex::text;

TEST(TextEncoding, Utf16IsStrictOrLenientAboutBrokenUnits) {
    const std::string pair("\x3D\xD8\x00\xDE", 4); // U+1F600, little-endian
    EXPECT_EQ(utf16ToUtf8(pair, false, true), "\xF0\x9F\x98\x80");
    const std::string lone("\x00\xD8\x41\x00", 4); // lone high surrogate, then "A"
    EXPECT_FALSE(utf16ToUtf8(lone, false, true));
    EXPECT_EQ(utf16ToUtf8(lone, false, false), "\xEF\xBF\xBD"
                                               "A");
    EXPECT_FALSE(utf16ToUtf8(std::string("\x00\x41\x00", 3), true, true));
    EXPECT_EQ(utf16ToUtf8(std::string("\x00\x41\x00", 3), true, false), "A\xEF\xBF\xBD");
}

TEST(TextEncoding, UndeclaredFilesAreUtf16ByMarkUtf8WhenValidElseLatin1) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ascii", "ascii"},
        {"\xEF\xBB\xBF"
         "bom",
         "bom"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"caf\xE9", "caf\xC3\xA9"},
        {std::string("\xFE\xFF\0a\0\xE9", 6), "a\xC3\xA9"},
        {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"}, // surrogate pair
        {std::string("\xFF\xFE\x00\xDE", 4), "\xEF\xBF\xBD"},             // lone low surrogate
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"}, // encoded surrogate is not UTF-8
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},             // overlong UTF-8 is not UTF-8
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
}
