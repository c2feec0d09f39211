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

} // namespace
} // namespace zarvex::settings
