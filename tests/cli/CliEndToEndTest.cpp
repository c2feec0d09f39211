// Runs the built zarvex-cli as a user would: argv in, files, exit status and
// standard streams out. Each test has its own HOME and XDG folders, which the
// child process inherits. The publishing job's every refusal is checked in
// process by tests/app/PublishJobTest.cpp.
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

using Strings = std::vector<std::string>;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

fs::path cliPath() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "zarvex-cli";
}

CliRun runCli(const Strings& args) {
    ProcessResult r = runProcess(cliPath(), args);
    return {r.exitCode, r.output, r.errors};
}

// Runs zarvex-cli until its standard error first shows `cue`, then stops it,
// calls `atCue`, and interrupts it (SIGINT) as Ctrl-C would; the run then goes
// on to its end.
CliRun runCliInterrupted(const Strings& args, const std::string& cue,
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

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The lines of `text` that contain `part`.
Strings linesWith(const std::string& text, const std::string& part) {
    Strings lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.find(part) != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The control characters in `text` (C0 but LF and TAB, DEL, C1) and the bytes
// that are not UTF-8, which 8-bit terminals take for C1 controls.
std::string controlsIn(const std::string& text) {
    std::string found;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto decoded = text::decodeUtf8At(text, pos);
        const char32_t c = decoded ? decoded->first : 0x80;
        if ((c < 0x20 && c != '\n' && c != '\t') || (c >= 0x7F && c < 0xA0))
            found += std::to_string(static_cast<unsigned>(c)) + " ";
        pos += decoded ? decoded->second : 1;
    }
    return found;
}

// The configuration document inside files/config.xml: Base64, then RC4 with the
// book key, then the ZIP archive, unpacked by the system's unzip.
std::optional<xml::Document> decodeBook(const fs::path& book, const fs::path& scratch) {
    auto doc = xml::Document::parseFile(book / "files/config.xml");
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

// Of every page in the decoded book's page list, the text (or with `attribute`,
// that attribute) of each item named `name`, in page order.
Strings pageItems(const std::optional<xml::Document>& config, const std::string& name,
                  const char* attribute = nullptr) {
    Strings texts;
    EXPECT_TRUE(config) << "config.xml does not decode";
    if (!config)
        return texts;
    for (const auto& page : config->root().child("Pages").children())
        for (const auto& item : page.children())
            if (item.attribute("name") == name)
                texts.push_back(attribute ? item.attributeOr(attribute, "") : item.text());
    return texts;
}

// Keeps a FIFO answering: every open for reading finds a writer that closes at
// once, so a reader sees an empty stream instead of waiting for ever.
class FifoWriter {
public:
    explicit FifoWriter(fs::path fifo) : fifo_(std::move(fifo)) {
        thread_ = std::thread([this] {
            while (!stop_)
                if (int fd = ::open(fifo_.c_str(), O_WRONLY); fd >= 0)
                    ::close(fd);
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

private:
    fs::path fifo_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// An A4 page 1 and two pages of 400 x 500 points turned by 90 degrees, for
// imports that leave page 1 out.
FixtureDocument pageOneLeftOut() {
    FixtureDocument doc = plainDocument(3, 595, 842);
    doc.pages[1] = FixturePage{400, 500, 90};
    doc.pages[2] = FixturePage{400, 500, 90};
    return doc;
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
    TempDir scratch{"zarvex-cli-scratch"};
    const bool haveConverter = fs::exists(resourcePath("lib/pdf2swf"));
};

} // namespace

TEST_F(Cli, PublishedBooksHoldWhatWasAsked) {
    const fs::path links = pdf("links.pdf", standardDocument());
    const fs::path mixed = pdf("mixed.pdf", pageOneLeftOut());
    const fs::path latin1 = pdf("caf\xE9.pdf", plainDocument(1));
    writeFile(work / "settings.txt", "\n\rTitle=From the settings file\n\rAuthorName=Ann");
    writeFile(work / "missing.txt", "\n\rLogoFile=" + (work / "gone/logo.png").string() +
                                        "\n\rSoundFile=" + (work / "gone/music.mp3").string() +
                                        "\n\rDownloadFile=" + (work / "settings.txt").string());
    const fs::path book = work / "book";
    const auto demoPages = listFolder(resourcePath("DemoImgs_standard/large")).size();
    struct Case {
        const char* what;
        Strings args; // after "publish"; the book goes to `book` unless --out is given
        std::function<void(const CliRun&)> check;
    };
    std::vector<Case> cases = {
        {"the demo book without a PDF",
         {},
         [&](const CliRun& run) {
             for (const char* file : {"index.html", "files/config.xml", "files/book.swf"})
                 EXPECT_TRUE(fs::exists(book / file)) << file;
             EXPECT_EQ(listFolder(book / "files/page").size(), demoPages);
             EXPECT_NE(run.out.find("xdg-open '" + (book / "index.html").string()),
                       std::string::npos)
                 << run.out;
         }},
        {"a PDF's pages, thumbnails, links and title",
         {links.string(), "--format", "image", "--links", "--bookmarks", "--quality", "1",
          "--title", "Links"},
         [&](const CliRun&) {
             auto config = decodeBook(book, scratch.path());
             EXPECT_EQ(
                 pageItems(config, "normal"),
                 (Strings{"page/1.jpg", "page/2.jpg", "page/3.jpg", "page/4.jpg", "page/5.jpg"}));
             EXPECT_EQ(pageItems(config, "thumb"),
                       (Strings{"thumb/1.jpg", "thumb/2.jpg", "thumb/3.jpg", "thumb/4.jpg",
                                "thumb/5.jpg"}))
                 << "the thumbnail strip reads the thumbnails, not the full pages";
             EXPECT_EQ(listFolder(book / "files/thumb").size(), 5u);
             EXPECT_EQ(pageItems(config, "Link", "href"),
                       (Strings{"https://example.com/a", "3", "https://example.com/b", "1",
                                "https://example.com/c", "5"}));
             EXPECT_NE(slurp(book / "index.html").find("Links"), std::string::npos);
         }},
        {"image pages take their size from the first imported page",
         {mixed.string(), "--format", "image", "--pages", "2-3"},
         [&](const CliRun&) {
             // Twice the points of page 2 as displayed, the size of its picture.
             auto config = decodeBook(book, scratch.path());
             ASSERT_TRUE(config);
             EXPECT_EQ(config->root().child("Pages").attribute("largeWidth"), "1000");
             EXPECT_EQ(config->root().child("Pages").attribute("largeHeight"), "800");
         }},
        {"the mobile flip version under another name",
         {"--mobile", "flip", "--name", "mybook"},
         [&](const CliRun& run) {
             EXPECT_TRUE(fs::exists(book / "mybook.html"));
             EXPECT_NE(slurp(book / "mobile/javascript/main.js").find("bookConfig"),
                       std::string::npos);
             EXPECT_FALSE(listFolder(book / "files/mobile").empty());
             EXPECT_NE(run.out.find("Mobile version: " + (book / "mobile/index.html").string()),
                       std::string::npos);
         }},
        {"the mobile slide version",
         {"--mobile", "slide"},
         [&](const CliRun&) {
             const std::string page = slurp(book / "mobile/index.html");
             EXPECT_EQ(page.find("${index.title}"), std::string::npos);
             EXPECT_EQ(page.find("${fbbook.options}"), std::string::npos);
         }},
        {"the application form",
         {"--app", "--name", "mybook"},
         [&](const CliRun& run) {
             EXPECT_TRUE(fs::exists(book / "mybook.app/Contents/Resources/index.html"));
             EXPECT_TRUE(fs::exists(book / "mybook.app/Contents/Resources/files/config.xml"));
             EXPECT_FALSE(fs::exists(book / "mobile"));
             EXPECT_EQ(run.out, "Application written to " + (book / "mybook.app").string() + "\n");
         }},
        {"template, style, settings file and --set values, --set last",
         {"--template", "Panoramic", "--style", "Dusk", "--settings",
          (work / "settings.txt").string(), "--set", "AuthorName=Bob"},
         [&](const CliRun&) {
             auto config = decodeBook(book, scratch.path());
             ASSERT_TRUE(config);
             const std::string text = config->toString();
             EXPECT_NE(text.find("From the settings file"), std::string::npos);
             EXPECT_NE(text.find("<Name>Bob</Name>"), std::string::npos);
             EXPECT_TRUE(fs::exists(book / "files/extfiles/b.jpg")) << "the cube faces";
         }},
        {"missing named files are left out, a file from elsewhere is named, also when quiet",
         {"--settings", (work / "missing.txt").string(), "--quiet"},
         [&](const CliRun& run) {
             EXPECT_EQ(lineCount(run.err), 3u) << run.err;
             for (const char* file : {"logo.png", "music.mp3"})
                 EXPECT_EQ(linesWith(run.err, "warning: " + (work / "gone" / file).string()).size(),
                           1u)
                     << run.err;
             EXPECT_EQ(
                 linesWith(run.err, "notice: the book includes " + (work / "settings.txt").string())
                     .size(),
                 1u)
                 << run.err;
             EXPECT_EQ(listFolder(book / "files/extfiles"), Strings{"DownloadFile.txt"});
             auto config = decodeBook(book, scratch.path());
             ASSERT_TRUE(config);
             for (const char* named : {"LogoFile.png", "SoundFile.mp3"})
                 EXPECT_EQ(config->toString().find(named), std::string::npos) << named;
         }},
        {"names that are not UTF-8",
         {latin1.string(), "--format", "image", "--name", "n\xE9\xFF", "--title", "t\xE9"},
         [&](const CliRun&) { EXPECT_TRUE(fs::exists(book / "n\xE9\xFF.html")); }},
        {"an output folder whose name is not UTF-8",
         {"--out", (work / "b\xE9").string()},
         [&](const CliRun&) { EXPECT_TRUE(fs::exists(work / "b\xE9/index.html")); }},
    };
    if (haveConverter)
        cases.push_back(
            {"Flash pages made by the converter, measured on the first converted page",
             {mixed.string(), "--pages", "2-3", "--quiet"},
             [&](const CliRun& run) {
                 EXPECT_EQ(run.err, "") << "--quiet prints nothing on standard error";
                 EXPECT_EQ(listFolder(book / "files/page"), (Strings{"2.swf", "3.swf"}));
                 auto config = decodeBook(book, scratch.path());
                 EXPECT_EQ(pageItems(config, "normal"), (Strings{"page/2.swf", "page/3.swf"}));
                 EXPECT_EQ(pageItems(config, "thumb"), (Strings{"thumb/2.jpg", "thumb/3.jpg"}));
                 ASSERT_TRUE(config);
                 EXPECT_EQ(config->root().child("Pages").attribute("largeWidth"), "1000");
             }});
    const Strings inputs = listFolder(work.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(book);
        Strings args = {"publish", "--out", book.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun run = runCli(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        c.check(run);
    }
    Strings expected = inputs;
    expected.insert(expected.end(), {"b\xE9", "book"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listFolder(work.path()), expected) << "staging left over";
    expectUserFoldersUntouched();
}

TEST_F(Cli, FailuresAreOneLineWithTheirExitStatusAndLeaveNothing) {
    const fs::path good = pdf("good.pdf", plainDocument(3));
    FixtureDocument locked = plainDocument(1);
    locked.userPassword = "secret";
    const fs::path encrypted = pdf("locked.pdf", locked);
    const fs::path fifo = work / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FifoWriter writer(fifo);
    fs::create_directories(home.data() / "Drevalis/preview");
    const std::string out = (work / "out").string();
    struct Case {
        const char* what;
        Strings args;
        int exitCode;
        const char* mentions; // in the one line on standard error, or nullptr
    };
    const std::vector<Case> cases = {
        {"no command", {}, 2, "no command"},
        {"no output folder", {"publish"}, 2, "--out"},
        {"a quality out of range", {"publish", "--out", out, "--quality", "9"}, 2, "quality"},
        {"an unknown command", {"bogus"}, 2, "bogus"},
        {"inspect without a PDF", {"inspect"}, 2, "PDF"},
        {"a control sequence as a quality",
         {"publish", "--out", out, "--quality",
          "\x9b"
          "2J"},
         2,
         "quality"},
        {"a missing PDF", {"publish", (work / "none.pdf").string(), "--out", out}, 1, "none.pdf"},
        {"an encrypted PDF", {"publish", encrypted.string(), "--out", out}, 1, "encrypted"},
        {"a PDF whose name holds control sequences",
         {"publish", (work / "x\x1b[2J\r.pdf").string(), "--out", out},
         1,
         "does not exist"},
        {"a template name that retitles the terminal",
         {"publish", "--out", out, "--template", "\x1b]0;t\x07"},
         1,
         "unknown template"},
        {"a device as PDF", {"publish", "/dev/null", "--out", out}, 1, "not a regular file"},
        {"a pipe as PDF", {"publish", fifo.string(), "--out", out}, 1, "not a regular file"},
        {"a pipe as settings",
         {"publish", "--out", out, "--settings", fifo.string()},
         1,
         "not a regular file"},
        {"a pipe to inspect", {"inspect", fifo.string()}, 1, "not a regular file"},
        {"a page range beyond the PDF", {"inspect", good.string(), "--pages", "9"}, 1, "'9'"},
        {"the desktop application's preview",
         {"publish", "--out", (home.data() / "Drevalis").string(), "--overwrite"},
         1,
         "preview"},
        {"an input inside the output",
         {"publish", good.string(), "--out", work.path().string(), "--overwrite"},
         1,
         "good.pdf"},
        {"a missing logo with --strict",
         {"publish", "--out", out, "--quiet", "--strict", "--set",
          "LogoFile=" + (work / "none.png").string()},
         1,
         "--strict"},
    };
    const Strings before = listFolder(work.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(lineCount(run.err), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("zarvex-cli: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(controlsIn(run.err), "") << run.err;
        EXPECT_EQ(listFolder(work.path()), before);
    }
    EXPECT_TRUE(fs::exists(home.data() / "Drevalis/preview"));
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("publish"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).exitCode, 0);
}

TEST_F(Cli, OverwriteReplacesOnlyAnEarlierBookThatHoldsNoInput) {
    const fs::path book = work / "book";
    ASSERT_EQ(runCli({"publish", "--out", book.string()}).exitCode, 0);
    writeFile(book / "files/page/99.jpg", "a page of a longer book");
    writeFile(book / "files/extfiles/LogoFile.png", "a logo kept in the old book");
    writeFile(work / "settings.txt",
              "ImagePath=" + (book / "files/extfiles/LogoFile.png").string());
    const std::string oldConfig = slurp(book / "files/config.xml");
    for (const auto& [args, mentions] : std::vector<std::pair<Strings, std::string>>{
             {{"publish", "--out", book.string()}, "use --overwrite"},
             {{"publish", "--out", book.string(), "--overwrite", "--settings",
               (work / "settings.txt").string()},
              "LogoFile.png"}}) {
        const CliRun refused = runCli(args);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_NE(refused.err.find(mentions), std::string::npos) << refused.err;
    }
    EXPECT_EQ(slurp(book / "files/config.xml"), oldConfig);
    EXPECT_TRUE(fs::exists(book / "files/page/99.jpg"));

    fs::remove(book / "files/extfiles/LogoFile.png");
    const CliRun replaced = runCli({"publish", "--out", book.string(), "--overwrite"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_FALSE(fs::exists(book / "files/page/99.jpg"));
    EXPECT_TRUE(fs::exists(book / "index.html"));
    EXPECT_EQ(listFolder(work.path()), (Strings{"book", "settings.txt"}));
}

TEST_F(Cli, TemplatesAndInspectPrintTheirTreesEscaped) {
    const CliRun templates = runCli({"templates"});
    ASSERT_EQ(templates.exitCode, 0) << templates.err;
    for (const char* part : {"float (default):", "Panoramic:", "Dusk"})
        EXPECT_NE(templates.out.find(part), std::string::npos) << templates.out;

    const fs::path input = pdf("links.pdf", standardDocument());
    const CliRun both = runCli({"inspect", input.string(), "--pages", "1-2"});
    ASSERT_EQ(both.exitCode, 0) << both.err;
    for (const char* part : {"<pagesAnnos>", "https://example.com/a", "<ols>", "Chapter 1"})
        EXPECT_NE(both.out.find(part), std::string::npos) << both.out;
    EXPECT_EQ(both.out.find("https://example.com/c"), std::string::npos) << "page 3 not asked";
    EXPECT_EQ(runCli({"inspect", input.string(), "--links"}).out.find("<ols>"), std::string::npos);

    // A page turned by 90 degrees: the link as the page is displayed.
    const fs::path turned = pdf("placement.pdf", linkPlacementDocument());
    const CliRun placed = runCli({"inspect", turned.string(), "--links", "--pages", "2"});
    EXPECT_NE(placed.out.find("x=\"0.875000\" y=\"0.100000\" width=\"0.050000\" "
                              "height=\"0.200000\""),
              std::string::npos)
        << placed.out;

    FixtureDocument doc = plainDocument(1);
    doc.pages[0].links.push_back(
        FixtureLink::web({60, 700, 120, 40}, "https://example.com/\x1b]0;owned\x07\x1b[2J"));
    doc.outline = {{"Chapter\r\x1b[31m red \xC2\x9B"
                    "2J",
                    0,
                    {}}};
    const CliRun hostile = runCli({"inspect", pdf("controls.pdf", doc).string()});
    ASSERT_EQ(hostile.exitCode, 0) << hostile.err;
    EXPECT_EQ(controlsIn(hostile.out), "") << hostile.out;
    EXPECT_NE(hostile.out.find("owned"), std::string::npos) << "the address is shown, escaped";
}

TEST_F(Cli, SuggestedCommandsQuoteTheFolderForTheShell) {
    const std::string awkward = "it's a \"book\" $HOME `id` \\";
    struct Case {
        Strings args;
        std::string before, after; // around the quoted path in the output
        fs::path expected;
    };
    std::vector<Case> cases = {
        {{"publish", "--out", (work / awkward).string()},
         "xdg-open ",
         "\n",
         work / awkward / "index.html"},
    };
    if (haveConverter)
        cases.push_back({{"publish", pdf("flash.pdf", plainDocument(1)).string(), "--out",
                          (work / ("flash " + awkward)).string()},
                         "http.server -d ",
                         ", then open",
                         work / ("flash " + awkward)});
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

TEST_F(Cli, HostileInputsPublishSafelyOrFailOnOneLine) {
    const fs::path strings = pdf("strings.pdf", hostileStringsDocument());
    const fs::path huge = pdf("huge.pdf", hugeCountDocument());
    const fs::path large = pdf("large.pdf", FixtureDocument{{FixturePage{16500, 800}}, {}, {}, {}});
    writeFile(work / "settings.txt", "\n\rloop=1;alert(1)");
    const fs::path out = work / "out";
    Strings keptLinks;
    for (const auto& c : hostileLinkAddresses())
        if (c.imported)
            keptLinks.push_back(*c.imported);

    struct Case {
        const char* what;
        Strings args;
        const char* mentions; // in the one-line error; nullptr: the run succeeds
        std::function<void(const CliRun&)> check;
    };
    std::vector<Case> cases = {
        {"a script in a number given with --set",
         {"publish", "--out", out.string(), "--mobile", "flip", "--set", "Interval=3,x:alert(1)"},
         "Interval",
         {}},
        {"a script in a number of the settings file",
         {"publish", "--out", out.string(), "--mobile", "flip", "--settings",
          (work / "settings.txt").string()},
         "loop",
         {}},
        {"a number only the Flash book reads",
         {"publish", "--out", out.string(), "--set", "PerPageThickness=2px"},
         "PerPageThickness",
         {}},
        {"a sound number",
         {"publish", "--out", out.string(), "--mobile", "flip", "--set", "GradientAngle=-45"},
         nullptr,
         [&](const CliRun&) {
             EXPECT_NE(slurp(out / "mobile/javascript/main.js").find("bgMRotation:-45,"),
                       std::string::npos);
         }},
        {"links with control characters, bytes beyond UTF-8 and script addresses",
         {"publish", strings.string(), "--out", out.string(), "--format", "image", "--links",
          "--bookmarks"},
         nullptr,
         [&](const CliRun&) {
             EXPECT_EQ(pageItems(decodeBook(out, scratch.path()), "Link", "href"), keptLinks);
         }},
        {"bookmark titles in every encoding, with control characters",
         {"inspect", strings.string(), "--bookmarks"},
         nullptr,
         [&](const CliRun& run) {
             for (const auto& c : hostileBookmarkTitles())
                 EXPECT_NE(run.out.find("<c>" + *c.imported + "</c>"), std::string::npos)
                     << c.what << "\n"
                     << run.out;
         }},
        {"a page tree that claims 2147483647 pages",
         {"publish", huge.string(), "--out", out.string(), "--format", "image"},
         nullptr,
         [&](const CliRun&) {
             EXPECT_EQ(listFolder(out / "files/page"), (Strings{"1.jpg", "2.jpg"}));
         }},
    };
    if (haveConverter)
        cases.push_back(
            {"a page wider than the renderer's largest side, as a Flash page",
             {"publish", large.string(), "--out", out.string()},
             nullptr,
             [&](const CliRun&) { EXPECT_EQ(listFolder(out / "files/page"), Strings{"1.swf"}); }});
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(out);
        if (c.args.front() == "publish")
            c.args.push_back("--quiet");
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.mentions ? 1 : 0) << run.err;
        if (c.mentions) {
            EXPECT_EQ(lineCount(run.err), 1u) << run.err;
            EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(out)) << "a refused book left files";
        } else {
            EXPECT_EQ(run.err, "") << "libxml2 or anything else wrote to standard error";
            c.check(run);
        }
    }
    expectUserFoldersUntouched();
}

TEST_F(Cli, TwoRunsAtOnceDoNotDisturbEachOther) {
    const fs::path input = pdf("doc.pdf", standardDocument());
    auto publish = [&](const std::string& name, const std::string& pages) {
        return runCli({"publish", input.string(), "--out", (work / name).string(), "--format",
                       "image", "--pages", pages, "--quiet"});
    };
    auto first = std::async(std::launch::async, publish, "one", "1-2");
    auto second = std::async(std::launch::async, publish, "two", "3-5");
    CliRun a = first.get(), b = second.get();
    ASSERT_EQ(a.exitCode, 0) << a.err;
    ASSERT_EQ(b.exitCode, 0) << b.err;
    EXPECT_EQ(listFolder(work / "one/files/page"), (Strings{"1.jpg", "2.jpg"}));
    EXPECT_EQ(listFolder(work / "two/files/page"), (Strings{"3.jpg", "4.jpg", "5.jpg"}));
    expectUserFoldersUntouched();
}

TEST_F(Cli, WorkFilesStayInTheRunsOwnFolderAndGoWithIt) {
    const fs::path input = pdf("long.pdf", plainDocument(150));
    TempDir tmp("zarvex-cli-tmp");
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    auto publish = [&](const std::string& out, Strings more) {
        Strings args = {"publish", input.string(), "--format",
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
        std::error_code ec;
        for (fs::recursive_directory_iterator it(tmp.path(), ec), end; !ec && it != end;
             it.increment(ec))
            pagesDuringTheRun += it->path().extension() == ".jpg" ? 1 : 0;
    });
    EXPECT_EQ(interrupted.exitCode, 1) << interrupted.err;
    EXPECT_NE(interrupted.err.find("interrupted"), std::string::npos) << interrupted.err;
    EXPECT_GT(pagesDuringTheRun, 0u) << "the pages are made inside the run's own folder";
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after an interrupted run";
    EXPECT_FALSE(fs::exists(work / "interrupted"));
}
