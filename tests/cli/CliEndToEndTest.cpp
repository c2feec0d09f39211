// Runs the built zarvex-cli as a user would: argv in, files, exit status and
// standard streams out. Each test has its own HOME and XDG folders, which the
// child process inherits.
#include "archive/Base64.h"
#include "archive/ConfigEnvelope.h"
#include "archive/RC4.h"
#include "base/Process.h"
#include "base/Resources.h"
#include "base/TextEncoding.h"
#include "base/Xml.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
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

// The lines of `text` that contain `part`.
std::vector<std::string> linesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.find(part) != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Keeps a FIFO answering: every open for reading finds a writer that closes at
// once, so a reader sees an empty stream instead of waiting for ever.
class FifoWriter {
public:
    explicit FifoWriter(fs::path fifo) : fifo_(std::move(fifo)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                int fd = ::open(fifo_.c_str(), O_WRONLY);
                if (fd >= 0)
                    ::close(fd);
            }
        });
    }
    ~FifoWriter() {
        stop_ = true;
        // Opening the reading end lets the writer's pending open return.
        int reader = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
        thread_.join();
        if (reader >= 0)
            ::close(reader);
    }
    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;

private:
    fs::path fifo_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The text of every page's item `name` in the page list, in page order.
std::vector<std::string> pageItems(const xml::Node& pages, const std::string& name) {
    std::vector<std::string> texts;
    for (const auto& page : pages.children()) {
        for (const auto& item : page.children()) {
            if (item.attribute("name") == name)
                texts.push_back(item.text());
        }
    }
    return texts;
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
    EXPECT_EQ(pageItems(pages, "normal"),
              (std::vector<std::string>{"page/1.jpg", "page/2.jpg", "page/3.jpg", "page/4.jpg",
                                        "page/5.jpg"}));
    EXPECT_EQ(pageItems(pages, "thumb"),
              (std::vector<std::string>{"thumb/1.jpg", "thumb/2.jpg", "thumb/3.jpg", "thumb/4.jpg",
                                        "thumb/5.jpg"}))
        << "the thumbnail strip reads the thumbnails, not the full pages";
    EXPECT_NE(all.find("https://example.com/a"), std::string::npos) << all;
    EXPECT_NE(all.find("https://example.com/c"), std::string::npos) << all;
    EXPECT_NE(slurp(book / "index.html").find("Links"), std::string::npos);
    expectUserFoldersUntouched();
}

namespace {

// An A4 page 1 and two pages of 400 x 500 points turned by 90 degrees, for
// imports that leave page 1 out.
FixtureDocument pageOneLeftOut() {
    FixtureDocument doc = plainDocument(3, 595, 842);
    doc.pages[1] = FixturePage{400, 500, 90};
    doc.pages[2] = FixturePage{400, 500, 90};
    return doc;
}

} // namespace

TEST_F(Cli, ImageBooksTakeTheirPageSizeFromTheFirstImportedPage) {
    fs::path input = pdf("mixed.pdf", pageOneLeftOut());
    fs::path book = work / "book";
    ASSERT_EQ(runCli({"publish", input.string(), "--out", book.string(), "--format", "image",
                      "--pages", "2-3"})
                  .exitCode,
              0);
    auto config = decodeBook(book / "files/config.xml", work.path());
    ASSERT_TRUE(config);
    xml::Node pages = config->root().child("Pages");
    // Twice the points of page 2 as displayed, the size of its rendered picture.
    EXPECT_EQ(pages.attribute("largeWidth"), "1000") << xml::toString(pages);
    EXPECT_EQ(pages.attribute("largeHeight"), "800") << xml::toString(pages);
}

TEST_F(Cli, FlashBooksAreMadeWithTheConverter) {
    if (!fs::exists(resourcePath("lib/pdf2swf")))
        GTEST_SKIP() << "pdf2swf is not built";
    fs::path input = pdf("mixed.pdf", pageOneLeftOut());
    fs::path book = work / "book";
    CliRun run =
        runCli({"publish", input.string(), "--out", book.string(), "--pages", "2-3", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "") << "--quiet prints nothing on standard error";
    EXPECT_EQ(listFolder(book / "files/page"), (std::vector<std::string>{"2.swf", "3.swf"}));
    EXPECT_EQ(listFolder(book / "files/thumb"), (std::vector<std::string>{"2.jpg", "3.jpg"}));
    auto config = decodeBook(book / "files/config.xml", work.path());
    ASSERT_TRUE(config);
    xml::Node pages = config->root().child("Pages");
    EXPECT_EQ(pageItems(pages, "normal"), (std::vector<std::string>{"page/2.swf", "page/3.swf"}));
    EXPECT_EQ(pageItems(pages, "thumb"), (std::vector<std::string>{"thumb/2.jpg", "thumb/3.jpg"}));
    // The size the probe measured on the first converted page, not the default.
    EXPECT_EQ(pages.attribute("largeWidth"), "1000") << xml::toString(pages);
    EXPECT_EQ(pages.attribute("largeHeight"), "800") << xml::toString(pages);
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

    CliRun failed = runCli(publish("failed", {"--pages", "1-2", "--strict", "--set",
                                              "LogoFile=" + (work / "none.png").string()}));
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

    // A page turned by 90 degrees: the link as the page is displayed.
    fs::path turned = pdf("placement.pdf", linkPlacementDocument());
    CliRun placed = runCli({"inspect", turned.string(), "--links", "--pages", "2"});
    EXPECT_NE(placed.out.find("x=\"0.875000\" y=\"0.100000\" width=\"0.050000\" "
                              "height=\"0.200000\""),
              std::string::npos)
        << placed.out;
}

// --- Hostile inputs on the command line --------------------------------------------

TEST_F(Cli, NamesThatAreNotUtf8StillPublish) {
    fs::path latin1 = pdf("caf\xE9.pdf", plainDocument(1));
    struct Case {
        const char* what;
        std::vector<std::string> args;
        fs::path page;
    };
    const std::vector<Case> cases = {
        {"PDF",
         {"publish", latin1.string(), "--out", (work / "a").string(), "--format", "image"},
         work / "a/index.html"},
        {"--out", {"publish", "--out", (work / "b\xE9").string()}, work / "b\xE9/index.html"},
        {"--name",
         {"publish", "--out", (work / "c").string(), "--name", "n\xE9\xFF"},
         work / "c/n\xE9\xFF.html"},
        {"--title",
         {"publish", "--out", (work / "d").string(), "--title", "t\xE9"},
         work / "d/index.html"},
    };
    for (const auto& c : cases) {
        CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 0) << c.what << ": " << run.err;
        EXPECT_TRUE(fs::exists(c.page)) << c.what;
    }
}

TEST_F(Cli, OnlyRegularFilesAreRead) {
    const fs::path fifo = work / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FifoWriter writer(fifo);
    const std::string out = (work / "out").string();
    for (const std::string& special : {std::string("/dev/null"), fifo.string()}) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"publish", special, "--out", out},
              {"publish", "--out", out, "--settings", special},
              {"inspect", special}}) {
            CliRun run = runCli(args);
            EXPECT_EQ(run.exitCode, 1) << args[1] << " " << special << ": " << run.err;
            EXPECT_EQ(lineCount(run.err), 1u) << run.err;
            EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(out));
        }
    }
}

TEST_F(Cli, PrintedTextCarriesNoTerminalControls) {
    FixtureDocument doc = plainDocument(1);
    doc.pages[0].links.push_back(
        FixtureLink::web({60, 700, 120, 40}, "https://example.com/\x1b]0;owned\x07\x1b[2J"));
    doc.outline = {{"Chapter\r\x1b[31m red \xC2\x9B"
                    "2J",
                    0,
                    {}}};
    fs::path input = pdf("controls.pdf", doc);
    // Control characters (C0 but LF and TAB, DEL, C1) and bytes that are not UTF-8,
    // which 8-bit terminals take for C1 controls.
    auto controls = [](const std::string& text) {
        std::string found;
        for (std::size_t pos = 0; pos < text.size();) {
            const auto decoded = text::decodeUtf8At(text, pos);
            const char32_t c = decoded ? decoded->first : 0x80;
            if ((c < 0x20 && c != '\n' && c != '\t') || (c >= 0x7F && c < 0xA0))
                found += std::to_string(static_cast<unsigned>(c)) + " ";
            pos += decoded ? decoded->second : 1;
        }
        return found;
    };

    CliRun inspect = runCli({"inspect", input.string()});
    ASSERT_EQ(inspect.exitCode, 0) << inspect.err;
    EXPECT_EQ(controls(inspect.out), "") << inspect.out;
    EXPECT_NE(inspect.out.find("owned"), std::string::npos) << "the address is shown, escaped";

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"publish", (work / "x\x1b[2J\r.pdf").string(), "--out",
                                   (work / "out").string()},
          {"publish", "--out", (work / "out").string(), "--template", "\x1b]0;t\x07"},
          {"publish", "--out", (work / "out").string(), "--quality",
           "\x9b"
           "2J"}}) {
        CliRun run = runCli(args);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(controls(run.err), "") << run.err;
        EXPECT_EQ(lineCount(run.err), 1u) << run.err;
    }
}

TEST_F(Cli, SuggestedCommandsQuoteTheFolderForTheShell) {
    const std::string awkward = "it's a \"book\" $HOME `id` \\";
    struct Case {
        std::vector<std::string> args;
        std::string before, after; // around the quoted path in the output
        fs::path expected;
    };
    std::vector<Case> cases = {
        {{"publish", "--out", (work / awkward).string()},
         "xdg-open ",
         "\n",
         work / awkward / "index.html"},
    };
    if (fs::exists(resourcePath("lib/pdf2swf"))) {
        fs::path input = pdf("flash.pdf", plainDocument(1));
        cases.push_back(
            {{"publish", input.string(), "--out", (work / ("flash " + awkward)).string()},
             "http.server -d ",
             ", then open",
             work / ("flash " + awkward)});
    }
    for (const auto& c : cases) {
        CliRun run = runCli(c.args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::size_t from = run.out.find(c.before);
        ASSERT_NE(from, std::string::npos) << run.out;
        const std::size_t start = from + c.before.size();
        const std::string quoted = run.out.substr(start, run.out.find(c.after, start) - start);
        ProcessResult shell = runProcess("/bin/sh", {"-c", "printf %s " + quoted});
        EXPECT_EQ(shell.output, c.expected.string()) << quoted;
    }
}

TEST_F(Cli, FilesFromOutsideTheResourcesAndThePdfFolderAreNamed) {
    const fs::path docs = work / "docs";
    fs::create_directories(docs);
    const fs::path input = pdf("docs/doc.pdf", plainDocument(1));
    writeFile(docs / "logo.png", "png");
    writeFile(work / "private/id_rsa", "secret");
    fs::create_symlink(work / "private/id_rsa", docs / "innocent.png");
    struct Case {
        const char* what;
        std::string setting;
        const char* notice; // a text the one notice line holds; null: no notice
    };
    const std::vector<Case> cases = {
        {"a file elsewhere", "DownloadFile=" + (work / "private/id_rsa").string(), "id_rsa"},
        {"a link out of the PDF's folder", "LogoFile=" + (docs / "innocent.png").string(),
         "id_rsa"},
        {"a file beside the PDF", "LogoFile=" + (docs / "logo.png").string(), nullptr},
        {"the style's own pictures", "", nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        writeFile(work / "settings.txt", "\n\r" + c.setting);
        const fs::path book = work / ("book" + std::to_string(n++));
        CliRun run =
            runCli({"publish", input.string(), "--out", book.string(), "--format", "image",
                    "--style", "Ocean", "--settings", (work / "settings.txt").string(), "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << c.what << ": " << run.err;
        const auto notices = linesWith(run.err, "notice");
        if (c.notice) {
            ASSERT_EQ(notices.size(), 1u) << c.what << ": " << run.err;
            EXPECT_NE(notices[0].find(c.notice), std::string::npos) << notices[0];
        } else {
            EXPECT_EQ(run.err, "") << c.what;
        }
    }
}

// --- Files that the settings name but that are missing ----------------------------

TEST_F(Cli, MissingFilesAreLeftOutWithAWarningOrFailTheRunWhenStrict) {
    const std::vector<std::pair<std::string, std::string>> missing = {
        {"LogoFile", "logo.png"},
        {"ImagePath", "background.jpg"},
        {"SoundFile", "music.mp3"},
        {"DownloadFile", "book.pdf"},
    };
    std::string settings;
    for (const auto& [key, file] : missing)
        settings += "\n\r" + key + "=" + (work / "gone" / file).string();
    writeFile(work / "settings.txt", settings);
    const std::vector<std::string> args = {"publish",
                                           "--out",
                                           (work / "book").string(),
                                           "--settings",
                                           (work / "settings.txt").string(),
                                           "--quiet"};

    CliRun run = runCli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(lineCount(run.err), missing.size()) << run.err;
    for (const auto& [key, file] : missing)
        EXPECT_EQ(linesWith(run.err, file).size(), 1u) << key << ": " << run.err;
    EXPECT_EQ(listFolder(work / "book/files/extfiles"), std::vector<std::string>{});
    auto config = decodeBook(work / "book/files/config.xml", work.path());
    ASSERT_TRUE(config);
    const std::string text = config->toString();
    for (const auto& [key, file] : missing)
        EXPECT_EQ(text.find(key + "." + fs::path(file).extension().string().substr(1)),
                  std::string::npos)
            << "the book names the missing " << key;

    std::vector<std::string> strict = args;
    strict[2] = (work / "strict").string();
    strict.push_back("--strict");
    CliRun refused = runCli(strict);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(lineCount(refused.err), 1u) << refused.err;
    EXPECT_NE(refused.err.find("logo.png"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(work / "strict"));
}

TEST_F(Cli, HostileInputsPublishSafelyOrFailOnOneLine) {
    fs::path strings = pdf("strings.pdf", hostileStringsDocument());
    fs::path huge = pdf("huge.pdf", hugeCountDocument());
    fs::path large = pdf("large.pdf", FixtureDocument{{FixturePage{16500, 800}}, {}, {}, {}});
    writeFile(work / "settings.txt", "\n\rloop=1;alert(1)");
    const bool haveConverter = fs::exists(resourcePath("lib/pdf2swf"));
    fs::path out = work / "out";

    // The Link items of the decoded book configuration, in page order.
    auto bookLinks = [&](const fs::path& book) {
        std::vector<std::string> hrefs;
        auto config = decodeBook(book / "files/config.xml", work.path());
        EXPECT_TRUE(config) << "config.xml does not decode";
        if (config)
            for (const auto& page : config->root().child("Pages").children())
                for (const auto& item : page.children())
                    if (item.attribute("name") == "Link")
                        hrefs.push_back(item.attributeOr("href", ""));
        return hrefs;
    };
    std::vector<std::string> keptLinks;
    for (const auto& c : hostileLinkAddresses())
        if (c.imported)
            keptLinks.push_back(*c.imported);

    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        const char* mentions; // in the one-line error, or nullptr
        std::function<void(const CliRun&)> check;
    };
    std::vector<Case> cases = {
        {"a script in a number given with --set",
         {"publish", "--out", out.string(), "--mobile", "flip", "--set", "Interval=3,x:alert(1)",
          "--quiet"},
         1,
         "Interval",
         {}},
        {"a script in a number of the settings file",
         {"publish", "--out", out.string(), "--mobile", "flip", "--settings",
          (work / "settings.txt").string(), "--quiet"},
         1,
         "loop",
         {}},
        {"a number only the Flash book reads",
         {"publish", "--out", out.string(), "--set", "PerPageThickness=2px", "--quiet"},
         1,
         "PerPageThickness",
         {}},
        {"a sound number",
         {"publish", "--out", out.string(), "--mobile", "flip", "--set", "GradientAngle=-45",
          "--quiet"},
         0,
         nullptr,
         [&](const CliRun&) {
             EXPECT_NE(slurp(out / "mobile/javascript/main.js").find("bgMRotation:-45,"),
                       std::string::npos);
         }},
        {"links with control characters, bytes beyond UTF-8 and script addresses",
         {"publish", strings.string(), "--out", out.string(), "--format", "image", "--links",
          "--bookmarks", "--quiet"},
         0,
         nullptr,
         [&](const CliRun&) { EXPECT_EQ(bookLinks(out), keptLinks); }},
        {"bookmark titles in every encoding, with control characters",
         {"inspect", strings.string(), "--bookmarks"},
         0,
         nullptr,
         [&](const CliRun& run) {
             for (const auto& c : hostileBookmarkTitles())
                 EXPECT_NE(run.out.find("<c>" + *c.imported + "</c>"), std::string::npos)
                     << c.what << "\n"
                     << run.out;
         }},
        {"a page tree that claims 2147483647 pages",
         {"publish", huge.string(), "--out", out.string(), "--format", "image", "--quiet"},
         0,
         nullptr,
         [&](const CliRun&) {
             EXPECT_EQ(listFolder(out / "files/page"),
                       (std::vector<std::string>{"1.jpg", "2.jpg"}));
         }},
    };
    if (haveConverter)
        cases.push_back({"a page wider than the renderer's largest side, as a Flash page",
                         {"publish", large.string(), "--out", out.string(), "--quiet"},
                         0,
                         nullptr,
                         [&](const CliRun&) {
                             EXPECT_EQ(listFolder(out / "files/page"),
                                       std::vector<std::string>{"1.swf"});
                         }});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(out);
        CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.mentions) {
            EXPECT_EQ(lineCount(run.err), 1u) << run.err;
            EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(out)) << "a refused book left files";
        } else {
            EXPECT_EQ(run.err, "") << "libxml2 or anything else wrote to standard error";
        }
        if (c.check)
            c.check(run);
    }
    expectUserFoldersUntouched();
}
