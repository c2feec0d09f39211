#include "import/PageLookahead.h"

#include "import/PDFRenderer.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

#include <future>
#include <map>

namespace zarvex {
namespace {

class Lookahead : public testing::Test {
protected:
    // A job that records which renderer ran it and answers the page drawn by it.
    PageLookahead::Job recordingJob() {
        return [this](int page, PDFRenderer& renderer) {
            {
                std::scoped_lock lock(mutex);
                runs[page].push_back(&renderer);
            }
            if (page == failingPage)
                throw std::runtime_error("job failed");
            return renderer.renderJpeg(page - 1, 300, 300, 0.65);
        };
    }

    const std::string data = test::slurp(test::sharedFiles().standard);
    std::mutex mutex;
    std::map<int, std::vector<PDFRenderer*>> runs;
    int failingPage = -1;
};

// Two renderers on two threads draw what one draws alone.
TEST_F(Lookahead, EveryPageRunsOnceOnOneOfTheTwoRenderersAndErrorsReachTheOwner) {
    PDFRenderer reference(data), worker(data), own(data);
    failingPage = 4;
    {
        PageLookahead ahead(
            {5, 1, 4, 2, 3}, recordingJob(), worker, [] { return false; }, 2);
        for (int page : {5, 1, 4, 2, 3}) {
            if (page == failingPage) {
                EXPECT_THROW(ahead.take(page, own), std::runtime_error) << "at its page";
            } else {
                EXPECT_EQ(ahead.take(page, own), reference.renderJpeg(page - 1, 300, 300, 0.65))
                    << page;
            }
        }
        EXPECT_FALSE(ahead.take(5, own)) << "a result is taken once";
        EXPECT_FALSE(ahead.take(6, own)) << "not in the sequence";
    }
    ASSERT_EQ(runs.size(), 5u);
    for (const auto& [page, renderers] : runs) {
        ASSERT_EQ(renderers.size(), 1u) << page;
        EXPECT_TRUE(renderers[0] == &worker || renderers[0] == &own);
    }
}

TEST_F(Lookahead, TheWorkerTakesNoPageOnceStoppedAndEndsWhileWaitingForRoom) {
    PDFRenderer worker(data), own(data);
    {
        PageLookahead ahead(
            {1, 2, 3}, recordingJob(), worker, [] { return true; }, 8);
        EXPECT_TRUE(ahead.take(2, own));
    }
    EXPECT_EQ(runs, (std::map<int, std::vector<PDFRenderer*>>{{2, {&own}}}));

    runs.clear();
    std::promise<void> started;
    {
        PageLookahead ahead(
            {1, 2, 3},
            [&](int page, PDFRenderer& renderer) {
                auto result = recordingJob()(page, renderer);
                started.set_value();
                return result;
            },
            worker, [] { return false; }, 1);
        started.get_future().wait();
    } // no page is taken, so the worker waits for room until the end
    EXPECT_EQ(runs.size(), 1u) << "a window of one page";
}

} // namespace
} // namespace zarvex
