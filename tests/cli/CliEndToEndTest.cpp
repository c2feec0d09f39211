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

TEST_F(Cli, OverwriteReplacesTheOldBookCompletely) {
    fs::path book = work / "book";
    writeFile(book / "old.txt", "old");
    CliRun refused = runCli({"publish", "--out", book.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(slurp(book / "old.txt"), "old");

    ASSERT_EQ(runCli({"publish", "--out", book.string(), "--overwrite"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(book / "old.txt"));
    EXPECT_TRUE(fs::exists(book / "index.html"));
    EXPECT_EQ(listFolder(work.path()), std::vector<std::string>{"book"});
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
