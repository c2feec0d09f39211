// Runs the built zarvex-cli as a user would: argv in, files, exit status and
// standard streams out. Each test has its own HOME and XDG folders, which the
// child process inherits.
#include "app/Process.h"
#include "app/Resources.h"
#include "app/Xml.h"
#include "archive/Base64.h"
#include "archive/ConfigEnvelope.h"
#include "archive/RC4.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

fs::path cliPath() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "zarvex-cli";
}

CliRun runCli(const std::vector<std::string>& args) {
    ProcessResult r = runProcess(cliPath(), args);
    return {r.exitCode, r.output, r.errors};
}

// Runs zarvex-cli until its standard error first shows `cue`, then stops it,
// calls `atCue`, and interrupts it (SIGINT) as Ctrl-C would; the run then goes
// on to its end.
CliRun runCliInterrupted(const std::vector<std::string>& args, const std::string& cue,
                         const std::function<void()>& atCue) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string program = cliPath().string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    CliRun run;
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return run;
    }
    bool cued = false;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        run.err.append(buffer, static_cast<std::size_t>(n));
        if (!cued && run.err.find(cue) != std::string::npos) {
            cued = true;
            int status = 0;
            ::kill(pid, SIGSTOP);
            ::waitpid(pid, &status, WUNTRACED);
            atCue();
            ::kill(pid, SIGINT);
            ::kill(pid, SIGCONT);
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

// Page files anywhere below `folder`.
std::size_t pageFilesBelow(const fs::path& folder) {
    std::size_t count = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        count += it->path().extension() == ".jpg" ? 1 : 0;
    return count;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The configuration document inside files/config.xml: Base64, then RC4 with the
// book key, then the ZIP archive, unpacked by the system's unzip.
std::optional<xml::Document> decodeBook(const fs::path& envelope, const fs::path& scratch) {
    auto doc = xml::Document::parseFile(envelope);
    if (!doc || doc->root().name() != "data")
        return std::nullopt;
    auto scrambled = Base64::decode(doc->root().text());
    if (!scrambled)
        return std::nullopt;
    writeFile(scratch / "config.zip", RC4::process(kConfigKey, *scrambled));
    ProcessResult unzip =
        runProcess("/usr/bin/unzip", {"-p", (scratch / "config.zip").string(), "config.xml"});
    if (!unzip.succeeded())
        return std::nullopt;
    return xml::Document::parse(unzip.output);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cliPath()))
            GTEST_SKIP() << "zarvex-cli is not built";
    }

    // A PDF written from `document` into the work folder.
    fs::path pdf(const std::string& name, const FixtureDocument& document) {
        fs::path file = work / name;
        writeFixturePdf(file, document);
        return file;
    }

    // The run's user folders hold nothing a command-line run left behind.
    void expectUserFoldersUntouched() {
        EXPECT_FALSE(fs::exists(home.data() / "Drevalis")) << "preview folder touched";
        EXPECT_FALSE(fs::exists(home.config() / "zarvex")) << "saved settings touched";
    }

    TempHome home;
    TempDir work{"zarvex-cli-test"};
};

} // namespace

TEST_F(Cli, PublishesTheDemoBookWithoutAPdf) {
    CliRun run = runCli({"publish", "--out", (work / "book").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    fs::path book = work / "book";
    EXPECT_TRUE(fs::exists(book / "index.html"));
    EXPECT_TRUE(fs::exists(book / "files/config.xml"));
    EXPECT_TRUE(fs::exists(book / "files/book.swf"));
    auto demo = listFolder(resourcePath("DemoImgs_standard/large"));
    EXPECT_EQ(listFolder(book / "files/page").size(), demo.size());
    EXPECT_NE(run.out.find((book / "index.html").string()), std::string::npos) << run.out;
    EXPECT_EQ(listFolder(work.path()), std::vector<std::string>{"book"}) << "staging left over";
    expectUserFoldersUntouched();
}

TEST_F(Cli, PublishedPdfBookDecodesToEveryPageWithItsLinks) {
    fs::path input = pdf("links.pdf", standardDocument());
    fs::path book = work / "book";
    CliRun run = runCli({"publish", input.string(), "--out", book.string(), "--format", "image",
                         "--links", "--bookmarks", "--quality", "1", "--title", "Links"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    EXPECT_EQ(listFolder(book / "files/page"),
              (std::vector<std::string>{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"}));
    EXPECT_EQ(listFolder(book / "files/thumb").size(), 5u);
    auto config = decodeBook(book / "files/config.xml", work.path());
    ASSERT_TRUE(config) << "config.xml does not decode";
    xml::Node root = config->root();
    EXPECT_EQ(root.name(), "FlipBook3D");
    xml::Node pages = root.child("Pages");
    ASSERT_TRUE(pages);
    std::vector<xml::Node> items;
    for (const auto& child : pages.children())
        items.push_back(child);
    ASSERT_EQ(items.size(), 5u) << xml::toString(pages);
    std::string all = xml::toString(pages);
    EXPECT_NE(all.find("page/1.jpg"), std::string::npos) << all;
    EXPECT_NE(all.find("page/5.jpg"), std::string::npos) << all;
    EXPECT_NE(all.find("https://example.com/a"), std::string::npos) << all;
    EXPECT_NE(all.find("https://example.com/c"), std::string::npos) << all;
    EXPECT_NE(slurp(book / "index.html").find("Links"), std::string::npos);
    expectUserFoldersUntouched();
}

TEST_F(Cli, ImageBooksTakeTheirPageSizeFromTheFirstPage) {
    fs::path input = pdf("a4.pdf", plainDocument(2, 595, 842));
    fs::path book = work / "book";
    ASSERT_EQ(runCli({"publish", input.string(), "--out", book.string(), "--format", "image",
                      "--pages", "2"})
                  .exitCode,
              0);
    auto config = decodeBook(book / "files/config.xml", work.path());
    ASSERT_TRUE(config);
    std::string pages = xml::toString(config->root().child("Pages"));
    // The page list carries the settings' page size: twice the points of page 1.
    EXPECT_NE(pages.find("1190"), std::string::npos) << pages;
    EXPECT_NE(pages.find("1684"), std::string::npos) << pages;
}

TEST_F(Cli, FlashBooksAreMadeWithTheConverter) {
    if (!fs::exists(resourcePath("lib/pdf2swf")))
        GTEST_SKIP() << "pdf2swf is not built";
    fs::path input = pdf("plain.pdf", plainDocument(3));
    fs::path book = work / "book";
    CliRun run = runCli({"publish", input.string(), "--out", book.string(), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(listFolder(book / "files/page"),
              (std::vector<std::string>{"1.swf", "2.swf", "3.swf"}));
    EXPECT_EQ(run.err, "") << "--quiet prints nothing on standard error";
}

TEST_F(Cli, MobileAndApplicationForms) {
    fs::path flip = work / "flip";
    ASSERT_EQ(runCli({"publish", "--out", flip.string(), "--mobile", "flip", "--name", "mybook"})
                  .exitCode,
              0);
    EXPECT_TRUE(fs::exists(flip / "mybook.html"));
    std::string main = slurp(flip / "mobile/javascript/main.js");
    EXPECT_NE(main.find("bookConfig"), std::string::npos);
    EXPECT_FALSE(listFolder(flip / "files/mobile").empty());

    fs::path slide = work / "slide";
    ASSERT_EQ(runCli({"publish", "--out", slide.string(), "--mobile", "slide"}).exitCode, 0);
    std::string page = slurp(slide / "mobile/index.html");
    EXPECT_EQ(page.find("${index.title}"), std::string::npos);
    EXPECT_EQ(page.find("${fbbook.options}"), std::string::npos);

    fs::path app = work / "app";
    CliRun run = runCli({"publish", "--out", app.string(), "--app", "--name", "mybook"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(app / "mybook.app/Contents/Resources/index.html"));
    EXPECT_TRUE(fs::exists(app / "mybook.app/Contents/Resources/files/config.xml"));
    EXPECT_FALSE(fs::exists(app / "mobile"));
}

TEST_F(Cli, TemplateStyleSettingsAndSetValuesReachTheBook) {
    writeFile(work / "settings.txt", "\n\rTitle=From the settings file\n\rAuthorName=Ann");
    fs::path book = work / "book";
    CliRun run =
        runCli({"publish", "--out", book.string(), "--template", "Panoramic", "--style", "Dusk",
                "--settings", (work / "settings.txt").string(), "--set", "AuthorName=Bob"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto config = decodeBook(book / "files/config.xml", work.path());
    ASSERT_TRUE(config);
    std::string text = config->toString();
    EXPECT_NE(text.find("From the settings file"), std::string::npos);
    EXPECT_NE(text.find("<Name>Bob</Name>"), std::string::npos) << "--set comes last";
    EXPECT_TRUE(fs::exists(book / "files/extfiles/b.jpg")) << "the Panoramic cube faces";
}

TEST_F(Cli, OverwriteReplacesOnlyAnEarlierBook) {
    fs::path book = work / "book";
    ASSERT_EQ(runCli({"publish", "--out", book.string()}).exitCode, 0);
    writeFile(book / "files/page/99.jpg", "a page of a longer book");
    writeFile(book / "files/extfiles/LogoFile.png", "a logo kept in the old book");
    CliRun refused = runCli({"publish", "--out", book.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;

    fs::path documents = work / "Documents";
    writeFile(documents / "letter.txt", "mine");
    fs::create_directory_symlink(book, work / "link");
    writeFile(work / "settings.txt",
              "ImagePath=" + (book / "files/extfiles/LogoFile.png").string());
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {"a folder that is no book", {"--out", documents.string()}, "letter.txt"},
        {"a link to a book", {"--out", (work / "link").string()}, "symbolic link"},
        {"a book holding a file of --set",
         {"--out", book.string(), "--set",
          "LogoFile=" + (book / "files/extfiles/LogoFile.png").string()},
         "LogoFile.png"},
        {"a book holding a file of the settings",
         {"--out", book.string(), "--settings", (work / "settings.txt").string()},
         "LogoFile.png"},
    };
    const std::string oldConfig = slurp(book / "files/config.xml");
    for (const auto& c : cases) {
        std::vector<std::string> args = {"publish", "--overwrite", "--quiet"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 1) << c.what << ": " << run.err;
        EXPECT_EQ(lineCount(run.err), 1u) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << c.what << ": " << run.err;
    }
    EXPECT_EQ(slurp(documents / "letter.txt"), "mine");
    EXPECT_TRUE(fs::is_symlink(work / "link"));
    EXPECT_EQ(slurp(book / "files/config.xml"), oldConfig);
    EXPECT_TRUE(fs::exists(book / "files/page/99.jpg"));

    fs::remove(book / "files/extfiles/LogoFile.png");
    CliRun replaced = runCli({"publish", "--out", book.string(), "--overwrite"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_FALSE(fs::exists(book / "files/page/99.jpg"));
    EXPECT_TRUE(fs::exists(book / "index.html"));
    EXPECT_EQ(listFolder(work.path()),
              (std::vector<std::string>{"Documents", "book", "link", "settings.txt"}));
}

TEST_F(Cli, BadInputFailsWithOneLineAndLosesNothing) {
    fs::path good = pdf("good.pdf", plainDocument(3));
    FixtureDocument locked = plainDocument(1);
    locked.userPassword = "secret";
    fs::path encrypted = pdf("locked.pdf", locked);
    writeFile(work / "notes.pdf", "this is not a PDF");
    writeFile(work / "blocker", "a file where the output's parent should be");
    fs::path out = (work / "out").string();

    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {"missing PDF", {"publish", (work / "none.pdf").string(), "--out", out}, "none.pdf"},
        {"folder as PDF", {"publish", work.path().string(), "--out", out}, "folder"},
        {"not a PDF", {"publish", (work / "notes.pdf").string(), "--out", out}, "notes.pdf"},
        {"encrypted PDF", {"publish", encrypted.string(), "--out", out}, "encrypted"},
        {"empty range", {"publish", good.string(), "--out", out, "--pages", "7-9"}, "7-9"},
        {"unknown template", {"publish", "--out", out, "--template", "Nope"}, "Nope"},
        {"unknown style", {"publish", "--out", out, "--style", "Nope"}, "Nope"},
        {"unknown key", {"publish", "--out", out, "--set", "NoSuchKey=1"}, "NoSuchKey"},
        {"unreadable settings",
         {"publish", "--out", out, "--settings", (work / "x.txt").string()},
         "x.txt"},
        {"output not creatable", {"publish", "--out", (work / "blocker/book").string()}, "blocker"},
        {"output is a file", {"publish", "--out", (work / "blocker").string()}, "blocker"},
        {"root", {"publish", "--out", "/", "--overwrite"}, "/"},
        {"home", {"publish", "--out", home.path().string(), "--overwrite"}, "home"},
        {"resources",
         {"publish", "--out", resourcesPath().parent_path().string(), "--overwrite"},
         "resources"},
        {"shipped data behind the resource links",
         {"publish", "--out", fs::canonical(resourcePath("AppFiles")).parent_path().string(),
          "--overwrite"},
         "AppFiles"},
        {"desktop preview",
         {"publish", "--out", (home.data() / "Drevalis").string(), "--overwrite"},
         "preview"},
        {"input inside output",
         {"publish", good.string(), "--out", work.path().string(), "--overwrite"},
         "good.pdf"},
    };
    fs::create_directories(home.data() / "Drevalis/preview");
    for (const auto& c : cases) {
        CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 1) << c.what << ": " << run.err;
        EXPECT_EQ(lineCount(run.err), 1u) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << c.what << ": " << run.err;
        EXPECT_FALSE(fs::exists(out)) << c.what;
    }
    EXPECT_TRUE(fs::exists(good));
    EXPECT_TRUE(fs::exists(home.data() / "Drevalis/preview"));
    EXPECT_TRUE(fs::exists(resourcesPath() / "AppFiles"));
    std::vector<std::string> left = listFolder(work.path());
    EXPECT_EQ(left, (std::vector<std::string>{"blocker", "good.pdf", "locked.pdf", "notes.pdf"}))
        << "a failed run left files behind";
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"publish"},
                                                 {"publish", "--out", "x", "--quality", "9"},
                                                 {"bogus"},
                                                 {"inspect"}}) {
        CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(lineCount(run.err), 1u) << run.err;
    }
    CliRun help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("publish"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).exitCode, 0);
}

TEST_F(Cli, TwoRunsAtOnceDoNotDisturbEachOther) {
    fs::path input = pdf("doc.pdf", standardDocument());
    auto publish = [&](const std::string& name, const std::string& pages) {
        return runCli({"publish", input.string(), "--out", (work / name).string(), "--format",
                       "image", "--pages", pages, "--quiet"});
    };
    auto first = std::async(std::launch::async, publish, "one", "1-2");
    auto second = std::async(std::launch::async, publish, "two", "3-5");
    CliRun a = first.get(), b = second.get();
    ASSERT_EQ(a.exitCode, 0) << a.err;
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(listFolder(work / "one/files/page"), (std::vector<std::string>{"1.jpg", "2.jpg"}));
    EXPECT_EQ(listFolder(work / "two/files/page"),
              (std::vector<std::string>{"3.jpg", "4.jpg", "5.jpg"}));
    expectUserFoldersUntouched();
}

TEST_F(Cli, WorkFilesStayInTheRunsOwnFolderAndGoWithIt) {
    fs::path input = pdf("long.pdf", plainDocument(150));
    TempDir tmp("zarvex-cli-tmp");
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    auto publish = [&](const std::string& out, std::vector<std::string> more) {
        std::vector<std::string> args = {"publish", input.string(), "--format",
                                         "image",   "--out",        (work / out).string()};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };

    CliRun done = runCli(publish("done", {"--pages", "1-2"}));
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after a finished run";

    CliRun failed = runCli(
        publish("failed", {"--pages", "1-2", "--set", "LogoFile=" + (work / "none.png").string()}));
    EXPECT_EQ(failed.exitCode, 1) << failed.err;
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after a failed run";

    std::size_t pagesDuringTheRun = 0;
    CliRun interrupted = runCliInterrupted(publish("interrupted", {}), "Importing pages: ", [&] {
        pagesDuringTheRun = pageFilesBelow(tmp.path());
    });
    EXPECT_EQ(interrupted.exitCode, 1) << interrupted.err;
    EXPECT_NE(interrupted.err.find("interrupted"), std::string::npos) << interrupted.err;
    EXPECT_GT(pagesDuringTheRun, 0u) << "the pages are made inside the run's own folder";
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after an interrupted run";
    EXPECT_FALSE(fs::exists(work / "interrupted"));
}

TEST_F(Cli, TemplatesListsEveryTemplateWithItsStyles) {
    CliRun run = runCli({"templates"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("float (default):"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Panoramic:"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Dusk"), std::string::npos) << run.out;
}

TEST_F(Cli, InspectPrintsTheLinkAndBookmarkTrees) {
    fs::path input = pdf("links.pdf", standardDocument());
    CliRun run = runCli({"inspect", input.string(), "--pages", "1-2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("<pagesAnnos>"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("https://example.com/a"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("https://example.com/c"), std::string::npos) << "page 3 not asked";
    EXPECT_NE(run.out.find("<ols>"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Chapter 1"), std::string::npos) << run.out;

    CliRun links = runCli({"inspect", input.string(), "--links"});
    EXPECT_EQ(links.out.find("<ols>"), std::string::npos);
    CliRun none = runCli({"inspect", input.string(), "--pages", "9"});
    EXPECT_EQ(none.exitCode, 1);
}
