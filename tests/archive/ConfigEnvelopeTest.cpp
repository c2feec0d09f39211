#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

using namespace zarvex;

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

    const auto zip = RC4EncryptedDataUsingKey(Base64::decode(text).value(), "Tn4vRq8sWk2yBx");
    ASSERT_TRUE(zip);
    EXPECT_EQ(zip->size(), 145 + zk_deflate(document)->size());
    const auto entries = readZipEntries(*zip);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().filename, "config.xml");
    EXPECT_EQ(entries->front().data, document);
}

TEST(ConfigEnvelope, RefusesWhatItCannotReadWithAReason) {
    const std::string text = scrambleConfig("<a/>");
    ZKDataArchive other;
    ASSERT_EQ(other.deflateData("<a/>", "pages.xml"), 1);
    const struct {
        std::string input;
        std::string_view key;
        const char* reason;
    } cases[] = {
        {"abc", kConfigKey, "not Base64"},
        {"", kConfigKey, "not a ZIP"},
        {Base64::encode("definitely not a zip archive"), kConfigKey, "not a ZIP"},
        {Base64::encode(*RC4EncryptedDataUsingKey(other.data(), kConfigKey)), kConfigKey,
         "no entry"},
        {text, "wrong key", ""},
        {text, "", "Parameter Error"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(unscrambleConfig(c.input, c.key, &why)) << c.input;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    EXPECT_ANY_THROW(scrambleConfig("<a/>", ""));
}
