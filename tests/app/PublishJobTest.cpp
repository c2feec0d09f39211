// The publishing job in process: a table of requests and what each makes, or
// why it is refused. The command-line tests check the same job end to end.
#include "app/PublishJob.h"

#include "app/BookController.h"
#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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

TEST_F(PublishJobTest, BadRequestsAreRefusedOnOneLineAndWriteNothing) {
    FixtureDocument locked = plainDocument(1);
    locked.userPassword = "secret";
    writeFixturePdf(work / "locked.pdf", locked);
    writeFile(work / "notes.pdf", "this is not a PDF");
    writeFile(work / "blocker", "a file where the output's parent should be");
    writeFile(work / "old/files/config.xml", "an earlier book");
    writeFile(work / "old/files/extfiles/LogoFile.png", "its logo");
    const fs::path preview = BookController::previewFolderPath();
    fs::create_directories(preview);
    const fs::path pdf = work / "docs/doc.pdf";
    const std::string logo = (work / "old/files/extfiles/LogoFile.png").string();
    const std::string gone = (work / "gone.png").string();
    struct Case {
        const char* what;
        PublishRequest request; // into work/book unless it says otherwise
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {"missing PDF", {.pdf = work / "none.pdf"}, "none.pdf' does not exist"},
        {"folder as PDF", {.pdf = work.path()}, "is a folder, not a file"},
        {"device as PDF", {.pdf = "/dev/null"}, "is not a regular file"},
        {"not a PDF", {.pdf = work / "notes.pdf"}, "is not a readable PDF document"},
        {"encrypted PDF", {.pdf = work / "locked.pdf"}, "is encrypted (password protected)"},
        {"empty range", {.pdf = pdf, .pages = "7-9"}, "range '7-9' selects no page"},
        {"unknown template", {.templateName = "Nope"}, "unknown template 'Nope' (templates: "},
        {"unknown style", {.style = "Nope"}, "template 'float' has no style 'Nope'"},
        {"unknown key", {.sets = {{"NoSuchKey", "1"}}}, "unknown property key 'NoSuchKey'"},
        {"missing settings", {.settingsFile = work / "x.txt"}, "x.txt' does not exist"},
        {"device as settings", {.settingsFile = "/dev/zero"}, "is not a regular file"},
        {"output not creatable", {.out = work / "blocker/book"}, "cannot create the output"},
        {"output is a file", {.out = work / "blocker"}, "exists and is not a folder"},
        {"root", {.out = "/"}, "cannot be the root folder"},
        {"home", {.out = home.path(), .overwrite = true}, "is never replaced"},
        {"resources", {.out = resourcesPath().parent_path()}, "which is never written"},
        {"shipped data behind the resource links",
         {.out = fs::canonical(resourcePath("AppFiles")).parent_path()},
         "AppFiles"},
        {"preview folder", {.out = preview.parent_path()}, "/preview', which is never written"},
        {"a folder the front end protects",
         {.out = work / "docs/inner", .protectedFolders = {work / "docs"}},
         "overlaps"},
        {"input inside output", {.pdf = pdf, .out = work / "docs", .overwrite = true}, "doc.pdf"},
        {"not empty", {.out = work / "old"}, "is not empty; use --overwrite to replace it"},
        {"a book holding a file of the settings",
         {.out = work / "old", .sets = {{"LogoFile", logo}}, .overwrite = true},
         "holds the input '" + logo + "' and is not replaced"},
        {"strict with a missing file",
         {.sets = {{"LogoFile", gone}}, .strict = true},
         "the file " + gone + " (LogoFile) is missing; nothing was published (--strict)"},
    };
    const Strings before = listFolder(work.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        request = c.request;
        if (request.out.empty())
            request.out = work / "book";
        refusal.clear();
        EXPECT_FALSE(publish());
        EXPECT_NE(refusal.find(c.mentions), std::string::npos) << refusal;
        EXPECT_EQ(refusal.find('\n'), std::string::npos) << refusal;
        EXPECT_EQ(listFolder(work.path()), before);
    }
    EXPECT_EQ(slurp(logo), "its logo");
    EXPECT_TRUE(fs::exists(preview));
}

TEST_F(PublishJobTest, AnInterruptionStopsTheImportAndLeavesNothing) {
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
}
