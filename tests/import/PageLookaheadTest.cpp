#include "import/PageLookahead.h"

#include "base/FileUtil.h"
#include "import/PDFRenderer.h"

#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>

namespace zarvex {
namespace {

class Lookahead : public testing::Test {
protected:
    Lookahead() {
        test::writeFixturePdf(dir / "doc.pdf", test::plainDocument(1));
        data = readFile(dir / "doc.pdf").value();
    }

    // A job that records which renderer ran it and answers "page <n>".
    PageLookahead::Job recordingJob() {
        return [this](int page, PDFRenderer& renderer) {
            std::scoped_lock lock(mutex);
            runs[page].push_back(&renderer);
            if (page == failingPage)
                throw std::runtime_error("job failed");
            return "page " + std::to_string(page);
        };
    }

    test::TempDir dir;
    std::string data;
    std::mutex mutex;
    std::map<int, std::vector<PDFRenderer*>> runs;
    int failingPage = -1;
};

TEST_F(Lookahead, EveryPageRunsOnceOnOneOfTheTwoRenderersAndErrorsReachTheOwner) {
    PDFRenderer worker(data), own(data);
    failingPage = 9;
    {
        PageLookahead ahead(
            {5, 1, 9, 2, 7, 3}, recordingJob(), worker, [] { return false; }, 2);
        for (int page : {5, 1, 9, 2, 7, 3}) {
            if (page == failingPage) {
                EXPECT_THROW(ahead.take(page, own), std::runtime_error) << "at its page";
            } else {
                EXPECT_EQ(ahead.take(page, own), "page " + std::to_string(page));
            }
        }
        EXPECT_FALSE(ahead.take(5, own)) << "a result is taken once";
        EXPECT_FALSE(ahead.take(4, own)) << "not in the sequence";
    }
    ASSERT_EQ(runs.size(), 6u);
    for (const auto& [page, renderers] : runs) {
        ASSERT_EQ(renderers.size(), 1u) << page;
        EXPECT_TRUE(renderers[0] == &worker || renderers[0] == &own);
    }
}

TEST_F(Lookahead, AfterStopTheWorkerTakesNoNewPage) {
    PDFRenderer worker(data), own(data);
    std::atomic<bool> stopped{true};
    {
        PageLookahead ahead(
            {1, 2, 3}, recordingJob(), worker, [&] { return stopped.load(); }, 8);
        EXPECT_EQ(ahead.take(2, own), "page 2");
    }
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[2], std::vector<PDFRenderer*>{&own});
}

TEST_F(Lookahead, EndsWhileTheWorkerWaitsForRoom) {
    PDFRenderer worker(data);
    {
        PageLookahead ahead(
            {1, 2, 3, 4, 5, 6}, recordingJob(), worker, [] { return false; }, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::scoped_lock lock(mutex);
    EXPECT_LE(runs.size(), 2u);
}

} // namespace
} // namespace zarvex
