#include "CliOptions.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zarvex;
using namespace zarvex::cli;

namespace {

// The command line `line`, split at spaces. The commands themselves are run
// end to end (CliEndToEndTest).
CliOptions parse(const std::string& line) {
    return parseArguments(test::splitAtSpaces(line));
}

} // namespace

TEST(CliOptions, PublishReadsEveryOptionInBothSpellings) {
    CliOptions o = parse("publish doc.pdf --out=dir --pages 1-3,8 --quality=3 --format image "
                         "--links --bookmarks --template Panoramic --style=Blue --settings s.txt "
                         "--set Title=A=B --set Enable= --name book.html --title Mine "
                         "--mobile slide --overwrite --quiet --strict");
    const PublishRequest& r = o.request;
    EXPECT_EQ(o.command, Command::Publish);
    EXPECT_EQ(r.pdf, "doc.pdf");
    EXPECT_EQ(r.out, "dir");
    EXPECT_EQ(r.pages, "1-3,8");
    EXPECT_EQ(r.quality, 3);
    EXPECT_EQ(r.format, PageFormat::Image);
    EXPECT_TRUE(r.links && r.bookmarks && r.overwrite && o.quiet && r.strict);
    EXPECT_EQ(r.templateName, "Panoramic");
    EXPECT_TRUE(r.templateGiven);
    EXPECT_EQ(r.style, "Blue");
    EXPECT_EQ(r.settingsFile, "s.txt");
    EXPECT_EQ(r.sets,
              (std::vector<std::pair<std::string, std::string>>{{"Title", "A=B"}, {"Enable", ""}}));
    EXPECT_EQ(r.name, "book");
    EXPECT_EQ(r.title, "Mine");
    EXPECT_EQ(r.mobile, MobileKind::Slide);
    // After "--" nothing is an option; -h asks for the help whatever comes with it.
    EXPECT_EQ(parse("publish --out d -- --odd.pdf").request.pdf, "--odd.pdf");
    EXPECT_EQ(parse("publish --bogus -h").command, Command::Help);
}

TEST(CliOptions, BadCommandLinesAreUsageErrorsWithOneLineMessages) {
    const char* const lines[] = {"",
                                 "frobnicate",
                                 "publish",
                                 "publish --out",
                                 "publish --out=",
                                 "templates extra",
                                 "templates --quiet",
                                 "--version extra",
                                 "inspect",
                                 "inspect a.pdf --out d",
                                 "inspect a.pdf --strict",
                                 "publish --out d --quality 5",
                                 "publish --out d --quality -1",
                                 "publish --out d --quality 1x",
                                 "publish --out d --format png",
                                 "publish --out d --mobile tablet",
                                 "publish --out d --set novalue",
                                 "publish --out d --set =value",
                                 "publish --out d --name a/b",
                                 "publish --out d --name ..",
                                 "publish --out d --name=",
                                 "publish --out d --template=",
                                 "publish --out d --unknown",
                                 "publish --out d --links=yes",
                                 "publish --out d a.pdf b.pdf",
                                 "publish --out d --app --mobile flip",
                                 "publish --out d --strict=yes"};
    for (const std::string line : lines) {
        try {
            parse(line);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& e) {
            const std::string message = e.what();
            EXPECT_FALSE(message.empty()) << line;
            EXPECT_EQ(message.find('\n'), std::string::npos) << line;
        }
    }
}
