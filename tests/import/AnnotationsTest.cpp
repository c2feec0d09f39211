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

struct RotationCase {
    int rotation;
    const char *x, *y, *width, *height;
};

class LinkRectangle : public testing::TestWithParam<RotationCase> {};

// A web link at (60, 700), 120 x 40 points on a 600 x 800 crop box.
TEST_P(LinkRectangle, FollowsTheRotationTable) {
    const auto& c = GetParam();
    const auto attributes = FlashPagesAnnotationsPDF::annoAttributes(
        {600, 800}, c.rotation, webLink({60, 700, 120, 40}, "https://example.com/x"));
    EXPECT_EQ(attributes, (Attributes{{"url", "https://example.com/x"},
                                      {"x", c.x},
                                      {"y", c.y},
                                      {"width", c.width},
                                      {"height", c.height},
                                      {"action", "web"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Rotations, LinkRectangle,
    testing::Values(RotationCase{0, "0.100000", "0.075000", "0.200000", "0.050000"},
                    RotationCase{90, "0.300000", "0.075000", "0.066667", "0.150000"},
                    RotationCase{180, "0.300000", "0.125000", "0.200000", "0.050000"},
                    RotationCase{270, "0.100000", "0.125000", "0.066667", "0.150000"},
                    RotationCase{45, "0.000000", "1.000000", "0.000000", "0.000000"}));

TEST(LinkAttributes, PageLinkNamesThePdfPageNumber) {
    EXPECT_EQ(
        FlashPagesAnnotationsPDF::annoAttributes({612, 792}, 0, pageLink({0, 0, 306, 396}, 6)),
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
    EXPECT_TRUE(FlashPagesAnnotationsPDF::annoAttributes({600, 800}, 0, note).empty());
    PDFAnnotation bare;
    bare.type = "Link";
    EXPECT_TRUE(FlashPagesAnnotationsPDF::annoAttributes({600, 800}, 0, bare).empty());
}

TEST(LinkAttributes, DegenerateCropBoxGivesNumbersNotNan) {
    const auto attributes =
        FlashPagesAnnotationsPDF::annoAttributes({0, 0}, 0, webLink({1, 2, 3, 4}, "u"));
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
    EXPECT_NE(text.find("<anno pageIndex=\"1\" x=\"0.252101\" y=\"0.845606\" width=\"0.050420\" "
                        "height=\"0.059382\" action=\"page\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<pageAnnos pageIndex=\"5\"/>"), std::string::npos) << text;
    EXPECT_TRUE(annotations.needFiles().empty());
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
