#include "CliOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zarvex;
using namespace zarvex::cli;

namespace {

CliOptions parse(std::vector<std::string> args) {
    return parseArguments(args);
}

} // namespace

TEST(CliOptions, PublishReadsEveryOptionInBothSpellings) {
    CliOptions o = parse({"publish",     "doc.pdf",   "--out=dir",    "--pages",    "1-3,8",
                          "--quality=3", "--format",  "image",        "--links",    "--bookmarks",
                          "--template",  "Panoramic", "--style=Blue", "--settings", "s.txt",
                          "--set",       "Title=A=B", "--set",        "Enable=",    "--name",
                          "book.html",   "--title",   "My book",      "--mobile",   "slide",
                          "--overwrite", "--quiet",   "--strict"});
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
    EXPECT_EQ(r.title, "My book");
    EXPECT_EQ(r.mobile, MobileKind::Slide);
}

TEST(CliOptions, OtherCommandsAndTheEndOfOptions) {
    EXPECT_EQ(parse({"publish", "--out", "d", "--", "--odd name.pdf"}).request.pdf,
              "--odd name.pdf");
    EXPECT_EQ(parse({"--help"}).command, Command::Help);
    EXPECT_EQ(parse({"publish", "--bogus", "-h"}).command, Command::Help);
    EXPECT_EQ(parse({"--version"}).command, Command::Version);
    EXPECT_EQ(parse({"templates"}).command, Command::Templates);
    CliOptions i = parse({"inspect", "a.pdf", "--pages", "2", "--links"});
    EXPECT_EQ(i.command, Command::Inspect);
    EXPECT_EQ(i.request.pdf, "a.pdf");
    EXPECT_EQ(i.request.pages, "2");
    EXPECT_TRUE(i.request.links && !i.request.bookmarks);
}

TEST(CliOptions, BadCommandLinesAreUsageErrorsWithOneLineMessages) {
    // Each split at spaces.
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
        std::vector<std::string> args;
        for (std::size_t at = 0; at < line.size();) {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            args.push_back(line.substr(at, end - at));
            at = end + 1;
        }
        try {
            parseArguments(args);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& e) {
            const std::string message = e.what();
            EXPECT_FALSE(message.empty()) << line;
            EXPECT_EQ(message.find('\n'), std::string::npos) << line;
        }
    }
}
