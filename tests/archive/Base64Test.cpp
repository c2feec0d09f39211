#include "archive/Base64.h"

#include <gtest/gtest.h>

using namespace zarvex;

TEST(Base64, RoundTripsRfc4648VectorsAndEveryPaddingLengthAndDecodesLeniently) {
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
    std::string bytes;
    for (std::size_t n = 0; n < 40; bytes.push_back(static_cast<char>(n++ * 37))) {
        const std::string text = Base64::encode(bytes.data(), bytes.size());
        EXPECT_EQ(text.size(), 4 * ((n + 2) / 3));
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        const auto pads = text.size() - text.find_last_not_of('=') - 1;
        EXPECT_EQ(text.empty() ? 0 : pads, (3 - n % 3) % 3) << n;
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
