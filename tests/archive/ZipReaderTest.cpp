#include "archive/ZipReader.h"

#include "archive/ZKDataArchive.h"

#include <gtest/gtest.h>

using namespace zarvex;

namespace {

std::string twoEntryArchive() {
    ZKDataArchive archive;
    archive.deflateData(std::string(2000, 'a') + "tail", "first.txt");
    archive.deflateData("second entry", "second.txt");
    return archive.data();
}

} // namespace

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
