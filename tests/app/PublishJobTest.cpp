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

TEST_F(PublishJobTest, RequestsMakeTheirBooks) {
    const fs::path out = work / "book";
    const fs::path pdf = work / "docs/doc.pdf";
    writeFile(work / "docs/logo.png", "png");
    writeFile(work / "private.txt", "mine");
    struct Case {
        const char* what;
        std::function<void(PublishRequest&)> make;
        std::function<void(const PublishResult&)> check;
    };
    const std::vector<Case> cases = {
        {"the demo book", [](PublishRequest&) {},
         [&](const PublishResult& r) {
             EXPECT_EQ(r.folder, out);
             EXPECT_EQ(r.book, out / "index.html");
             EXPECT_FALSE(r.needsHttp || r.mobilePage);
             EXPECT_EQ(listFolder(out / "files/page").size(),
                       BookController::PageSource("DemoImgs_standard/large").size());
             EXPECT_NE(slurp(r.book).find("3D Zarvex demo book"), std::string::npos);
         }},
        {"image pages of a PDF, titled by its name",
         [&](PublishRequest& q) {
             q.pdf = pdf;
             q.pages = "2-3";
             q.format = PageFormat::Image;
             q.sets = {{"LogoFile", (work / "docs/logo.png").string()}};
         },
         [&](const PublishResult& r) {
             EXPECT_EQ(listFolder(out / "files/page"), (Strings{"2.jpg", "3.jpg"}));
             EXPECT_EQ(listFolder(out / "files/thumb"), (Strings{"2.jpg", "3.jpg"}));
             EXPECT_NE(slurp(r.book).find("<title>doc</title>"), std::string::npos);
             EXPECT_TRUE(r.notices.empty()) << "a file beside the PDF needs no notice";
             EXPECT_EQ(settings.ImportType(), 1) << "the import's choices are remembered";
             EXPECT_EQ(settings.lastImportedFile(), pdf.string());
         }},
        {"the application form",
         [](PublishRequest& q) {
             q.app = true;
             q.name = "mybook";
         },
         [&](const PublishResult& r) {
             EXPECT_EQ(r.book, out / "mybook.app");
             EXPECT_TRUE(fs::exists(r.book / "Contents/Resources/files/config.xml"));
             EXPECT_EQ(settings.outputType(), 1);
         }},
        {"a mobile version", [](PublishRequest& q) { q.mobile = MobileKind::Slide; },
         [&](const PublishResult& r) {
             EXPECT_EQ(r.mobilePage, out / "mobile/index.html");
             EXPECT_TRUE(fs::exists(*r.mobilePage));
             EXPECT_EQ(settings.MobileType(), 1);
         }},
        {"named files that are missing or from elsewhere",
         [&](PublishRequest& q) {
             q.sets = {{"LogoFile", (work / "gone.png").string()},
                       {"DownloadFile", (work / "private.txt").string()}};
         },
         [&](const PublishResult& r) {
             EXPECT_EQ(r.warnings, Strings{(work / "gone.png").string() +
                                           " (LogoFile) is missing or not a file; the book is "
                                           "published without it"});
             EXPECT_EQ(r.notices, Strings{"the book includes " + (work / "private.txt").string() +
                                          " (DownloadFile), from outside the resources"});
             EXPECT_TRUE(fs::exists(out / "files/extfiles/DownloadFile.txt"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(out);
        request = PublishRequest{};
        request.out = out;
        c.make(request);
        const auto result = publish();
        ASSERT_TRUE(result) << refusal;
        c.check(*result);
        EXPECT_EQ(listFolder(work.path()), (Strings{"book", "docs", "private.txt"}))
            << "staging left over";
    }
    EXPECT_FALSE(fs::exists(home.config() / "zarvex")) << "the shared settings were used";
}

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
    struct Case {
        const char* what;
        std::function<void(PublishRequest&)> make;
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {"missing PDF", [&](auto& q) { q.pdf = work / "none.pdf"; }, "none.pdf' does not exist"},
        {"folder as PDF", [&](auto& q) { q.pdf = work.path(); }, "is a folder, not a file"},
        {"device as PDF", [](auto& q) { q.pdf = "/dev/null"; }, "not a regular file"},
        {"not a PDF", [&](auto& q) { q.pdf = work / "notes.pdf"; }, "not a readable PDF"},
        {"encrypted PDF", [&](auto& q) { q.pdf = work / "locked.pdf"; }, "encrypted"},
        {"empty range",
         [&](auto& q) {
             q.pdf = pdf;
             q.pages = "7-9";
         },
         "'7-9' selects no page"},
        {"unknown template", [](auto& q) { q.templateName = "Nope"; }, "unknown template 'Nope'"},
        {"unknown style", [](auto& q) { q.style = "Nope"; }, "has no style 'Nope'"},
        {"unknown key",
         [](auto& q) {
             q.sets = {{"NoSuchKey", "1"}};
         },
         "'NoSuchKey'"},
        {"missing settings", [&](auto& q) { q.settingsFile = work / "x.txt"; }, "x.txt"},
        {"device as settings", [](auto& q) { q.settingsFile = "/dev/zero"; }, "not a regular"},
        {"output not creatable", [&](auto& q) { q.out = work / "blocker/book"; }, "blocker"},
        {"output is a file", [&](auto& q) { q.out = work / "blocker"; }, "is not a folder"},
        {"root", [](auto& q) { q.out = "/"; }, "root folder"},
        {"home", [&](auto& q) { q.out = home.path(); }, "never replaced"},
        {"resources", [](auto& q) { q.out = resourcesPath().parent_path(); }, "never written"},
        {"shipped data behind the resource links",
         [](auto& q) { q.out = fs::canonical(resourcePath("AppFiles")).parent_path(); },
         "AppFiles"},
        {"preview folder", [&](auto& q) { q.out = preview.parent_path(); }, "preview"},
        {"a folder the front end protects",
         [&](auto& q) {
             q.out = work / "docs/inner";
             q.protectedFolders = {work / "docs"};
         },
         "overlaps"},
        {"input inside output",
         [&](auto& q) {
             q.pdf = pdf;
             q.out = work / "docs";
         },
         "doc.pdf"},
        {"not empty, without overwrite",
         [&](auto& q) {
             q.out = work / "old";
             q.overwrite = false;
         },
         "--overwrite"},
        {"a book holding a file of the settings",
         [&](auto& q) {
             q.out = work / "old";
             q.sets = {{"LogoFile", (work / "old/files/extfiles/LogoFile.png").string()}};
         },
         "LogoFile.png"},
        {"strict with a missing file",
         [&](auto& q) {
             q.strict = true;
             q.sets = {{"LogoFile", (work / "gone.png").string()}};
         },
         "the file " + (work / "gone.png").string() +
             " (LogoFile) is missing; nothing was published (--strict)"},
    };
    const Strings before = listFolder(work.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        request = PublishRequest{};
        request.out = work / "book";
        request.overwrite = true;
        c.make(request);
        refusal.clear();
        EXPECT_FALSE(publish());
        EXPECT_NE(refusal.find(c.mentions), std::string::npos) << refusal;
        EXPECT_EQ(refusal.find('\n'), std::string::npos) << refusal;
        EXPECT_EQ(listFolder(work.path()), before);
    }
    EXPECT_EQ(slurp(work / "old/files/extfiles/LogoFile.png"), "its logo");
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

    events.interrupted = [] { return false; };
    tasks.clear();
    ASSERT_TRUE(publish(events)) << refusal;
    EXPECT_EQ(tasks, (Strings{"Importing pages", "Making thumbnails", "Making mobile images",
                              "Collecting pages", "Building the preview", "Writing the book"}));
}
