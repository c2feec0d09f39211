#include "archive/CommonCryptor.h"

#include "ArchiveTestSupport.h"
#include "archive/RC4.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace zarvex;
using zarvex::test::fromHex;

TEST(RC4, MatchesRfc6229KeystreamsAndClassicVectors) {
    // Keystream excerpts from RFC 6229 (section 2, keys of 40 to 256 bits).
    const std::string k256 = "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20";
    const struct {
        std::string key;
        std::size_t offset;
        const char* keystream;
    } vectors[] = {
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
    for (const auto& v : vectors) {
        const std::string zeros(v.offset + 16, '\0');
        const auto out = RC4EncryptedDataUsingKey(zeros, fromHex(v.key));
        ASSERT_TRUE(out);
        EXPECT_EQ(out->substr(v.offset), fromHex(v.keystream)) << v.key << " @ " << v.offset;
        EXPECT_EQ(RC4EncryptedDataUsingKey(*out, fromHex(v.key)), zeros) << "its own inverse";
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

    // A vector is cut or zero-extended to the key, and RC4 ignores it.
    std::string longKey(600, 'k'), shortKey = "short";
    std::optional<std::string> iv = "abc", longIv = std::string(20, 'v'), none;
    FixKeyLengths(kCCAlgorithmRC4, longKey, iv);
    FixKeyLengths(kCCAlgorithmRC4, shortKey, longIv);
    FixKeyLengths(kCCAlgorithmRC4, shortKey, none);
    EXPECT_EQ(longKey.size(), 512u);
    EXPECT_EQ(iv, std::string("abc") + std::string(509, '\0'));
    EXPECT_EQ(shortKey, "short");
    EXPECT_EQ(longIv, "vvvvv");
    EXPECT_FALSE(none);
    EXPECT_EQ(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmRC4, "k", std::string_view("iv"),
                                          kCCOptionPKCS7Padding),
              dataEncryptedUsingAlgorithm("abc", kCCAlgorithmRC4, "k", kCCOptionPKCS7Padding));

    CommonCryptoError error;
    EXPECT_FALSE(RC4EncryptedDataUsingKey("abc", "", &error));
    EXPECT_EQ(error.code, kCCParamError);
    EXPECT_EQ(error.localizedDescription, "Parameter Error");
    EXPECT_FALSE(RC4EncryptedDataUsingKey("abc", "")); // no error place: still just absent
    CCCryptorStatus status = kCCSuccess;
    EXPECT_FALSE(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmAES128, "0123456789abcdef",
                                             kCCOptionPKCS7Padding, &status));
    EXPECT_EQ(status, kCCUnimplemented);
    auto cryptor = CCCryptor::create(kCCEncrypt, kCCAlgorithmRC4, 0, "key", std::nullopt, status);
    ASSERT_TRUE(cryptor);
    char out[2];
    std::size_t moved = 99;
    EXPECT_EQ(cryptor->update("abc", out, sizeof out, moved), kCCBufferTooSmall);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(_runCryptor("abc", *cryptor, status).value_or("").size(), 3u);
    EXPECT_EQ(status, kCCSuccess);

    // Each status has a description of its own, failures also a reason.
    std::set<std::string> descriptions;
    for (const CCCryptorStatus code : {0, -4300, -4301, -4302, -4303, -4304, -4305, 7}) {
        const auto e = CommonCryptoError::errorWithCCCryptorStatus(code);
        EXPECT_EQ(e.domain, "CommonCryptoErrorDomain");
        EXPECT_EQ(e.code, code);
        EXPECT_TRUE(descriptions.insert(e.localizedDescription).second) << e.localizedDescription;
        EXPECT_EQ(e.localizedFailureReason.has_value(), code < 0) << code;
    }
    EXPECT_EQ(CommonCryptoError::errorWithCCCryptorStatus(-4306).localizedDescription,
              "Unknown Error");
}
