// The command line's own parts: its options and its progress display. The
// commands themselves run end to end (CliEndToEndTest).
#include "CliOptions.h"
#include "ProgressDisplay.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using namespace zarvex;
using namespace zarvex::cli;

namespace {

// The command line `line`, split at spaces.
CliOptions parse(const std::string& line) {
    return parseArguments(test::splitAtSpaces(line));
}

} // namespace

TEST(CliOptions, PublishReadsEveryOptionInBothSpellings) {
    const CliOptions o = parse("publish doc.pdf --out=dir --pages 1-3,8 --quality=3 --format image "
                               "--links --bookmarks --template Panoramic --style=Blue --settings "
                               "s.txt --set Title=A=B --set Enable= --name book.html --title Mine "
                               "--mobile slide --overwrite --quiet --strict --zoom-pages");
    const PublishRequest& r = o.request;
    using Sets = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(std::tie(r.pdf, r.out, r.pages, r.quality, r.format, r.templateName, r.style,
                       r.settingsFile, r.sets, r.name, r.title, r.mobile),
              std::make_tuple("doc.pdf", "dir", "1-3,8", 3, PageFormat::Image, "Panoramic", "Blue",
                              "s.txt", Sets{{"Title", "A=B"}, {"Enable", ""}}, "book", "Mine",
                              MobileKind::Slide));
    EXPECT_TRUE(o.command == Command::Publish && o.quiet && r.links && r.bookmarks &&
                r.templateGiven && r.overwrite && r.strict && r.zoomPages && !r.app);
    // After "--" nothing is an option; -h asks for the help whatever comes with it.
    EXPECT_EQ(parse("publish --out d -- --odd.pdf").request.pdf, "--odd.pdf");
    EXPECT_EQ(parse("publish --bogus -h").command, Command::Help);
}

TEST(CliOptions, BadCommandLinesAreUsageErrorsWithOneLineMessages) {
    const auto refused = [](const std::string& line) {
        try {
            parse(line);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& e) {
            EXPECT_TRUE(!std::string(e.what()).empty() && !std::strchr(e.what(), '\n')) << line;
        }
    };
    // One row per kind of mistake: commands, then the options of a publish.
    for (const char* line :
         {"", "frobnicate", "publish", "publish --out", "templates extra", "inspect a.pdf --out d"})
        refused(line);
    for (const std::string options :
         {"--quality 1x", "--format png", "--set novalue", "--name a/b", "--template=", "--unknown",
          "--links=yes", "a.pdf b.pdf", "--app --mobile flip"})
        refused("publish --out d " + options);
}

// Quiet runs show nothing, which the command-line runs check.
TEST(ProgressDisplay, PlainLinesShowAboutTenPerTaskAndEveryNamedStep) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Lines);
        for (const char* task : {"Importing pages", "Making thumbnails"})
            for (int i = 1; i <= 300; ++i)
                progress.advance(task, i, 300);
        progress.advance("Writing the book", 1, 3, "Copying pages");
        progress.advance("Writing the book", 2, 3, "Copying thumbnails");
        progress.advance("Writing the book", 3, 3, "Copying the theme");
        progress.step("Done");
    }
    const std::string text = out.str();
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 2 * 11 + 3 + 1) << text;
    for (const char* line : {"Importing pages: 300 of 300\n", "Making thumbnails: 300 of 300\n",
                             "Writing the book: 2 of 3 (Copying thumbnails)\n", "Done\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST(ProgressDisplay, TheBarIsRedrawnInPlaceAndClosedBeforeTheNextLine) {
    std::ostringstream out;
    {
        ProgressDisplay progress(out, ProgressDisplay::Mode::Bar);
        progress.advance("Importing pages", 1, 2);
        progress.advance("Importing pages", 2, 2);
        progress.step("Building the preview");
        progress.advance("Writing the book", 1, 1, "Copying pages");
    }
    // Each bar is closed by the next line, the last when the display ends.
    const std::string full = " [##############################] ";
    EXPECT_EQ(
        out.str(),
        "\r\x1b[KImporting pages [###############---------------] 1/2\r\x1b[KImporting pages" +
            full + "2/2\nBuilding the preview\n\r\x1b[KWriting the book" + full +
            "1/1 Copying pages\n");
}
