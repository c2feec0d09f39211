#include "archive/Base64.h"

#include <gtest/gtest.h>

using namespace zarvex;

TEST(Base64, EncodesRfc4648Vectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"abc", "YWJj"},
        {std::string("\xFB\xFF\xBF", 3), "+/+/"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Base64::encode(bytes), text);
        EXPECT_EQ(Base64::decode(text), std::optional<std::string>(bytes));
    }
}

TEST(Base64, LengthAndPaddingFollowTheInputLength) {
    for (std::size_t n = 0; n < 40; ++n) {
        std::string bytes;
        for (std::size_t i = 0; i < n; ++i) {
            bytes.push_back(static_cast<char>(i * 37 + n));
        }
        const std::string text = Base64::encode(bytes.data(), bytes.size());
        EXPECT_EQ(text.size(), 4 * ((n + 2) / 3));
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        const bool two = text.size() >= 2 && text.substr(text.size() - 2) == "==";
        const bool one = !two && !text.empty() && text.back() == '=';
        EXPECT_EQ(two, n % 3 == 1) << n;
        EXPECT_EQ(one, n % 3 == 2) << n;
        EXPECT_EQ(Base64::decode(text), std::optional<std::string>(bytes));
    }
}

TEST(Base64, DecoderRejectsOnlyBadLengthsAndNonAscii) {
    EXPECT_FALSE(Base64::decode("YWJ"));
    EXPECT_FALSE(Base64::decode("YWJjZ"));
    EXPECT_FALSE(Base64::decode("YWJ\xC3"));
    EXPECT_FALSE(Base64::decode(nullptr, 0));
    EXPECT_EQ(Base64::decode(""), std::optional<std::string>(""));
    EXPECT_EQ(Base64::decode(std::string_view{}), std::optional<std::string>(""));
}

TEST(Base64, DecoderIsLenient) {
    const std::pair<std::string, std::string> cases[] = {
        {"YWJj====", "abc"},                      // every trailing pad goes
        {"====", ""},                             // nothing left
        {"A===", ""},                             // one character makes no byte
        {"YQ==", "a"},                            // ordinary padding
        {"Y!Jj", std::string("\x60\x02\x63", 3)}, // "!" reads as A (zero bits)
        {"YW=j", "a`#"},                          // an inner pad is just another zero
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(Base64::decode(text), std::optional<std::string>(bytes)) << text;
    }
}
