// Reading a PDF: pages, destinations and renders, and the links and bookmarks
// an import takes from it.
#include "import/PDFDocument.h"
#include "import/FlashOutlinePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFRenderer.h"

#include "ImportTestSupport.h"
#include "base/Error.h"
#include "base/TextEncoding.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

using namespace zarvex;
using namespace zarvex::test;

namespace {

// A hand-written PDF without a cross-reference table (the library rebuilds it)
// holding what the generator does not write: inherited and odd page
// attributes, a URI base, named and numeric destinations, dead targets.
constexpr const char* kHandWritten = R"(%PDF-1.4
1 0 obj << /Type /Catalog /Pages 2 0 R /URI << /Base (https://example.org/docs/index.html) >>
  /Dests << /chap2 [4 0 R /Fit] >> /Outlines 14 0 R >> endobj
2 0 obj << /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /Rotate -90 /MediaBox [0 0 400 500] >> endobj
3 0 obj << /Type /Page /Parent 2 0 R /CropBox [50 50 450 300]
  /Annots [6 0 R 7 0 R 8 0 R 9 0 R 10 0 R 11 0 R 12 0 R 42 13 0 R] >> endobj
4 0 obj << /Type /Page /Parent 2 0 R /Rotate 45 /MediaBox [0 0 200 100] >> endobj
5 0 obj << /Type /Page /Parent 2 0 R /Rotate 450 >> endobj
6 0 obj << /Type /Annot /Subtype /Link /Rect [200 100 100 50] /A << /S /URI /URI (page.html) >> >> endobj
7 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A << /S /URI /URI (/root.html) >> >> endobj
8 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest /chap2 >> endobj
9 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest [2 /Fit] >> endobj
10 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest [1 0 R /Fit] >> endobj
11 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A << /S /Launch /F (x.exe) >> >> endobj
12 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /A << /S /URI /URI (mailto:a@b.c) >> >> endobj
13 0 obj << /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest /nowhere >> endobj
14 0 obj << /First 15 0 R /Last 16 0 R >> endobj
15 0 obj << /Title (One) /Dest [3 0 R /Fit] /Next 16 0 R /First 17 0 R >> endobj
16 0 obj << /Title <FEFF00C400DF> /A << /S /GoTo /D /chap2 >> /Next 15 0 R >> endobj
17 0 obj << /Title (Child) /A << /S /URI /URI (http://x.org/) >> >> endobj
trailer << /Root 1 0 R /Size 18 >>
%%EOF
)";

std::string orDash(const std::optional<int>& page) {
    return page ? std::to_string(*page) : "-";
}

// A node as "label@page{children}".
std::string outlineText(const PDFOutlineNode& node) {
    std::string text = node.label + "@" + orDash(node.destinationPageIndex);
    for (const auto& child : node.children)
        text += "{" + outlineText(child) + "}";
    return text;
}

} // namespace

TEST(PdfDocument, HandWrittenFileResolvesInheritanceBasesAndDestinations) {
    TempDir dir;
    writeFile(dir / "hand.pdf", kHandWritten);
    auto doc = PDFDocument::open(dir / "hand.pdf");
    ASSERT_TRUE(doc);
    for (int index : {-1, 3, 1000})
        EXPECT_THROW(doc->pageAt(index), Error) << index;

    // Rotations inherited (-90), not a multiple of 90 (45) and over a turn
    // (450); the first crop box clipped to the inherited media box.
    std::vector<std::tuple<int, int, PDFRect, PDFSize>> pages;
    for (int i = 0; i < doc->pageCount(); ++i) {
        const PDFPage p = doc->pageAt(i);
        pages.emplace_back(doc->indexOfPage(p), p.rotation(), p.cropRect(), p.displaySize());
    }
    EXPECT_EQ(pages, (decltype(pages){{0, 270, {50, 50, 350, 250}, {250, 350}},
                                      {1, 0, {0, 0, 200, 100}, {200, 100}},
                                      {2, 90, {0, 0, 400, 500}, {500, 400}}}));

    // The bare number in /Annots is no annotation. The others: a relative and a
    // root-relative address, a named destination, a page number instead of a
    // page, the catalog (no page), a launch action, a mail address, an unknown name.
    const PDFPage page = doc->pageAt(0);
    std::vector<std::string> targets;
    for (const auto& a : page.annotations())
        targets.push_back(a.url.value_or("") + "@" + orDash(a.destinationPageIndex));
    EXPECT_EQ(targets, (std::vector<std::string>{"https://example.org/docs/page.html@-",
                                                 "https://example.org/root.html@-", "@1", "@2",
                                                 "@-", "@-", "mailto:a@b.c@-", "@-"}));
    EXPECT_EQ(page.annotations()[0].bounds, (PDFRect{100, 50, 100, 50}));

    // The outline's last entry loops back to its first; UTF-16 titles decode;
    // a bookmark to a web address has no page.
    const auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    EXPECT_EQ(outlineText(*root), "@-{One@0{Child@-}}{\u00c4\u00df@1}");
    EXPECT_THROW(root->childAt(2), Error);
    EXPECT_THROW(root->childAt(-1), Error);
}

TEST(PdfRenderer, RendersDisplayedPagesAtTheAskedSizeAndTheSameInBands) {
    const auto doc = PDFDocument::open(sharedFiles().standard);
    ASSERT_TRUE(doc);
    PDFRenderer fromData(slurp(sharedFiles().standard));
    const auto fromFile = PDFRenderer::fromFile(sharedFiles().standard);
    const auto fromDocument = PDFRenderer::fromDocument(*doc);
    for (PDFRenderer* renderer : {&fromData, fromFile.get(), fromDocument.get()}) {
        EXPECT_EQ(renderer->pageCount(), 5);
        // Pages 2 and 4 are 595 x 842 turned by 90 and 792 x 612 turned by 270.
        EXPECT_EQ(
            (std::vector{renderer->pageSize(0), renderer->pageSize(1), renderer->pageSize(3)}),
            (std::vector<PDFSize>{{612, 792}, {842, 595}, {612, 792}}));
    }

    // What a page draws, and where, is checked with the page text (PageTextTest).
    EXPECT_EQ(jpegSize(fromData.renderJpeg(0, 1224, 1584, 0.85)), (std::pair{1224, 1584}));
    // Drawn and encoded in bands (of 40 rows, the last one short), a page is
    // the same picture: no seam, no band shifted or left white.
    const auto whole = decodeJpeg(fromData.renderJpeg(1, 842, 595, 0.85)).rgb;
    fromData.setBandBytes(842 * 3 * 40);
    const auto banded = decodeJpeg(fromData.renderJpeg(1, 842, 595, 0.85)).rgb;
    ASSERT_EQ(banded.size(), whole.size());
    double total = 0;
    int largest = 0;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const int difference = std::abs(int(whole[i]) - int(banded[i]));
        total += difference;
        largest = std::max(largest, difference);
    }
    EXPECT_LT(total / double(whole.size()), 0.5);
    EXPECT_LE(largest, 32);
}

TEST(PdfRenderer, RejectsBadPagesSizesAndData) {
    PDFRenderer renderer(slurp(sharedFiles().standard));
    EXPECT_THROW(renderer.render(5, 10, 10), Error);
    EXPECT_THROW(renderer.render(-1, 10, 10), Error);
    EXPECT_THROW(renderer.pageSize(5), Error);
    EXPECT_THROW(renderer.render(0, 0, 10), Error);
    EXPECT_THROW(renderer.render(0, 10, 40000), Error);
    EXPECT_THROW(PDFRenderer(std::string()), Error);
    EXPECT_THROW(PDFRenderer(std::string("garbage")), Error);
    EXPECT_THROW(PDFRenderer(slurp(sharedFiles().encrypted)), Error);
    EXPECT_THROW(PDFRenderer::fromFile(sharedFiles().encrypted), Error);
    EXPECT_THROW(PDFRenderer::fromFile(sharedFiles().dir / "missing.pdf"), Error);
    EXPECT_EQ(renderer.render(0, 20, 30).width, 20) << "still usable after the failures";
}

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
