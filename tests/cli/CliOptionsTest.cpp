#include "CliOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zarvex::cli;

namespace {

CliOptions parse(std::vector<std::string> args) {
    return parseArguments(args);
}

} // namespace

TEST(CliOptions, PublishTakesTheDocumentedDefaults) {
    CliOptions o = parse({"publish", "--out", "book"});
    EXPECT_EQ(o.command, Command::Publish);
    EXPECT_FALSE(o.pdf);
    EXPECT_EQ(o.out, "book");
    EXPECT_EQ(o.pages, "ALL");
    EXPECT_EQ(o.quality, 0);
    EXPECT_EQ(o.format, PageFormat::Flash);
    EXPECT_EQ(o.templateName, "float");
    EXPECT_FALSE(o.templateGiven);
    EXPECT_EQ(o.name, "index");
    EXPECT_FALSE(o.app);
    EXPECT_FALSE(o.mobile);
    EXPECT_FALSE(o.overwrite);
    EXPECT_FALSE(o.quiet);
    EXPECT_FALSE(o.strict);
}

TEST(CliOptions, PublishReadsEveryOptionInBothSpellings) {
    CliOptions o = parse({"publish",     "doc.pdf",   "--out=dir",    "--pages",    "1-3,8",
                          "--quality=3", "--format",  "image",        "--links",    "--bookmarks",
                          "--template",  "Panoramic", "--style=Blue", "--settings", "s.txt",
                          "--set",       "Title=A=B", "--set",        "Enable=Yes", "--name",
                          "book.html",   "--title",   "My book",      "--mobile",   "slide",
                          "--overwrite", "--quiet",   "--strict"});
    EXPECT_EQ(o.pdf, "doc.pdf");
    EXPECT_EQ(o.out, "dir");
    EXPECT_EQ(o.pages, "1-3,8");
    EXPECT_EQ(o.quality, 3);
    EXPECT_EQ(o.format, PageFormat::Image);
    EXPECT_TRUE(o.links && o.bookmarks && o.overwrite && o.quiet && o.strict);
    EXPECT_EQ(o.templateName, "Panoramic");
    EXPECT_TRUE(o.templateGiven);
    EXPECT_EQ(o.style, "Blue");
    EXPECT_EQ(o.settingsFile, "s.txt");
    ASSERT_EQ(o.sets.size(), 2u);
    EXPECT_EQ(o.sets[0], (std::pair<std::string, std::string>{"Title", "A=B"}));
    EXPECT_EQ(o.sets[1], (std::pair<std::string, std::string>{"Enable", "Yes"}));
    EXPECT_EQ(o.name, "book");
    EXPECT_EQ(o.title, "My book");
    EXPECT_EQ(o.mobile, MobileKind::Slide);
}

TEST(CliOptions, AnEmptySetValueIsAllowed) {
    CliOptions o = parse({"publish", "--out", "d", "--set", "AuthorInfo="});
    ASSERT_EQ(o.sets.size(), 1u);
    EXPECT_EQ(o.sets[0].second, "");
}

TEST(CliOptions, DoubleDashEndsTheOptions) {
    CliOptions o = parse({"publish", "--out", "d", "--", "--odd name.pdf"});
    EXPECT_EQ(o.pdf, "--odd name.pdf");
}

TEST(CliOptions, HelpAndVersionAreRecognised) {
    EXPECT_EQ(parse({"--help"}).command, Command::Help);
    EXPECT_EQ(parse({"publish", "--bogus", "-h"}).command, Command::Help);
    EXPECT_EQ(parse({"--version"}).command, Command::Version);
}

TEST(CliOptions, InspectAndTemplatesTakeTheirOwnArguments) {
    CliOptions i = parse({"inspect", "a.pdf", "--pages", "2", "--links"});
    EXPECT_EQ(i.command, Command::Inspect);
    EXPECT_EQ(i.pdf, "a.pdf");
    EXPECT_EQ(i.pages, "2");
    EXPECT_TRUE(i.links);
    EXPECT_FALSE(i.bookmarks);
    EXPECT_EQ(parse({"templates"}).command, Command::Templates);
}

TEST(CliOptions, BadCommandLinesAreUsageErrorsWithOneLineMessages) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"publish"},
        {"publish", "--out"},
        {"publish", "--out", ""},
        {"publish", "--out", "d", "--quality", "5"},
        {"publish", "--out", "d", "--quality", "-1"},
        {"publish", "--out", "d", "--quality", "1x"},
        {"publish", "--out", "d", "--format", "png"},
        {"publish", "--out", "d", "--mobile", "tablet"},
        {"publish", "--out", "d", "--set", "novalue"},
        {"publish", "--out", "d", "--set", "=value"},
        {"publish", "--out", "d", "--name", "a/b"},
        {"publish", "--out", "d", "--name", ".."},
        {"publish", "--out", "d", "--name", ""},
        {"publish", "--out", "d", "--template", ""},
        {"publish", "--out", "d", "--unknown"},
        {"publish", "--out", "d", "--links=yes"},
        {"publish", "--out", "d", "a.pdf", "b.pdf"},
        {"publish", "--out", "d", "--app", "--mobile", "flip"},
        {"inspect"},
        {"inspect", "a.pdf", "--out", "d"},
        {"inspect", "a.pdf", "--strict"},
        {"publish", "--out", "d", "--strict=yes"},
        {"templates", "extra"},
        {"templates", "--quiet"},
        {"--version", "extra"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        try {
            parseArguments(args);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const UsageError& e) {
            std::string message = e.what();
            EXPECT_FALSE(message.empty()) << line;
            EXPECT_EQ(message.find('\n'), std::string::npos) << line;
        }
    }
}
