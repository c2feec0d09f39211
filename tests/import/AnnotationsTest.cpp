#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFDocument.h"

#include "base/TextEncoding.h"

#include "ImportTestSupport.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>

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
// linkPlacementDocument(), in its order.
TEST_F(LinkScan, PlacesLinksOnRotatedAndCroppedPagesAsDisplayed) {
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
}

// (Annotations other than links: the "Text" note of ReadsTheStandardFixture.)
TEST(LinkAttributes, OnlyLinksWithATargetCountAndNumbersStayNumbers) {
    EXPECT_TRUE(
        FlashPagesAnnotationsPDF::annoAttributes({0, 0, 600, 800}, 0, link({}, {}, {})).empty());

    const auto degenerate =
        FlashPagesAnnotationsPDF::annoAttributes({5, 5, 0, 0}, 0, link({1, 2, 3, 4}, "u", {}));
    ASSERT_EQ(degenerate.size(), 6u);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(degenerate[i].second.find_first_not_of("0123456789.-"), std::string::npos)
            << degenerate[i].second;
}

TEST_F(LinkScan, ReadsTheStandardFixture) {
    const auto text = scan(test::standardDocument(), "ALL");
    // Page 1: web link and /Dest page link; the "Text" note is skipped.
    EXPECT_NE(text.find("<pageAnnos pageIndex=\"1\">"
                        "<anno url=\"https://example.com/a\" x=\"0.098039\" y=\"0.065657\" "
                        "width=\"0.196078\" height=\"0.050505\" action=\"web\"/>"
                        "<anno pageIndex=\"3\" x=\"0.098039\" y=\"0.191919\" width=\"0.196078\" "
                        "height=\"0.050505\" action=\"page\"/>"
                        "</pageAnnos>"),
              std::string::npos)
        << text;
    // Page 2, rotated 90: the /GoTo page link points at PDF page 1.
    EXPECT_NE(text.find("<anno pageIndex=\"1\" x=\"0.118765\" y=\"0.168067\" width=\"0.035629\" "
                        "height=\"0.084034\" action=\"page\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<pageAnnos pageIndex=\"5\"/>"), std::string::npos) << text;
    EXPECT_TRUE(annotations.needFiles().empty());
}

// Book pages are numbered by position over the numbers kept, links by PDF page.
TEST_F(LinkScan, NumbersPagesByBookPositionSkippingNumbersOutsideTheDocument) {
    auto fixture = test::plainDocument(8);
    fixture.pages[5].links.push_back(test::FixtureLink::page({0, 0, 306, 396}, 6));
    EXPECT_EQ(scan(fixture, "0,5-7,9"),
              "<pagesAnnos>"
              "<pageAnnos pageIndex=\"1\"/>"
              "<pageAnnos pageIndex=\"2\">"
              "<anno pageIndex=\"7\" x=\"0.000000\" y=\"0.500000\" width=\"0.500000\" "
              "height=\"0.500000\" action=\"page\"/>"
              "</pageAnnos>"
              "<pageAnnos pageIndex=\"3\"/>"
              "</pagesAnnos>");
    EXPECT_EQ(annotations.needToImportPages(), (std::vector<int>{0, 5, 6, 7, 9}));

    annotations.setNeedFiles({"stale"});
    annotations.loadLinksFromPDF(nullptr, "1-3");
    EXPECT_EQ(xml::toString(annotations.pagesAnnotationsNode(), false), "<pagesAnnos/>");
    EXPECT_TRUE(annotations.needFiles().empty());
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
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("warning") &&
                                       line.find("dropped") != std::string::npos;
                            }),
              static_cast<std::ptrdiff_t>(test::hostileLinkAddresses().size() - expected.size()))
        << "each dropped address is named in the log";
    // What the tree holds survives writing and reading back as XML.
    EXPECT_TRUE(text::isValidUtf8(text)) << text;
    EXPECT_TRUE(xml::Document::parse(text)) << text;
}

} // namespace
} // namespace zarvex
