#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <future>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

class ImportOperation : public testing::Test {
protected:
    void SetUp() override {
        AppSettings::shareInstance().setImportType(1);
        test::writeFixturePdf(pdf, test::standardDocument());
    }
    void TearDown() override { AppSettings::shareInstance().setImportType(0); }

    // An operation on `file` that imports links and bookmarks.
    static std::unique_ptr<ImportPDFOperation> make(const fs::path& file, const char* range) {
        auto operation = std::make_unique<ImportPDFOperation>(file, range, 144, 85);
        operation->setImportLinks(true);
        operation->setImportBookmarks(true);
        return operation;
    }

    // Runs the operation on its worker and waits for the completion callback.
    static void run(ImportPDFOperation& operation) {
        std::promise<void> done;
        operation.start([&](ImportPDFOperation& op) {
            EXPECT_TRUE(op.isFinished());
            done.set_value();
        });
        ASSERT_EQ(done.get_future().wait_for(std::chrono::seconds(120)), std::future_status::ready);
    }

    test::TempHome home;
    test::TempDir dir;
    fs::path pdf = dir / "standard.pdf";
};

TEST_F(ImportOperation, ImportsWhatIsAskedAndTheResultsOutliveTheOperation) {
    const struct {
        const char* range;
        bool links, bookmarks;
        std::size_t pages;
        int outlineItems; // -1: no outline
    } cases[] = {
        {"ALL", true, true, 5, 2},
        {"2-3", true, false, 2, -1},
        {"1-99999999", true, false, 5, -1},
        {"4", false, false, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        std::shared_ptr<FlashPageSourcePDF> source;
        std::shared_ptr<FlashPagesAnnotationsPDF> links;
        std::shared_ptr<FlashOutlinePDF> outline;
        {
            ImportPDFOperation operation(pdf, c.range, 144, 85);
            operation.setImportLinks(c.links);
            operation.setImportBookmarks(c.bookmarks);
            run(operation);
            source = operation.flashPageSource();
            links = operation.flashPagesAnnotation();
            outline = operation.flashOutline();
        }
        ASSERT_TRUE(source);
        EXPECT_EQ(source->pages().size(), c.pages);
        EXPECT_EQ(source->mobilePages().size(), c.pages);
        EXPECT_EQ(source->normalPages().size(), c.pages);
        EXPECT_FALSE(source->stop()) << "a finished operation leaves its results going";
        const int first = source->pages().front()->pageIndex();
        EXPECT_TRUE(source->getThumbPageAtIndex(first));
        EXPECT_TRUE(source->getNormalPageAtIndex(first));
        EXPECT_EQ(links ? links->pagesAnnotationsNode().children().size() : 0u,
                  c.links ? c.pages : 0u);
        EXPECT_EQ(outline ? static_cast<int>(outline->items().size()) : -1, c.outlineItems);
    }
}

TEST_F(ImportOperation, CancelledBeforeStartMakesNothing) {
    test::ProgressRecorder recorder;
    const auto operation = make(pdf, "ALL");
    operation->cancel();
    run(*operation);
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_FALSE(operation->flashPageSource());
    EXPECT_FALSE(operation->flashPagesAnnotation());
    EXPECT_FALSE(operation->flashOutline());
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(ImportOperation, CancelDuringTheMobilePassDropsEverythingWithItsFiles) {
    const auto operation = make(pdf, "ALL");
    int pagePasses = 0;
    test::ProgressRecorder recorder([&](const test::Progress& p) {
        if (p.type == "geneatePage" && p.pageIndex == 1 && ++pagePasses == 2)
            operation->cancel();
    });
    test::LogCapture log;
    std::promise<void> done;
    operation->start([&](ImportPDFOperation&) { done.set_value(); });
    done.get_future().wait();

    EXPECT_FALSE(operation->flashPageSource());
    EXPECT_FALSE(operation->flashPagesAnnotation());
    EXPECT_FALSE(operation->flashOutline());
    EXPECT_TRUE(log.contains("import pdf is cancelled"));
    const auto messages = recorder.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (test::Progress{"geneatePage", 1, 5}));
}

TEST_F(ImportOperation, FailureInTheThumbnailPassDropsThePageSourceOnly) {
    const auto operation = make(pdf, "ALL");
    test::ProgressRecorder recorder([](const test::Progress& p) {
        if (p.type == "geneateThumbPage")
            throw std::runtime_error("thumbnail failed");
    });
    test::LogCapture log;
    run(*operation);
    EXPECT_FALSE(operation->flashPageSource());
    EXPECT_TRUE(log.contains("error Run Import PDF Operation error,import pages:thumbnail failed"));
    // Without a page source the later steps have no document.
    ASSERT_TRUE(operation->flashPagesAnnotation());
    EXPECT_TRUE(operation->flashPagesAnnotation()->pagesAnnotationsNode().children().empty());
    ASSERT_TRUE(operation->flashOutline());
    EXPECT_TRUE(operation->flashOutline()->items().empty());
}

TEST_F(ImportOperation, DestroyingARunningOperationCancelsAndWaits) {
    test::writeFixturePdf(pdf, test::plainDocument(40));
    std::promise<void> started;
    bool once = false;
    test::ProgressRecorder recorder([&](const test::Progress&) {
        if (!std::exchange(once, true))
            started.set_value();
    });
    {
        ImportPDFOperation operation(pdf, "ALL", 144, 85);
        operation.start();
        started.get_future().wait();
    }
    EXPECT_LT(recorder.messages().size(), 40u * 4);
}

// Files the library cannot read fail visibly in both modes. (Ranges without a
// page of the document: PdfSource.RangeWithoutDocumentPagesIsAnErrorAndWritesNothing.)
TEST_F(ImportOperation, BadInputsFailVisiblyWithoutPageSource) {
    const std::string good = test::slurp(pdf);
    auto encrypted = test::plainDocument(2);
    encrypted.userPassword = "secret";
    test::writeFixturePdf(dir / "locked.pdf", encrypted);
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
        {"encrypted", test::slurp(dir / "locked.pdf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto file = dir / (std::string(c.what) + ".pdf");
        if (c.bytes)
            test::writeFile(file, *c.bytes);
        else if (c.what == std::string_view("folder"))
            fs::create_directory(file);
        EXPECT_FALSE(PDFDocument::open(file));
        for (int mode : {0, 1}) {
            AppSettings::shareInstance().setImportType(mode);
            const auto operation = make(file, c.range);
            test::LogCapture log;
            run(*operation);
            EXPECT_FALSE(operation->flashPageSource());
            EXPECT_TRUE(log.contains("error Run Import PDF Operation error,import pages:"));
        }
    }
}

} // namespace
} // namespace zarvex
