// Imports: their page ranges, their runs in both modes, interrupted or refused.
#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"

#include <algorithm>
#include <climits>
#include <future>
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
        EXPECT_TRUE(operation->isFinished());
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
    EXPECT_TRUE(source->zoomedPages().empty());
    EXPECT_EQ(source->pages()[0]->pageFilePath().filename(), flash ? "2.swf" : "2.jpg");
    const fs::path folder = source->toPageConverter()->converterWorkFolder();
    EXPECT_EQ(test::listFolder(folder).size(), 9u);
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
        {"ALL", -3, {}},
        {" ALL", 5, {0}},
        {"1-3,2,5", 10, {1, 2, 3, 5}},
        {"5,1-2", 10, {1, 2, 5}},
        {"3-1", 10, {}},
        {"1,,3", 10, {0, 1, 3}},
        {"7", 3, {7}},
        {" 2 - 4 ", 10, {2, 3, 4}},
        {"5-", 10, {}},
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

} // namespace
} // namespace zarvex
