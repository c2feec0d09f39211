#include "import/FlashPageImage.h"
#include "import/FlashPageSourceImg.h"
#include "import/FlashPageSourcePDF.h"
#include "import/PDFToPageConverter.h"

#include "base/AppSettings.h"
#include "base/Error.h"

#include "ImportTestSupport.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

std::vector<int> numbers(const FlashPageList& list) {
    std::vector<int> result;
    for (const auto& page : list)
        result.push_back(page->pageIndex());
    return result;
}

TEST(FlashPageCopy, KeepsPathNumberAndClass) {
    FlashPageImage image("/x/1.jpg", 4);
    const auto copy = image.copyPage(100, 100);
    EXPECT_EQ(copy->pageFilePath(), fs::path("/x/1.jpg"));
    EXPECT_EQ(copy->pageIndex(), 4);
    EXPECT_TRUE(std::dynamic_pointer_cast<FlashPageImage>(copy));
    EXPECT_FALSE(std::dynamic_pointer_cast<FlashPageImage>(FlashPage("/y", 1).copyPage(100, 100)));
}

TEST(FlashPageSourceImg, NumbersImagesByPositionAndCopiesThemAsNormalPages) {
    FlashPageSourceImg source;
    for (const char* file : {"/img/a.jpg", "/img/b.jpg", "/img/c.jpg"})
        source.addImgPageFromFile(file);
    EXPECT_EQ(numbers(source.pages()), (std::vector<int>{1, 2, 3}));
    source.generatePages();
    EXPECT_EQ(source.pages().size(), 3u);

    source.generateNormalPages();
    ASSERT_EQ(numbers(source.normalPages()), (std::vector<int>{1, 2, 3}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(source.normalPages()[i]->pageFilePath(), source.pages()[i]->pageFilePath());
        EXPECT_NE(source.normalPages()[i], source.pages()[i]) << "a copy, not the same page";
    }
    source.generateNormalPages();
    EXPECT_EQ(source.normalPages().size(), 3u) << "pages with a normal page get no second one";

    for (int n : {0, 1, 2, 3, 4}) {
        EXPECT_FALSE(source.getThumbPageAtIndex(n));
        EXPECT_FALSE(source.getZoomedPageAtIndex(n));
        EXPECT_FALSE(source.getMobilePageAtIndex(n));
    }
    EXPECT_EQ(source.getNormalPageAtIndex(2)->pageFilePath(), fs::path("/img/b.jpg"));
    EXPECT_EQ(source.getPageAtIndex(0)->pageFilePath(), fs::path("/img/a.jpg"));
    EXPECT_FALSE(source.getPageAtIndex(3));
    EXPECT_FALSE(source.getPageAtIndex(-1));

    source.clearPages();
    EXPECT_TRUE(source.pages().empty());
    EXPECT_TRUE(source.normalPages().empty());
}

class PdfSource : public testing::TestWithParam<int> {
protected:
    void SetUp() override { AppSettings::shareInstance().setImportType(GetParam()); }
    void TearDown() override { AppSettings::shareInstance().setImportType(0); }

    fs::path fixture(const test::FixtureDocument& document) {
        const auto file = dir / "doc.pdf";
        test::writeFixturePdf(file, document);
        return file;
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

TEST_P(PdfSource, PassesKeepRangeOrderAndPostProgressInOrder) {
    FlashPageSourcePDF source(fixture(test::plainDocument(5)), "4,2-3,9,0", 144, 85);
    EXPECT_EQ(source.needToImportPages(), (std::vector<int>{0, 2, 3, 4, 9}));
    test::ProgressRecorder recorder;
    runAll(source);

    const std::vector<int> kept{2, 3, 4};
    EXPECT_EQ(numbers(source.pages()), kept);
    EXPECT_EQ(numbers(source.thumbPages()), kept);
    EXPECT_EQ(numbers(source.mobilePages()), kept);
    EXPECT_EQ(numbers(source.normalPages()), kept);
    EXPECT_TRUE(source.zoomedPages().empty());
    for (const auto* list : {&source.pages(), &source.thumbPages(), &source.mobilePages()})
        for (const auto& page : *list)
            EXPECT_TRUE(fs::is_regular_file(page->pageFilePath())) << page->pageFilePath();
    EXPECT_EQ(source.pages()[0]->pageFilePath().filename(), GetParam() == 0 ? "2.swf" : "2.jpg");

    std::vector<test::Progress> expected;
    for (const char* type : {"geneatePage", "geneateThumbPage", "geneatePage"})
        for (int i = 1; i <= 5; ++i)
            expected.push_back({type, i, 5});
    for (int i = 1; i <= 3; ++i)
        expected.push_back({"geneateNormalPage", i, 5});
    EXPECT_EQ(recorder.messages(), expected);

    EXPECT_EQ(source.getThumbPageAtIndex(3)->pageIndex(), 3);
    EXPECT_EQ(source.getNormalPageAtIndex(4)->pageIndex(), 4);
    EXPECT_FALSE(source.getNormalPageAtIndex(9));
    EXPECT_FALSE(source.getZoomedPageAtIndex(2));
    EXPECT_FALSE(source.getMobilePageAtIndex(2)) << "the mobile lookup is not overridden";
    EXPECT_EQ(source.getPageAtIndex(2)->pageIndex(), 4);

    source.setStop(true);
    EXPECT_FALSE(source.getThumbPageAtIndex(3));
    EXPECT_FALSE(source.getNormalPageAtIndex(4));
}

TEST_P(PdfSource, StopBeforeTheFirstPassMakesNothing) {
    FlashPageSourcePDF source(fixture(test::plainDocument(3)), "ALL", 144, 85);
    test::ProgressRecorder recorder;
    source.setStop(true);
    runAll(source);
    EXPECT_TRUE(source.pages().empty());
    EXPECT_TRUE(source.thumbPages().empty());
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_P(PdfSource, StopDuringAPassEndsItBeforeTheNextPage) {
    FlashPageSourcePDF source(fixture(test::plainDocument(6)), "ALL", 144, 85);
    test::ProgressRecorder recorder([&](const test::Progress& p) {
        if (p.type == "geneateThumbPage" && p.pageIndex == 2)
            source.setStop(true);
    });
    runAll(source);
    EXPECT_EQ(source.pages().size(), 6u);
    EXPECT_EQ(numbers(source.thumbPages()), (std::vector<int>{1, 2}));
    EXPECT_TRUE(source.mobilePages().empty());
    EXPECT_EQ(recorder.messages().size(), 8u);
}

TEST_P(PdfSource, FilesDisappearWithTheSource) {
    fs::path folder;
    {
        FlashPageSourcePDF source(fixture(test::plainDocument(2)), "ALL", 144, 85);
        runAll(source);
        folder = source.toPageConverter()->converterWorkFolder();
        EXPECT_EQ(test::countFiles(folder), 6);
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_P(PdfSource, RangeWithoutDocumentPagesIsAnError) {
    for (const char* range : {"0", "99999", ",,", "6-9"}) {
        FlashPageSourcePDF source(fixture(test::plainDocument(5)), range, 144, 85);
        EXPECT_THROW(source.generatePages(), Error) << range;
        EXPECT_TRUE(source.pages().empty());
        EXPECT_EQ(test::countFiles(source.toPageConverter()->converterWorkFolder()), 0);
    }
}

TEST_P(PdfSource, UnreadableDocumentIsAnErrorOfTheFirstPass) {
    test::writeFile(dir / "bad.pdf", "%PDF-1.4\ngarbage");
    FlashPageSourcePDF source(dir / "bad.pdf", "1-3", 144, 85);
    EXPECT_FALSE(source.PDFDoc());
    EXPECT_EQ(source.needToImportPages(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(source.sourceFile(), dir / "bad.pdf");
    EXPECT_THROW(source.generatePages(), Error);
}

INSTANTIATE_TEST_SUITE_P(Modes, PdfSource, testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Flash" : "Image"; });

} // namespace
} // namespace zarvex
