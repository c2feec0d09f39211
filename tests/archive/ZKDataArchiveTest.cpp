#include "archive/ZKDataArchive.h"

#include "ArchiveTestSupport.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>

using namespace zarvex;
using zarvex::test::le16;
using zarvex::test::le32;
using zarvex::test::le64;

namespace {

const std::string kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n"
    "  <Config>\n    <Author>\n      <Name>Zarvex</Name>\n    </Author>\n  </Config>\n"
    "</FlipBook3D>\n";

std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                                int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string out(n, '\0');
    for (auto& c : out) {
        c = static_cast<char>(gen() & 0xFF);
    }
    return out;
}

} // namespace

TEST(ZKDataArchive, SingleConfigEntryHasTheExactLayout) {
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
    const std::string& zip = archive.data();
    const std::size_t c = zk_deflate(kDocument)->size();
    ASSERT_EQ(zip.size(), 145 + c);

    // Local header.
    EXPECT_EQ(le32(zip, 0), 0x04034B50u);
    EXPECT_EQ(le16(zip, 4), 20u);
    EXPECT_EQ(le16(zip, 6), 0u);
    EXPECT_EQ(le16(zip, 8), 8u);
    EXPECT_EQ(le32(zip, 14), zk_crc32(kDocument));
    EXPECT_EQ(le32(zip, 18), c);
    EXPECT_EQ(le32(zip, 22), kDocument.size());
    EXPECT_EQ(le16(zip, 26), 10u);
    EXPECT_EQ(le16(zip, 28), 0u);
    EXPECT_EQ(zip.substr(30, 10), "config.xml");

    // Central header right behind the data.
    const std::size_t cd = 40 + c;
    EXPECT_EQ(le32(zip, cd), 0x02014B50u);
    EXPECT_EQ(le16(zip, cd + 4), 0x0315u);
    EXPECT_EQ(le16(zip, cd + 6), 20u);
    EXPECT_EQ(le16(zip, cd + 8), 0u);
    EXPECT_EQ(le16(zip, cd + 10), 8u);
    EXPECT_EQ(le32(zip, cd + 16), zk_crc32(kDocument));
    EXPECT_EQ(le32(zip, cd + 20), c);
    EXPECT_EQ(le32(zip, cd + 24), kDocument.size());
    EXPECT_EQ(le16(zip, cd + 28), 10u);
    EXPECT_EQ(le16(zip, cd + 30), 0u); // extra field
    EXPECT_EQ(le16(zip, cd + 32), 0u); // comment
    EXPECT_EQ(le16(zip, cd + 34), 0u); // disk number start
    EXPECT_EQ(le16(zip, cd + 36), 0u); // internal attributes
    EXPECT_EQ(le32(zip, cd + 38), 0u); // external attributes
    EXPECT_EQ(le32(zip, cd + 42), 0u); // local header offset
    EXPECT_EQ(zip.substr(cd + 46, 10), "config.xml");

    // End record at 96 + C.
    const std::size_t end = 96 + c;
    EXPECT_EQ(le32(zip, end), 0x06054B50u);
    EXPECT_EQ(le16(zip, end + 4), 0u);
    EXPECT_EQ(le16(zip, end + 6), 0u);
    EXPECT_EQ(le16(zip, end + 8), 1u);
    EXPECT_EQ(le16(zip, end + 10), 1u);
    EXPECT_EQ(le32(zip, end + 12), 56u);
    EXPECT_EQ(le32(zip, end + 16), 40 + c);
    EXPECT_EQ(le16(zip, end + 20), 27u);
    EXPECT_EQ(zip.substr(end + 22), "Archive created with ZipKit");

    const auto entries = readZipEntries(zip);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(entries->front().data, kDocument);
}

TEST(ZKDataArchive, SecondEntryKeepsTheFirstInPlace) {
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
    const std::size_t firstEnd = 40 + zk_deflate(kDocument)->size();
    const std::string firstPart = archive.data().substr(0, firstEnd);

    const std::string second = randomBytes(5000, 7);
    ASSERT_EQ(archive.deflateData(second, "pages.bin"), 1);
    const std::string& zip = archive.data();
    EXPECT_EQ(zip.substr(0, firstEnd), firstPart);

    const std::size_t secondEnd = firstEnd + 30 + 9 + zk_deflate(second)->size();
    const std::size_t end = zip.size() - 22 - 27;
    EXPECT_EQ(le16(zip, end + 8), 2u);
    EXPECT_EQ(le16(zip, end + 10), 2u);
    EXPECT_EQ(le32(zip, end + 12), 56u + 55u);
    EXPECT_EQ(le32(zip, end + 16), secondEnd);
    EXPECT_EQ(le32(zip, secondEnd + 42), 0u);
    EXPECT_EQ(le32(zip, secondEnd + 56 + 42), firstEnd);

    ASSERT_EQ(archive.centralDirectory().size(), 2u);
    EXPECT_EQ(archive.centralDirectory()[0].filename(), "config.xml");
    EXPECT_EQ(archive.centralDirectory()[1].filename(), "pages.bin");
    const auto entries = readZipEntries(zip);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].data, kDocument);
    EXPECT_EQ((*entries)[1].data, second);
}

TEST(ZKDataArchive, EmptyInputGivesAValidEntry) {
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData("", "empty.txt"), 1);
    const std::string& zip = archive.data();
    EXPECT_EQ(le32(zip, 14), 0u);
    EXPECT_EQ(le32(zip, 18), zk_deflate("")->size());
    EXPECT_EQ(le32(zip, 22), 0u);
    const auto entries = readZipEntries(zip);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at(0).data, "");
}

TEST(ZKDataArchive, DecomposedNameIsStoredComposed) {
    ZKDataArchive archive;
    const std::string decomposed = "cafe\xCC\x81.xml"; // e + combining acute
    ASSERT_EQ(archive.deflateData("x", decomposed), 1);
    const std::string& zip = archive.data();
    EXPECT_EQ(le16(zip, 6), 0x0800u); // UTF-8 name
    EXPECT_EQ(le16(zip, 26), 9u);
    EXPECT_EQ(zip.substr(30, 9), "caf\xC3\xA9.xml");
    const std::size_t cd = 30 + 9 + zk_deflate("x")->size();
    EXPECT_EQ(le16(zip, cd + 8), 0x0800u);
    EXPECT_EQ(le16(zip, cd + 28), 9u);
    EXPECT_EQ(zip.substr(cd + 46, 9), "caf\xC3\xA9.xml");
    EXPECT_EQ(archive.cdTrailer().sizeOfCentralDirectory(), 46u + 9u);
}

TEST(ZKDataArchive, RejectedNamesLeaveTheArchiveUnchanged) {
    ZKDataArchive archive;
    EXPECT_EQ(archive.deflateData("abc", ""), -1);
    EXPECT_TRUE(archive.data().empty());
    ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
    const std::string before = archive.data();
    for (const std::string& name :
         {std::string(), std::string("bad\xFF.xml"), std::string(70000, 'n')}) {
        EXPECT_EQ(archive.deflateData("abc", name), -1);
        EXPECT_EQ(archive.data(), before);
        EXPECT_EQ(archive.centralDirectory().size(), 1u);
        EXPECT_EQ(archive.cdTrailer().totalNumberOfCentralDirectoryEntries(), 1u);
    }
}

TEST(ZKDataArchive, AttributesSetDateAndExternalAttributes) {
    struct Case {
        ZKFileType type;
        std::uint32_t permissions;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {ZKFileType::Regular, 0644, (0644u << 16) | 0x80004000u},
        {ZKFileType::Directory, 0755, (0755u << 16) | 0x40004000u},
        {ZKFileType::SymbolicLink, 0777, (0777u << 16) | 0xA0004000u},
        {ZKFileType::Other, 0, 0x80004000u},
    };
    const auto when = localTime(2024, 3, 15, 13, 45, 31);
    const std::uint32_t dos = ((44u << 9 | 3u << 5 | 15u) << 16) | (13u << 11 | 45u << 5 | 15u);
    for (const auto& c : cases) {
        ZKDataArchive archive;
        ZKFileAttributes attributes;
        attributes.fileModificationDate = when;
        attributes.filePosixPermissions = c.permissions;
        attributes.fileType = c.type;
        ASSERT_EQ(archive.deflateData("abc", "a", attributes), 1);
        const std::string& zip = archive.data();
        const std::size_t cd = 31 + zk_deflate("abc")->size();
        EXPECT_EQ(le32(zip, cd + 38), c.expected);
        EXPECT_EQ(le32(zip, 10), dos);
        EXPECT_EQ(le32(zip, cd + 12), dos);
    }
}

TEST(ZKDataArchive, ChangedCommentIsWrittenWithTheNextAddition) {
    ZKDataArchive archive;
    EXPECT_EQ(archive.comment(), "Archive created with ZipKit");
    archive.setComment("Book configuration");
    ASSERT_EQ(archive.deflateData("abc", "a.txt"), 1);
    const std::string& zip = archive.data();
    EXPECT_EQ(zip.substr(zip.size() - 18), "Book configuration");
    EXPECT_EQ(le16(zip, zip.size() - 20), 18u);
}

TEST(ZKDataArchive, LargeIncompressibleInputRoundTrips) {
    // Larger than several 16384-byte output steps of the compressor.
    const std::string input = randomBytes(200000, 42);
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(input, "noise.bin"), 1);
    const auto entries = readZipEntries(archive.data());
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at(0).data, input);
}

TEST(ZKDataUtil, KnownValues) {
    EXPECT_EQ(zk_crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(zk_crc32(""), 0u);
    std::string bytes;
    zk_appendLittleInt16(bytes, 0x0102);
    zk_appendLittleInt32(bytes, 0x03040506);
    zk_appendLittleInt64(bytes, 0x0708090A0B0C0D0EULL);
    EXPECT_EQ(bytes, std::string("\x02\x01\x06\x05\x04\x03\x0E\x0D\x0C\x0B\x0A\x09\x08\x07", 14));
}

TEST(ZKDataUtil, DosDateEncodesLocalTimeAndClampsOutOfRangeYears) {
    EXPECT_EQ(zk_dosDate(localTime(1980, 1, 1, 0, 0, 0)), (1u << 5 | 1u) << 16);
    EXPECT_EQ(zk_dosDate(localTime(2026, 12, 6, 23, 59, 59)),
              ((46u << 9 | 12u << 5 | 6u) << 16) | (23u << 11 | 59u << 5 | 29u));
    EXPECT_EQ(zk_dosDate(localTime(1970, 6, 1, 12, 0, 0)), (1u << 5 | 1u) << 16);
    EXPECT_EQ(zk_dosDate(localTime(2200, 6, 1, 12, 0, 0)),
              ((127u << 9 | 12u << 5 | 31u) << 16) | (23u << 11 | 59u << 5 | 29u));
}

TEST(ZKDataUtil, OverlongFieldTextIsCutAtACharacterBoundary) {
    std::string text;
    for (int n = 0; n < 40000; ++n) {
        text += "\xC3\xA9";
    }
    const std::string bytes = zk_fieldBytes(text);
    EXPECT_EQ(bytes.size(), 65534u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xC3\xA9");
}

TEST(ZKLFHeader, SizesFromFourGigabytesUseZip64) {
    ZKLFHeader header;
    header.setFilename("big.bin");
    header.setUncompressedSize(5'000'000'000ULL);
    header.setCompressedSize(4'000'000'000ULL);
    EXPECT_EQ(header.versionNeededToExtract(), 45u);
    const std::string bytes = header.data();
    ASSERT_EQ(bytes.size(), 30u + 7u + 20u);
    EXPECT_EQ(le16(bytes, 4), 45u);
    EXPECT_EQ(le32(bytes, 18), 0xFFFFFFFFu);
    EXPECT_EQ(le32(bytes, 22), 0xFFFFFFFFu);
    EXPECT_EQ(le16(bytes, 28), 20u);
    EXPECT_EQ(le16(bytes, 37), 1u);
    EXPECT_EQ(le16(bytes, 39), 16u);
    EXPECT_EQ(le64(bytes, 41), 5'000'000'000ULL);
    EXPECT_EQ(le64(bytes, 49), 4'000'000'000ULL);

    header.setUncompressedSize(10);
    header.setCompressedSize(12);
    EXPECT_EQ(header.versionNeededToExtract(), 20u);
    EXPECT_EQ(header.extraFieldLength(), 0u);
    EXPECT_EQ(header.data().size(), 37u);
}

TEST(ZKCDHeader, OffsetFromFourGigabytesUsesZip64) {
    ZKCDHeader header;
    header.setFilename("far.bin");
    header.setCompressedSize(3);
    header.setUncompressedSize(1);
    header.setLocalHeaderOffset(0x100000000ULL);
    header.setVersionNeededToExtract(20); // as copied from a small local header
    EXPECT_EQ(header.versionNeededToExtract(), 45u);
    const std::string bytes = header.data();
    ASSERT_EQ(bytes.size(), header.length());
    ASSERT_EQ(bytes.size(), 46u + 7u + 28u);
    EXPECT_EQ(le32(bytes, 20), 0xFFFFFFFFu);
    EXPECT_EQ(le32(bytes, 24), 0xFFFFFFFFu);
    EXPECT_EQ(le32(bytes, 42), 0xFFFFFFFFu);
    EXPECT_EQ(le16(bytes, 30), 28u);
    EXPECT_EQ(le16(bytes, 53), 1u);
    EXPECT_EQ(le16(bytes, 55), 24u);
    EXPECT_EQ(le64(bytes, 57), 1u);
    EXPECT_EQ(le64(bytes, 65), 3u);
    EXPECT_EQ(le64(bytes, 73), 0x100000000ULL);
}

TEST(ZKCDHeader, SerialisedBytesFollowLaterChanges) {
    ZKCDHeader header;
    header.setFilename("a.txt");
    const std::string first = header.data();
    EXPECT_EQ(header.data(), first);
    header.setComment("note");
    const std::string second = header.data();
    EXPECT_EQ(second.size(), first.size() + 4);
    EXPECT_EQ(le16(second, 32), 4u);
    EXPECT_EQ(second.substr(second.size() - 4), "note");
}

TEST(ZKCDTrailer, CountsBeyondSixteenBitsAddAZip64EndRecord) {
    ZKCDTrailer trailer;
    EXPECT_EQ(trailer.data().size(), 22u + 27u);
    trailer.setNumberOfCentralDirectoryEntriesOnThisDisk(70000);
    trailer.setTotalNumberOfCentralDirectoryEntries(70000);
    trailer.setSizeOfCentralDirectory(70000ULL * 60);
    trailer.setOffsetOfStartOfCentralDirectory(0x123456789ULL);
    const std::string bytes = trailer.data();
    ASSERT_EQ(bytes.size(), 56u + 20u + 22u + 27u);
    ASSERT_EQ(bytes.size(), trailer.length());
    EXPECT_EQ(le32(bytes, 0), 0x06064B50u);
    EXPECT_EQ(le64(bytes, 4), 44u);
    EXPECT_EQ(le64(bytes, 24), 70000u);
    EXPECT_EQ(le64(bytes, 32), 70000u);
    EXPECT_EQ(le64(bytes, 40), 70000ULL * 60);
    EXPECT_EQ(le64(bytes, 48), 0x123456789ULL);
    EXPECT_EQ(le32(bytes, 56), 0x07064B50u);
    EXPECT_EQ(le64(bytes, 64), 0x123456789ULL + 70000ULL * 60);
    EXPECT_EQ(le32(bytes, 72), 1u);
    EXPECT_EQ(le32(bytes, 76), 0x06054B50u);
    EXPECT_EQ(le16(bytes, 84), 0xFFFFu);
    EXPECT_EQ(le16(bytes, 86), 0xFFFFu);
    EXPECT_EQ(le32(bytes, 88), 70000u * 60);
    EXPECT_EQ(le32(bytes, 92), 0xFFFFFFFFu);
}
