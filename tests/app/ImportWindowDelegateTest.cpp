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

// The usual ranges and each level's quality are checked with the imports below,
// the settings with the sheet, the progress passes with the command line.
TEST(ImportChoices, TheChoiceGivesTheRange) {
    const std::tuple<int, std::string, std::string> ranges[] = {
        {1, "", ""}, {2, "5", "ALL"}, {1, " 1, 3-2 ", " 1, 3-2 "}};
    for (const auto& [type, range, text] : ranges)
        EXPECT_EQ((ImportChoices{"/books/a.pdf", type, range}.rangeText()), text)
            << type << " '" << range << "'";
}

// The pages' text makes a fifth series of counts: its own pass when the import
// reads text, else it stays in the last pass.
TEST(ImportProgress, AFifthSeriesIsTheTextPassOnlyWhenTextIsRead) {
    for (const bool readsText : {false, true}) {
        ImportProgress progress(readsText);
        for (int series = 0; series < 5; ++series)
            progress.note(1, 1);
        EXPECT_EQ(std::pair(progress.passText(), progress.permille()),
                  std::pair(std::string(readsText ? "Reading the text (pass 5 of 5)"
                                                  : "Collecting pages (pass 4 of 4)"),
                            1000));
    }
}

// The delegate over a private settings store and work base; the ends that its
// workers announce are queued for the test to hand back, as the sheet does.
TEST(ImportWindowDelegate, OnlyTheLatestImportCountsAndTheBookTakesItsFirstPagesSize) {
    log::silence();
    TempHome home;
    TempDir dir;
    ScopedEnv workBase{"ZARVEX_WORK_BASE", (dir / "work").string()};
    fs::create_directories(dir / "work");
    AppSettings settings{home.config() / "zarvex/settings.json"};
    std::mutex mutex;
    std::condition_variable ended;
    std::deque<std::uint64_t> ends;
    ImportWindowDelegate delegate{[&](std::uint64_t id) {
                                      std::scoped_lock lock(mutex);
                                      ends.push_back(id);
                                      ended.notify_all();
                                  },
                                  &settings};
    const auto nextEnd = [&] {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(ended.wait_for(lock, std::chrono::minutes(5), [&] { return !ends.empty(); }))
            << "the import hangs";
        const std::uint64_t id = ends.empty() ? 0 : ends.front();
        if (!ends.empty())
            ends.pop_front();
        return id;
    };

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
    EXPECT_EQ(
        std::tuple(delegate.isImporting(), delegate.cancelImports(), delegate.failureReason()),
        std::tuple(false, false, std::string()))
        << "nothing runs any more";

    const auto source = delegate.flashPageSource();
    ASSERT_TRUE(source);
    EXPECT_EQ(std::tuple(source->pages().size(), source->quality(),
                         bool(delegate.flashPagesAnnotations()), bool(delegate.flashOutline())),
              std::tuple(2u, 65, true, false));
    // Page 2 is turned a quarter: as displayed it is 842 wide.
    EXPECT_EQ(std::pair(delegate.pageWidth(), delegate.pageHeight()), std::pair(842, 595));
    const ImportedBook book = delegate.importedBook();
    EXPECT_EQ(std::tuple(book.pageSource, book.pageWidth), std::tuple(source, 842));
    AppSettings saved(settings.storeFile());
    saved.loadSettings(); // the page size is not taken from the store at creation
    EXPECT_EQ(std::make_pair(saved.PageWidth(), saved.PageHeight()), std::make_pair(1684, 1190))
        << "image pages are twice the points";
    EXPECT_EQ(listFolder(dir / "work/Pellido").size(), 1u)
        << "the cancelled import left its folder";

    // A new start drops the results of the last one.
    writeFile(dir / "text.pdf", "no PDF at all");
    ASSERT_EQ(delegate.onImportAction({.file = (dir / "text.pdf").string()}), std::nullopt);
    ASSERT_EQ(delegate.operationDidEnd(nextEnd()), ImportWindowDelegate::End::Failed);
    EXPECT_EQ(std::tuple(bool(delegate.flashPageSource()), bool(delegate.flashPagesAnnotations()),
                         delegate.pageWidth()),
              std::tuple(false, false, 0));
}
