// The configuration envelope and what it is made of: RC4 and Base64.
#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

using namespace zarvex;

namespace {

std::string fromHex(std::string_view hex) {
    std::string out;
    for (std::size_t n = 0; n + 1 < hex.size(); n += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(n, 2)), nullptr, 16)));
    return out;
}

} // namespace

TEST(ConfigEnvelope, IsZipThenRc4WithTheBookKeyThenBase64OnOneLine) {
    std::string document = "<?xml version=\"1.0\"?>\n<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n";
    for (int page = 1; page <= 50; ++page)
        document += "  <Page Source=\"files/page/" + std::to_string(page) +
                    ".swf\" Caption=\"P\xC3\xA4ge " + std::to_string(page) + "\"/>\n";
    document += "</FlipBook3D>\n";

    const std::string text = scrambleConfig(document);
    EXPECT_EQ(text.find_first_of("\r\n "), std::string::npos);
    EXPECT_EQ(unscrambleConfig(text), document);
    EXPECT_EQ(unscrambleConfig("\n  " + text + "\n"), document);

    // One entry of exactly the layout the archive tests check.
    const auto zip =
        RC4EncryptedDataUsingKey(Base64::decode(text).value(), "Tn4vRq8sWk2yBx").value();
    EXPECT_EQ(zip.size(), 145 + zk_deflate(document)->size());
    const auto entries = readZipEntries(zip).value();
    EXPECT_EQ(std::tuple(entries.size(), entries.front().filename, entries.front().data),
              std::tuple(1u, "config.xml", document));
}

TEST(ConfigEnvelope, RefusesWhatItCannotReadWithAReason) {
    const std::string text = scrambleConfig("<a/>");
    ZKDataArchive other;
    ASSERT_EQ(other.deflateData("<a/>", "pages.xml"), 1);
    const std::tuple<std::string, std::string_view, const char*> cases[] = {
        // text, key, reason
        {"abc", kConfigKey, "not Base64"},
        {"", kConfigKey, "not a ZIP"},
        {Base64::encode("definitely not a zip archive"), kConfigKey, "not a ZIP"},
        {Base64::encode(*RC4EncryptedDataUsingKey(other.data(), kConfigKey)), kConfigKey,
         "no entry"},
        {text, "wrong key", ""},
        {text, "", "Parameter Error"},
    };
    for (const auto& [input, key, reason] : cases) {
        std::string why;
        EXPECT_FALSE(unscrambleConfig(input, key, &why)) << input;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
    EXPECT_ANY_THROW(scrambleConfig("<a/>", ""));
}

// One RFC 4648 vector; every byte value and padding length comes back. The
// envelope test checks that long texts have no line breaks.
TEST(Base64, EncodesTheRfcVectorAndRoundTripsEveryByte) {
    EXPECT_EQ(Base64::encode("fooba"), "Zm9vYmE=");
    std::string bytes;
    for (int n = 0; n < 256; ++n)
        bytes.push_back(static_cast<char>(n));
    for (const std::size_t length : {0, 1, 2, 3, 256})
        EXPECT_EQ(Base64::decode(Base64::encode(bytes.substr(0, length))), bytes.substr(0, length));
    EXPECT_FALSE(Base64::decode("YWJ\xC3") || Base64::decode(nullptr, 0));
}

// RFC 6229's 40-bit key at the start and after 4096 bytes; RC4 is its own inverse.
TEST(RC4, MatchesRfc6229AndIsItsOwnInverse) {
    const std::string zeros(4096 + 16, '\0'), key = fromHex("0102030405");
    const auto out = RC4EncryptedDataUsingKey(zeros, key).value();
    EXPECT_EQ(out.substr(0, 16) + out.substr(4096),
              fromHex("b2396305f03dc027ccc3524a0a1118a8ff25b58995996707e51fbdf08b34d875"));
    EXPECT_EQ(RC4EncryptedDataUsingKey(out, key), zeros);
    CCCryptorStatus status = kCCSuccess;
    EXPECT_FALSE(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmAES128, "0123456789abcdef",
                                             kCCOptionPKCS7Padding, &status));
    EXPECT_EQ(status, kCCUnimplemented);
}
