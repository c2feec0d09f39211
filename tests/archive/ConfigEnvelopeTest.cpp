#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

using namespace zarvex;

namespace {

std::string sampleDocument() {
    std::string xml = "<?xml version=\"1.0\"?>\n<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n";
    for (int page = 1; page <= 50; ++page) {
        xml += "  <Page Source=\"files/page/" + std::to_string(page) +
               ".swf\" Caption=\"P\xC3\xA4ge " + std::to_string(page) + "\"/>\n";
    }
    return xml + "</FlipBook3D>\n";
}

} // namespace

TEST(ConfigEnvelope, RoundTripsTheDocument) {
    const std::string document = sampleDocument();
    const std::string text = scrambleConfig(document);
    EXPECT_EQ(text.find_first_of("\r\n "), std::string::npos);
    EXPECT_EQ(text.size() % 4, 0u);
    EXPECT_EQ(unscrambleConfig(text), std::optional<std::string>(document));
    EXPECT_EQ(unscrambleConfig("\n  " + text + "\n"), std::optional<std::string>(document));
}

TEST(ConfigEnvelope, LayersAreZipThenRc4WithTheBookKeyThenBase64) {
    const std::string document = sampleDocument();
    const auto encrypted = Base64::decode(scrambleConfig(document));
    ASSERT_TRUE(encrypted);
    const auto zip = RC4EncryptedDataUsingKey(*encrypted, "Tn4vRq8sWk2yBx");
    ASSERT_TRUE(zip);
    EXPECT_EQ(zip->size(), 145 + zk_deflate(document)->size());
    EXPECT_EQ(zip->substr(0, 4), "PK\x03\x04");
    const auto entries = readZipEntries(*zip);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().filename, "config.xml");
    EXPECT_EQ(entries->front().data, document);
}

TEST(ConfigEnvelope, UnscrambleRejectsWhatItCannotRead) {
    const std::string text = scrambleConfig("<a/>");
    ZKDataArchive other;
    ASSERT_EQ(other.deflateData("<a/>", "pages.xml"), 1);
    const std::string otherEntry =
        Base64::encode(*RC4EncryptedDataUsingKey(other.data(), kConfigKey));
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "not Base64"},
        {"", "not a ZIP"},
        {Base64::encode("definitely not a zip archive"), "not a ZIP"},
        {otherEntry, "no entry"},
    };
    for (const auto& [input, reason] : cases) {
        std::string why;
        EXPECT_FALSE(unscrambleConfig(input, kConfigKey, &why)) << input;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
    std::string why;
    EXPECT_FALSE(unscrambleConfig(text, "wrong key", &why));
    EXPECT_FALSE(unscrambleConfig(text, "", &why));
    EXPECT_NE(why.find("Parameter Error"), std::string::npos) << why;
}

TEST(ConfigEnvelope, EmptyKeyIsAnError) {
    EXPECT_ANY_THROW(scrambleConfig("<a/>", ""));
}
