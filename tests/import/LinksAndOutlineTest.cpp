// The links and bookmarks an import takes from a PDF.
#include "import/FlashOutlinePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"

#include "base/TextEncoding.h"

#include "ImportTestSupport.h"

namespace zarvex {
namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

PDFAnnotation link(PDFRect bounds, std::optional<std::string> url, std::optional<int> target) {
    PDFAnnotation a;
    a.type = "Link";
    a.bounds = bounds;
    a.url = std::move(url);
    a.destinationPageIndex = target;
    return a;
}

class LinkScan : public testing::Test {
protected:
    std::string scan(const test::FixtureDocument& fixture, std::string_view range) {
        annotations.loadLinksFromPDF(test::openFixture(dir / "links.pdf", fixture), range);
        return xml::toString(annotations.pagesAnnotationsNode(), false);
    }

    test::TempDir dir;
    FlashPagesAnnotationsPDF annotations;
};

// A link at (60, 700), 120 x 40 points, to PDF page 8: fractions of the page as
// displayed, top-left corner first. The rows marked are the pages of
// linkPlacementDocument(), in its order. Then annotations that make no link.
TEST_F(LinkScan, PlacesLinksWithATargetOnRotatedAndCroppedPagesAsDisplayed) {
    constexpr PDFRect kPage{0, 0, 600, 800};
    constexpr PDFRect kCrop{50, 50, 500, 700};
    const struct {
        PDFRect cropBox;
        int rotation;
        const char *x, *y, *width, *height;
        bool inFixture;
    } rows[] = {
        {kPage, 0, "0.100000", "0.075000", "0.200000", "0.050000", true},
        {kPage, 90, "0.875000", "0.100000", "0.050000", "0.200000", true},
        {kPage, 180, "0.700000", "0.875000", "0.200000", "0.050000", true},
        {kPage, 270, "0.075000", "0.700000", "0.050000", "0.200000", true},
        {kPage, 45, "0.100000", "0.075000", "0.200000", "0.050000", false}, // counts as 0
        {kCrop, 0, "0.020000", "0.014286", "0.240000", "0.057143", true},
        {kCrop, 90, "0.928571", "0.020000", "0.057143", "0.240000", true},
        {kCrop, 180, "0.740000", "0.928571", "0.240000", "0.057143", false},
        {kCrop, 270, "0.014286", "0.740000", "0.057143", "0.240000", true},
    };
    std::string want = "<pagesAnnos>";
    int position = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE((r.cropBox.x == 0 ? "page turned " : "offset crop turned ") +
                     std::to_string(r.rotation));
        EXPECT_EQ(FlashPagesAnnotationsPDF::annoAttributes(r.cropBox, r.rotation,
                                                           link({60, 700, 120, 40}, {}, 7)),
                  (Attributes{{"pageIndex", "8"},
                              {"x", r.x},
                              {"y", r.y},
                              {"width", r.width},
                              {"height", r.height},
                              {"action", "page"}}));
        if (r.inFixture)
            want += "<pageAnnos pageIndex=\"" + std::to_string(++position) +
                    "\"><anno pageIndex=\"8\" x=\"" + r.x + "\" y=\"" + r.y + "\" width=\"" +
                    r.width + "\" height=\"" + r.height + "\" action=\"page\"/></pageAnnos>";
    }
    want += "<pageAnnos pageIndex=\"8\"/></pagesAnnos>";
    EXPECT_EQ(scan(test::linkPlacementDocument(), "ALL"), want);

    // A note with an address and a link without a target make no link; a crop
    // box of no size makes numbers, not "nan".
    auto note = link({0, 0, 10, 10}, "https://example.com/", {});
    note.type = "Text";
    for (const auto& none : {note, link({}, {}, {})})
        EXPECT_TRUE(FlashPagesAnnotationsPDF::annoAttributes(kPage, 0, none).empty());
    const auto degenerate =
        FlashPagesAnnotationsPDF::annoAttributes({5, 5, 0, 0}, 0, link({1, 2, 3, 4}, "u", {}));
    ASSERT_EQ(degenerate.size(), 6u);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(degenerate[i].second.find_first_not_of("0123456789.-"), std::string::npos)
            << degenerate[i].second;
}

// Addresses with control characters, bytes that are not UTF-8, script and file schemes.
TEST_F(LinkScan, HostileAddressesAreDecodedCleanedAndFiltered) {
    test::LogCapture log;
    const auto text = scan(test::hostileStringsDocument(), "1");
    std::vector<std::string> urls, expected;
    for (const auto& page : annotations.pagesAnnotationsNode().children())
        for (const auto& anno : page.children())
            urls.push_back(anno.attributeOr("url", "(page link)"));
    for (const auto& c : test::hostileLinkAddresses())
        if (c.imported)
            expected.push_back(*c.imported);
    EXPECT_EQ(urls, expected);
    std::size_t dropped = 0;
    for (const auto& line : log.lines())
        dropped += line.starts_with("warning") && line.find("dropped") != std::string::npos;
    EXPECT_EQ(dropped, test::hostileLinkAddresses().size() - expected.size())
        << "each dropped address is named in the log";
    // What the tree holds survives writing and reading back as XML.
    EXPECT_TRUE(text::isValidUtf8(text)) << text;
    EXPECT_TRUE(xml::Document::parse(text)) << text;
}

std::string compact(const xml::Document& doc) {
    return doc.toString(false, false);
}

// Every item's parent is the item whose children list it.
void expectParents(const std::vector<FlashOutlineItemPtr>& items,
                   const FlashOutlineItemPtr& parent) {
    for (const auto& item : items) {
        EXPECT_EQ(item->parent(), parent);
        expectParents(item->childItems(), item);
    }
}

// The import's copy of the standard fixture's outline, with PDF page numbers
// and levels, written in the nested form and read back; hostile titles decoded.
TEST(FlashOutline, CopiesThePdfOutlineWritesItNestedReadsItBackAndCleansHostileTitles) {
    test::TempDir dir;
    FlashOutlinePDF outline;
    outline.loadOutlineFromPDF(
        test::openFixture(dir / "standard.pdf", test::standardDocument()).get());
    EXPECT_EQ(compact(outline.outlineAsXMLNode()),
              "<ols><o><c>Chapter 1</c><p>1</p><l>1</l><ci>"
              "<o><c>Section 1.1</c><p>2</p><l>2</l><ci/></o>"
              "<o><c>Section 1.2</c><p>3</p><l>2</l><ci><o><c>Detail</c><p>4</p><l>3</l><ci/></o>"
              "</ci></o></ci></o><o><c>Chapter 2</c><p>5</p><l>1</l><ci/></o></ols>");
    expectParents(outline.items(), nullptr);

    const auto parsed = xml::Document::parse(outline.outlineAsXMLNode().toString(true));
    ASSERT_TRUE(parsed);
    FlashOutline loaded;
    loaded.loadFromXMLNode(parsed->root());
    EXPECT_EQ(compact(loaded.outlineAsXMLNode()), compact(outline.outlineAsXMLNode()));
    expectParents(loaded.items(), nullptr);

    // No outline, or no document: nothing is appended.
    FlashOutlinePDF empty;
    empty.loadOutlineFromPDF(test::openFixture(dir / "plain.pdf", test::plainDocument(2)).get());
    empty.loadOutlineFromPDF(nullptr);
    EXPECT_TRUE(empty.items().empty());

    // Titles in every encoding, with control characters and line breaks.
    FlashOutlinePDF hostile;
    hostile.loadOutlineFromPDF(
        test::openFixture(dir / "strings.pdf", test::hostileStringsDocument()).get());
    std::vector<std::string> got, expected;
    for (const auto& item : hostile.items())
        got.push_back(item->caption().value_or("(none)") + " @" +
                      std::to_string(item->pageIndex()));
    for (const auto& title : test::hostileBookmarkTitles())
        expected.push_back(title.imported.value_or("") + " @2");
    EXPECT_EQ(got, expected);
}

} // namespace
} // namespace zarvex
