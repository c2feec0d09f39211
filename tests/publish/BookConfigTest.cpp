// The book's configuration, its page list, and the texts and files the writers
// make them of: colours, script literals, copies, page templates and the HTML page.
#include "publish/ColorText.h"
#include "publish/FastCopy.h"
#include "publish/FlashBookOutput.h"
#include "publish/TextTemplate.h"

#include "PublishFixture.h"
#include "base/Error.h"
#include "import/FlashPagesAnnotations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using test::PropertySpec;

// A book over a template with the given properties, whose preview folder holds
// a page list.
struct ConfigCase : test::BookCase {
    explicit ConfigCase(const std::vector<PropertySpec>& properties) : BookCase(properties) {
        test::writeFile(preview() / "pages.xml", "<Pages bace=\"\"><Page/></Pages>");
    }
    xml::Document document() { return writer(preview())->bookXML(); }
};

// The viewer's settings converted from the template's values (colours as decimal
// numbers, files as their place in extfiles/, switches as the viewer's words, texts
// escaped), the preview's page list last.
TEST(BookConfig, SettingsAreConvertedForTheViewer) {
    const std::string config = ConfigCase({{"LogoFile", "/pics/logo.png", "pt_file"},
                                           {"ShowLogo", "yes"},
                                           {"LoopSound", "No"},
                                           {"BaseColor", "FF0000"},
                                           {"Color", "#FF0000"},
                                           {"GradientStartColor", "0xFF0000"},
                                           {"BgType", "Color"},
                                           {"DownloadFile", "/docs/book.pdf", "pt_file"},
                                           {"Title", "Tom & Jerry <1>"},
                                           {"direction", "Left"},
                                           {"Print", "Hide"},
                                           {"Zoom", "Hide"},
                                           {"Share", "hide"}})
                                   .document()
                                   .toString(false, false);
    for (
        const char* part :
        {R"(<Title>Tom &amp; Jerry &lt;1&gt;</Title><BaseColor>16711680</BaseColor>)",
         R"(<Logo displayLogo="false" link="">extfiles/LogoFile.png</Logo>)",
         R"(<BackgroundMusic circle="0"></BackgroundMusic><Download src="extfiles/DownloadFile.pdf"/>)",
         R"(<ControlButtonsInvisible>Zoom,Print,,Content</ControlButtonsInvisible>)",
         R"(<Color>0</Color><GradientStartColor>16711680</GradientStartColor>)",
         R"(<ImagePath></ImagePath>)",
         R"(</FlipBook3DSetting><Direction>Left</Direction><Template>)",
         R"(</Config><Pages bace=""><Page/></Pages></FlipBook3D>)"})
        EXPECT_NE(config.find(part), std::string::npos) << part << " in\n" << config;
}

// The envelope replaces the old file, holds the document as one line of Base64
// and decodes to it; config.js gives back exactly the envelope text (the viewer
// loads it when the book is opened from disk), whatever the texts.
TEST(BookConfig, EnvelopeDecodesToTheDocumentAndHasAScriptTwin) {
    ConfigCase c(
        std::vector<PropertySpec>{{"Title", "Line \"one\"\nline </script> two\xe2\x80\xa8"}});
    const fs::path file = c.out() / "files/config.xml";
    test::writeFile(file, "old");
    ASSERT_TRUE(c.writer(c.preview())->ouputBookXML(file));
    const std::string envelope = test::slurp(file);
    EXPECT_TRUE(
        std::regex_match(envelope, std::regex(R"(<\?xml version="1.0" encoding="UTF-8"\?>)"
                                              R"(\n<data><!\[CDATA\[[A-Za-z0-9+/=]+]]></data>\n)")))
        << envelope;
    EXPECT_EQ(test::decodeConfig(file).toString(),
              xml::Document::parse(c.document().toString())->toString());

    const fs::path probe = c.out() / "probe.js";
    test::writeFile(probe, "var window = {};\n" + test::slurp(c.out() / "files/config.js") +
                               "process.stdout.write(window.ZARVEX_CONFIG_XML);\n");
    EXPECT_EQ(test::runNode(probe), envelope);
}

// The page list comes from the preview folder, which a front end may choose.
TEST(BookConfig, MissingOrBrokenPageListIsAnError) {
    ConfigCase c({});
    auto writer = c.writer(c.preview());
    fs::remove(c.preview() / "pages.xml");
    EXPECT_THROW(writer->ouputBookXML(c.out() / "config.xml"), Error);
    EXPECT_FALSE(fs::exists(c.out() / "config.xml"));
    test::writeFile(c.preview() / "pages.xml", "<Pages><Page></Pages>");
    EXPECT_THROW(writer->bookXML(), Error);

    const fs::path own = c.work() / "own-preview";
    test::writeFile(own / "pages.xml", "<Pages bace=\"own\"/>");
    writer->setPreviewPath(own);
    EXPECT_EQ(writer->bookXML().root().child("Pages").attribute("bace"), "own");
    EXPECT_EQ(writer->ThePreviewPath(), own);
}

// Normal pages at most 700 wide and thumbnails 180 high, from the page size.
TEST(PageList, ScalesNormalAndThumbnailSizes) {
    const std::tuple<int, int, std::string> sizes[] = {
        {1400, 1000, R"(width="700" height="500" thumbWidth="252" thumbHeight="180")"},
        {600, 800, R"(width="600" height="800" thumbWidth="135" thumbHeight="180")"},
        {1000, 333, R"(width="700" height="233" thumbWidth="540" thumbHeight="180")"},
        {0, 0, R"(width="0" height="0" thumbWidth="0" thumbHeight="0")"},
        {100000, 2000000, R"(width="700" height="14000" thumbWidth="9" thumbHeight="180")"},
    };
    test::BookCase c({}, "plain", {.pageNumbers = {}});
    auto book = c.writer(c.out());
    for (const auto& [width, height, scaled] : sizes) {
        c.settings.setPageWidth(width);
        c.settings.setPageHeight(height);
        EXPECT_EQ(book->pageListText(""), "<Pages bace=\"\" largeWidth=\"" + std::to_string(width) +
                                              "\" largeHeight=\"" + std::to_string(height) + "\" " +
                                              scaled + "/>");
    }
}

// Each page with its thumbnail (the page itself when there are none), its
// addresses and the links of its book position. A page link names its target
// page; the item carries that page's position in the book, and a target outside
// the book or a link without target adds nothing.
TEST(PageList, ListsEveryPageWithItsThumbnailAddressesAndLinks) {
    const std::string head = R"(<Pages bace="" largeWidth="1080" largeHeight="1440" width="700" )"
                             R"(height="933" thumbWidth="135" thumbHeight="180">)";
    // A page's items before its links.
    const auto page = [](const std::string& thumb, const std::string& file) {
        return "\n  <Page type=\"Image\">\n    <Item name=\"thumb\">" + thumb +
               "</Item>\n    <Item name=\"normal\">" + file + "</Item>\n    <Item name=\"large\">" +
               file + "</Item>";
    };
    struct Case {
        const char* what;
        test::PageSourceSpec pages;
        std::string links;
        std::string list;
    };
    const Case cases[] = {
        {"flash pages with thumbnails and links (PDF pages 5 to 7)",
         {.pageNumbers = {5, 6, 7}},
         R"(<pagesAnnos><pageAnnos pageIndex="1">
              <anno url="https://a/" x="1" y="2" width="3" height="4" action="web"/></pageAnnos>
            <pageAnnos pageIndex="2"><anno pageIndex="7" x="5" y="5" width="1" height="1" action="page"/>
              <anno pageIndex="2" x="0" y="0" width="1" height="1" action="page"/>
              <anno x="0" y="0" width="1" height="1" action="web"/></pageAnnos>
            <pageAnnos pageIndex="1"><anno url="mailto:x@y" action="web"/></pageAnnos>
            <pageAnnos pageIndex="03"><anno url="https://never/" action="web"/></pageAnnos></pagesAnnos>)",
         head + page("thumb/5.jpg", "page/5.swf") + R"(
    <Item name="Link" type="rect" action="web" x="1" y="2" width="3" height="4" href="https://a/"/>
    <Item name="Link" type="rect" action="web" x="" y="" width="" height="" href="mailto:x@y"/>
  </Page>)" + page("thumb/6.jpg", "page/6.swf") +
             R"(
    <Item name="Link" type="rect" action="page" x="5" y="5" width="1" height="1" href="3"/>
  </Page>)" + page("thumb/7.jpg", "page/7.swf") +
             "\n  </Page>\n</Pages>"},
        {"image pages without thumbnails",
         {.pageNumbers = {2}, .extension = "jpg", .thumbs = false},
         "",
         head + page("page/2.jpg", "page/2.jpg") + "\n  </Page>\n</Pages>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::BookCase book({}, "plain", c.pages);
        auto writer = book.writer(book.out());
        if (!c.links.empty()) {
            auto links = std::make_shared<FlashPagesAnnotations>();
            links->setPagesAnnotationsNode(xml::Document::parse(c.links));
            writer->setFlashPagesAnnotations(links);
        }
        EXPECT_EQ(writer->pageListText(""), c.list);
    }
}

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
