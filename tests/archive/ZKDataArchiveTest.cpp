#include "archive/ZKDataArchive.h"

#include "ArchiveTestSupport.h"
#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"
#include "archive/ZipReader.h"

#include <gtest/gtest.h>

#include <ctime>
#include <random>

using namespace zarvex;
using zarvex::test::expectFields;

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

std::uint32_t dosDate(int year, int month, int day, int hour, int minute, int second) {
    const auto date = static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day);
    return date << 16 | static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2);
}

} // namespace

TEST(ZKDataArchive, SingleEntryHasTheExactLayout) {
    for (const std::string& document : {kDocument, std::string()}) {
        SCOPED_TRACE(document.size());
        ZKDataArchive archive;
        ASSERT_EQ(archive.deflateData(document, "config.xml"), 1);
        const std::string& zip = archive.data();
        const std::size_t c = zk_deflate(document)->size();
        const std::uint32_t crc = zk_crc32(document);
        ASSERT_EQ(zip.size(), 145 + c);
        // Local header: signature, version 2.0, flags, DEFLATE, CRC, sizes, name, no extra.
        const test::Field localHeader[] = {
            {0, 4, 0x04034B50},       {4, 2, 20},  {6, 2, 0}, {8, 2, 8}, {14, 4, crc}, {18, 4, c},
            {22, 4, document.size()}, {26, 2, 10}, {28, 2, 0}};
        expectFields(zip, 0, localHeader);
        EXPECT_EQ(zip.substr(30, 10), "config.xml");
        // Central header right behind the data: made by UNIX 2.1, then as above,
        // no extra, comment, disk, attributes; the local header at 0.
        const std::size_t cd = 40 + c;
        const test::Field centralHeader[] = {
            {0, 4, 0x02014B50}, {4, 2, 0x0315}, {6, 2, 20}, {8, 2, 0},
            {10, 2, 8},         {16, 4, crc},   {20, 4, c}, {24, 4, document.size()},
            {28, 2, 10},        {30, 2, 0},     {32, 2, 0}, {34, 2, 0},
            {36, 2, 0},         {38, 4, 0},     {42, 4, 0}};
        expectFields(zip, cd, centralHeader);
        EXPECT_EQ(zip.substr(cd + 46, 10), "config.xml");
        // End record: one entry on disk 0, the directory's size and offset, the comment.
        const test::Field endRecord[] = {{0, 4, 0x06054B50}, {4, 2, 0},  {6, 2, 0},
                                         {8, 2, 1},          {10, 2, 1}, {12, 4, 56},
                                         {16, 4, 40 + c},    {20, 2, 27}};
        expectFields(zip, 96 + c, endRecord);
        EXPECT_EQ(zip.substr(118 + c), "Archive created with ZipKit");

        const auto entries = readZipEntries(zip);
        ASSERT_TRUE(entries);
        ASSERT_EQ(entries->size(), 1u);
        EXPECT_EQ(entries->front().data, document);
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

    const std::size_t secondEnd = firstEnd + 30 + 9 + zk_deflate(second)->size();
    const test::Field endRecord[] = {
        {8, 2, 2}, {10, 2, 2}, {12, 4, 56 + 55}, {16, 4, secondEnd}, {20, 2, 18}};
    expectFields(zip, zip.size() - 22 - 18, endRecord);
    EXPECT_EQ(zip.substr(zip.size() - 18), "Book configuration");
    const test::Field localOffsets[] = {{42, 4, 0}, {56 + 42, 4, firstEnd}};
    expectFields(zip, secondEnd, localOffsets);

    ASSERT_EQ(archive.centralDirectory().size(), 2u);
    EXPECT_EQ(archive.centralDirectory()[1].filename(), "pages.bin");
    const auto entries = readZipEntries(zip);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].data, kDocument);
    EXPECT_EQ((*entries)[1].data, second);
}

TEST(ZKDataArchive, NamesAreStoredComposedAndBadOnesLeaveTheArchiveUnchanged) {
    ZKDataArchive archive;
    EXPECT_EQ(archive.deflateData("abc", ""), -1);
    EXPECT_TRUE(archive.data().empty());
    ASSERT_EQ(archive.deflateData("x", "cafe\xCC\x81.xml"), 1); // e + combining acute
    const std::string& zip = archive.data();
    const std::size_t cd = 30 + 9 + zk_deflate("x")->size();
    const test::Field utf8Flags[] = {
        {6, 2, 0x0800}, {26, 2, 9}, {cd + 8, 2, 0x0800}, {cd + 28, 2, 9}};
    expectFields(zip, 0, utf8Flags);
    EXPECT_EQ(zip.substr(30, 9), "caf\xC3\xA9.xml"); // with the UTF-8 flag above
    EXPECT_EQ(zip.substr(cd + 46, 9), "caf\xC3\xA9.xml");
    EXPECT_EQ(archive.cdTrailer().sizeOfCentralDirectory(), 46u + 9u);

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
    const struct {
        ZKFileType type;
        std::uint32_t permissions;
        std::uint32_t expected;
    } cases[] = {
        {ZKFileType::Regular, 0644, (0644u << 16) | 0x80004000u},
        {ZKFileType::Directory, 0755, (0755u << 16) | 0x40004000u},
        {ZKFileType::SymbolicLink, 0777, (0777u << 16) | 0xA0004000u},
        {ZKFileType::Other, 0, 0x80004000u},
    };
    const std::uint32_t dos = dosDate(2024, 3, 15, 13, 45, 31);
    for (const auto& c : cases) {
        ZKDataArchive archive;
        ZKFileAttributes attributes;
        attributes.fileModificationDate = localTime(2024, 3, 15, 13, 45, 31);
        attributes.filePosixPermissions = c.permissions;
        attributes.fileType = c.type;
        ASSERT_EQ(archive.deflateData("abc", "a", attributes), 1);
        const std::size_t cd = 31 + zk_deflate("abc")->size();
        const test::Field dateAndAttributes[] = {
            {cd + 38, 4, c.expected}, {10, 4, dos}, {cd + 12, 4, dos}};
        expectFields(archive.data(), 0, dateAndAttributes);
    }
}

// Little-endian fields are read back by every layout test.
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
    EXPECT_EQ(local.versionNeededToExtract(), 45u);
    ASSERT_EQ(local.data().size(), 30u + 7u + 20u);
    const test::Field zip64Local[] = {
        {4, 2, 45}, {18, 4, 0xFFFFFFFF}, {22, 4, 0xFFFFFFFF},       {28, 2, 20},
        {37, 2, 1}, {39, 2, 16},         {41, 8, 5'000'000'000ULL}, {49, 8, 4'000'000'000ULL}};
    expectFields(local.data(), 0, zip64Local);
    local.setUncompressedSize(10);
    local.setCompressedSize(12);
    EXPECT_EQ(local.versionNeededToExtract(), 20u);
    EXPECT_EQ(local.extraFieldLength(), 0u);
    EXPECT_EQ(local.data().size(), 37u);

    ZKCDHeader central;
    central.setFilename("far.bin");
    central.setCompressedSize(3);
    central.setUncompressedSize(1);
    central.setLocalHeaderOffset(0x100000000ULL);
    central.setVersionNeededToExtract(20); // as copied from a small local header
    EXPECT_EQ(central.versionNeededToExtract(), 45u);
    ASSERT_EQ(central.data().size(), central.length());
    ASSERT_EQ(central.data().size(), 46u + 7u + 28u);
    const test::Field zip64Central[] = {
        {20, 4, 0xFFFFFFFF}, {24, 4, 0xFFFFFFFF}, {42, 4, 0xFFFFFFFF},
        {30, 2, 28},         {53, 2, 1},          {55, 2, 24},
        {57, 8, 1},          {65, 8, 3},          {73, 8, 0x100000000ULL}};
    expectFields(central.data(), 0, zip64Central);

    ZKCDTrailer trailer;
    EXPECT_EQ(trailer.data().size(), 22u + 27u);
    trailer.setNumberOfCentralDirectoryEntriesOnThisDisk(70000);
    trailer.setTotalNumberOfCentralDirectoryEntries(70000);
    trailer.setSizeOfCentralDirectory(70000ULL * 60);
    trailer.setOffsetOfStartOfCentralDirectory(0x123456789ULL);
    ASSERT_EQ(trailer.data().size(), 56u + 20u + 22u + 27u);
    ASSERT_EQ(trailer.data().size(), trailer.length());
    // ZIP64 end record, its locator, then the classic record with everything saturated.
    const std::uint64_t end = 0x123456789ULL + 70000ULL * 60;
    const test::Field zip64End[] = {{0, 4, 0x06064B50},     {4, 8, 44},
                                    {24, 8, 70000},         {32, 8, 70000},
                                    {40, 8, 70000ULL * 60}, {48, 8, 0x123456789ULL}};
    const test::Field locator[] = {{0, 4, 0x07064B50}, {8, 8, end}, {16, 4, 1}};
    const test::Field classicEnd[] = {{0, 4, 0x06054B50},
                                      {8, 2, 0xFFFF},
                                      {10, 2, 0xFFFF},
                                      {12, 4, 70000u * 60},
                                      {16, 4, 0xFFFFFFFF}};
    expectFields(trailer.data(), 0, zip64End);
    expectFields(trailer.data(), 56, locator);
    expectFields(trailer.data(), 76, classicEnd);
}

TEST(ZKCDHeader, SerialisedBytesFollowLaterChanges) {
    ZKCDHeader header;
    header.setFilename("a.txt");
    const std::string first = header.data();
    EXPECT_EQ(header.data(), first);
    header.setComment("note");
    const std::string second = header.data();
    EXPECT_EQ(second.size(), first.size() + 4);
    EXPECT_EQ(test::le(second, 32, 2), 4u);
    EXPECT_EQ(second.substr(second.size() - 4), "note");
}
