#include "publish/FlashBookOutput.h"

#include "PublishFixture.h"
#include "import/FlashPagesAnnotations.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

struct PageListCase {
    test::PublishFixture fixture;
    std::unique_ptr<FlashBookOutput> writer;

    explicit PageListCase(const test::PageSourceSpec& wanted = {}) {
        fs::create_directories(fixture.out());
        writer = std::make_unique<FlashBookOutput>(
            fixture.pageSource(wanted), fixture.loadTemplate("plain", {}), fixture.out(), "");
        writer->setAppSettings(&fixture.settings());
    }
    xml::Document pageList() {
        auto document = xml::Document::parse(writer->pageListText(""));
        EXPECT_TRUE(document);
        return document ? std::move(*document) : xml::Document::create("none");
    }
};

std::vector<std::string> itemTexts(const xml::Node& page) {
    std::vector<std::string> texts;
    for (const auto& item : page.children())
        texts.push_back(item.attributeOr("name", "") + "=" + item.text());
    return texts;
}

TEST(PageList, ScalesNormalAndThumbnailSizes) {
    struct Size {
        int width, height;
        const char *normalWidth, *normalHeight, *thumbWidth, *thumbHeight;
    };
    const Size sizes[] = {
        {1400, 1000, "700", "500", "252", "180"},
        {600, 800, "600", "800", "135", "180"},
        {700, 180, "700", "180", "700", "180"},
        {1000, 333, "700", "233", "540", "180"},
        {0, 0, "0", "0", "0", "0"},
        {100000, 2000000, "700", "14000", "9", "180"},
    };
    PageListCase c;
    for (const auto& size : sizes) {
        c.fixture.settings().setPageWidth(size.width);
        c.fixture.settings().setPageHeight(size.height);
        const xml::Document document = c.pageList();
        const xml::Node pages = document.root();
        EXPECT_EQ(pages.attributes(), (std::vector<std::pair<std::string, std::string>>{
                                          {"bace", ""},
                                          {"largeWidth", std::to_string(size.width)},
                                          {"largeHeight", std::to_string(size.height)},
                                          {"width", size.normalWidth},
                                          {"height", size.normalHeight},
                                          {"thumbWidth", size.thumbWidth},
                                          {"thumbHeight", size.thumbHeight}}))
            << size.width << "x" << size.height;
    }
}

TEST(PageList, ListsEveryPageWithItsAddresses) {
    PageListCase flash({.pageNumbers = {5, 7}});
    const xml::Document document = flash.pageList();
    const auto pages = document.root().children();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].attribute("type"), "Image");
    EXPECT_EQ(
        itemTexts(pages[0]),
        (std::vector<std::string>{"thumb=thumb/5.jpg", "normal=page/5.swf", "large=page/5.swf"}));
    EXPECT_EQ(itemTexts(pages[1])[1], "normal=page/7.swf");

    PageListCase images({.pageNumbers = {1, 2}, .extension = "jpg", .thumbs = false});
    const xml::Document imageList = images.pageList();
    EXPECT_EQ(
        itemTexts(imageList.root().children()[1]),
        (std::vector<std::string>{"thumb=page/2.jpg", "normal=page/2.jpg", "large=page/2.jpg"}));

    PageListCase none({.pageNumbers = {}});
    const xml::Document empty = none.pageList();
    EXPECT_TRUE(empty.root().children().empty());
    EXPECT_EQ(empty.root().attributes().size(), 7u);
}

TEST(PageList, CarriesTheLinksOfEachBookPosition) {
    // Book of PDF pages 5, 6, 7: positions 1, 2, 3.
    PageListCase c({.pageNumbers = {5, 6, 7}});
    auto tree = xml::Document::parse(
        "<pagesAnnos>"
        "<pageAnnos pageIndex=\"1\"><anno url=\"https://a/\" x=\"0.1\" y=\"0.2\" width=\"0.3\" "
        "height=\"0.4\" action=\"web\"/></pageAnnos>"
        "<pageAnnos pageIndex=\"2\">"
        "<anno pageIndex=\"7\" x=\"0.5\" y=\"0.5\" width=\"0.1\" height=\"0.1\" action=\"page\"/>"
        "<anno pageIndex=\"2\" x=\"0\" y=\"0\" width=\"1\" height=\"1\" action=\"page\"/>"
        "<anno x=\"0\" y=\"0\" width=\"1\" height=\"1\" action=\"web\"/>"
        "</pageAnnos>"
        "<pageAnnos pageIndex=\"1\"><anno url=\"mailto:x@y\" action=\"web\"/></pageAnnos>"
        "<pageAnnos pageIndex=\"03\"><anno url=\"https://never/\" action=\"web\"/></pageAnnos>"
        "</pagesAnnos>");
    ASSERT_TRUE(tree);
    auto links = std::make_shared<FlashPagesAnnotations>();
    links->setPagesAnnotationsNode(std::move(tree));
    c.writer->setFlashPagesAnnotations(links);

    const xml::Document document = c.pageList();
    const auto pages = document.root().children();
    ASSERT_EQ(pages.size(), 3u);
    const auto first = pages[0].children();
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[3].attributes(),
              (std::vector<std::pair<std::string, std::string>>{{"name", "Link"},
                                                                {"type", "rect"},
                                                                {"action", "web"},
                                                                {"x", "0.1"},
                                                                {"y", "0.2"},
                                                                {"width", "0.3"},
                                                                {"height", "0.4"},
                                                                {"href", "https://a/"}}));
    EXPECT_EQ(first[4].attribute("href"), "mailto:x@y");
    EXPECT_EQ(first[4].attribute("x"), "");

    // A page link names its target page; the item carries that page's position
    // in the book. A target outside the book and a link without target add nothing.
    const auto second = pages[1].children();
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(second[3].attribute("action"), "page");
    EXPECT_EQ(second[3].attribute("href"), "3");
    EXPECT_EQ(pages[2].children().size(), 3u);
}

TEST(PageList, IsWrittenOnlyForTheNeverEditedBook) {
    PageListCase c;
    EXPECT_EQ(c.writer->BookPageConfig("", false), std::nullopt);
    EXPECT_FALSE(fs::exists(c.fixture.out() / "pages.xml"));

    const auto file = c.writer->BookPageConfig("", true);
    ASSERT_EQ(file, c.fixture.out() / "pages.xml");
    const std::string text = test::slurp(*file);
    EXPECT_NE(text.find("<Pages bace=\"\" largeWidth=\"1080\""), std::string::npos) << text;
    EXPECT_EQ(text.find("<?xml"), std::string::npos);
    EXPECT_NE(text.find("\n  <Page type=\"Image\">"), std::string::npos) << "pretty-printed";

    c.writer->setSaveToFolder(c.fixture.out() / "missing");
    EXPECT_EQ(c.writer->BookPageConfig("", true), std::nullopt);
    EXPECT_FALSE(c.writer->failures().empty());
}

} // namespace
} // namespace zarvex
