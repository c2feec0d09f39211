// The configuration envelope and what it is made of: the ZIP writer's byte
// layout and the reader's distrust, RC4 and Base64. That the layout is what other
// readers expect shows where the viewer decodes published books (tests/browser).
#include "archive/ConfigEnvelope.h"

#include "archive/Base64.h"
#include "archive/CommonCryptor.h"
#include "archive/RC4.h"
#include "archive/ZKDataArchive.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <set>
#include <tuple>

using namespace zarvex;

namespace {
std::string fromHex(std::string_view hex) {
    std::string out;
    for (std::size_t n = 0; n + 1 < hex.size(); n += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(n, 2)), nullptr, 16)));
    return out;
}

// `value` as `width` little-endian bytes, to write the expected headers field by field.
std::string bytes(std::uint64_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

// The contents of the entries our reader finds, in order; none when it refuses the archive.
std::vector<std::string> contents(std::string_view zip) {
    std::vector<std::string> found;
    for (const auto& entry : readZipEntries(zip).value_or(std::vector<ZipEntry>{}))
        found.push_back(entry.data);
    return found;
}

const std::string kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n"
    "  <Config>\n    <Author>\n      <Name>Zarvex</Name>\n    </Author>\n  </Config>\n"
    "</FlipBook3D>\n";

std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                                int second) {
    std::tm tm{};
    std::tie(tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_isdst) =
        std::tuple(year - 1900, month - 1, day, hour, minute, second, -1);
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

std::uint32_t dosDate(int year, int month, int day, int hour, int minute, int second) {
    const auto date = static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day);
    return date << 16 | static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2);
}

std::string twoEntryArchive() {
    ZKDataArchive archive;
    archive.deflateData(std::string(2000, 'a') + "tail", "first.txt");
    archive.deflateData("second entry", "second.txt");
    return archive.data();
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
    EXPECT_EQ(RC4::process("Key", "Plaintext"), fromHex("bbf316e8d940af0ad3"));
    CCCryptorStatus status = kCCSuccess;
    EXPECT_FALSE(dataEncryptedUsingAlgorithm("abc", kCCAlgorithmAES128, "0123456789abcdef",
                                             kCCOptionPKCS7Padding, &status));
    EXPECT_EQ(status, kCCUnimplemented);
    // Each status has a description of its own, failures also a reason.
    std::set<std::string> descriptions;
    for (const CCCryptorStatus code : {0, -4300, -4301, -4302, -4303, -4304, -4305, 7}) {
        const auto e = CommonCryptoError::errorWithCCCryptorStatus(code);
        EXPECT_TRUE(descriptions.insert(e.localizedDescription).second && e.code == code &&
                    e.localizedFailureReason.has_value() == (code < 0))
            << code;
    }
}

// Field by field: a plain entry, then an entry with a decomposed non-ASCII name
// (stored composed, with the UTF-8 flag) and given attributes; the first entry
// keeps its bytes. The second entry's data is incompressible and longer than
// several 16384-byte steps of the compressor.
TEST(ZKDataArchive, EntriesHaveTheExactLayout) {
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
    const std::string firstPart = archive.data().substr(0, archive.data().size() - 56 - 49);
    std::mt19937 random(42);
    std::string second(200000, '\0');
    for (auto& c : second)
        c = static_cast<char>(random() & 0xFF);
    ZKFileAttributes attributes;
    attributes.fileModificationDate = localTime(2024, 3, 15, 13, 45, 31);
    attributes.filePosixPermissions = 0755;
    attributes.fileType = ZKFileType::SymbolicLink;
    ASSERT_EQ(archive.deflateData(second, "cafe\xCC\x81.xml", attributes), 1);
    const std::string& zip = archive.data();
    const std::size_t c1 = zk_deflate(kDocument)->size(), c2 = zk_deflate(second)->size();
    // Local headers: signature, version 2.0, flags, DEFLATE, date, CRC, sizes, name
    // length, no extra field, the name; the first one's date is the moment it was added.
    const std::string local1 = bytes(0x04034B50, 4) + bytes(20, 2) + bytes(0, 2) + bytes(8, 2) +
                               zip.substr(10, 4) + bytes(zk_crc32(kDocument), 4) + bytes(c1, 4) +
                               bytes(kDocument.size(), 4) + bytes(10, 2) + bytes(0, 2) +
                               "config.xml";
    const std::string local2 = bytes(0x04034B50, 4) + bytes(20, 2) + bytes(0x0800, 2) +
                               bytes(8, 2) + bytes(dosDate(2024, 3, 15, 13, 45, 31), 4) +
                               bytes(zk_crc32(second), 4) + bytes(c2, 4) + bytes(200000, 4) +
                               bytes(9, 2) + bytes(0, 2) + "caf\xC3\xA9.xml";
    // Central headers: made by UNIX 2.1, then as above; no comment, disk 0, internal
    // attributes, external ones (type and permissions), the local header's offset.
    const std::size_t at2 = 40 + c1, directory = at2 + 39 + c2;
    const std::string central =
        bytes(0x02014B50, 4) + bytes(0x0315, 2) + local1.substr(4, 26) + std::string(14, '\0') +
        "config.xml" + bytes(0x02014B50, 4) + bytes(0x0315, 2) + local2.substr(4, 26) +
        bytes(0, 6) + bytes((0755u << 16) | 0xA0004000u, 4) + bytes(at2, 4) + "caf\xC3\xA9.xml";
    // The end record: both entries on disk 0, the directory's size and offset, the comment.
    const std::string end = bytes(0x06054B50, 4) + bytes(0, 4) + bytes(2, 2) + bytes(2, 2) +
                            bytes(56 + 55, 4) + bytes(directory, 4) + bytes(27, 2) +
                            "Archive created with ZipKit";
    // The headers around the data, which the reader gives back.
    EXPECT_EQ(zip.substr(0, 40) + zip.substr(at2, 39) + zip.substr(directory),
              local1 + local2 + central + end);
    EXPECT_EQ(zip.substr(0, at2), firstPart);
    EXPECT_EQ(contents(zip), (std::vector{kDocument, second}));

    // Bad names leave the archive as it was.
    const std::string before = zip;
    for (const std::string& name :
         {std::string(), std::string("bad\xFF.xml"), std::string(70000, 'n')})
        EXPECT_EQ(std::tuple(archive.deflateData("abc", name), archive.data()),
                  std::tuple(-1, before));
}

TEST(ZKDataUtil, CrcDosDatesAndFieldCuts) {
    EXPECT_EQ(zk_crc32("123456789"), 0xCBF43926u);
    // Local time; years outside 1980 to 2107 are clamped to the ends of the range.
    EXPECT_EQ(zk_dosDate(localTime(1970, 6, 1, 12, 0, 0)), dosDate(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(zk_dosDate(localTime(2200, 6, 1, 12, 0, 0)), dosDate(2107, 12, 31, 23, 59, 59));
    // An overlong text is cut at a character boundary.
    std::string text;
    for (int n = 0; n < 40000; ++n)
        text += "\xC3\xA9";
    EXPECT_EQ(zk_fieldBytes(text), text.substr(0, 65534));
}

// Sizes and offsets from 4 GiB on: version 4.5, the fields saturated and the
// ZIP64 extra field holding them; the end records with their ZIP64 twins.
TEST(ZKHeaders, SizesAndOffsetsFromFourGigabytesUseZip64) {
    ZKLFHeader local;
    local.setFilename("big.bin");
    local.setUncompressedSize(5'000'000'000ULL);
    local.setCompressedSize(4'000'000'000ULL);
    EXPECT_EQ(local.data().substr(4, 2) + local.data().substr(18),
              bytes(45, 2) + bytes(0xFFFFFFFF, 4) + bytes(0xFFFFFFFF, 4) + bytes(7, 2) +
                  bytes(20, 2) + "big.bin" + bytes(1, 2) + bytes(16, 2) +
                  bytes(5'000'000'000ULL, 8) + bytes(4'000'000'000ULL, 8));
    ZKCDHeader central;
    central.setFilename("far.bin");
    central.setCompressedSize(3);
    central.setUncompressedSize(1);
    central.setLocalHeaderOffset(0x100000000ULL);
    central.setVersionNeededToExtract(20); // as copied from a small local header
    const std::string cd = central.data();
    EXPECT_EQ(cd.size(), central.length());
    EXPECT_EQ(cd.substr(6, 2) + cd.substr(20, 12) + cd.substr(42),
              bytes(45, 2) + bytes(0xFFFFFFFF, 4) + bytes(0xFFFFFFFF, 4) + bytes(7, 2) +
                  bytes(28, 2) + bytes(0xFFFFFFFF, 4) + "far.bin" + bytes(1, 2) + bytes(24, 2) +
                  bytes(1, 8) + bytes(3, 8) + bytes(0x100000000ULL, 8));
    ZKCDTrailer trailer;
    trailer.setNumberOfCentralDirectoryEntriesOnThisDisk(70000);
    trailer.setTotalNumberOfCentralDirectoryEntries(70000);
    trailer.setSizeOfCentralDirectory(70000ULL * 60);
    trailer.setOffsetOfStartOfCentralDirectory(0x123456789ULL);
    const std::string end = trailer.data();
    EXPECT_EQ(end.size(), trailer.length());
    EXPECT_EQ(end, bytes(0x06064B50, 4) + bytes(44, 8) + bytes(0x032D, 2) + bytes(45, 2) +
                       bytes(0, 8) + bytes(70000, 8) + bytes(70000, 8) + bytes(70000ULL * 60, 8) +
                       bytes(0x123456789ULL, 8) + bytes(0x07064B50, 4) + bytes(0, 4) +
                       bytes(0x123456789ULL + 70000ULL * 60, 8) + bytes(1, 4) +
                       bytes(0x06054B50, 4) + bytes(0, 4) + bytes(0xFFFF, 2) + bytes(0xFFFF, 2) +
                       bytes(70000u * 60, 4) + bytes(0xFFFFFFFF, 4) + bytes(27, 2) +
                       "Archive created with ZipKit");
}

TEST(ZipReader, EveryTruncationIsRejectedAndDamageNeverBreaksTheReader) {
    const std::string zip = twoEntryArchive();
    ASSERT_TRUE(readZipEntries(zip));
    for (std::size_t at = 0; at < zip.size(); ++at) {
        EXPECT_FALSE(readZipEntries(std::string_view(zip).substr(0, at))) << at;
        for (const unsigned char value : {0x00, 0xFF, 0x80}) {
            std::string damaged = zip;
            damaged[at] = static_cast<char>(value);
            // Whatever survives must still be the original content.
            for (const auto& data : contents(damaged))
                EXPECT_TRUE(data == "second entry" || data.size() == 2004) << at;
        }
    }
}

TEST(ZipReader, RejectsEntriesItMustNotTrust) {
    const std::string zip = twoEntryArchive();
    const std::size_t cd = zip.size() - 22 - 27 - (46 + 9) - (46 + 10);
    const std::tuple<const char*, std::size_t, int, std::uint32_t, const char*> cases[] = {
        {"wrong CRC", cd + 16, 4, 0x12345678, "CRC"},
        {"encrypted flag", cd + 8, 2, 1, "encrypted"},
        {"other method", cd + 10, 2, 12, "method"},
        {"declared size beyond the limit", cd + 24, 4, 0x7FFFFFFF, "larger than"},
        {"local header offset outside", cd + 42, 4, 0x7FFFFFFF, "local header"},
        {"compressed size outside", cd + 20, 4, 0x7FFFFFF0, "outside"},
        {"declared size below the stream's", cd + 24, 4, 100, "inflate"},
    };
    for (const auto& [what, at, width, value, reason] : cases) { // bytes at `at` become value
        std::string damaged = zip;
        damaged.replace(at, static_cast<std::size_t>(width), bytes(value, width));
        std::string why;
        EXPECT_FALSE(readZipEntries(damaged, &why, 1 << 20)) << what;
        EXPECT_NE(why.find(reason), std::string::npos) << what << ": " << why;
    }
}
