// Mutated copies of three seed fixtures (the standard one, a page tree that
// claims 2147483647 pages, links and bookmarks with hostile strings), the first
// copy of each left intact: each is opened, walked and drawn, and the first
// $ZARVEX_FUZZ_COUNT (a few by default; scripts/fuzz-import.sh runs hundreds
// under the sanitizers) are imported. Whatever the damage, the library fails
// only through its interface, the import ends, lists only files that exist,
// and leaves nothing behind once its results are dropped.

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "import/FlashPageSourcePDF.h"
#include "import/PDFRenderer.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"

#include <random>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

// `bytes` with one random kind of damage: flipped bytes, cut short, a chunk
// dropped or repeated, a digit made huge or negative, garbage inserted.
std::string mutate(std::string bytes, std::mt19937& random) {
    auto at = [&] {
        return std::uniform_int_distribution<std::size_t>(0, bytes.empty() ? 0 : bytes.size() - 1)(
            random);
    };
    switch (random() % 6) {
    case 0:
        for (int i = 0, n = 1 + static_cast<int>(random() % 20); i < n && !bytes.empty(); ++i)
            bytes[at()] ^= static_cast<char>(1 + random() % 255);
        return bytes;
    case 1:
        return bytes.substr(0, at());
    case 2:
        return bytes.erase(at(), random() % 400);
    case 3: {
        const auto chunk = bytes.substr(at(), random() % 400);
        return bytes.insert(at(), chunk);
    }
    case 4:
        for (int tries = 0; tries < 50; ++tries)
            if (const auto i = at(); i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9')
                return bytes.replace(i, 1, random() % 2 ? "99999999999" : "-7");
        return bytes;
    default:
        return bytes.insert(at(), std::string(1 + random() % 64, static_cast<char>(random())));
    }
}

// Opens, walks and draws a copy; false when it does not open.
bool walkAndDraw(const fs::path& file, const std::string& bytes) {
    const auto doc = PDFDocument::open(file);
    if (!doc)
        return false;
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
    return true;
}

TEST(ImportFuzz, MutatedCopiesNeverCrashAndTheirImportsEndCleanly) {
    const char* countText = std::getenv("ZARVEX_FUZZ_COUNT");
    const int imports = countText ? std::atoi(countText) : 12, rounds = std::max(imports, 200);
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
    int opened = 0, imported = 0;
    for (int i = 0; i < rounds; ++i) {
        std::mt19937 random(static_cast<unsigned>(i));
        const auto seed = static_cast<std::size_t>(i) % seeds.size();
        auto copy = seeds[seed];
        const bool intact = static_cast<std::size_t>(i) < seeds.size();
        for (int n = intact ? 0 : 1 + static_cast<int>(random() % 3); n > 0; --n)
            copy = mutate(std::move(copy), random);
        const auto file = dir / "mutated.pdf";
        test::writeFile(file, copy);
        SCOPED_TRACE("copy " + std::to_string(i) + " of seed " + std::to_string(seed));
        opened += walkAndDraw(file, copy);
        if (i >= imports)
            continue;

        AppSettings::shareInstance().setImportType(i % 8 == 0 ? 0 : 1);
        fs::path folder;
        {
            ImportPDFOperation operation(file, intact ? "ALL" : ranges[random() % 5], 144, 65);
            operation.setImportLinks(true);
            operation.setImportBookmarks(true);
            test::runToEnd(operation);
            const auto& source = operation.flashPageSource();
            EXPECT_TRUE(!intact || source) << "an intact seed is refused";
            if (source) { // of an intact seed, the page tree counts, not its claim
                ++imported;
                EXPECT_TRUE(!intact || source->pages().size() == seedPages[seed]);
                EXPECT_FALSE(source->pages().empty());
                folder = source->toPageConverter()->converterWorkFolder();
                for (const auto* list : {&source->pages(), &source->thumbPages(),
                                         &source->mobilePages(), &source->normalPages()})
                    for (const auto& page : *list)
                        EXPECT_TRUE(fs::is_regular_file(page->pageFilePath()))
                            << page->pageFilePath();
            }
        }
        EXPECT_TRUE(folder.empty() || !fs::exists(folder)) << "work folder left behind";
    }
    AppSettings::shareInstance().setImportType(0);
    EXPECT_GT(opened, rounds / 4); // the library repairs most damage
    std::printf("%d of %d mutated copies opened, %d of %d imported\n", opened, rounds, imported,
                imports);
}

} // namespace
} // namespace zarvex
