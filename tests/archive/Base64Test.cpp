#include "archive/Base64.h"

#include <gtest/gtest.h>

using namespace zarvex;

// The vectors have every padding length; the envelope test checks that long
// texts have no line breaks.
TEST(Base64, RoundTripsRfc4648VectorsAndDecodesLeniently) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xFB\xFF\xBF", 3), "+/+/"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Base64::encode(bytes), text);
        EXPECT_EQ(Base64::decode(text), bytes);
    }
    // The decoder is lenient, but rejects bad lengths and bytes beyond ASCII.
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"YWJj====", "abc"},                      // every trailing pad goes
        {"====", ""},                             // nothing left
        {"A===", ""},                             // one character makes no byte
        {"Y!Jj", std::string("\x60\x02\x63", 3)}, // "!" reads as A (zero bits)
        {"YW=j", "a`#"},                          // an inner pad is just another zero
        {"YWJ", std::nullopt},
        {"YWJjZ", std::nullopt},
        {"YWJ\xC3", std::nullopt},
    };
    for (const auto& [text, decoded] : cases)
        EXPECT_EQ(Base64::decode(text), decoded) << text;
    EXPECT_FALSE(Base64::decode(nullptr, 0));
    EXPECT_EQ(Base64::decode(std::string_view{}), "");
}
