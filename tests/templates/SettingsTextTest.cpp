#include "templates/SettingsText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zarvex::settings {
namespace {

TEST(SettingsTextValue, LineBreaksBecomeTheLineMarkAndNothingElseChanges) {
    struct Case {
        std::string value, line, decoded;
    };
    const std::vector<Case> cases = {
        {"plain text = with equals", "plain text = with equals", "plain text = with equals"},
        {"", "", ""},
        {"C:\\new\\bg.jpg", "C:\\new\\bg.jpg", "C:\\new\\bg.jpg"},
        {"a\nb", "a|||b", "a\nb"},
        {"a\r\nb", "a|||b", "a\nb"},
        {"a\n\rb", "a|||b", "a\nb"},
        {"a\rb", "a|||b", "a\nb"},
        {"\n\r\n", "||||||", "\n\n"},
        {"\r\n\r\n", "||||||", "\n\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodeValue(c.value), c.line) << c.value;
        EXPECT_EQ(decodeValue(c.line), c.decoded) << c.line;
    }
}

TEST(SettingsTextValue, RecognisesTheBackslashEscapesOfEarlierExports) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"a=C:\\\\new", true},
        {"a=two\\nlines\nb=\\\\", true},
        {"a=two\\nlines", false}, // no doubled backslash: as written
        {"a=C:\\new\\bg.jpg", false},
        {"a=\\\\server\\share", false},
        {"a=\\\\ends with \\", false},
        {std::string(kPlainBackslashesLine) + "\na=\\\\x", false},
        {"a=plain", false},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(hasBackslashEscapes(text), escaped) << text;
    EXPECT_EQ(unescapeBackslashes("C:\\\\x\\ny\\r\\q\\"), "C:\\x\ny\r\\q\\");
}

TEST(SettingsTextDecode, Encodings) {
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
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(decodeText(bytes), text);
}

} // namespace
} // namespace zarvex::settings
