// Files made to break the import: strings that are no clean UTF-8, addresses
// that would run scripts, a page tree that lies about its size, page ranges
// and pages far beyond any real document.

#include "base/AppSettings.h"
#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/TextEncoding.h"
#include "base/Xml.h"
#include "import/FlashPageSource.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/PDFDocument.h"
#include "import/PDFRenderer.h"
#include "import/PDFToSWFPageConverter.h"
#include "import/SwfFile.h"

#include "support/FixturePdf.h"
#include "support/LogCapture.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

std::shared_ptr<PDFDocument> openFixture(const fs::path& file, const test::FixtureDocument& doc) {
    test::writeFixturePdf(file, doc);
    auto document = PDFDocument::open(file);
    EXPECT_TRUE(document) << file;
    return document;
}

TEST(HostileInputs, LinkAddressesAreDecodedCleanedAndFilteredAtImport) {
    test::TempDir dir;
    auto document = openFixture(dir / "strings.pdf", test::hostileStringsDocument());
    ASSERT_TRUE(document);
    test::LogCapture log;
    FlashPagesAnnotationsPDF annotations;
    annotations.loadLinksFromPDF(document, "1");

    std::vector<std::string> urls;
    for (const auto& page : annotations.pagesAnnotationsNode().children())
        for (const auto& anno : page.children())
            urls.push_back(anno.attributeOr("url", "(page link)"));
    std::vector<std::string> expected;
    std::size_t dropped = 0;
    for (const auto& c : test::hostileLinkAddresses()) {
        if (c.imported)
            expected.push_back(*c.imported);
        else
            ++dropped;
    }
    EXPECT_EQ(urls, expected);
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("warning") &&
                                       line.find("dropped") != std::string::npos;
                            }),
              static_cast<std::ptrdiff_t>(dropped))
        << "each dropped address is named in the log";

    // What the tree holds survives writing and reading back as XML.
    const auto text = xml::toString(annotations.pagesAnnotationsNode(), false);
    EXPECT_TRUE(text::isValidUtf8(text)) << text;
    EXPECT_TRUE(xml::Document::parse(text)) << text;
}

TEST(HostileInputs, BookmarkTitlesAreDecodedToCleanUtf8) {
    test::TempDir dir;
    auto document = openFixture(dir / "strings.pdf", test::hostileStringsDocument());
    ASSERT_TRUE(document);
    const auto root = document->outlineRoot();
    ASSERT_TRUE(root);
    const auto& cases = test::hostileBookmarkTitles();
    ASSERT_EQ(root->children.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(root->children[i].label, cases[i].imported.value_or(""));
        EXPECT_EQ(root->children[i].destinationPageIndex, 1);
    }
}

TEST(HostileInputs, PageCountComesFromThePageTreeNotItsClaim) {
    test::TempHome home;
    test::TempDir dir;
    const auto file = dir / "huge.pdf";
    auto document = openFixture(file, test::hugeCountDocument());
    ASSERT_TRUE(document);
    ASSERT_EQ(document->pageCount(), 2);
    EXPECT_THROW(document->pageAt(2), Error);
    EXPECT_EQ(PDFRenderer::fromFile(file)->pageCount(), 2);
    EXPECT_EQ(PDFRenderer::fromDocument(*document)->pageCount(), 2);

    AppSettings::shareInstance().setImportType(1);
    FlashPageSourcePDF source(file, "ALL", 144, 65);
    source.generatePages();
    EXPECT_EQ(source.pages().size(), 2u);
    AppSettings::shareInstance().setImportType(0);
}

TEST(HostileInputs, HugeRangesAndPageCountsStayBounded) {
    struct Case {
        const char* text;
        int total;
        std::size_t size;
        int first;
        int last;
    };
    const auto outside = static_cast<std::size_t>(FlashPageSource::kMaxPagesOutsideDocument);
    const Case cases[] = {
        {"1-2147483647", 3, 3 + outside, 1, 3 + static_cast<int>(outside)},
        {"2147483647", 3, 1, INT_MAX, INT_MAX},
        {"1-3", INT_MAX, 3, 1, 3},
        {"2147483646-2147483647", INT_MAX, 2, INT_MAX - 1, INT_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " of " + std::to_string(c.total));
        const auto pages = FlashPageSource::parsePageRange(c.text, c.total);
        ASSERT_EQ(pages.size(), c.size);
        EXPECT_EQ(pages.front(), c.first);
        EXPECT_EQ(pages.back(), c.last);
        EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
    }
}

TEST(HostileInputs, OversizedPagesStayWithinThePixelCapInBothModes) {
    test::TempHome home;
    test::TempDir dir;
    if (!fs::exists(PDFToSWFPageConverter::getPDF2swfLibPath()))
        GTEST_SKIP() << "pdf2swf is not built";
    struct Case {
        double width;
        double height;
    };
    const Case cases[] = {{16500, 800}, {800, 16500}, {16000, 16000}};
    test::FixtureDocument fixture;
    for (const auto& c : cases)
        fixture.pages.emplace_back(c.width, c.height);
    const auto file = dir / "large.pdf";
    auto document = openFixture(file, fixture);
    ASSERT_TRUE(document);
    PDFToSWFPageConverter converter(file, document, 25);
    for (int p = 1; p <= static_cast<int>(std::size(cases)); ++p) {
        const auto& c = cases[p - 1];
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " points");
        const auto cap = PDFToSWFPageConverter::pageImageSize(c.width, c.height);
        EXPECT_LE(double(cap.width) * cap.height, 8192.0 * 8192.0 * 1.001);

        const auto swfFile = dir / (std::to_string(p) + ".swf");
        EXPECT_NO_THROW(converter.runPdf2swf(p, swfFile));
        if (!fs::exists(swfFile))
            continue;
        const auto header = swf::readCompleteFile(*readFile(swfFile));
        EXPECT_NEAR(header.width(), cap.width, 1);
        EXPECT_NEAR(header.height(), cap.height, 1);
    }
}

} // namespace
} // namespace zarvex
