#include "import/ImportPDFOperation.h"

#include "base/AppSettings.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFToPageConverter.h"

#include "ImportTestSupport.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <fstream>
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

TEST_F(ImportOperation, ImportsPagesLinksAndBookmarks) {
    ImportPDFOperation operation(pdf, "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    test::LogCapture log;
    run(operation);

    ASSERT_TRUE(operation.flashPageSource());
    EXPECT_EQ(operation.flashPageSource()->pages().size(), 5u);
    EXPECT_EQ(operation.flashPageSource()->normalPages().size(), 5u);
    ASSERT_TRUE(operation.flashPagesAnnotation());
    EXPECT_EQ(operation.flashPagesAnnotation()->pagesAnnotationsNode().children().size(), 5u);
    ASSERT_TRUE(operation.flashOutline());
    EXPECT_EQ(operation.flashOutline()->items().size(), 2u);

    const auto lines = log.lines();
    std::vector<std::string> steps;
    for (const auto& line : lines)
        if (line.starts_with("debug before") || line.starts_with("debug after"))
            steps.push_back(line);
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "debug before generate pages", "debug after generate pages",
                         "debug before generate Thumbnail", "debug after generate Thumbnail",
                         "debug before generateNormalPages", "debug after generateNormalPages"}));
}

TEST_F(ImportOperation, LinksWithoutBookmarksLeavesTheOutlineAbsent) {
    ImportPDFOperation operation(pdf, "2-3", 144, 85);
    operation.setImportLinks(true);
    run(operation);
    ASSERT_TRUE(operation.flashPageSource());
    ASSERT_TRUE(operation.flashPagesAnnotation());
    EXPECT_EQ(operation.flashPagesAnnotation()->pagesAnnotationsNode().children().size(), 2u);
    EXPECT_FALSE(operation.flashOutline());
}

TEST_F(ImportOperation, CancelledBeforeStartMakesNothing) {
    test::ProgressRecorder recorder;
    ImportPDFOperation operation(pdf, "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    operation.cancel();
    run(operation);
    EXPECT_TRUE(operation.isCancelled());
    EXPECT_FALSE(operation.flashPageSource());
    EXPECT_FALSE(operation.flashPagesAnnotation());
    EXPECT_FALSE(operation.flashOutline());
    EXPECT_TRUE(recorder.messages().empty());
}

TEST_F(ImportOperation, CancelDuringTheMobilePassDropsEverythingWithItsFiles) {
    ImportPDFOperation operation(pdf, "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    int pagePasses = 0;
    test::ProgressRecorder recorder([&](const test::Progress& p) {
        if (p.type == "geneatePage" && p.pageIndex == 1 && ++pagePasses == 2)
            operation.cancel();
    });
    test::LogCapture log;
    std::promise<void> done;
    operation.start([&](ImportPDFOperation&) { done.set_value(); });
    done.get_future().wait();

    EXPECT_FALSE(operation.flashPageSource());
    EXPECT_FALSE(operation.flashPagesAnnotation());
    EXPECT_FALSE(operation.flashOutline());
    EXPECT_TRUE(log.contains("import pdf is cancelled"));
    const auto messages = recorder.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (test::Progress{"geneatePage", 1, 5}));
}

TEST_F(ImportOperation, FailureInTheThumbnailPassDropsThePageSourceOnly) {
    ImportPDFOperation operation(pdf, "ALL", 144, 85);
    operation.setImportLinks(true);
    operation.setImportBookmarks(true);
    test::ProgressRecorder recorder([](const test::Progress& p) {
        if (p.type == "geneateThumbPage")
            throw std::runtime_error("thumbnail failed");
    });
    test::LogCapture log;
    run(operation);
    EXPECT_FALSE(operation.flashPageSource());
    EXPECT_TRUE(log.contains("error Run Import PDF Operation error,import pages:thumbnail failed"));
    // Without a page source the later steps have no document.
    ASSERT_TRUE(operation.flashPagesAnnotation());
    EXPECT_TRUE(operation.flashPagesAnnotation()->pagesAnnotationsNode().children().empty());
    ASSERT_TRUE(operation.flashOutline());
    EXPECT_TRUE(operation.flashOutline()->items().empty());
}

TEST_F(ImportOperation, ResultsOutliveTheFinishedOperationUnchanged) {
    std::shared_ptr<FlashPageSourcePDF> source;
    {
        ImportPDFOperation operation(pdf, "2-3", 144, 85);
        run(operation);
        source = operation.flashPageSource();
    }
    ASSERT_TRUE(source);
    EXPECT_FALSE(source->stop());
    EXPECT_TRUE(source->getThumbPageAtIndex(2));
    EXPECT_TRUE(source->getNormalPageAtIndex(3));
}

TEST_F(ImportOperation, DestroyingARunningOperationCancelsAndWaits) {
    test::writeFixturePdf(pdf, test::plainDocument(40));
    std::promise<void> started;
    bool once = false;
    test::ProgressRecorder recorder([&](const test::Progress&) {
        if (!once) {
            once = true;
            started.set_value();
        }
    });
    {
        ImportPDFOperation operation(pdf, "ALL", 144, 85);
        operation.start();
        started.get_future().wait();
    }
    EXPECT_LT(recorder.messages().size(), 40u * 4);
}

struct BadInput {
    const char* name;
    std::function<void(const fs::path& pdf, const fs::path& good)> make;
    const char* range;
};

class ImportBadInput : public ImportOperation, public testing::WithParamInterface<BadInput> {};

TEST_P(ImportBadInput, FailsVisiblyWithoutPageSource) {
    const auto file = dir / "input.pdf";
    GetParam().make(file, pdf);
    for (int mode : {0, 1}) {
        AppSettings::shareInstance().setImportType(mode);
        ImportPDFOperation operation(file, GetParam().range, 144, 85);
        operation.setImportLinks(true);
        operation.setImportBookmarks(true);
        test::LogCapture log;
        run(operation);
        EXPECT_FALSE(operation.flashPageSource());
        EXPECT_TRUE(log.contains("error Run Import PDF Operation error,import pages:"));
    }
}

std::string bytesOf(const fs::path& file) {
    return test::slurp(file);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ImportBadInput,
    testing::Values(
        BadInput{"Missing", [](const fs::path&, const fs::path&) {}, "ALL"},
        BadInput{"ZeroBytes", [](const fs::path& f, const fs::path&) { test::writeFile(f, ""); },
                 "ALL"},
        BadInput{"Truncated",
                 [](const fs::path& f, const fs::path& good) {
                     test::writeFile(f, bytesOf(good).substr(0, 200));
                 },
                 "1-3"},
        BadInput{"Garbled",
                 [](const fs::path& f, const fs::path&) {
                     test::writeFile(f, "%PDF-1.7\n" + std::string(4000, '\x8f') + "\n%%EOF\n");
                 },
                 "ALL"},
        BadInput{"NotAPdf",
                 [](const fs::path& f, const fs::path&) { test::writeFile(f, "GIF89a not a pdf"); },
                 "ALL"},
        BadInput{"Encrypted",
                 [](const fs::path& f, const fs::path&) {
                     auto doc = test::plainDocument(2);
                     doc.userPassword = "secret";
                     test::writeFixturePdf(f, doc);
                 },
                 "ALL"},
        BadInput{"RangeZero", [](const fs::path& f, const fs::path& g) { fs::copy_file(g, f); },
                 "0"},
        BadInput{"RangeBeyond", [](const fs::path& f, const fs::path& g) { fs::copy_file(g, f); },
                 "99999"},
        BadInput{"RangeCommas", [](const fs::path& f, const fs::path& g) { fs::copy_file(g, f); },
                 ",,"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportOperation, HugeRangeImportsTheDocumentPages) {
    ImportPDFOperation operation(pdf, "1-99999999", 144, 85);
    operation.setImportLinks(true);
    run(operation);
    ASSERT_TRUE(operation.flashPageSource());
    EXPECT_EQ(operation.flashPageSource()->pages().size(), 5u);
    EXPECT_EQ(operation.flashPagesAnnotation()->pagesAnnotationsNode().children().size(), 5u);
}

} // namespace
} // namespace zarvex
