#include "publish/TextTemplate.h"
#include "publish/HTMLConfigInfo.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace zarvex {
namespace {

struct SubstitutionCase {
    std::string text;
    std::map<std::string, std::string> items;
    std::string expected;
};

TEST(TextTemplate, SubstitutesAsTheScannerWalks) {
    const SubstitutionCase cases[] = {
        {"(title ${index.title})", {{"index.title", "My Book"}}, "(title My Book)"},
        {"(title ${index.title})", {}, "(title )"},
        {"A${x} B", {{"x", "1"}}, "A1B"},
        {"A${x}${y}", {{"x", "1"}, {"y", "2"}}, "A1${y}"},
        {"${x} tail", {{"x", "1"}}, "${x} tail"},
        {"A ${x", {{"x", "1"}}, "A 1"},
        {"  abc", {}, "abc"},
        {"", {}, ""},
        {" \n\t ", {}, ""},
        {"A${x}\n  ${y} tail", {{"x", "1"}, {"y", "2"}}, "A1${y} tail"},
        {"A${ x}B", {{"x", "1"}}, "A1B"},
        {"A${x }B", {{"x ", "1"}}, "A1B"},
        {"A${}B", {}, "AB"},
        {"A${x}B${x}C", {{"x", "<&>"}}, "A<&>B<&>C"},
        {"line one\n  line two ${k}\n", {{"k", "v"}}, "line one\n  line two v"},
        {"A${x}B\xc2\xa0${y}",
         {{"x", "1"}, {"y", "2"}},
         "A1B\xc2\xa0"
         "2"},
        {"A${x}\xe2\x80\xa8${y}", {{"x", "1"}, {"y", "2"}}, "A1${y}"},
    };
    for (const auto& c : cases) {
        TextTemplate tmpl(c.text);
        for (const auto& [key, value] : c.items)
            tmpl.setItem(key, value);
        EXPECT_EQ(tmpl.parse(), c.expected) << "template: " << c.text;
    }
}

TEST(TextTemplate, LaterItemReplacesEarlierOne) {
    TextTemplate tmpl("a ${k}");
    tmpl.setItem("k", "1");
    tmpl.setItem("k", "2");
    EXPECT_EQ(tmpl.parse(), "a 2");
}

TEST(HTMLConfigInfo, StartsWithTheProductTexts) {
    HTMLConfigInfo info;
    EXPECT_FALSE(info.HTMLTitle().empty());
    EXPECT_EQ(info.HTMLKeywords(), "Pellido,page flip,flipping-book");
    EXPECT_FALSE(info.HTMLDescription().empty());
}

TEST(HTMLConfigInfo, WritesThePageWithEscapedTexts) {
    test::TempDir dir;
    test::writeFile(dir / "page.html", "<title>${index.title}</title>\n<meta name=\"keywords\" "
                                       "content=\"${meta.keywords}\">\n<p>${meta.description}</p>");
    HTMLConfigInfo info;
    info.setHTMLTitle("Tom & Jerry </title>");
    info.setHTMLDescription("say \"hi\"");
    ASSERT_TRUE(info.generateHTMLFrom(dir / "page.html", dir / "page-out.html"));
    EXPECT_EQ(test::slurp(dir / "page-out.html"),
              "<title>Tom &amp; Jerry &lt;/title&gt;</title>\n<meta name=\"keywords\" "
              "content=\"Pellido,page flip,flipping-book\">\n<p>say &quot;hi&quot;</p>");
}

TEST(HTMLConfigInfo, ReadsLatin1AndUtf16TemplatesAsText) {
    test::TempDir dir;
    test::writeFile(dir / "latin1.html", "caf\xe9 ${index.title}.");
    test::writeFile(dir / "utf16.html", std::string("\xff\xfe"
                                                    "a\0$\0{\0x\0}\0",
                                                    12));
    HTMLConfigInfo info;
    info.setHTMLTitle("T");
    ASSERT_TRUE(info.generateHTMLFrom(dir / "latin1.html", dir / "a.html"));
    EXPECT_EQ(test::slurp(dir / "a.html"), "caf\xc3\xa9 T.");
    ASSERT_TRUE(info.generateHTMLFrom(dir / "utf16.html", dir / "b.html"));
    EXPECT_EQ(test::slurp(dir / "b.html"), "a");
}

TEST(HTMLConfigInfo, MissingTemplateFailsAndKeepsTheOldPage) {
    test::TempDir dir;
    test::writeFile(dir / "page.html", "old");
    HTMLConfigInfo info;
    EXPECT_FALSE(info.generateHTMLFrom(dir / "missing.html", dir / "page.html"));
    EXPECT_EQ(test::slurp(dir / "page.html"), "old");
    EXPECT_FALSE(info.generateHTMLFrom(dir / "page.html", dir / "no/such/folder/x.html"));
}

} // namespace
} // namespace zarvex
