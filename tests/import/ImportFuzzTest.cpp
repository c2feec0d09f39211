// Imports mutated copies of the seed fixtures (the standard one, a page tree
// that claims 2147483647 pages, links and bookmarks with hostile strings):
// whatever the damage, the import ends, lists only files that exist, and leaves
// nothing behind once the results are dropped. The first copy of each seed is
// left intact. $ZARVEX_FUZZ_COUNT copies (a few by default;
// scripts/fuzz-import.sh runs hundreds under the sanitizers).

#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFToPageConverter.h"

#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

std::string mutate(std::string bytes, std::mt19937& random) {
    auto at = [&](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size ? size - 1 : 0)(random);
    };
    switch (random() % 6) {
    case 0: // flip bytes
        for (int i = 0, n = 1 + static_cast<int>(random() % 20); i < n; ++i)
            bytes[at(bytes.size())] ^= static_cast<char>(1 + random() % 255);
        break;
    case 1: // truncate
        bytes.resize(at(bytes.size()));
        break;
    case 2: { // drop a chunk
        const auto from = at(bytes.size());
        bytes.erase(from, random() % 400);
        break;
    }
    case 3: { // repeat a chunk
        const auto from = at(bytes.size());
        bytes.insert(at(bytes.size()), bytes.substr(from, random() % 400));
        break;
    }
    case 4: { // make a number huge or negative
        for (int tries = 0; tries < 50; ++tries) {
            const auto i = at(bytes.size());
            if (bytes[i] >= '0' && bytes[i] <= '9') {
                bytes.replace(i, 1, random() % 2 ? "99999999999" : "-7");
                break;
            }
        }
        break;
    }
    default: // insert garbage
        bytes.insert(at(bytes.size()), std::string(1 + random() % 64, static_cast<char>(random())));
        break;
    }
    return bytes;
}

TEST(ImportFuzz, MutatedCopiesEndCleanly) {
    const char* countText = std::getenv("ZARVEX_FUZZ_COUNT");
    const int count = countText ? std::atoi(countText) : 12;
    test::TempHome home;
    test::TempDir dir;
    std::vector<std::string> seeds;
    for (const auto& seed :
         {test::standardDocument(), test::hugeCountDocument(), test::hostileStringsDocument()}) {
        const auto original = dir / "original.pdf";
        test::writeFixturePdf(original, seed);
        seeds.push_back(test::slurp(original));
    }
    const char* ranges[] = {"ALL", "1-3", "0,2,9", "1-99999999", ",,"};
    log::silence();
    int imported = 0;

    for (int i = 0; i < count; ++i) {
        std::mt19937 random(static_cast<unsigned>(i));
        const auto seed = static_cast<std::size_t>(i) % seeds.size();
        auto copy = seeds[seed];
        const bool intact = static_cast<std::size_t>(i) < seeds.size();
        for (int n = intact ? 0 : 1 + static_cast<int>(random() % 3); n > 0; --n)
            copy = mutate(std::move(copy), random);
        const auto file = dir / "mutated.pdf";
        test::writeFile(file, copy);
        AppSettings::shareInstance().setImportType(i % 8 == 0 ? 0 : 1);
        SCOPED_TRACE("copy " + std::to_string(i) + " of seed " + std::to_string(seed));

        fs::path folder;
        {
            const char* range = ranges[random() % 5];
            ImportPDFOperation operation(file, intact ? "ALL" : range, 144, 65);
            operation.setImportLinks(true);
            operation.setImportBookmarks(true);
            std::promise<void> done;
            operation.start([&](ImportPDFOperation&) { done.set_value(); });
            ASSERT_EQ(done.get_future().wait_for(std::chrono::minutes(5)),
                      std::future_status::ready)
                << "the import hangs";
            if (intact) {
                EXPECT_TRUE(operation.flashPageSource()) << "an intact seed is refused";
            }
            if (const auto& source = operation.flashPageSource()) {
                ++imported;
                folder = source->toPageConverter()->converterWorkFolder();
                for (const auto* list : {&source->pages(), &source->thumbPages(),
                                         &source->mobilePages(), &source->normalPages()})
                    for (const auto& page : *list)
                        EXPECT_TRUE(fs::is_regular_file(page->pageFilePath()))
                            << page->pageFilePath();
                EXPECT_FALSE(source->pages().empty());
            }
        }
        if (!folder.empty()) {
            EXPECT_FALSE(fs::exists(folder)) << "work folder left behind";
        }
    }
    AppSettings::shareInstance().setImportType(0);
    std::printf("%d of %d mutated copies imported, the others refused\n", imported, count);
}

} // namespace
} // namespace zarvex
