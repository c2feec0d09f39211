#include "import/FlashPageImage.h"
#include "import/FlashPageSourceImg.h"
#include "import/FlashPageSourcePDF.h"
#include "import/PDFToPageConverter.h"

#include "base/AppSettings.h"
#include "base/Error.h"

#include "ImportTestSupport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

std::vector<int> numbers(const FlashPageList& list) {
    std::vector<int> result;
    for (const auto& page : list)
        result.push_back(page->pageIndex());
    return result;
}

TEST(PageRange, ParsesToSortedDistinctNumbers) {
    const struct {
        const char* text;
        int total;
        std::vector<int> expected;
    } cases[] = {
        {"ALL", 5, {1, 2, 3, 4, 5}},
        {"all", 5, {1, 2, 3, 4, 5}},
        {"All", 5, {1, 2, 3, 4, 5}},
        {"ALL", 0, {}},
        {"ALL", -3, {}},
        {" ALL", 5, {0}},
        {"1-3,2,5", 10, {1, 2, 3, 5}},
        {"5,1-2", 10, {1, 2, 5}},
        {"2,2,2", 10, {2}},
        {"3-1", 10, {}},
        {"1-3-9", 10, {1, 2, 3}},
        {"", 10, {0}},
        {"1,,3", 10, {0, 1, 3}},
        {"7", 3, {7}},
        {" 2 - 4 ", 10, {2, 3, 4}},
        {"-3", 10, {0, 1, 2, 3}},
        {"5-", 10, {}},
        {"x", 10, {0}},
        {"3abc,+4", 10, {3, 4}},
        {"0", 5, {0}},
        {"99999", 5, {99999}},
        {",,", 5, {0}},
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
        ASSERT_EQ(pages.size(), static_cast<std::size_t>(c.size));
        EXPECT_EQ(pages.front(), c.first);
        EXPECT_EQ(pages.back(), c.last);
        EXPECT_TRUE(std::adjacent_find(pages.begin(), pages.end(), std::greater_equal<>()) ==
                    pages.end());
    }
}

TEST(FlashPageSourceImg, NumbersImagesByPositionAndCopiesThemAsNormalPages) {
    FlashPageSourceImg source;
    for (const char* file : {"/img/a.jpg", "/img/b.jpg", "/img/c.jpg"})
        source.addImgPageFromFile(file);
    source.generatePages();
    EXPECT_EQ(numbers(source.pages()), (std::vector<int>{1, 2, 3}));

    source.generateNormalPages();
    source.generateNormalPages(); // pages with a normal page get no second one
    ASSERT_EQ(numbers(source.normalPages()), (std::vector<int>{1, 2, 3}));
    for (int i = 0; i < 3; ++i) {
        const auto& copy = source.normalPages()[i];
        EXPECT_EQ(copy->pageFilePath(), source.pages()[i]->pageFilePath());
        EXPECT_NE(copy, source.pages()[i]) << "a copy, not the same page";
        EXPECT_TRUE(std::dynamic_pointer_cast<FlashPageImage>(copy)) << "a copy of its class";
    }
    EXPECT_EQ(source.getNormalPageAtIndex(2)->pageFilePath(), fs::path("/img/b.jpg"));
    EXPECT_FALSE(source.getThumbPageAtIndex(1) || source.getZoomedPageAtIndex(1) ||
                 source.getMobilePageAtIndex(1)); // an image source has none of those
    EXPECT_EQ(source.getPageAtIndex(0)->pageFilePath(), fs::path("/img/a.jpg"));
    EXPECT_FALSE(source.getPageAtIndex(3));
    EXPECT_FALSE(source.getPageAtIndex(-1));

    source.clearPages();
    EXPECT_TRUE(source.pages().empty());
    EXPECT_TRUE(source.normalPages().empty());
}

// A PDF page source in Flash (0) and image (1) mode.
class PdfSource : public testing::TestWithParam<int> {
protected:
    void SetUp() override { AppSettings::shareInstance().setImportType(GetParam()); }
    void TearDown() override { AppSettings::shareInstance().setImportType(0); }

    std::unique_ptr<FlashPageSourcePDF> open(int pages, const char* range) {
        const auto file = dir / "doc.pdf";
        test::writeFixturePdf(file, test::plainDocument(pages));
        return std::make_unique<FlashPageSourcePDF>(file, range, 144, 85);
    }

    static void runAll(FlashPageSource& source) {
        source.generatePages();
        source.generateThumbPages();
        source.generateMobilePages();
        source.generateNormalPages();
    }

    test::TempHome home;
    test::TempDir dir;
};

TEST_P(PdfSource, PassesKeepRangeOrderPostProgressAndTakeTheirFilesAlong) {
    fs::path folder;
    test::ProgressRecorder recorder;
    {
        const auto source = open(5, "4,2-3,9,0");
        EXPECT_EQ(source->needToImportPages(), (std::vector<int>{0, 2, 3, 4, 9}));
        runAll(*source);

        const std::vector<int> kept{2, 3, 4};
        EXPECT_EQ(numbers(source->pages()), kept);
        EXPECT_EQ(numbers(source->thumbPages()), kept);
        EXPECT_EQ(numbers(source->mobilePages()), kept);
        EXPECT_EQ(numbers(source->normalPages()), kept);
        EXPECT_TRUE(source->zoomedPages().empty());
        for (const auto* list : {&source->pages(), &source->thumbPages(), &source->mobilePages()})
            for (const auto& page : *list)
                EXPECT_TRUE(fs::is_regular_file(page->pageFilePath())) << page->pageFilePath();
        EXPECT_EQ(source->pages()[0]->pageFilePath().filename(),
                  GetParam() == 0 ? "2.swf" : "2.jpg");
        folder = source->toPageConverter()->converterWorkFolder();
        EXPECT_EQ(test::listFolder(folder).size(), 9u);

        EXPECT_EQ(source->getThumbPageAtIndex(3)->pageIndex(), 3);
        EXPECT_EQ(source->getNormalPageAtIndex(4)->pageIndex(), 4);
        EXPECT_FALSE(source->getNormalPageAtIndex(9));
        EXPECT_FALSE(source->getZoomedPageAtIndex(2) || source->getMobilePageAtIndex(2));
        EXPECT_EQ(source->getPageAtIndex(2)->pageIndex(), 4);
        source->setStop(true);
        EXPECT_FALSE(source->getThumbPageAtIndex(3));
        EXPECT_FALSE(source->getNormalPageAtIndex(4));
    }
    EXPECT_FALSE(fs::exists(folder));

    std::vector<test::Progress> expected;
    for (const char* type : {"geneatePage", "geneateThumbPage", "geneatePage"})
        for (int i = 1; i <= 5; ++i)
            expected.push_back({type, i, 5});
    for (int i = 1; i <= 3; ++i)
        expected.push_back({"geneateNormalPage", i, 5});
    EXPECT_EQ(recorder.messages(), expected);
}

TEST_P(PdfSource, StopEndsAPassBeforeItsNextPage) {
    {
        const auto source = open(3, "ALL");
        test::ProgressRecorder recorder;
        source->setStop(true);
        runAll(*source);
        EXPECT_TRUE(source->pages().empty());
        EXPECT_TRUE(source->thumbPages().empty());
        EXPECT_TRUE(recorder.messages().empty());
    }
    const auto source = open(6, "ALL");
    test::ProgressRecorder recorder([&](const test::Progress& p) {
        if (p.type == "geneateThumbPage" && p.pageIndex == 2)
            source->setStop(true);
    });
    runAll(*source);
    EXPECT_EQ(source->pages().size(), 6u);
    EXPECT_EQ(numbers(source->thumbPages()), (std::vector<int>{1, 2}));
    EXPECT_TRUE(source->mobilePages().empty());
    EXPECT_EQ(recorder.messages().size(), 8u);
}

TEST_P(PdfSource, RangeWithoutDocumentPagesIsAnErrorAndWritesNothing) {
    for (const char* range : {"0", "99999", ",,", "6-9"}) {
        const auto source = open(5, range);
        EXPECT_THROW(source->generatePages(), Error) << range;
        EXPECT_TRUE(source->pages().empty());
        EXPECT_TRUE(test::listFolder(source->toPageConverter()->converterWorkFolder()).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, PdfSource, testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Flash" : "Image"; });

} // namespace
} // namespace zarvex
