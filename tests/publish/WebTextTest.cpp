#include "publish/ColorText.h"
#include "publish/FastCopy.h"
#include "publish/TextTemplate.h"

#include "PublishFixture.h"

#include <cmath>

namespace zarvex {
namespace {

// The book configuration's colours (see BookConfigTest), the scanner's edges, and
// the conversions between text and colour.
TEST(ColorText, ReadsHexNumbersLikeATextScannerAndConvertsColours) {
    const std::pair<std::string, std::int32_t> cases[] = {
        {"0XFF0000", 16711680}, {"", 0},       {"  0x10", 16}, {"12zz", 0x12}, {"0xffffffff", -1},
        {"0x123456789", -1},    {"\n0xa", 10},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(colorWithHexString(text), expected) << text;
    EXPECT_EQ(colorToHexRGB({2, -1, 0.5, 1}), "0xff007f") << "clamped";
    EXPECT_EQ(colorToHexRGB({std::nan(""), 0, 0, 1}), std::nullopt);
    EXPECT_EQ(colorFromHexRGB(std::nullopt), (RgbColor{0, 0, 0, 1}));
    EXPECT_EQ(colorFromHexRGB(std::string("#ff9900")), (RgbColor{0, 0, 0, 1}));
    for (const char* text : {"0x000000", "0xff9900", "0x12ab7f", "0xffffff"})
        EXPECT_EQ(colorToHexRGB(colorFromHexRGB(std::string(text))), text);
}

TEST(WebText, ScriptLiteralsEscapeEverythingThatCouldBreakAScriptAndPathsSplitLikeFileNames) {
    const std::pair<std::string, std::string> literals[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c\nd\re\tf", "\"a\\\"b\\\\c\\nd\\re\\tf\""},
        {std::string("\x01\x7f", 2), "\"\\u0001\\u007f\""},
        {"x\xe2\x80\xa8y\xe2\x80\xa9", "\"x\\u2028y\\u2029\""},
        {"</script>", "\"<\\/script>\""},
        {"a/b caf\xc3\xa9", "\"a/b caf\xc3\xa9\""},
        {"bad\xff", "\"bad\\ufffd\""},
    };
    for (const auto& [text, literal] : literals)
        EXPECT_EQ(jsStringLiteral(text), literal) << text;

    // path, extension, path without extension
    const std::tuple<std::string, std::string, std::string> paths[] = {
        {"/a/b/logo.png", "png", "/a/b/logo"},   {"/a/b.d/logo", "", "/a/b.d/logo"},
        {"archive.tar.gz", "gz", "archive.tar"}, {"/a/logo.PNG/", "PNG", "/a/logo"},
        {".profile", "profile", ".profile"},     {"", "", ""},
        {"mybook.html", "html", "mybook"},
    };
    for (const auto& [path, extension, stem] : paths) {
        EXPECT_EQ(pathExtension(path), extension) << path;
        EXPECT_EQ(deletingPathExtension(path), stem) << path;
    }
}

// Copies never overwrite: a file that is there already is an error.
TEST(FastCopy, CopiesFilesAndFoldersButNeverOverAnExistingTarget) {
    test::TempDir dir;
    test::writeFile(dir / "a.jpg", "jpeg bytes");
    test::writeFile(dir / "src/x/1.txt", "1");
    std::error_code error;
    ASSERT_TRUE(fastCopyFile(dir / "a.jpg", dir / "b.jpg", error)) << error.message();
    ASSERT_TRUE(copyItem(dir / "src", dir / "dst", error)) << error.message();
    EXPECT_EQ(test::slurp(dir / "b.jpg") + test::slurp(dir / "dst/x/1.txt"), "jpeg bytes1");
    EXPECT_FALSE(fastCopyFile(dir / "a.jpg", dir / "b.jpg", error));
    EXPECT_EQ(error, std::errc::file_exists);
    EXPECT_FALSE(fastCopyFile(dir / "missing.jpg", dir / "c.jpg", error));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.jpg"));
    EXPECT_FALSE(fastCopyFile(dir / "a.jpg", dir / "no/folder/c.jpg", error));
    EXPECT_FALSE(copyItem(dir / "src", dir / "dst", error));
    EXPECT_FALSE(copyItem(dir / "missing", dir / "dst2", error));
}

struct SubstitutionCase {
    std::string text;
    std::vector<std::pair<std::string, std::string>> items; // set in order
    std::string expected;
};

TEST(TextTemplate, SubstitutesAsTheScannerWalks) {
    const SubstitutionCase cases[] = {
        {"(title ${index.title})", {{"index.title", "My Book"}}, "(title My Book)"},
        {"A${x} B", {{"x", "1"}}, "A1B"},
        {"A${x}${y}", {{"x", "1"}, {"y", "2"}}, "A1${y}"},
        {"${x} tail", {{"x", "1"}}, "${x} tail"},
        {"A ${x", {{"x", "1"}}, "A 1"},
        {"line one\n  line two ${k}\n", {{"k", "v"}}, "line one\n  line two v"},
        {"A${x}B\302\240${y}", {{"x", "1"}, {"y", "2"}}, "A1B\302\2402"},
        {"A${x}\xe2\x80\xa8${y}", {{"x", "1"}, {"y", "2"}}, "A1${y}"},
        {"a ${k}", {{"k", "1"}, {"k", "2"}}, "a 2"}, // the later item counts
    };
    for (const auto& c : cases) {
        TextTemplate tmpl(c.text);
        for (const auto& [key, value] : c.items)
            tmpl.setItem(key, value);
        EXPECT_EQ(tmpl.parse(), c.expected) << "template: " << c.text;
    }
}

// The page's texts are HTML-escaped; the page template may be in any encoding;
// a page that cannot be made leaves the old one.
TEST(HTMLConfigInfo, WritesThePageWithEscapedTextsOrKeepsTheOldOne) {
    test::TempDir dir;
    test::writeFile(dir / "page.html", "<title>${index.title}</title>\n<meta name=\"keywords\" "
                                       "content=\"${meta.keywords}\">\n<p>${meta.description}</p>");
    test::writeFile(dir / "latin1.html", "caf\xe9 ${index.title}.");
    HTMLConfigInfo info;
    info.setHTMLTitle("Tom & Jerry </title>");
    info.setHTMLDescription("say \"hi\"");
    ASSERT_TRUE(info.generateHTMLFrom(dir / "page.html", dir / "page-out.html"));
    EXPECT_EQ(test::slurp(dir / "page-out.html"),
              "<title>Tom &amp; Jerry &lt;/title&gt;</title>\n<meta name=\"keywords\" "
              "content=\"Pellido,page flip,flipping-book\">\n<p>say &quot;hi&quot;</p>");
    ASSERT_TRUE(info.generateHTMLFrom(dir / "latin1.html", dir / "a.html"));
    EXPECT_EQ(test::slurp(dir / "a.html"), "caf\xc3\xa9 Tom &amp; Jerry &lt;/title&gt;.");

    // The first page's file goes into a script literal: only plain file names.
    test::writeFile(dir / "script.html", "f(\"${book.firstPage}\");");
    for (const auto& [file, literal] : {std::pair{"", "f(\"\");"},
                                        {"page/2.swf", "f(\"page/2.swf\");"},
                                        {"page/1.jpg\");alert(1);(\"", "f(\"\");"},
                                        {"page/1 .jpg", "f(\"\");"}}) {
        info.setFirstPageFile(file);
        ASSERT_TRUE(info.generateHTMLFrom(dir / "script.html", dir / "c.html"));
        EXPECT_EQ(test::slurp(dir / "c.html"), literal) << file;
    }

    EXPECT_FALSE(info.generateHTMLFrom(dir / "missing.html", dir / "a.html"));
    EXPECT_EQ(test::slurp(dir / "a.html"), "caf\xc3\xa9 Tom &amp; Jerry &lt;/title&gt;.");
    EXPECT_FALSE(info.generateHTMLFrom(dir / "page.html", dir / "no/such/folder/x.html"));
}

} // namespace
} // namespace zarvex
