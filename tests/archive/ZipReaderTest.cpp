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

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

} // namespace

TEST(ZipReader, EveryTruncationIsRejected) {
    const std::string zip = twoEntryArchive();
    ASSERT_TRUE(readZipEntries(zip));
    for (std::size_t n = 0; n < zip.size(); ++n) {
        EXPECT_FALSE(readZipEntries(std::string_view(zip).substr(0, n))) << n;
    }
}

TEST(ZipReader, SingleByteDamageNeverBreaksTheReader) {
    const std::string zip = twoEntryArchive();
    for (std::size_t at = 0; at < zip.size(); ++at) {
        for (const unsigned char value : {0x00, 0xFF, 0x80}) {
            std::string damaged = zip;
            damaged[at] = static_cast<char>(value);
            const auto entries = readZipEntries(damaged);
            if (entries) {
                // Whatever survives must still be the original content.
                for (const auto& entry : *entries) {
                    EXPECT_TRUE(entry.data == "second entry" || entry.data.size() == 2004) << at;
                }
            }
        }
    }
}

TEST(ZipReader, RejectsEntriesItMustNotTrust) {
    const std::string zip = twoEntryArchive();
    const std::size_t cd = zip.size() - 22 - 27 - (46 + 9) - (46 + 10);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        const char* reason;
    };
    const Case cases[] = {
        {"wrong CRC", cd + 16, 0x12345678, "CRC"},
        {"encrypted flag", cd + 8, 1, "encrypted"},
        {"other method", cd + 10, 12, "method"},
        {"declared size beyond the limit", cd + 24, 0x7FFFFFFF, "larger than"},
        {"local header offset outside", cd + 42, 0x7FFFFFFF, "local header"},
        {"compressed size outside", cd + 20, 0x7FFFFFF0, "outside"},
    };
    for (const auto& c : cases) {
        std::string damaged = zip;
        if (c.at == cd + 8 || c.at == cd + 10) {
            damaged[c.at] = static_cast<char>(c.value); // 16-bit fields
        } else {
            put32(damaged, c.at, c.value);
        }
        std::string why;
        EXPECT_FALSE(readZipEntries(damaged, &why, 1 << 20)) << c.what;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    }
}

TEST(ZipReader, InflatedSizeMustMatchTheDeclaredOne) {
    std::string zip = twoEntryArchive();
    const std::size_t cd = zip.size() - 22 - 27 - (46 + 9) - (46 + 10);
    put32(zip, cd + 24, 100); // claims 100 bytes, the stream holds 2004
    std::string why;
    EXPECT_FALSE(readZipEntries(zip, &why));
    EXPECT_NE(why.find("inflate"), std::string::npos) << why;
}
