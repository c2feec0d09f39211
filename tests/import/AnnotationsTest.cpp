#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFDocument.h"

#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace zarvex {
namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

PDFAnnotation webLink(PDFRect bounds, std::string url) {
    PDFAnnotation a;
    a.type = "Link";
    a.bounds = bounds;
    a.url = std::move(url);
    return a;
}

PDFAnnotation pageLink(PDFRect bounds, int targetIndex) {
    PDFAnnotation a;
    a.type = "Link";
    a.bounds = bounds;
    a.destinationPageIndex = targetIndex;
    return a;
}

struct PlacementCase {
    PDFRect cropBox;
    int rotation;
    const char *x, *y, *width, *height;
};

class LinkRectangle : public testing::TestWithParam<PlacementCase> {};

// A web link at (60, 700), 120 x 40 points: fractions of the page as displayed,
// top-left corner first.
TEST_P(LinkRectangle, IsPlacedOnThePageAsDisplayed) {
    const auto& c = GetParam();
    const auto attributes = FlashPagesAnnotationsPDF::annoAttributes(
        c.cropBox, c.rotation, webLink({60, 700, 120, 40}, "https://example.com/x"));
    EXPECT_EQ(attributes, (Attributes{{"url", "https://example.com/x"},
                                      {"x", c.x},
                                      {"y", c.y},
                                      {"width", c.width},
                                      {"height", c.height},
                                      {"action", "web"}}));
}

constexpr PDFRect kPage{0, 0, 600, 800};
constexpr PDFRect kOffsetCrop{50, 50, 500, 700};

INSTANTIATE_TEST_SUITE_P(
    Rotations, LinkRectangle,
    testing::Values(PlacementCase{kPage, 0, "0.100000", "0.075000", "0.200000", "0.050000"},
                    PlacementCase{kPage, 90, "0.875000", "0.100000", "0.050000", "0.200000"},
                    PlacementCase{kPage, 180, "0.700000", "0.875000", "0.200000", "0.050000"},
                    PlacementCase{kPage, 270, "0.075000", "0.700000", "0.050000", "0.200000"},
                    PlacementCase{kPage, 45, "0.100000", "0.075000", "0.200000", "0.050000"},
                    PlacementCase{kOffsetCrop, 0, "0.020000", "0.014286", "0.240000", "0.057143"},
                    PlacementCase{kOffsetCrop, 90, "0.928571", "0.020000", "0.057143", "0.240000"},
                    PlacementCase{kOffsetCrop, 180, "0.740000", "0.928571", "0.240000", "0.057143"},
                    PlacementCase{kOffsetCrop, 270, "0.014286", "0.740000", "0.057143",
                                  "0.240000"}),
    [](const testing::TestParamInfo<PlacementCase>& info) {
        return std::string(info.param.cropBox.x == 0 ? "Page" : "OffsetCrop") + "Turned" +
               std::to_string(info.param.rotation);
    });

TEST(LinkAttributes, PageLinkNamesThePdfPageNumber) {
    EXPECT_EQ(FlashPagesAnnotationsPDF::annoAttributes({0, 0, 612, 792}, 0,
                                                       pageLink({0, 0, 306, 396}, 6)),
              (Attributes{{"pageIndex", "7"},
                          {"x", "0.000000"},
                          {"y", "0.500000"},
                          {"width", "0.500000"},
                          {"height", "0.500000"},
                          {"action", "page"}}));
}

TEST(LinkAttributes, OtherAnnotationsAndTargetlessLinksGiveNothing) {
    auto note = webLink({1, 1, 1, 1}, "https://example.com/");
    note.type = "Text";
    EXPECT_TRUE(FlashPagesAnnotationsPDF::annoAttributes(kPage, 0, note).empty());
    PDFAnnotation bare;
    bare.type = "Link";
    EXPECT_TRUE(FlashPagesAnnotationsPDF::annoAttributes(kPage, 0, bare).empty());
}

TEST(LinkAttributes, DegenerateCropBoxGivesNumbersNotNan) {
    const auto attributes =
        FlashPagesAnnotationsPDF::annoAttributes({5, 5, 0, 0}, 0, webLink({1, 2, 3, 4}, "u"));
    ASSERT_EQ(attributes.size(), 6u);
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_EQ(attributes[i].second.find_first_not_of("0123456789.-"), std::string::npos)
            << attributes[i].second;
}

class LinkScan : public testing::Test {
protected:
    std::string scan(const test::FixtureDocument& fixture, std::string_view range) {
        const auto file = dir / "links.pdf";
        test::writeFixturePdf(file, fixture);
        auto document = PDFDocument::open(file);
        EXPECT_TRUE(document);
        annotations.loadLinksFromPDF(document, range);
        return xml::toString(annotations.pagesAnnotationsNode(), false);
    }

    test::TempDir dir;
    FlashPagesAnnotationsPDF annotations;
};

TEST_F(LinkScan, NumbersPagesByBookPositionAndLinksByPdfPage) {
    auto fixture = test::plainDocument(8);
    fixture.pages[5].links.push_back(test::FixtureLink::page({0, 0, 306, 396}, 6));
    EXPECT_EQ(scan(fixture, "5-7"),
              "<pagesAnnos>"
              "<pageAnnos pageIndex=\"1\"/>"
              "<pageAnnos pageIndex=\"2\">"
              "<anno pageIndex=\"7\" x=\"0.000000\" y=\"0.500000\" width=\"0.500000\" "
              "height=\"0.500000\" action=\"page\"/>"
              "</pageAnnos>"
              "<pageAnnos pageIndex=\"3\"/>"
              "</pagesAnnos>");
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

TEST_F(LinkScan, PlacesLinksOnRotatedAndCroppedPagesAsDisplayed) {
    // The pages of linkPlacementDocument(): rotations 0 to 270, then an offset
    // crop box turned by 0, 90 and 270; each link points at PDF page 8.
    const char* const expected[][4] = {
        {"0.100000", "0.075000", "0.200000", "0.050000"},
        {"0.875000", "0.100000", "0.050000", "0.200000"},
        {"0.700000", "0.875000", "0.200000", "0.050000"},
        {"0.075000", "0.700000", "0.050000", "0.200000"},
        {"0.020000", "0.014286", "0.240000", "0.057143"},
        {"0.928571", "0.020000", "0.057143", "0.240000"},
        {"0.014286", "0.740000", "0.057143", "0.240000"},
    };
    std::string want = "<pagesAnnos>";
    int position = 0;
    for (const auto& r : expected)
        want += "<pageAnnos pageIndex=\"" + std::to_string(++position) +
                "\"><anno pageIndex=\"8\" x=\"" + r[0] + "\" y=\"" + r[1] + "\" width=\"" + r[2] +
                "\" height=\"" + r[3] + "\" action=\"page\"/></pageAnnos>";
    want += "<pageAnnos pageIndex=\"8\"/></pagesAnnos>";
    EXPECT_EQ(scan(test::linkPlacementDocument(), "ALL"), want);
}

TEST_F(LinkScan, SkipsNumbersOutsideTheDocumentWithoutShiftingPositions) {
    auto fixture = test::plainDocument(2);
    fixture.pages[0].links.push_back(test::FixtureLink::web({0, 0, 10, 10}, "https://a.example/"));
    const auto text = scan(fixture, "0,1,2,9");
    EXPECT_EQ(annotations.needToImportPages(), (std::vector<int>{0, 1, 2, 9}));
    EXPECT_EQ(text, "<pagesAnnos>"
                    "<pageAnnos pageIndex=\"1\"><anno url=\"https://a.example/\" x=\"0.000000\" "
                    "y=\"0.987374\" width=\"0.016340\" height=\"0.012626\" action=\"web\"/>"
                    "</pageAnnos>"
                    "<pageAnnos pageIndex=\"2\"/>"
                    "</pagesAnnos>");
}

TEST_F(LinkScan, WithoutDocumentTheTreeHasNoPages) {
    annotations.setNeedFiles({"stale"});
    annotations.loadLinksFromPDF(nullptr, "1-3");
    EXPECT_EQ(xml::toString(annotations.pagesAnnotationsNode(), false), "<pagesAnnos/>");
    EXPECT_TRUE(annotations.needFiles().empty());
}

} // namespace
} // namespace zarvex
