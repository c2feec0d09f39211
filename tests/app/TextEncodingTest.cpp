#include "app/TextEncoding.h"

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
    EXPECT_EQ(decodeText(std::string("\xFE\xFF\x00\xE9", 4)), "\xC3\xA9");
    EXPECT_EQ(decodeText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(decodeText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(decodeText("\xC0\xAF"), "\xC3\x80\xC2\xAF"); // overlong UTF-8 is not UTF-8
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));             // encoded surrogate
}
