// The ZIP writer's byte layout, the reader's distrust, and the standard tools
// reading our archives.
#include "archive/ZKDataArchive.h"

#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"
#include "archive/ZipReader.h"
#include "base/Process.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <span>

using namespace zarvex;

namespace {

// The `width`-byte little-endian number at `at`.
std::uint64_t le(std::string_view bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

// One header field: its offset, its width in bytes and the value it must hold.
struct Field {
    std::size_t at;
    int width;
    std::uint64_t value;
};

// Checks every field, counting offsets from `base`.
void expectFields(std::string_view bytes, std::size_t base, std::span<const Field> fields) {
    for (const auto& f : fields)
        EXPECT_EQ(le(bytes, base + f.at, f.width), f.value) << "field at " << base << " + " << f.at;
}

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

std::string twoEntryArchive() {
    ZKDataArchive archive;
    archive.deflateData(std::string(2000, 'a') + "tail", "first.txt");
    archive.deflateData("second entry", "second.txt");
    return archive.data();
}

constexpr const char* kPythonCheck = R"(import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad is not None:
        sys.exit("bad entry " + bad)
    print("comment=" + z.comment.decode())
    for i in z.infolist():
        print("entry=%s size=%d method=%d system=%d version=%d" % (i.filename, i.file_size,
              i.compress_type, i.create_system, i.extract_version))
    sys.stdout.write("content=" + z.read(z.infolist()[0].filename).decode())
)";

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
        const Field localHeader[] = {
            {0, 4, 0x04034B50},       {4, 2, 20},  {6, 2, 0}, {8, 2, 8}, {14, 4, crc}, {18, 4, c},
            {22, 4, document.size()}, {26, 2, 10}, {28, 2, 0}};
        expectFields(zip, 0, localHeader);
        EXPECT_EQ(zip.substr(30, 10), "config.xml");
        // Central header right behind the data: made by UNIX 2.1, then as above,
        // no extra, comment, disk, attributes; the local header at 0.
        const std::size_t cd = 40 + c;
        const Field centralHeader[] = {
            {0, 4, 0x02014B50}, {4, 2, 0x0315}, {6, 2, 20}, {8, 2, 0},
            {10, 2, 8},         {16, 4, crc},   {20, 4, c}, {24, 4, document.size()},
            {28, 2, 10},        {30, 2, 0},     {32, 2, 0}, {34, 2, 0},
            {36, 2, 0},         {38, 4, 0},     {42, 4, 0}};
        expectFields(zip, cd, centralHeader);
        EXPECT_EQ(zip.substr(cd + 46, 10), "config.xml");
        // End record: one entry on disk 0, the directory's size and offset, the comment.
        const Field endRecord[] = {{0, 4, 0x06054B50}, {4, 2, 0},   {6, 2, 0},       {8, 2, 1},
                                   {10, 2, 1},         {12, 4, 56}, {16, 4, 40 + c}, {20, 2, 27}};
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
    const Field endRecord[] = {
        {8, 2, 2}, {10, 2, 2}, {12, 4, 56 + 55}, {16, 4, secondEnd}, {20, 2, 18}};
    expectFields(zip, zip.size() - 22 - 18, endRecord);
    EXPECT_EQ(zip.substr(zip.size() - 18), "Book configuration");
    const Field localOffsets[] = {{42, 4, 0}, {56 + 42, 4, firstEnd}};
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
    const Field utf8Flags[] = {{6, 2, 0x0800}, {26, 2, 9}, {cd + 8, 2, 0x0800}, {cd + 28, 2, 9}};
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
        const Field dateAndAttributes[] = {
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
    const Field zip64Local[] = {
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
    const Field zip64Central[] = {
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
    const Field zip64End[] = {{0, 4, 0x06064B50},     {4, 8, 44},
                              {24, 8, 70000},         {32, 8, 70000},
                              {40, 8, 70000ULL * 60}, {48, 8, 0x123456789ULL}};
    const Field locator[] = {{0, 4, 0x07064B50}, {8, 8, end}, {16, 4, 1}};
    const Field classicEnd[] = {{0, 4, 0x06054B50},
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
    EXPECT_EQ(le(second, 32, 2), 4u);
    EXPECT_EQ(second.substr(second.size() - 4), "note");
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
            for (const auto& entry : readZipEntries(damaged).value_or(std::vector<ZipEntry>{}))
                EXPECT_TRUE(entry.data == "second entry" || entry.data.size() == 2004) << at;
        }
    }
}

TEST(ZipReader, RejectsEntriesItMustNotTrust) {
    const std::string zip = twoEntryArchive();
    const std::size_t cd = zip.size() - 22 - 27 - (46 + 9) - (46 + 10);
    const struct {
        const char* what;
        std::size_t at;
        int width;
        std::uint32_t value;
        const char* reason;
    } cases[] = {
        {"wrong CRC", cd + 16, 4, 0x12345678, "CRC"},
        {"encrypted flag", cd + 8, 2, 1, "encrypted"},
        {"other method", cd + 10, 2, 12, "method"},
        {"declared size beyond the limit", cd + 24, 4, 0x7FFFFFFF, "larger than"},
        {"local header offset outside", cd + 42, 4, 0x7FFFFFFF, "local header"},
        {"compressed size outside", cd + 20, 4, 0x7FFFFFF0, "outside"},
        {"declared size below the stream's", cd + 24, 4, 100, "inflate"},
    };
    for (const auto& c : cases) {
        std::string damaged = zip;
        for (int i = 0; i < c.width; ++i)
            damaged[c.at + static_cast<std::size_t>(i)] = static_cast<char>(c.value >> (8 * i));
        std::string why;
        EXPECT_FALSE(readZipEntries(damaged, &why, 1 << 20)) << c.what;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    }
}

// The archives must open in the standard tools, not only in our own reader.
TEST(ExternalTools, UnzipZipinfoAndPythonReadTheArchives) {
    const std::string document = "<FlipBook3D>\n  <XMLVersion>1</XMLVersion>\n</FlipBook3D>\n";
    test::TempDir dir;
    ZKDataArchive archive;
    ASSERT_EQ(archive.deflateData(document, "config.xml"), 1);
    const auto single = (dir / "single.zip").string();
    test::writeFile(single, archive.data());
    ASSERT_EQ(archive.deflateData(std::string(3000, 'z'), "caf\xC3\xA9.txt"), 1);
    ASSERT_EQ(archive.deflateData("", "empty.txt"), 1);
    const auto triple = (dir / "triple.zip").string();
    test::writeFile(triple, archive.data());

    const struct {
        std::vector<std::string> command;
        std::vector<std::string> expected;
    } runs[] = {
        {{"unzip", "-t", triple}, {"No errors detected"}},
        {{"python3", "-c", kPythonCheck, single},
         {"comment=Archive created with ZipKit\n",
          "entry=config.xml size=" + std::to_string(document.size()) +
              " method=8 system=3 version=20\n",
          "content=" + document}},
        {{"python3", "-c", kPythonCheck, triple},
         {"entry=caf\xC3\xA9.txt size=3000", "entry=empty.txt size=0"}},
    };
    for (const auto& run : runs) {
        const auto result = runProcess("/usr/bin/env", run.command);
        if (result.exitCode == 127) {
            std::printf("%s is not installed: skipped\n", run.command[0].c_str());
            continue;
        }
        const auto said = result.output + result.errors;
        EXPECT_EQ(result.exitCode, 0) << run.command[0] << ": " << said;
        for (const auto& text : run.expected)
            EXPECT_NE(said.find(text), std::string::npos) << run.command[0] << ": " << said;
    }
}
