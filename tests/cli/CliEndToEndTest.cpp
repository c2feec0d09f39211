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
#include <map>
#include <sstream>
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

std::string joined(const Strings& items) {
    std::string text;
    for (const auto& item : items)
        text += " " + item;
    return text;
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

// What a published book holds, one fact a line, for the tables to search:
// "files/page: 1.jpg 2.jpg" (and thumb, extfiles), "size: 1000x800", and per
// item name of the page list "normal: page/1.jpg ..." in page order (links by
// their href), then the configuration itself, decoded: Base64, then RC4 with the
// book key, then the ZIP archive, unpacked by the system's unzip.
std::string bookSummary(const fs::path& book, const fs::path& scratch) {
    std::string text;
    for (const char* folder : {"files/page", "files/thumb", "files/extfiles"})
        text += std::string(folder) + ":" + joined(listFolder(book / folder)) + "\n";
    auto envelope = xml::Document::parseFile(book / "files/config.xml");
    auto scrambled = envelope ? Base64::decode(envelope->root().text()) : std::nullopt;
    if (!scrambled)
        return text + "no configuration";
    writeFile(scratch / "config.zip", RC4::process(kConfigKey, *scrambled));
    ProcessResult unzip =
        runProcess("/usr/bin/unzip", {"-p", (scratch / "config.zip").string(), "config.xml"});
    auto config = xml::Document::parse(unzip.output);
    if (!config)
        return text + "the configuration does not decode";
    const xml::Node pages = config->root().child("Pages");
    text += "size: " + pages.attributeOr("largeWidth", "") + "x" +
            pages.attributeOr("largeHeight", "") + "\n";
    std::map<std::string, Strings> items;
    for (const auto& page : pages.children()) {
        for (const auto& item : page.children()) {
            const std::string name = item.attributeOr("name", "");
            items[name].push_back(name == "Link" ? item.attributeOr("href", "") : item.text());
        }
    }
    for (const auto& [name, list] : items)
        text += name + ":" + joined(list) + "\n";
    return text + config->toString();
}

// Each of `parts` is in `text`, or with a leading "!" is not.
void expectHolds(const std::string& text, const Strings& parts) {
    for (const auto& part : parts) {
        if (part.starts_with("!"))
            EXPECT_EQ(text.find(part.substr(1)), std::string::npos) << part << " in\n" << text;
        else
            EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
    }
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

// One run of zarvex-cli and what it must show. A publish without --out writes
// into the fixture's `book`. Nothing printed carries terminal controls; a
// failure (exit status not 0) prints one line and leaves no book.
struct Case {
    const char* what = "";
    std::string args = ""; // split at spaces
    int exitCode = 0;
    Strings printed = {}; // in standard output or error ("!": not)
    Strings files = {};   // in the book; "path~text": holding text; "!path": absent
    Strings summary = {}; // in bookSummary() ("!": not)
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(cliPath()))
            GTEST_SKIP() << "zarvex-cli is not built";
    }

    // A PDF written from `document` into the work folder.
    std::string pdf(const std::string& name, const FixtureDocument& document) {
        writeFixturePdf(work / name, document);
        return (work / name).string();
    }

    void expectRuns(const std::vector<Case>& cases) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            fs::remove_all(book);
            Strings args;
            for (std::size_t at = 0; at < c.args.size();) {
                const std::size_t end = std::min(c.args.find(' ', at), c.args.size());
                args.push_back(c.args.substr(at, end - at));
                at = end + 1;
            }
            if (!args.empty() && args.front() == "publish" &&
                std::find(args.begin(), args.end(), "--out") == args.end())
                args.insert(args.begin() + 1, {"--out", book.string()});
            const CliRun run = runCli(args);
            EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
            expectHolds(run.out + run.err, c.printed);
            EXPECT_EQ(controlsIn(run.out + run.err), "") << run.out << run.err;
            if (c.exitCode != 0) {
                EXPECT_EQ(lineCount(run.err), 1u) << run.err;
                EXPECT_EQ(run.err.rfind("zarvex-cli: ", 0), 0u) << run.err;
                EXPECT_FALSE(fs::exists(book)) << "a refused book left files";
                continue;
            }
            for (const auto& file : c.files) {
                const auto tilde = file.find('~');
                if (file.starts_with("!"))
                    EXPECT_FALSE(fs::exists(book / file.substr(1))) << file;
                else if (tilde == std::string::npos)
                    EXPECT_TRUE(fs::exists(book / file)) << file;
                else
                    expectHolds(slurp(book / file.substr(0, tilde)), {file.substr(tilde + 1)});
            }
            // With --quiet, standard error holds only the warnings and notices.
            std::istringstream lines(run.err);
            for (std::string line; std::find(args.begin(), args.end(), "--quiet") != args.end() &&
                                   std::getline(lines, line);)
                EXPECT_TRUE(line.starts_with("zarvex-cli: warning: ") ||
                            line.starts_with("zarvex-cli: notice: "))
                    << line;
            if (!c.summary.empty())
                expectHolds(bookSummary(book, scratch.path()), c.summary);
        }
        for (const auto& name : listFolder(work.path()))
            EXPECT_NE(name.front(), '.') << "staging left over: " << name;
        expectUserFoldersUntouched();
    }

    // The run's user folders hold nothing a command-line run left behind.
    void expectUserFoldersUntouched() {
        EXPECT_EQ(listFolder(home.data() / "Drevalis"), userFolders) << "preview folder touched";
        EXPECT_FALSE(fs::exists(home.config() / "zarvex")) << "saved settings touched";
    }

    TempHome home;
    TempDir work{"zarvex-cli-test"};
    TempDir scratch{"zarvex-cli-scratch"};
    const fs::path book = work / "book";
    Strings userFolders; // what the test made in the desktop application's folder
    const bool haveConverter = fs::exists(resourcePath("lib/pdf2swf"));
};

} // namespace

TEST_F(Cli, EachCommandDoesWhatWasAsked) {
    const std::string links = pdf("links.pdf", standardDocument());
    FixtureDocument controls = plainDocument(1);
    controls.pages[0].links.push_back(
        FixtureLink::web({60, 700, 120, 40}, "https://example.com/\x1b]0;owned\x07\x1b[2J"));
    controls.outline = {{"Chapter\r\x1b[31m red \xC2\x9B"
                         "2J",
                         0,
                         {}}};
    // An A4 page 1 and two pages of 400 x 500 points turned by 90 degrees.
    FixtureDocument leftOut = plainDocument(3, 595, 842);
    leftOut.pages[1] = leftOut.pages[2] = FixturePage{400, 500, 90};
    const std::string mixed = pdf("mixed.pdf", leftOut);
    const std::string settings = (work / "settings.txt").string();
    writeFile(settings, "\n\rTitle=From the settings file\n\rAuthorName=Ann");
    const std::string gone = (work / "gone").string();
    writeFile(work / "missing.txt", "\n\rLogoFile=" + gone + "/logo.png\n\rSoundFile=" + gone +
                                        "/music.mp3\n\rDownloadFile=" + settings);
    Strings demoPages; // numbered from 1, in name order
    for (std::size_t n = 1; n <= listFolder(resourcePath("DemoImgs_standard/large")).size(); ++n)
        demoPages.push_back(std::to_string(n) + ".jpg");
    std::sort(demoPages.begin(), demoPages.end());
    std::vector<Case> cases = {
        {.what = "the templates with their styles",
         .args = "templates",
         .printed = {"float (default):", "Panoramic:", "Dusk"}},
        {.what = "the link and bookmark trees of the pages asked",
         .args = "inspect " + links + " --pages 1-2",
         .printed = {"<pagesAnnos>", "https://example.com/a", "<ols>", "Chapter 1",
                     "!https://example.com/c"}},
        {.what = "the link tree alone",
         .args = "inspect " + links + " --links",
         .printed = {"https://example.com/c", "!<ols>"}},
        // A page turned by 90 degrees: the link as the page is displayed.
        {.what = "links placed on the displayed page",
         .args = "inspect " + pdf("placement.pdf", linkPlacementDocument()) + " --links --pages 2",
         .printed = {"x=\"0.875000\" y=\"0.100000\" width=\"0.050000\" height=\"0.200000\""}},
        {.what = "terminal controls in links and bookmarks, shown escaped",
         .args = "inspect " + pdf("controls.pdf", controls),
         .printed = {"owned", "red"}},
        {.what = "the demo book without a PDF",
         .args = "publish",
         .printed = {"Done\n", "xdg-open '" + (book / "index.html").string() + "'\n"},
         .files = {"index.html", "files/book.swf"},
         .summary = {"files/page:" + joined(demoPages) + "\n"}},
        {.what = "a PDF's pages, thumbnails, links and title",
         .args = "publish " + links + " --format image --links --bookmarks --quality 1 --title Ln",
         .files = {"index.html~<title>Ln</title>"},
         .summary = {"normal: page/1.jpg page/2.jpg page/3.jpg page/4.jpg page/5.jpg\n",
                     // the thumbnail strip reads the thumbnails, not the full pages
                     "thumb: thumb/1.jpg thumb/2.jpg thumb/3.jpg thumb/4.jpg thumb/5.jpg\n",
                     "files/thumb: 1.jpg 2.jpg 3.jpg 4.jpg 5.jpg\n",
                     "Link: https://example.com/a 3 https://example.com/b 1 "
                     "https://example.com/c 5\n"}},
        // Twice the points of page 2 as displayed, the size of its picture.
        {.what = "image pages take their size from the first imported page",
         .args = "publish " + mixed + " --format image --pages 2-3",
         .summary = {"size: 1000x800\n"}},
        {.what = "the mobile flip version under another name",
         .args = "publish --mobile flip --name mybook",
         .printed = {"Mobile version: " + (book / "mobile/index.html").string() + "\n"},
         .files = {"mybook.html", "mobile/javascript/main.js~bookConfig", "files/mobile/1.jpg"}},
        {.what = "the mobile slide version",
         .args = "publish --mobile slide",
         .files = {"mobile/index.html~!${index.title}", "mobile/index.html~!${fbbook.options}"}},
        {.what = "the application form",
         .args = "publish --app --name mybook",
         .printed = {"Application written to " + (book / "mybook.app").string() + "\n",
                     "!xdg-open"},
         .files = {"mybook.app/Contents/Resources/index.html",
                   "mybook.app/Contents/Resources/files/config.xml", "!mobile"}},
        {.what = "template, style, settings file and --set values, --set last",
         .args = "publish --template Panoramic --style Dusk --settings " + settings +
                 " --set AuthorName=Bob",
         .files = {"files/extfiles/b.jpg"},
         .summary = {"From the settings file", "<Name>Bob</Name>"}},
        {.what = "missing named files are left out, a file from elsewhere is named, also quiet",
         .args = "publish --quiet --settings " + (work / "missing.txt").string(),
         .printed = {"zarvex-cli: warning: " + gone + "/logo.png (LogoFile) is missing",
                     "zarvex-cli: warning: " + gone + "/music.mp3 (SoundFile) is missing",
                     "zarvex-cli: notice: the book includes " + settings + " (DownloadFile)",
                     "!Done"},
         .summary = {"files/extfiles: DownloadFile.txt\n", "!LogoFile.png", "!SoundFile.mp3"}},
        {.what = "names that are not UTF-8",
         .args = "publish " + pdf("caf\xE9.pdf", plainDocument(1)) +
                 " --format image --name n\xE9\xFF --title t\xE9",
         .files = {"n\xE9\xFF.html"}},
        {.what = "an output folder whose name is not UTF-8",
         .args = "publish --out " + (work / "b\xE9").string(),
         .printed = {"b\\xe9/index.html"}},
    };
    if (haveConverter)
        cases.push_back({.what = "Flash pages by the converter, measured on the first converted",
                         .args = "publish " + mixed + " --pages 2-3",
                         .printed = {"http.server -d", "http://localhost:8000/index.html\n"},
                         .summary = {"normal: page/2.swf page/3.swf\n", "files/page: 2.swf 3.swf\n",
                                     "thumb: thumb/2.jpg thumb/3.jpg\n", "size: 1000x800\n"}});
    expectRuns(cases);
    EXPECT_TRUE(fs::exists(work / "b\xE9/index.html"));
}

TEST_F(Cli, FailuresAreOneLineWithTheirExitStatusAndLeaveNothing) {
    const std::string good = pdf("good.pdf", plainDocument(3));
    const std::string fifo = (work / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FifoWriter writer(fifo);
    fs::create_directories(home.data() / "Drevalis/preview");
    userFolders = {"preview"};
    const fs::path old = work / "old";
    ASSERT_EQ(runCli({"publish", "--out", old.string()}).exitCode, 0);
    writeFile(old / "files/page/99.jpg", "a page of a longer book");
    writeFile(old / "files/extfiles/LogoFile.png", "a logo kept in the old book");
    writeFile(work / "settings.txt", "ImagePath=" + (old / "files/extfiles/LogoFile.png").string());
    const std::string oldConfig = slurp(old / "files/config.xml");
    const std::vector<Case> cases = {
        {.what = "no command", .exitCode = 2, .printed = {"no command"}},
        {.what = "a control sequence as a quality",
         .args = "publish --quality \x9b"
                 "2J",
         .exitCode = 2,
         .printed = {"quality"}},
        {.what = "a PDF whose name holds control sequences",
         .args = "publish " + (work / "x\x1b[2J\r.pdf").string(),
         .exitCode = 1,
         .printed = {"does not exist"}},
        {.what = "a template name that retitles the terminal",
         .args = "publish --template \x1b]0;t\x07",
         .exitCode = 1,
         .printed = {"unknown template"}},
        {.what = "a device as PDF",
         .args = "publish /dev/null",
         .exitCode = 1,
         .printed = {"not a regular file"}},
        {.what = "a pipe as PDF",
         .args = "publish " + fifo,
         .exitCode = 1,
         .printed = {"not a regular file"}},
        {.what = "a pipe as settings",
         .args = "publish --settings " + fifo,
         .exitCode = 1,
         .printed = {"not a regular file"}},
        {.what = "a pipe to inspect",
         .args = "inspect " + fifo,
         .exitCode = 1,
         .printed = {"not a regular file"}},
        {.what = "a page range beyond the PDF",
         .args = "inspect " + good + " --pages 9",
         .exitCode = 1,
         .printed = {"'9'"}},
        {.what = "the desktop application's preview",
         .args = "publish --overwrite --out " + (home.data() / "Drevalis").string(),
         .exitCode = 1,
         .printed = {"preview"}},
        {.what = "an earlier book without --overwrite",
         .args = "publish --out " + old.string(),
         .exitCode = 1,
         .printed = {"use --overwrite"}},
        {.what = "an earlier book holding a file of the settings",
         .args = "publish --quiet --overwrite --out " + old.string() + " --settings " +
                 (work / "settings.txt").string(),
         .exitCode = 1,
         .printed = {"LogoFile.png"}},
    };
    const Strings before = listFolder(work.path());
    expectRuns(cases);
    EXPECT_EQ(listFolder(work.path()), before);
    EXPECT_EQ(listFolder(home.data() / "Drevalis/preview"), Strings{});
    EXPECT_EQ(slurp(old / "files/config.xml"), oldConfig);
    EXPECT_TRUE(fs::exists(old / "files/page/99.jpg"));

    fs::remove(old / "files/extfiles/LogoFile.png");
    const CliRun replaced = runCli({"publish", "--out", old.string(), "--overwrite"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_FALSE(fs::exists(old / "files/page/99.jpg"));
    EXPECT_TRUE(fs::exists(old / "index.html"));
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("publish"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).exitCode, 0);
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
        cases.push_back({{"publish", pdf("flash.pdf", plainDocument(1)), "--out",
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
    const std::string strings = pdf("strings.pdf", hostileStringsDocument());
    writeFile(work / "settings.txt", "\n\rloop=1;alert(1)");
    Strings keptLinks, titles;
    for (const auto& c : hostileLinkAddresses())
        if (c.imported)
            keptLinks.push_back(*c.imported);
    for (const auto& c : hostileBookmarkTitles())
        titles.push_back("<c>" + *c.imported + "</c>");
    std::vector<Case> cases = {
        {.what = "a script in a number given with --set",
         .args = "publish --mobile flip --set Interval=3,x:alert(1)",
         .exitCode = 1,
         .printed = {"Interval"}},
        {.what = "a script in a number of the settings file",
         .args = "publish --mobile flip --settings " + (work / "settings.txt").string(),
         .exitCode = 1,
         .printed = {"loop"}},
        {.what = "a number only the Flash book reads",
         .args = "publish --set PerPageThickness=2px",
         .exitCode = 1,
         .printed = {"PerPageThickness"}},
        {.what = "a sound number",
         .args = "publish --mobile flip --set GradientAngle=-45",
         .files = {"mobile/javascript/main.js~bgMRotation:-45,"}},
        {.what = "links with control characters, bytes beyond UTF-8 and script addresses",
         .args = "publish " + strings + " --format image --links --bookmarks",
         .summary = {"Link:" + joined(keptLinks) + "\n"}},
        {.what = "bookmark titles in every encoding, with control characters",
         .args = "inspect " + strings + " --bookmarks",
         .printed = titles},
        {.what = "a page tree that claims 2147483647 pages",
         .args = "publish " + pdf("huge.pdf", hugeCountDocument()) + " --format image",
         .summary = {"files/page: 1.jpg 2.jpg\n"}},
    };
    if (haveConverter)
        cases.push_back(
            {.what = "a page wider than the renderer's largest side, as a Flash page",
             .args = "publish " + pdf("large.pdf", {{FixturePage{16500, 800}}, {}, {}, {}}),
             .summary = {"files/page: 1.swf\n"}});
    for (auto& c : cases)
        c.args += " --quiet"; // so anything on standard error, such as libxml2's, is seen
    expectRuns(cases);
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
