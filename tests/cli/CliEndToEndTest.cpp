// Runs the built zarvex-cli as a user would, in a home of its own. The publishing
// job (core/app/PublishJob) is checked here, with its refusals, its progress
// and its interruption.
#include "archive/ConfigEnvelope.h"
#include "base/Process.h"
#include "base/Resources.h"
#include "base/TextEncoding.h"
#include "base/Xml.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace zarvex;
using namespace zarvex::test;

namespace {

using Strings = std::vector<std::string>;

fs::path cliPath() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "zarvex-cli";
}

// Standard input is a pipe, so that /dev/stdin names one.
ProcessResult runCli(const Strings& args) {
    Strings shell = {"-c", "echo | exec \"$0\" \"$@\"", cliPath().string()};
    shell.insert(shell.end(), args.begin(), args.end());
    return runProcess("/bin/sh", shell);
}

// Runs zarvex-cli under bash, which stops it once its progress shows the import,
// prints "pages=N" (the page pictures under $TMPDIR then), interrupts it as Ctrl-C
// would, and prints its standard error and "status=N" once it has ended.
ProcessResult runCliInterrupted(const Strings& args) {
    Strings bash = {"-c", R"sh(exec 3< <(exec "$@" 2>&1 >/dev/null); cli=$!
while IFS= read -r line <&3 && [[ $line != "Importing pages: "* ]]; do :; done
kill -STOP $cli; echo "pages=$(find "$TMPDIR" -name '*.jpg' | wc -l)"
kill -INT $cli; kill -CONT $cli; cat <&3; wait $cli; echo "status=$?")sh",
                    "bash", cliPath().string()};
    bash.insert(bash.end(), args.begin(), args.end());
    return runProcess("/bin/bash", bash);
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

// The first value of the first quantization table of the JPEG `bytes`, which
// libjpeg scales with the quality: 1 at 100, 5 at 85; 0 when there is none.
int firstQuantizer(const std::string& bytes) {
    const std::size_t at = bytes.find(std::string("\xFF\xDB\x00\x43\x00", 5));
    return at == std::string::npos || at + 5 >= bytes.size()
               ? 0
               : static_cast<unsigned char>(bytes[at + 5]);
}

// "WxH" of the JPEG `bytes`, from its frame header; "?" without one.
std::string jpegPixels(const std::string& bytes) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    for (std::size_t at = 2; at + 9 <= bytes.size() && byte(at) == 0xFF;
         at += 2 + (byte(at + 2) << 8 | byte(at + 3))) {
        if (byte(at + 1) >= 0xC0 && byte(at + 1) <= 0xC2)
            return std::to_string(byte(at + 7) << 8 | byte(at + 8)) + "x" +
                   std::to_string(byte(at + 5) << 8 | byte(at + 6));
    }
    return "?";
}

// What a published book holds, one fact a line, for the tables to search:
// "files/page: 1.jpg 2.jpg" (and thumb, extfiles), "first quantizer: 5" (of the
// first page picture, when the pages are pictures), "size: 1000x800", and per
// item name of the page list "normal: page/1.jpg ..." in page order (links by
// their href), "zoom/1.jpg 2380x3366 = 2 x page" (each zoom image's size, said
// to be twice its JPEG page's, or else with the page's size), then the decoded
// configuration itself.
std::string bookSummary(const fs::path& book) {
    std::string text;
    for (const char* folder : {"files/page", "files/thumb", "files/extfiles"})
        text += std::string(folder) + ":" + joined(listFolder(book / folder)) + "\n";
    if (const auto pages = listFolder(book / "files/page");
        !pages.empty() && pages.front().ends_with(".jpg"))
        text += "first quantizer: " +
                std::to_string(firstQuantizer(slurp(book / "files/page" / pages.front()))) + "\n";
    for (const std::string& name : listFolder(book / "files/zoom")) {
        if (!name.ends_with(".jpg"))
            continue;
        const std::string zoom = jpegPixels(slurp(book / "files/zoom" / name));
        text += "zoom/" + name + " " + zoom;
        if (fs::exists(book / "files/page" / name)) {
            const std::string page = jpegPixels(slurp(book / "files/page" / name));
            const auto x = page.find('x');
            const bool twice = x != std::string::npos &&
                               zoom == std::to_string(2 * std::stoi(page)) + "x" +
                                           std::to_string(2 * std::stoi(page.substr(x + 1)));
            text += twice ? " = 2 x page" : ", page " + page;
        }
        text += "\n";
    }
    const auto envelope = xml::Document::parseFile(book / "files/config.xml");
    const auto config = xml::Document::parse(
        unscrambleConfig(envelope ? envelope->root().text() : "").value_or(""));
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

// One run of zarvex-cli and what it must show. A publish without --out writes
// into the fixture's `book`. Nothing printed carries terminal controls; a
// failure (exit status not 0) prints one line and leaves no book.
struct Case {
    const char* what = "";
    std::string args = ""; // split at spaces
    int exitCode = 0;
    std::string refusal = ""; // in the one line of a failure
    Strings printed = {};     // in standard output or error ("!": not)
    Strings files = {};       // in the book; "path~text": holding text; "!path": absent
    Strings summary = {};     // in bookSummary() ("!": not)
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
            Strings args = splitAtSpaces(c.args);
            const bool publish = c.args.starts_with("publish");
            const bool quiet = c.args.find(" --quiet") != std::string::npos;
            const bool intoBook = publish && c.args.find(" --out ") == std::string::npos;
            if (intoBook)
                args.insert(args.begin() + 1, {"--out", book.string()});
            // A failing publish is quiet, so that its message is the only line.
            if (c.exitCode != 0 && publish)
                args.push_back("--quiet");
            const ProcessResult run = runCli(args);
            EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
            expectHolds(run.output + run.errors, c.printed);
            EXPECT_EQ(controlsIn(run.output + run.errors), "") << run.output << run.errors;
            if (c.exitCode != 0) {
                EXPECT_TRUE(run.errors.starts_with("zarvex-cli: ") &&
                            run.errors.find(c.refusal) != std::string::npos &&
                            std::count(run.errors.begin(), run.errors.end(), '\n') == 1)
                    << run.errors;
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
            // A suggested command, pasted into a shell, names a file of the book.
            for (const std::string cue : {"xdg-open ", "http.server -d "}) {
                const std::size_t at = run.output.find(cue);
                if (!intoBook || at == std::string::npos)
                    continue;
                const std::size_t start = at + cue.size();
                const std::string quoted =
                    run.output.substr(start, run.output.find_first_of(",\n", start) - start);
                const std::string read =
                    runProcess("/bin/sh", {"-c", "printf %s " + quoted}).output;
                EXPECT_TRUE(read.starts_with(book.string()) && fs::exists(read)) << quoted;
            }
            // With --quiet, standard error holds only the warnings and notices.
            EXPECT_TRUE(!quiet ||
                        std::regex_match(run.errors, std::regex("(zarvex-cli: "
                                                                "(warning|notice): [^\n]*\n)*")))
                << run.errors;
            if (!c.summary.empty())
                expectHolds(bookSummary(book), c.summary);
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
    // A name that the shell would split, expand and run unless it is quoted.
    const fs::path book = work / "it's a \"book\" $HOME `id` \\";
    Strings userFolders; // what the test made in the desktop application's folder
    const bool haveConverter = fs::exists(resourcePath("lib/pdf2swf"));
};

} // namespace

TEST_F(Cli, EachCommandDoesWhatWasAskedEvenWithHostileInputs) {
    const std::string links = pdf("links.pdf", standardDocument());
    // An A4 page 1 and two pages of 400 x 500 points turned by 90 degrees.
    FixtureDocument leftOut = plainDocument(3, 595, 842);
    leftOut.pages[1] = leftOut.pages[2] = FixturePage{400, 500, 90};
    const std::string mixed = pdf("mixed.pdf", leftOut);
    const std::string strings = pdf("strings.pdf", hostileStringsDocument());
    const std::string words = pdf("words.pdf", textPlacementDocument());
    // A4 (its width and height are no whole numbers of points), the same turned by 90
    // degrees, and a strip whose zoom image would be wider than a render may be.
    const std::string shapes =
        pdf("shapes.pdf", {.pages = {FixturePage{595.28, 841.89}, FixturePage{595.28, 841.89, 90},
                                     FixturePage{9000, 300}}});
    Strings keptLinks;
    for (const auto& c : hostileLinkAddresses())
        if (c.imported)
            keptLinks.push_back(*c.imported);
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
        {.what = "the help", .args = "--help", .printed = {"publish", "inspect"}},
        {.what = "the version", .args = "--version", .printed = {"zarvex-cli "}},
        {.what = "the templates with their styles",
         .args = "templates",
         .printed = {"float (default):", "Panoramic:", "Dusk"}},
        {.what = "the link and bookmark trees of the pages asked",
         .args = "inspect " + links + " --pages 1-2",
         .printed = {"<pagesAnnos>", "https://example.com/a", "<ols>", "Chapter 1",
                     "!https://example.com/c"}},
        {.what = "the demo book without a PDF",
         .args = "publish",
         .printed = {"Done\n", "xdg-open "},
         .files = {"index.html", "files/book.swf"},
         .summary = {"files/page:" + joined(demoPages) + "\n"}},
        {.what = "a PDF's pages, thumbnails, links and title, each pass and step shown",
         .args = "publish " + links + " --format image --links --bookmarks --quality 0 --title Ln",
         .printed = {"Importing pages: 5 of 5\nMaking thumbnails: 1 of 5\n",
                     "Making thumbnails: 5 of 5\nMaking mobile images: 1 of 5\n",
                     "Making mobile images: 5 of 5\nCollecting pages: 1 of 5\n",
                     "Collecting pages: 5 of 5\nBuilding the preview\nWriting the book: 1 of "},
         .files = {"index.html~<title>Ln</title>",
                   "files/outline.js~window.ZARVEX_OUTLINE_XML = \"<ols><o><c>Chapter 1"},
         // the title is the player's too, and the quality asked wins
         .summary = {"<Title>Ln</Title>", "first quantizer: 1\n",
                     "normal: page/1.jpg page/2.jpg page/3.jpg page/4.jpg page/5.jpg\n",
                     // the thumbnail strip reads the thumbnails, not the full pages
                     "thumb: thumb/1.jpg thumb/2.jpg thumb/3.jpg thumb/4.jpg thumb/5.jpg\n",
                     "files/thumb: 1.jpg 2.jpg 3.jpg 4.jpg 5.jpg\n",
                     "Link: https://example.com/a 3 https://example.com/b 1 "
                     "https://example.com/c 5\n"}},
        {.what = "a PDF with bookmarks, not asked for, gives a book without contents",
         .args = "publish " + links + " --format image --pages 2",
         .files = {"!files/outline.xml", "!files/outline.js", "!files/zoom"}},
        // The page list keeps the normal pages as its large ones.
        {.what = "zoom images twice the pages' pixels each way, capped, with their manifest",
         .args = "publish " + shapes + " --format image --zoom-pages",
         .printed = {"Making zoom pages: 1 of 3\n", "Making zoom pages: 3 of 3\n"},
         .files = {"files/zoom/index.json~{\"v\":1,\"scale\":2,\"pages\":[1,2,3]}\n",
                   "files/zoom/index.js~window.ZARVEX_ZOOM_INDEX = "
                   "{\"v\":1,\"scale\":2,\"pages\":[1,2,3]};\n"},
         .summary = {"zoom/1.jpg 2380x3366 = 2 x page\n", "zoom/2.jpg 3366x2380 = 2 x page\n",
                     "zoom/3.jpg 32767x1092, page 18000x600\n",
                     "large: page/1.jpg page/2.jpg page/3.jpg\n"}},
        // Twice the points of page 2 as displayed, the size of its picture.
        {.what = "image pages take their size from the first imported page, at quality 85",
         .args = "publish " + mixed + " --format image --pages 2-3",
         // the page asks for the first page's file before the viewer's scripts run
         .files = {"index.html~(\"page/2.jpg\")"},
         .summary = {"size: 1000x800\n", "first quantizer: 5\n", "<Title>My Flip Book</Title>"}},
        {.what = "the mobile flip version under another name, with a sound number",
         .args = "publish --mobile flip --name mybook --set GradientAngle=-45 --title Page "
                 "--set Title=Player",
         .printed = {"Mobile version: " + (book / "mobile/index.html").string() + "\n"},
         .files = {"mybook.html~<title>Page</title>", "mobile/javascript/main.js~bgMRotation:-45,",
                   "files/mobile/1.jpg"},
         .summary = {"<Title>Player</Title>"}},
        {.what = "the application form",
         .args = "publish --app --name mybook",
         .printed = {"Application written to " + (book / "mybook.app").string() + "\n",
                     "!xdg-open"},
         .files = {"mybook.app/Contents/Resources/index.html",
                   "mybook.app/Contents/Resources/files/config.xml", "!mobile"}},
        {.what = "template, style, settings file and --set values, --set last; mobile slides",
         .args = "publish --template Panoramic --style Dusk --settings " + settings +
                 " --set AuthorName=Bob --mobile slide --title Page",
         .files = {"files/extfiles/b.jpg", "mobile/index.html~!${index.title}",
                   "mobile/index.html~!${fbbook.options}"},
         .summary = {"<Title>From the settings file</Title>", "<Name>Bob</Name>"}},
        {.what = "missing named files are left out, a file from elsewhere is named, also quiet",
         .args = "publish --quiet --settings " + (work / "missing.txt").string(),
         .printed = {"zarvex-cli: warning: " + gone + "/logo.png (LogoFile) is missing",
                     "zarvex-cli: warning: " + gone + "/music.mp3 (SoundFile) is missing",
                     "zarvex-cli: notice: the book includes " + settings + " (DownloadFile)",
                     "!Done"},
         .summary = {"files/extfiles: DownloadFile.txt\n", "!LogoFile.png", "!SoundFile.mp3"}},
        {.what = "names and an output folder that are not UTF-8",
         .args = "publish " + pdf("caf\xE9.pdf", plainDocument(1)) +
                 " --format image --name n\xE9\xFF --title t\xE9 --out " +
                 (work / "b\xE9").string(),
         .printed = {"b\\xe9/n\\xe9\\xff.html"}},
        // The text version for readers without script: escaped, CJK letters together.
        {.what = "the pages' text in files of its own and in the HTML page",
         .args = "publish " + words + " --format image --pages 1,7,8,99 --text",
         .printed = {"Done\n"},
         // the files' form is the page text's matter (PageTextTest)
         .files = {"files/text/index.json~{\"v\":1,\"pages\":[1,7,8]}", "files/text/8.js",
                   "!files/text/2.json",
                   "index.html~<meta name=\"description\" content=\"1 Zarvex finds words over "
                   "&lt;/script&gt; pages 7 \u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD 8 "
                   "\u4E2D\u6587\u5B57\">",
                   "index.html~<section><h2>Page 1</h2>\n<p>1</p>\n<p>Zarvex finds words</p>\n"
                   "<p>over &lt;/script&gt; pages</p>\n</section>",
                   "index.html~<h2>Page 8</h2>\n<p>8</p>\n<p>\u4E2D\u6587\u5B57</p>",
                   "index.html~!<h2>Page 2</h2>",
                   "index.html~<div id=\"zarvex-book\" class=\"zv-host\">"}},
        // Quiet, so that anything on standard error, such as libxml2's, is seen.
        {.what = "links with control characters, bytes beyond UTF-8 and script addresses",
         .args = "publish " + strings + " --format image --links --bookmarks --quiet",
         .files = {"files/outline.js~window.ZARVEX_OUTLINE_XML = \"<ols>"},
         .summary = {"Link:" + joined(keptLinks) + "\n"}},
    };
    if (haveConverter) {
        cases.push_back({.what = "Flash pages by the converter, measured on the first converted",
                         .args = "publish " + mixed + " --pages 2-3 --zoom-pages",
                         .printed = {"http.server -d", "http://localhost:8000/index.html\n"},
                         .summary = {"normal: page/2.swf page/3.swf\n", "files/page: 2.swf 3.swf\n",
                                     "zoom/2.jpg 2000x1600\n", "zoom/3.jpg 2000x1600\n",
                                     "thumb: thumb/2.jpg thumb/3.jpg\n", "size: 1000x800\n"}});
    }
    expectRuns(cases);
    EXPECT_TRUE(fs::exists(work / "b\xE9/n\xE9\xFF.html"));
}

// One row per way a run fails: a usage error, a bad PDF, a bad page range and a
// refused output folder (each folder kept out, and the overwrite rules); the
// interruption is the work files' test below.
TEST_F(Cli, RefusalsFailOnOneLineAndLeaveNothing) {
    const std::string doc = pdf("doc.pdf", plainDocument(3));
    const std::string notPdf = (work / "x\x1b[2J\r.pdf").string();
    writeFile(notPdf, "this is not a PDF");
    const fs::path old = work / "old";
    writeFile(old / "files/config.xml", "an earlier book");
    writeFile(old / "files/page/99.jpg", "a page of a longer book");
    const std::string logo = (old / "files/extfiles/LogoFile.png").string();
    writeFile(logo, "a logo kept in the old book");
    fs::create_directories(home.data() / "Drevalis/preview");
    userFolders = {"preview"};
    const std::string publishInto = "publish --overwrite --out ";
    const std::vector<Case> cases = {
        {"a control sequence as a quality", "publish --quality \x9b[2J", 2, "quality"},
        {"not a PDF, its name holding control sequences", "publish " + notPdf, 1,
         "is not a readable PDF"},
        // The other checks of the inputs, a row each.
        {"a folder as PDF", "publish " + work.path().string(), 1, "is a folder, not a file"},
        {"a device as PDF", "publish /dev/null", 1, "is not a regular file"},
        {"an unknown template", "publish --template Nope", 1, "unknown template 'Nope'"},
        {"an unknown style", "publish --style Nope", 1, "template 'float' has no style 'Nope'"},
        {"an unknown key", "publish --set NoSuchKey=1", 1, "unknown property key 'NoSuchKey'"},
        {"a page range beyond the PDF", "publish " + doc + " --pages 7-9", 1,
         "range '7-9' selects no page"},
        // The folders every front end keeps out, whatever --overwrite says.
        {"the root folder", publishInto + "/", 1, "cannot be the root folder"},
        {"the home folder", publishInto + home.path().string(), 1, "is never replaced"},
        {"the resources", publishInto + resourcesPath().parent_path().string(), 1,
         "which is never written"},
        {"the shipped data behind the resource links",
         publishInto + fs::canonical(resourcePath("AppFiles")).parent_path().string(), 1,
         "AppFiles"},
        {"the desktop application's preview", publishInto + (home.data() / "Drevalis").string(), 1,
         "/preview', which is never written"},
        {"an earlier book without --overwrite", "publish --out " + old.string(), 1,
         "is not empty; use --overwrite to replace it"},
        {"an earlier book holding a file of the settings",
         publishInto + old.string() + " --set LogoFile=" + logo, 1,
         "holds the input '" + logo + "' and is not replaced"},
    };
    const Strings before = listFolder(work.path());
    expectRuns(cases);
    EXPECT_EQ(listFolder(work.path()), before);
    EXPECT_EQ(listFolder(home.data() / "Drevalis/preview"), Strings{});
    EXPECT_EQ(slurp(old / "files/config.xml"), "an earlier book");
    EXPECT_EQ(slurp(logo), "a logo kept in the old book");

    const ProcessResult replaced = runCli({"publish", "--out", old.string(), "--overwrite"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.errors;
    EXPECT_FALSE(fs::exists(old / "files/page/99.jpg"));
    EXPECT_TRUE(fs::exists(old / "index.html"));
}

// Two runs at once, one of them failing: each works in a folder of its own
// under $TMPDIR, and the folder goes with the run, also when it is interrupted.
TEST_F(Cli, WorkFilesStayInTheRunsOwnFolderAndGoWithIt) {
    const std::string input = pdf("long.pdf", plainDocument(150));
    TempDir tmp("zarvex-cli-tmp");
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    const auto publish = [&](const std::string& out, const std::string& more) {
        return splitAtSpaces("publish " + input + " --format image --out " + (work / out).string() +
                             more);
    };
    auto done = std::async(std::launch::async, runCli, publish("done", " --pages 1-2"));
    auto failed = std::async(
        std::launch::async, runCli,
        publish("failed", " --pages 3-5 --strict --set LogoFile=" + (work / "none.png").string()));
    const ProcessResult a = done.get(), b = failed.get();
    EXPECT_EQ(a.exitCode, 0) << a.errors;
    EXPECT_EQ(b.exitCode, 1) << b.errors;
    EXPECT_EQ(listFolder(work / "done/files/page"), (Strings{"1.jpg", "2.jpg"}));
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after a finished and a failed run";

    // The pages are made inside the run's own folder.
    const ProcessResult interrupted = runCliInterrupted(publish("interrupted", ""));
    expectHolds(interrupted.output, {"pages=", "!pages=0\n", "interrupted", "status=1\n"});
    EXPECT_TRUE(listFolder(tmp.path()).empty()) << "after an interrupted run";
    EXPECT_FALSE(fs::exists(work / "interrupted"));
    expectUserFoldersUntouched();
}
