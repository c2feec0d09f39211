// The ZIP writer's byte layout and the reader's distrust. That the layout is what
// other readers expect shows where the viewer decodes published books (tests/browser).
#include "archive/ZKDataArchive.h"

#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>
#include <tuple>

using namespace zarvex;

namespace {

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

TEST(ZKDataArchive, SingleEntryHasTheExactLayout) {
    for (const std::string& document : {kDocument, std::string()}) {
        SCOPED_TRACE(document.size());
        ZKDataArchive archive;
        ASSERT_EQ(archive.deflateData(document, "config.xml"), 1);
        const std::string& zip = archive.data();
        const std::size_t c = zk_deflate(document)->size();
        // Local header: signature, version 2.0, no flags, DEFLATE, the date (checked with
        // the attributes), CRC, sizes, name length, no extra field, the name.
        const std::string local = bytes(0x04034B50, 4) + bytes(20, 2) + bytes(0, 2) + bytes(8, 2) +
                                  zip.substr(10, 4) + bytes(zk_crc32(document), 4) + bytes(c, 4) +
                                  bytes(document.size(), 4) + bytes(10, 2) + bytes(0, 2) +
                                  "config.xml";
        EXPECT_EQ(zip.substr(0, 40), local);
        // Right behind the data the central header: made by UNIX 2.1, then as above; no
        // comment, disk 0, no attributes, the local header at 0. Then the end record: one
        // entry on disk 0, the directory's size and offset, the comment.
        EXPECT_EQ(zip.substr(40 + c),
                  bytes(0x02014B50, 4) + bytes(0x0315, 2) + local.substr(4, 26) +
                      std::string(14, '\0') + "config.xml" + bytes(0x06054B50, 4) + bytes(0, 4) +
                      bytes(1, 2) + bytes(1, 2) + bytes(56, 4) + bytes(40 + c, 4) + bytes(27, 2) +
                      "Archive created with ZipKit");
        EXPECT_EQ(contents(zip), std::vector{document});
    }
}

TEST(ZKDataArchive, LaterEntriesAndCommentKeepTheFirstEntryInPlace) {
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(kDocument, "config.xml"), 1);
    const std::size_t firstEnd = 40 + zk_deflate(kDocument)->size();
    const std::string firstPart = archive.data().substr(0, firstEnd);

    // Incompressible and larger than several 16384-byte output steps of the compressor.
    std::mt19937 random(42);
    std::string second(200000, '\0');
    for (auto& c : second)
        c = static_cast<char>(random() & 0xFF);
    EXPECT_EQ(archive.comment(), "Archive created with ZipKit");
    archive.setComment("Book configuration");
    ASSERT_EQ(archive.deflateData(second, "pages.bin"), 1);
    const std::string& zip = archive.data();
    EXPECT_EQ(zip.substr(0, firstEnd), firstPart);
    // The local headers are where the directory says; the end record counts both entries.
    const std::size_t secondEnd = firstEnd + 30 + 9 + zk_deflate(second)->size();
    EXPECT_EQ(zip.substr(secondEnd + 42, 4) + zip.substr(secondEnd + 56 + 42, 4),
              bytes(0, 4) + bytes(firstEnd, 4));
    EXPECT_EQ(zip.substr(zip.size() - 22 - 18),
              bytes(0x06054B50, 4) + bytes(0, 4) + bytes(2, 2) + bytes(2, 2) + bytes(56 + 55, 4) +
                  bytes(secondEnd, 4) + bytes(18, 2) + "Book configuration");
    EXPECT_EQ(contents(zip), (std::vector{kDocument, second}));
}

TEST(ZKDataArchive, NamesAreStoredComposedAndBadOnesLeaveTheArchiveUnchanged) {
    ZKDataArchive archive;
    EXPECT_EQ(archive.deflateData("abc", ""), -1);
    EXPECT_TRUE(archive.data().empty());
    ASSERT_EQ(archive.deflateData("x", "cafe\xCC\x81.xml"), 1); // e + combining acute
    const std::string& zip = archive.data();
    const std::size_t cd = 30 + 9 + zk_deflate("x")->size();
    // Both headers: the UTF-8 flag, the composed name and its length.
    EXPECT_EQ(zip.substr(6, 2) + zip.substr(26, 2) + zip.substr(30, 9),
              bytes(0x0800, 2) + bytes(9, 2) + "caf\xC3\xA9.xml");
    EXPECT_EQ(zip.substr(cd + 8, 2) + zip.substr(cd + 28, 2) + zip.substr(cd + 46, 9),
              bytes(0x0800, 2) + bytes(9, 2) + "caf\xC3\xA9.xml");
    EXPECT_EQ(archive.cdTrailer().sizeOfCentralDirectory(), 46u + 9u);

    const std::string before = archive.data();
    for (const std::string& name :
         {std::string(), std::string("bad\xFF.xml"), std::string(70000, 'n')}) {
        EXPECT_EQ(archive.deflateData("abc", name), -1);
        EXPECT_EQ(std::tuple(archive.data(), archive.centralDirectory().size(),
                             archive.cdTrailer().totalNumberOfCentralDirectoryEntries()),
                  std::tuple(before, 1u, 1u));
    }
}

// The modification date in both headers, the type and permissions in the central one.
TEST(ZKDataArchive, AttributesSetDateAndExternalAttributes) {
    const std::tuple<ZKFileType, std::uint32_t, std::uint32_t> cases[] = {
        // permissions, field
        {ZKFileType::Regular, 0644, (0644u << 16) | 0x80004000u},
        {ZKFileType::Directory, 0755, (0755u << 16) | 0x40004000u},
        {ZKFileType::SymbolicLink, 0777, (0777u << 16) | 0xA0004000u},
        {ZKFileType::Other, 0, 0x80004000u},
    };
    const std::string dos = bytes(dosDate(2024, 3, 15, 13, 45, 31), 4);
    for (const auto& [type, permissions, expected] : cases) {
        ZKDataArchive archive;
        ZKFileAttributes attributes;
        attributes.fileModificationDate = localTime(2024, 3, 15, 13, 45, 31);
        attributes.filePosixPermissions = permissions;
        attributes.fileType = type;
        ASSERT_EQ(archive.deflateData("abc", "a", attributes), 1);
        const std::string& zip = archive.data();
        const std::size_t cd = 31 + zk_deflate("abc")->size();
        EXPECT_EQ(zip.substr(10, 4) + zip.substr(cd + 12, 4) + zip.substr(cd + 38, 4),
                  dos + dos + bytes(expected, 4));
    }
}

TEST(ZKDataUtil, CrcDosDatesAndFieldCuts) {
    EXPECT_EQ(zk_crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(zk_crc32(""), 0u);

    // Local time; years outside 1980 to 2107 are clamped to the ends of the range.
    EXPECT_EQ(zk_dosDate(localTime(1980, 1, 1, 0, 0, 0)), dosDate(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(zk_dosDate(localTime(2026, 12, 6, 23, 59, 59)), dosDate(2026, 12, 6, 23, 59, 59));
    EXPECT_EQ(zk_dosDate(localTime(1970, 6, 1, 12, 0, 0)), dosDate(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(zk_dosDate(localTime(2200, 6, 1, 12, 0, 0)), dosDate(2107, 12, 31, 23, 59, 59));

    // An overlong text is cut at a character boundary.
    std::string text;
    for (int n = 0; n < 40000; ++n)
        text += "\xC3\xA9";
    const std::string field = zk_fieldBytes(text);
    EXPECT_EQ(field.size(), 65534u);
    EXPECT_EQ(field.substr(field.size() - 2), "\xC3\xA9");
}

TEST(ZKHeaders, SizesAndOffsetsFromFourGigabytesUseZip64) {
    ZKLFHeader local;
    local.setFilename("big.bin");
    local.setUncompressedSize(5'000'000'000ULL);
    local.setCompressedSize(4'000'000'000ULL);
    // Version 4.5, both sizes saturated, then the ZIP64 extra field holding them.
    EXPECT_EQ(local.data().substr(4, 2) + local.data().substr(18),
              bytes(45, 2) + bytes(0xFFFFFFFF, 4) + bytes(0xFFFFFFFF, 4) + bytes(7, 2) +
                  bytes(20, 2) + "big.bin" + bytes(1, 2) + bytes(16, 2) +
                  bytes(5'000'000'000ULL, 8) + bytes(4'000'000'000ULL, 8));
    local.setUncompressedSize(10); // small sizes again: no extra field
    local.setCompressedSize(12);
    EXPECT_EQ(local.data().substr(4, 2) + local.data().substr(18),
              bytes(20, 2) + bytes(12, 4) + bytes(10, 4) + bytes(7, 2) + bytes(0, 2) + "big.bin");

    ZKCDHeader central;
    central.setFilename("far.bin");
    central.setCompressedSize(3);
    central.setUncompressedSize(1);
    central.setLocalHeaderOffset(0x100000000ULL);
    central.setVersionNeededToExtract(20); // as copied from a small local header
    const std::string cd = central.data();
    ASSERT_EQ(cd.size(), central.length());
    EXPECT_EQ(cd.substr(6, 2) + cd.substr(20, 12) + cd.substr(42),
              bytes(45, 2) + bytes(0xFFFFFFFF, 4) + bytes(0xFFFFFFFF, 4) + bytes(7, 2) +
                  bytes(28, 2) + bytes(0xFFFFFFFF, 4) + "far.bin" + bytes(1, 2) + bytes(24, 2) +
                  bytes(1, 8) + bytes(3, 8) + bytes(0x100000000ULL, 8));
    central.setComment("note"); // the bytes follow a change made after they were read
    EXPECT_EQ(central.data().substr(32, 2) + central.data().substr(cd.size()),
              bytes(4, 2) + "note");

    ZKCDTrailer trailer;
    EXPECT_EQ(trailer.data().size(), 22u + 27u);
    trailer.setNumberOfCentralDirectoryEntriesOnThisDisk(70000);
    trailer.setTotalNumberOfCentralDirectoryEntries(70000);
    trailer.setSizeOfCentralDirectory(70000ULL * 60);
    trailer.setOffsetOfStartOfCentralDirectory(0x123456789ULL);
    const std::string end = trailer.data();
    ASSERT_EQ(end.size(), trailer.length());
    // The ZIP64 end record (made by UNIX 4.5, disk 0), its locator, then the classic record
    // with everything saturated.
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
