// The publishing job in process: its progress, interruption and result. The
// command-line tests check the same job end to end, with every refusal.
#include "app/PublishJob.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

using Strings = std::vector<std::string>;

class PublishJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        log::silence();
        if (BookController::PageSource("DemoImgs_standard/large").empty())
            GTEST_SKIP() << "the demo pages are not in the resource folder";
        fs::create_directories(work / "docs");
        writeFixturePdf(work / "docs/doc.pdf", plainDocument(3));
        request.out = work / "book";
    }

    // The job's result, or its one-line refusal in `refusal`.
    std::optional<PublishResult> publish(const PublishEvents& events = {}) {
        PublishJob job(request);
        job.setAppSettings(&settings);
        try {
            return job.run(events);
        } catch (const Error& e) {
            refusal = e.what();
            return std::nullopt;
        }
    }

    TempHome home;
    TempDir work{"zarvex-job-test"};
    AppSettings settings{home.path() / "job-settings.json"};
    PublishRequest request;
    std::string refusal;
};

} // namespace

TEST_F(PublishJobTest, StopsWhenInterruptedReportsWhatItLeftOutAndNeverWritesThePreview) {
    request.pdf = work / "docs/doc.pdf";
    request.format = PageFormat::Image;
    Strings tasks;
    PublishEvents events;
    events.step = [&](std::string_view step) { tasks.emplace_back(step); };
    events.advance = [&](std::string_view task, int, int, std::string_view) {
        if (tasks.empty() || tasks.back() != task)
            tasks.emplace_back(task);
    };
    events.interrupted = [&] { return !tasks.empty(); };
    EXPECT_FALSE(publish(events));
    EXPECT_EQ(refusal, "interrupted; nothing was published");
    EXPECT_EQ(tasks, Strings{"Importing pages"});
    EXPECT_EQ(listFolder(work.path()), Strings{"docs"});

    // Uninterrupted, with a file from outside the PDF's folder and a missing one.
    writeFile(work / "private.txt", "mine");
    request.sets = {{"DownloadFile", (work / "private.txt").string()},
                    {"LogoFile", (work / "gone.png").string()}};
    events.interrupted = [] { return false; };
    tasks.clear();
    const auto result = publish(events);
    ASSERT_TRUE(result) << refusal;
    EXPECT_EQ(tasks, (Strings{"Importing pages", "Making thumbnails", "Making mobile images",
                              "Collecting pages", "Building the preview", "Writing the book"}));
    EXPECT_EQ(result->book, work / "book/index.html");
    EXPECT_NE(slurp(result->book).find("<title>doc</title>"), std::string::npos);
    EXPECT_FALSE(result->needsHttp || result->mobilePage);
    EXPECT_EQ(result->warnings, Strings{(work / "gone.png").string() +
                                        " (LogoFile) is missing or not a file; the book is "
                                        "published without it"});
    EXPECT_EQ(result->notices, Strings{"the book includes " + (work / "private.txt").string() +
                                       " (DownloadFile), from outside the PDF's folder and the "
                                       "resources"});
    // The import and the writers read the settings they were given.
    EXPECT_EQ(listFolder(work / "book/files/page"), (Strings{"1.jpg", "2.jpg", "3.jpg"}));
    EXPECT_EQ(settings.ImportType(), 1);
    EXPECT_EQ(settings.lastOutputFileName(), "index");
    EXPECT_FALSE(fs::exists(home.config() / "zarvex")) << "the shared settings were used";

    // The process's own preview folder (the command line has one of its own).
    const fs::path preview = BookController::previewFolderPath();
    ASSERT_TRUE(fs::exists(preview));
    request.out = preview.parent_path();
    EXPECT_FALSE(publish());
    EXPECT_NE(refusal.find("/preview', which is never written"), std::string::npos) << refusal;
    EXPECT_TRUE(fs::exists(preview / "index.html"));
}
