#include "publish/FlashBookOutput.h"

#include "PublishFixture.h"
#include "base/Error.h"
#include "import/FlashPagesAnnotations.h"

#include <gtest/gtest.h>

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

// The whole configuration with the preview's page list last; the viewer's
// settings in the order it reads them: the defaults where the template has no
// value, converted where it has (colours as decimal numbers, files as their
// place in extfiles/, switches as the viewer's words).
TEST(BookConfig, SettingsFollowTheTemplateWithTheViewersDefaults) {
    const std::string defaults =
        R"(<Setting><Title>www.zarvex.example</Title><BaseColor>8404992</BaseColor>)"
        R"(<Logo displayLogo="true" link=""></Logo><GoogleAnalytics webProperty=""/>)"
        R"(<ShareAnalytics id=""/><ZoomModel>0</ZoomModel><Theme src="theme/Main.swf"/>)"
        R"(<BackgroundMusic circle="-1"></BackgroundMusic><Download src=""/>)"
        R"(<ControlButtonsInvisible>,Content</ControlButtonsInvisible><FlipBook3DSetting>)"
        R"(<Background><BackgroundType>GradientColor</BackgroundType><Color>8421376</Color>)"
        R"(<GradientStartColor>16750848</GradientStartColor>)"
        R"(<GradientEndColor>15248461</GradientEndColor><GradientAngle>90</GradientAngle>)"
        R"(<ImagePath>extfiles/ImagePath.</ImagePath><Position>Fill</Position></Background>)"
        R"(<AutoFlip loop="0"><Enable>No</Enable><Interval>3</Interval></AutoFlip>)"
        R"(<TiltAngle>0</TiltAngle><AutoScale>Yes</AutoScale><PlayFlipSound>Yes</PlayFlipSound>)"
        R"(<PerPageThickness>1</PerPageThickness>)"
        R"(<Mobility direction="right" startPosition="center"/></FlipBook3DSetting><Template>)"
        R"(<PanoramicImage type="cube"><Left>extfiles/l.jpg</Left><Right>extfiles/r.jpg</Right>)"
        R"(<Top>extfiles/u.jpg</Top><Bottom>extfiles/d.jpg</Bottom><Front>extfiles/f.jpg</Front>)"
        R"(<Back>extfiles/b.jpg</Back></PanoramicImage><InitSetting>)"
        R"(<Camera panAngle="-90" tiltAngle="-80"/></InitSetting></Template></Setting>)";
    struct Case {
        const char* what;
        std::vector<PropertySpec> properties;
        std::vector<std::pair<std::string, std::string>> changes; // of the defaults, in order
    };
    const Case cases[] = {
        {"defaults", {{"Unrelated", "x"}}, {}},
        {"converted",
         {{"LogoFile", "/pics/logo.png", "pt_file"},
          {"SoundFile", "/music/track", "pt_file"},
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
          {"Share", "hide"},
          {"Help", "Show"}},
         {{"www.zarvex.example", "Tom &amp; Jerry &lt;1&gt;"},
          {"8404992", "16711680"},
          {R"("true" link=""><)", R"("false" link="">extfiles/LogoFile.png<)"},
          {R"(circle="-1")", R"(circle="0")"},
          {R"(src="")", R"(src="extfiles/DownloadFile.pdf")"},
          {">,Content", ">Zoom,Print,,Content"},
          {"8421376", "0"},
          {"16750848", "16711680"},
          {"extfiles/ImagePath.", ""},
          {"</FlipBook3DSetting>", "</FlipBook3DSetting><Direction>Left</Direction>"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string setting = defaults;
        for (std::size_t at = 0; const auto& [from, to] : c.changes) {
            at = setting.find(from, at);
            ASSERT_NE(at, std::string::npos) << from;
            setting.replace(at, from.size(), to);
        }
        EXPECT_EQ(ConfigCase(c.properties).document().toString(false, false),
                  "<FlipBook3D><XMLVersion>1</XMLVersion><Config><Author><Name>Zarvex</Name>"
                  "<Email>support@zarvex.example</Email><WebSite>https://www.zarvex.example"
                  "</WebSite><Info></Info></Author>" +
                      setting + "</Config><Pages bace=\"\"><Page/></Pages></FlipBook3D>");
    }
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
        {700, 180, R"(width="700" height="180" thumbWidth="700" thumbHeight="180")"},
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

TEST(PageList, IsWrittenOnlyForTheNeverEditedBook) {
    test::BookCase c;
    auto book = c.writer(c.out());
    EXPECT_EQ(book->BookPageConfig("", false), std::nullopt);
    EXPECT_FALSE(fs::exists(c.out() / "pages.xml"));
    ASSERT_EQ(book->BookPageConfig("", true), c.out() / "pages.xml");
    EXPECT_EQ(test::slurp(c.out() / "pages.xml"), book->pageListText(""));

    book->setSaveToFolder(c.out() / "missing");
    EXPECT_EQ(book->BookPageConfig("", true), std::nullopt);
    EXPECT_FALSE(book->failures().empty());
}

} // namespace
} // namespace zarvex
