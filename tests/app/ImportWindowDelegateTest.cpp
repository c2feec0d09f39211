#include "app/ImportWindowDelegate.h"

#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

using Strings = std::vector<std::string>;

TEST(ImportChoices, TheLevelGivesTheQualityTheChoiceGivesTheRangeAndTheSettingsKeepBoth) {
    struct Row {
        ImportChoices choices;
        int quality;
        std::string range;
    };
    const std::vector<Row> rows = {
        {{"/books/a.pdf", 0, "3-4", 0, false, false, 0}, 100, "ALL"},
        {{"/books/b.pdf", 1, "3-4", 1, true, false, 1}, 85, "3-4"},
        {{"/books/c.pdf", 1, "", 2, false, true, 0}, 65, ""},
        {{"/books/d.pdf", 2, "5", 3, true, true, 1}, 45, "ALL"},
        {{"/books/e.pdf", 1, " 1, 3-2 ", 4, false, false, 0}, 25, " 1, 3-2 "},
        {{"/books/f.pdf", 0, "", -1, false, false, 0}, 100, "ALL"},
        {{"/books/g.pdf", 0, "", 5, false, false, 0}, 100, "ALL"},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.choices.file);
        EXPECT_EQ(qualityForLevel(row.choices.qualityLevel), row.quality);
        EXPECT_EQ(row.choices.rangeText(), row.range);

        AppSettings written(dir / "settings.json");
        row.choices.writeTo(written);
        ASSERT_TRUE(written.saveSettings());
        const auto fields = [](const ImportChoices& c) {
            return std::tie(c.file, c.pageRangeType, c.pageRange, c.qualityLevel, c.links,
                            c.bookmarks, c.importType);
        };
        const ImportChoices read = ImportChoices::fromSettings(AppSettings(dir / "settings.json"));
        EXPECT_EQ(fields(read), fields(row.choices));
    }
}

TEST(ImportProgress, EachSeriesOfCountsIsTheNextPass) {
    struct Row {
        const char* what;
        int totalPage;
        std::string pageIndexes; // the counts noted, a digit each
        std::string passes;      // the pass after each count, a digit each
        std::string lastPass;
        int lastPermille;
    };
    const std::vector<Row> rows = {
        {"three pages", 3, "1231231231", "0001112223", "Collecting pages (pass 4 of 4)", 833},
        {"one page", 1, "111", "012", "Making mobile images (pass 3 of 4)", 750},
        {"a cancelled pass", 4, "121", "001", "Making thumbnails (pass 2 of 4)", 312},
        {"more series than passes", 1, "11111", "01233", "Collecting pages (pass 4 of 4)", 1000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ImportProgress progress;
        EXPECT_EQ(std::pair(progress.passText(), progress.permille()), std::pair(std::string(), 0));
        std::string passes;
        for (const char pageIndex : row.pageIndexes) {
            progress.note(pageIndex - '0', row.totalPage);
            passes += static_cast<char>('0' + progress.pass());
        }
        EXPECT_EQ(passes, row.passes);
        EXPECT_EQ(progress.text(),
                  "Importing:" + row.pageIndexes.substr(row.pageIndexes.size() - 1) + " of " +
                      std::to_string(row.totalPage) + " Pages");
        EXPECT_EQ(progress.passText(), row.lastPass);
        EXPECT_EQ(progress.permille(), row.lastPermille);
    }
}

namespace {

// The delegate over a private settings store and work base; the ends that its
// workers announce are queued for the test to hand back, as the sheet does.
class ImportWindowDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        log::silence();
        fs::create_directories(dir / "work");
    }

    std::uint64_t nextEnd() {
        std::unique_lock lock(mutex);
        const bool announced =
            ended.wait_for(lock, std::chrono::minutes(5), [this] { return !ends.empty(); });
        EXPECT_TRUE(announced) << "the import hangs";
        if (!announced)
            return 0;
        const std::uint64_t id = ends.front();
        ends.pop_front();
        return id;
    }

    ImportWindowDelegate::End importToEnd(const ImportChoices& choices) {
        EXPECT_EQ(delegate.onImportAction(choices), std::nullopt);
        return delegate.operationDidEnd(nextEnd());
    }

    TempHome home;
    TempDir dir;
    ScopedEnv workBase{"ZARVEX_WORK_BASE", (dir / "work").string()};
    AppSettings settings{home.config() / "zarvex/settings.json"};
    std::mutex mutex;
    std::condition_variable ended;
    std::deque<std::uint64_t> ends;
    ImportWindowDelegate delegate{[this](std::uint64_t id) {
                                      std::scoped_lock lock(mutex);
                                      ends.push_back(id);
                                      ended.notify_all();
                                  },
                                  &settings};
};

} // namespace

TEST_F(ImportWindowDelegateTest, AFailedImportSaysWhyInTheCommandLinesWords) {
    FixtureDocument locked = plainDocument(2);
    locked.userPassword = "secret";
    writeFixturePdf(dir / "locked.pdf", locked);
    writeFixturePdf(dir / "two.pdf", plainDocument(2));
    writeFile(dir / "text.pdf", "no PDF at all");
    fs::create_directories(dir / "folder.pdf");
    struct Row {
        const char* file;
        int rangeType;
        const char* range;
        std::string reason;
    };
    const std::vector<Row> rows = {
        {"text.pdf", 0, "", "is not a readable PDF document"},
        {"locked.pdf", 0, "", "is encrypted (password protected) and cannot be imported"},
        {"two.pdf", 1, "5-6", "the page range '5-6' selects no page of"},
        {"two.pdf", 1, "", "the page range '' selects no page of"},
        {"folder.pdf", 0, "", "is a folder, not a file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + row.range);
        const fs::path pdf = dir / row.file;
        ASSERT_EQ(
            importToEnd(
                {.file = pdf.string(), .pageRangeType = row.rangeType, .pageRange = row.range}),
            ImportWindowDelegate::End::Failed);
        EXPECT_NE(delegate.failureReason().find(row.reason), std::string::npos)
            << delegate.failureReason();
        EXPECT_NE(delegate.failureReason().find(pdf.string()), std::string::npos);
        EXPECT_EQ(delegate.failureReason().find('\n'), std::string::npos);
        EXPECT_FALSE(delegate.isImporting());
        EXPECT_FALSE(delegate.flashPageSource());
        EXPECT_EQ(AppSettings(settings.storeFile()).lastImportedFile(), pdf.string())
            << "the choices were saved when the import started";
    }
    EXPECT_EQ(listFolder(dir / "work/Pellido"), Strings{});
}

TEST_F(ImportWindowDelegateTest, OnlyTheLatestImportCountsAndTheBookTakesItsFirstPagesSize) {
    FixtureDocument document = plainDocument(30);
    document.pages[1] = FixturePage(595, 842, 90);
    document.pages[2] = FixturePage(400, 600);
    document.pages[1].links.push_back(FixtureLink::web({60, 700, 120, 40}, "https://a.example/"));
    document.outline = {{"Two", 1, {}}};
    writeFixturePdf(dir / "book.pdf", document);

    ImportChoices all{.file = (dir / "book.pdf").string()};
    ASSERT_EQ(delegate.onImportAction(all), std::nullopt);
    const std::uint64_t first = delegate.currentOperation();
    // Image pages 2 and 3 with their links, no bookmarks.
    ImportChoices range{all.file, 1, "2-3", 2, true, false, 1};
    ASSERT_EQ(delegate.onImportAction(range), std::nullopt);
    const std::uint64_t second = delegate.currentOperation();
    ASSERT_NE(first, second);

    // The first, cancelled by the second, may end before or after it.
    for (const std::uint64_t id : {nextEnd(), nextEnd()})
        EXPECT_EQ(delegate.operationDidEnd(id), id == first ? ImportWindowDelegate::End::Ignored
                                                            : ImportWindowDelegate::End::Succeeded);
    EXPECT_FALSE(delegate.isImporting());
    EXPECT_FALSE(delegate.cancelImports()) << "nothing runs any more";
    EXPECT_EQ(delegate.failureReason(), "");

    ASSERT_TRUE(delegate.flashPageSource());
    EXPECT_EQ(delegate.flashPageSource()->pages().size(), 2u);
    EXPECT_EQ(delegate.flashPageSource()->quality(), 65);
    EXPECT_TRUE(delegate.flashPagesAnnotations());
    EXPECT_FALSE(delegate.flashOutline());
    // Page 2 is turned a quarter: as displayed it is 842 wide.
    EXPECT_EQ(std::pair(delegate.pageWidth(), delegate.pageHeight()), std::pair(842, 595));
    const ImportedBook book = delegate.importedBook();
    EXPECT_EQ(book.pageSource, delegate.flashPageSource());
    EXPECT_EQ(book.pageWidth, 842);
    AppSettings saved(settings.storeFile());
    saved.loadSettings(); // the page size is not taken from the store at creation
    EXPECT_EQ(std::make_pair(saved.PageWidth(), saved.PageHeight()), std::make_pair(1684, 1190))
        << "image pages are twice the points";
    EXPECT_EQ(listFolder(dir / "work/Pellido").size(), 1u)
        << "the cancelled import left its folder";

    // A new start drops the results of the last one.
    writeFile(dir / "text.pdf", "no PDF at all");
    ASSERT_EQ(importToEnd({.file = (dir / "text.pdf").string()}),
              ImportWindowDelegate::End::Failed);
    EXPECT_FALSE(delegate.flashPageSource());
    EXPECT_FALSE(delegate.flashPagesAnnotations());
    EXPECT_EQ(delegate.pageWidth(), 0);
}
