// Imports: their page ranges, their runs in both modes, interrupted, refused or
// of damaged files.
#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourceImg.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFRenderer.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"

#include <algorithm>
#include <climits>
#include <future>
#include <random>
#include <utility>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

// Imports in image mode, with the work folders under a private base.
class ImportOperation : public testing::Test {
protected:
    void SetUp() override { AppSettings::shareInstance().setImportType(1); }
    void TearDown() override { AppSettings::shareInstance().setImportType(0); }

    static std::unique_ptr<ImportPDFOperation> make(const fs::path& file, const char* range,
                                                    bool links = true, bool bookmarks = true) {
        auto operation = std::make_unique<ImportPDFOperation>(file, range, 144, 85);
        operation->setImportLinks(links);
        operation->setImportBookmarks(bookmarks);
        return operation;
    }

    // The work folders left behind.
    std::vector<std::string> leftOver() const { return test::listFolder(workBase / "Pellido"); }

    test::TempHome home;
    test::TempDir dir;
    test::TempDir workBase{"zarvex-work"};
    test::ScopedEnv workBaseEnv{"ZARVEX_WORK_BASE", workBase.path().string()};
    const fs::path pdf = test::sharedFiles().standard;
};

// The demo book's source: lookups by position and by number, normal pages made once.
TEST(FlashPageSourceImg, NumbersImagesByPositionAndCopiesThemAsNormalPages) {
    FlashPageSourceImg source;
    for (const char* file : {"/img/a.jpg", "/img/b.jpg"})
        source.addImgPageFromFile(file);
    source.generateNormalPages();
    source.generateNormalPages();
    EXPECT_EQ(std::tuple(test::pageNumbers(source.normalPages()),
                         source.getNormalPageAtIndex(2)->pageFilePath(),
                         source.getPageAtIndex(0)->pageFilePath()),
              std::tuple(std::vector<int>{1, 2}, fs::path("/img/b.jpg"), fs::path("/img/a.jpg")));
    EXPECT_FALSE(source.getPageAtIndex(2) || source.getPageAtIndex(-1) ||
                 source.getZoomedPageAtIndex(1));
    source.clearPages();
    EXPECT_TRUE(source.pages().empty() && source.normalPages().empty());
}

// The same in Flash (0) and image (1) mode.
class ImportModes : public ImportOperation, public testing::WithParamInterface<int> {
protected:
    void SetUp() override { AppSettings::shareInstance().setImportType(GetParam()); }
};

// Flash mode imports links without bookmarks, image mode bookmarks without links.
TEST_P(ImportModes, ImportsTheRangeInOrderWithProgressAndTheResultsOutliveTheOperation) {
    const bool flash = GetParam() == 0;
    test::ProgressRecorder recorder;
    std::shared_ptr<FlashPageSourcePDF> source;
    std::shared_ptr<FlashPagesAnnotationsPDF> links;
    {
        const auto operation = make(pdf, "4,2-3,9,0", flash, !flash);
        test::runToEnd(*operation);
        EXPECT_EQ(operation->flashOutline() ? operation->flashOutline()->items().size() : 0,
                  flash ? 0u : 2u);
        source = operation->flashPageSource();
        links = operation->flashPagesAnnotation();
    }
    ASSERT_TRUE(source);
    EXPECT_EQ(bool(links), flash);
    EXPECT_EQ(source->needToImportPages(), (std::vector<int>{0, 2, 3, 4, 9}));
    for (const auto* list : {&source->pages(), &source->thumbPages(), &source->mobilePages(),
                             &source->normalPages()}) {
        EXPECT_EQ(test::pageNumbers(*list), (std::vector<int>{2, 3, 4}));
        for (const auto& page : *list)
            EXPECT_TRUE(fs::is_regular_file(page->pageFilePath())) << page->pageFilePath();
    }
    const fs::path folder = source->toPageConverter()->converterWorkFolder();
    // Link pages are numbered by book position: links on pages 2, 3 and 4.
    std::vector<std::string> linkPages;
    for (const auto& page :
         links ? links->pagesAnnotationsNode().children() : std::vector<xml::Node>{})
        linkPages.push_back(page.attributeOr("pageIndex", "") + ":" +
                            std::to_string(page.children().size()));
    using Texts = std::vector<std::string>;
    EXPECT_EQ(linkPages, (flash ? Texts{"1:2", "2:1", "3:1"} : Texts{}));

    // A finished operation leaves the source going; a stopped one answers no page.
    EXPECT_EQ(std::tuple(source->getThumbPageAtIndex(3)->pageIndex(),
                         source->getNormalPageAtIndex(4)->pageIndex(),
                         source->getPageAtIndex(2)->pageIndex()),
              std::tuple(3, 4, 4));
    EXPECT_FALSE(source->getNormalPageAtIndex(9) || source->getZoomedPageAtIndex(2) ||
                 source->getMobilePageAtIndex(2));
    source->setStop(true);
    EXPECT_FALSE(source->getThumbPageAtIndex(3) || source->getNormalPageAtIndex(4));
    source.reset();
    EXPECT_FALSE(fs::exists(folder));

    std::vector<test::Progress> expected;
    for (const char* type : {"geneatePage", "geneateThumbPage", "geneatePage"})
        for (int i = 1; i <= 5; ++i)
            expected.push_back({type, i, 5});
    for (int i = 1; i <= 3; ++i)
        expected.push_back({"geneateNormalPage", i, 5});
    EXPECT_EQ(recorder.messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, ImportModes, testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Flash" : "Image"; });

// Cancelled before it starts or after the first page of the mobile pass (the
// 11th progress message), or failing in the thumbnail pass: no page source, no
// further page, no files. Without a page source the later steps have no document.
TEST_F(ImportOperation, InterruptedImportsEndWithoutPageSourceAndLeaveNoFiles) {
    const struct {
        std::size_t cancelAfter;
        bool failThumbnails;
        std::string ending; // the results, the message count and what the log says
    } cases[] = {
        {0, false, "cancelled, 0 messages"},
        {11, false, "cancelled, 11 messages, debug import pdf is cancelled"},
        {0, true,
         "0 links, 0 bookmarks, 6 messages, error Run Import PDF Operation error,import "
         "pages:thumbnail failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        const auto operation = make(pdf, "ALL");
        test::ProgressRecorder recorder(
            [&, seen = std::size_t{0}](const test::Progress& p) mutable {
                if (++seen == c.cancelAfter)
                    operation->cancel();
                if (c.failThumbnails && p.type == "geneateThumbPage")
                    throw std::runtime_error("thumbnail failed");
            });
        if (c.cancelAfter == 0 && !c.failThumbnails)
            operation->cancel();
        test::LogCapture log;
        test::runToEnd(*operation);
        EXPECT_FALSE(operation->flashPageSource());
        const auto& links = operation->flashPagesAnnotation();
        const auto& outline = operation->flashOutline();
        std::string ending = operation->isCancelled() ? "cancelled, " : "";
        if (links && outline)
            ending += std::to_string(links->pagesAnnotationsNode().children().size()) + " links, " +
                      std::to_string(outline->items().size()) + " bookmarks, ";
        ending += std::to_string(recorder.messages().size()) + " messages";
        for (const auto& line : log.lines())
            if (line.find("cancelled") != std::string::npos || line.starts_with("error"))
                ending += ", " + line;
        EXPECT_EQ(ending, c.ending);
        EXPECT_TRUE(leftOver().empty());
    }
}

TEST_F(ImportOperation, DestroyingARunningOperationCancelsAndWaits) {
    test::writeFixturePdf(dir / "long.pdf", test::plainDocument(40));
    std::promise<void> started;
    bool once = false;
    test::ProgressRecorder recorder([&](const test::Progress&) {
        if (!std::exchange(once, true))
            started.set_value();
    });
    {
        ImportPDFOperation operation(dir / "long.pdf", "ALL", 144, 85);
        operation.start();
        started.get_future().wait();
    }
    EXPECT_LT(recorder.messages().size(), 40u * 4);
    EXPECT_TRUE(leftOver().empty());
}

// Files the library cannot read, and ranges that name no page of the document.
TEST_F(ImportOperation, BadInputsFailVisiblyWithoutPageSourceAndLeaveNothing) {
    const std::string good = test::slurp(pdf);
    const struct {
        const char* what;
        std::optional<std::string> bytes; // absent: no file
        const char* range = "ALL";
    } cases[] = {
        {"missing", std::nullopt},
        {"folder", std::nullopt},
        {"zero bytes", ""},
        {"header only", "%PDF-1.7\n"},
        {"truncated", good.substr(0, 200), "1-3"},
        {"garbled", "%PDF-1.7\n" + std::string(4000, '\x8f') + "\n%%EOF\n"},
        {"not a PDF", "GIF89a not a pdf"},
        {"encrypted", test::slurp(test::sharedFiles().encrypted)},
        {"page zero", good, "0"},
        {"pages beyond the end", good, "6-9"},
        {"empty items", good, ",,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto file = dir / (std::string(c.what) + ".pdf");
        if (c.bytes)
            test::writeFile(file, *c.bytes);
        else if (c.what == std::string_view("folder"))
            fs::create_directory(file);
        EXPECT_EQ(PDFDocument::open(file) != nullptr, c.bytes == good);
        const auto operation = make(file, c.range);
        test::LogCapture log;
        test::runToEnd(*operation);
        EXPECT_FALSE(operation->flashPageSource());
        EXPECT_TRUE(log.contains("error Run Import PDF Operation error,import pages:"));
        EXPECT_TRUE(leftOver().empty());
    }
}

TEST(PageRange, ParsesToSortedDistinctNumbers) {
    const struct {
        const char* text;
        int total;
        std::vector<int> expected;
    } cases[] = {
        {"All", 5, {1, 2, 3, 4, 5}},
        {" ALL", 5, {0}},
        {"1-3,2,5", 10, {1, 2, 3, 5}},
        {"5,1-2", 10, {1, 2, 5}},
        {"3-1", 10, {}},
        {"5-", 10, {}},
        {"1,,3", 10, {0, 1, 3}},
        {"7", 3, {7}},
        {" 2 - 4 ", 10, {2, 3, 4}},
        {"4-6", 0, {4, 5, 6}},
        {"99999999999", 5, {INT_MAX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FlashPageSource::parsePageRange(c.text, c.total), c.expected)
            << '"' << c.text << "\" of " << c.total;
}

// Numbers inside the document are never cut; of those outside it, whatever the
// order or the page count a file claims, only the first kMaxPagesOutsideDocument stay.
TEST(PageRange, HugeRangesAndPageCountsStayBounded) {
    constexpr int kOut = FlashPageSource::kMaxPagesOutsideDocument;
    std::string manyItems;
    for (int i = 0; i < 2000; ++i)
        manyItems +=
            std::to_string(100 + i * 1000000) + "-" + std::to_string(99999 + i * 1000000) + ",";
    const struct {
        std::string text;
        int total;
        int size, first, last;
    } cases[] = {
        {"1-5000", 5000, 5000, 1, 5000},
        {"1-99999999", 5, 5 + kOut, 1, 5 + kOut},
        {"1-2147483647", 3, 3 + kOut, 1, 3 + kOut},
        {"2147483647", 3, 1, INT_MAX, INT_MAX},
        {"1-3", INT_MAX, 3, 1, 3},
        {"2147483646-2147483647", INT_MAX, 2, INT_MAX - 1, INT_MAX},
        {"1000-2000000000,3-4,2147483647", 10, 2 + kOut, 3, 999 + kOut},
        {manyItems + "1-2", 2, 2 + kOut, 1, 99 + kOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40) + " of " + std::to_string(c.total));
        const auto pages = FlashPageSource::parsePageRange(c.text, c.total);
        const bool ascending =
            std::adjacent_find(pages.begin(), pages.end(), std::greater_equal<>()) == pages.end();
        EXPECT_EQ(std::tuple(pages.size(), pages.at(0), pages.back(), ascending),
                  std::tuple(std::size_t(c.size), c.first, c.last, true));
    }
}

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

// Mutated copies of three seeds (the first of each intact) are opened, walked and
// drawn, the first $ZARVEX_FUZZ_COUNT imported (scripts/fuzz-import.sh runs hundreds
// under the sanitizers): the library fails only through its interface, and the
// import ends, lists only files that exist and leaves nothing behind.
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
