#include "templates/SettingsText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zarvex::settings {
namespace {

TEST(SettingsTextValue, EscapesLineBreaksAndBackslashesOnly) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain text = with equals", "plain text = with equals"},
        {"", ""},
        {"a\nb", "a\\nb"},
        {"a\r\nb", "a\\r\\nb"},
        {"C:\\dir", "C:\\\\dir"},
        {"\\n", "\\\\n"},
    };
    for (const auto& [value, escaped] : cases) {
        EXPECT_EQ(escapeValue(value), escaped) << value;
        EXPECT_EQ(unescapeValue(escaped), value) << escaped;
    }
}

TEST(SettingsTextValue, UnknownEscapesReadAsWritten) {
    EXPECT_EQ(unescapeValue("C:\\path\\to"), "C:\\path\\to");
    EXPECT_EQ(unescapeValue("ends with \\"), "ends with \\");
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
