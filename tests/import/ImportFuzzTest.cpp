// Mutated copies of the fixtures, first opened and drawn, then imported. The
// import seeds are the standard fixture, a page tree that claims 2147483647
// pages and links and bookmarks with hostile strings: whatever the damage, the
// import ends, lists only files that exist, and leaves nothing behind once the
// results are dropped. The first copy of each seed is left intact.
// $ZARVEX_FUZZ_COUNT copies (a few by default; scripts/fuzz-import.sh runs
// hundreds under the sanitizers).

#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "import/FlashPageSourcePDF.h"
#include "import/PDFRenderer.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

TEST(ImportFuzz, MutatedDocumentsNeverCrashAndFailOnlyThroughTheApi) {
    test::TempDir dir;
    test::writeFixturePdf(dir / "original.pdf", test::standardDocument());
    const std::string original = test::slurp(dir / "original.pdf");
    int opened = 0;
    for (unsigned round = 0; round < 200; ++round) {
        std::mt19937 random(round);
        const std::string bytes = test::mutate(original, random);
        const auto path = dir / "mutated.pdf";
        test::writeFile(path, bytes);
        const auto doc = PDFDocument::open(path);
        if (!doc)
            continue;
        ++opened;
        try {
            for (int i = 0; i < doc->pageCount(); ++i)
                (void)doc->pageAt(i).annotations().size();
            (void)doc->outlineRoot();
            PDFRenderer renderer(bytes);
            for (int i = 0; i < renderer.pageCount(); ++i)
                EXPECT_EQ(renderer.render(i, 40, 50).rgb.size(), 40u * 50u * 3u);
        } catch (const Error&) {
            // a broken object: reported, not fatal
        }
    }
    EXPECT_GT(opened, 50); // the library repairs most damage
}

TEST(ImportFuzz, MutatedCopiesEndCleanly) {
    const char* countText = std::getenv("ZARVEX_FUZZ_COUNT");
    const int count = countText ? std::atoi(countText) : 12;
    test::TempHome home;
    test::TempDir dir;
    std::vector<std::string> seeds;
    for (const auto& seed :
         {test::standardDocument(), test::hugeCountDocument(), test::hostileStringsDocument()}) {
        test::writeFixturePdf(dir / "original.pdf", seed);
        seeds.push_back(test::slurp(dir / "original.pdf"));
    }
    const std::size_t seedPages[] = {5, 2, 2};
    const char* ranges[] = {"ALL", "1-3", "0,2,9", "1-99999999", ",,"};
    log::silence();
    int imported = 0;

    for (int i = 0; i < count; ++i) {
        std::mt19937 random(static_cast<unsigned>(i));
        const auto seed = static_cast<std::size_t>(i) % seeds.size();
        auto copy = seeds[seed];
        const bool intact = static_cast<std::size_t>(i) < seeds.size();
        for (int n = intact ? 0 : 1 + static_cast<int>(random() % 3); n > 0; --n)
            copy = test::mutate(std::move(copy), random);
        const auto file = dir / "mutated.pdf";
        test::writeFile(file, copy);
        AppSettings::shareInstance().setImportType(i % 8 == 0 ? 0 : 1);
        SCOPED_TRACE("copy " + std::to_string(i) + " of seed " + std::to_string(seed));

        fs::path folder;
        {
            ImportPDFOperation operation(file, intact ? "ALL" : ranges[random() % 5], 144, 65);
            operation.setImportLinks(true);
            operation.setImportBookmarks(true);
            std::promise<void> done;
            operation.start([&](ImportPDFOperation&) { done.set_value(); });
            ASSERT_EQ(done.get_future().wait_for(std::chrono::minutes(5)),
                      std::future_status::ready)
                << "the import hangs";
            EXPECT_TRUE(!intact || operation.flashPageSource()) << "an intact seed is refused";
            if (intact && operation.flashPageSource()) { // the page tree counts, not its claim
                EXPECT_EQ(operation.flashPageSource()->pages().size(), seedPages[seed]);
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
        EXPECT_TRUE(folder.empty() || !fs::exists(folder)) << "work folder left behind";
    }
    AppSettings::shareInstance().setImportType(0);
    std::printf("%d of %d mutated copies imported, the others refused\n", imported, count);
}

} // namespace
} // namespace zarvex
