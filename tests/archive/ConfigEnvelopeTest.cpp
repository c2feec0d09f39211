// The configuration envelope and what it is made of: RC4 and Base64.
#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/RC4.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

#include <set>

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

TEST(RC4, MatchesRfc6229KeystreamsAndClassicVectors) {
    // Keystream excerpts from RFC 6229 (section 2, keys of 40 to 256 bits).
    const std::string k256 = "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20";
    const std::tuple<std::string, std::size_t, const char*> vectors[] = {
        {"0102030405", 0, "b2396305f03dc027ccc3524a0a1118a8"},
        {"0102030405", 16, "6982944f18fc82d589c403a47a0d0919"},
        {"0102030405", 240, "28cb1132c96ce286421dcaadb8b69eae"},
        {"0102030405", 4096, "ff25b58995996707e51fbdf08b34d875"},
        {"0102030405060708", 0, "97ab8a1bf0afb96132f2f67258da15a8"},
        {"0102030405060708", 16, "8263efdb45c4a18684ef87e6b19e5b09"},
        {"0102030405060708090a0b0c0d0e0f10", 0, "9ac7cc9a609d1ef7b2932899cde41b97"},
        {"0102030405060708090a0b0c0d0e0f10", 16, "5248c4959014126a6e8a84f11d1a9e1c"},
        {k256, 0, "eaa6bd25880bf93d3f5d1e4ca2611d91"},
        {k256, 16, "cfa45c9f7e714b54bdfa80027cb14380"},
    };
    for (const auto& [key, offset, keystream] : vectors) {
        const std::string zeros(offset + 16, '\0');
        const auto out = RC4EncryptedDataUsingKey(zeros, fromHex(key)).value();
        EXPECT_EQ(out.substr(offset), fromHex(keystream)) << key << " @ " << offset;
        EXPECT_EQ(RC4EncryptedDataUsingKey(out, fromHex(key)), zeros) << "its own inverse";
    }
    EXPECT_EQ(RC4::process("Key", "Plaintext"), fromHex("bbf316e8d940af0ad3"));
    EXPECT_EQ(RC4::process("Secret", "Attack at dawn"), fromHex("45a01f645fc35b383552544b9bf5"));
    EXPECT_EQ(RC4EncryptedDataUsingKey("", "k"), "");
}

TEST(CommonCryptor, RC4KeysAreTheirBytesCutTo512AndFailuresCarryTheirStatus) {
    const std::string text = "Schl\xC3\xBCssel";
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(RC4EncryptedDataUsingKey("payload", text),
              RC4EncryptedDataUsingKey("payload", std::span<const std::uint8_t>(bytes)));
    std::string key;
    for (int n = 0; n < 600; ++n)
        key.push_back(static_cast<char>(n * 31 + 5));
    const std::string data(300, 'a');
    EXPECT_EQ(RC4EncryptedDataUsingKey(data, key),
              RC4EncryptedDataUsingKey(data, key.substr(0, 512)));

    // RC4 ignores an initialization vector.
    EXPECT_EQ(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmRC4, "k", std::string_view("iv"),
                                          kCCOptionPKCS7Padding),
              dataEncryptedUsingAlgorithm("abc", kCCAlgorithmRC4, "k", kCCOptionPKCS7Padding));

    CommonCryptoError error;
    EXPECT_FALSE(RC4EncryptedDataUsingKey("abc", "", &error));
    EXPECT_EQ(std::tie(error.code, error.localizedDescription),
              std::tuple(kCCParamError, "Parameter Error"));
    CCCryptorStatus status = kCCSuccess;
    EXPECT_FALSE(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmAES128, "0123456789abcdef",
                                             kCCOptionPKCS7Padding, &status));
    EXPECT_EQ(status, kCCUnimplemented);

    // Each status has a description of its own, failures also a reason.
    std::set<std::string> descriptions;
    for (const CCCryptorStatus code : {0, -4300, -4301, -4302, -4303, -4304, -4305, 7}) {
        const auto e = CommonCryptoError::errorWithCCCryptorStatus(code);
        EXPECT_TRUE(descriptions.insert(e.localizedDescription).second && e.code == code)
            << e.localizedDescription;
        EXPECT_EQ(e.localizedFailureReason.has_value(), code < 0) << code;
    }
}
