#include "publish/FlashBookOutput.h"

#include "PublishFixture.h"
#include "base/AppSettings.h"
#include "import/FlashPageSourcePDF.h"
#include "import/FlashPagesAnnotationsPDF.h"
#include "import/ImportPDFOperation.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"
#include "support/FixturePdf.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

using Names = std::vector<std::string>;

std::vector<std::string> linkTexts(const xml::Node& page) {
    std::vector<std::string> links;
    for (const auto& item : page.children()) {
        if (item.attribute("name") == "Link")
            links.push_back(item.attributeOr("action", "") + " " + item.attributeOr("href", ""));
    }
    return links;
}

// Imports the shared five-page fixture (pages 2-5 of it, so book positions and
// PDF page numbers differ) with its links, writes the preview and publishes.
class PdfBook : public testing::TestWithParam<int> {};

TEST_P(PdfBook, DecodesToEveryPageWithItsAddressesAndLinks) {
    test::PublishFixture fixture;
    if (!fs::exists(fixture.resources() / "lib/pdf2swf"))
        GTEST_SKIP() << "the page converter tools are not built";
    const int importType = GetParam();
    AppSettings::shareInstance().setImportType(importType);
    const std::string extension = importType == 0 ? "swf" : "jpg";

    const fs::path pdf = fixture.work() / "links.pdf";
    test::writeFixturePdf(pdf, test::standardDocument());
    ImportPDFOperation import(pdf, "2-5", 144, 85);
    import.setImportLinks(true);
    import.main();
    ASSERT_TRUE(import.flashPageSource());
    ASSERT_TRUE(import.flashPagesAnnotation());
    auto tmpl = fixture.loadTemplate("plain", {});

    fs::create_directories(fixture.previewPath());
    FlashBookOutput preview(import.flashPageSource(), tmpl, fixture.previewPath(), "index.html");
    preview.setFlashPagesAnnotations(import.flashPagesAnnotation());
    ASSERT_TRUE(preview.ouputTheBook());

    const fs::path out = fixture.out();
    fs::create_directories(out);
    FlashBookOutput book(import.flashPageSource(), tmpl, out, "book.html");
    book.setHTMLConfig(std::make_shared<HTMLConfigInfo>());
    book.setFlashPagesAnnotations(import.flashPagesAnnotation());
    ASSERT_TRUE(book.ouputTheBook());

    const std::string e = "." + extension;
    EXPECT_EQ(test::listFolder(out / "files/page"), (Names{"2" + e, "3" + e, "4" + e, "5" + e}));
    EXPECT_EQ(test::listFolder(out / "files/thumb"), (Names{"2.jpg", "3.jpg", "4.jpg", "5.jpg"}));

    const xml::Document config = test::decodeConfig(out / "files/config.xml");
    const xml::Node pages = config.root().children().back();
    ASSERT_EQ(pages.name(), "Pages");
    EXPECT_EQ(pages.attribute("largeWidth"),
              std::to_string(AppSettings::shareInstance().PageWidth()));
    const auto list = pages.children();
    ASSERT_EQ(list.size(), 4u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string n = std::to_string(i + 2);
        const auto items = list[i].children();
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items[0].text(), "thumb/" + n + ".jpg");
        EXPECT_EQ(items[1].text(), "page/" + n + e);
        EXPECT_EQ(items[2].text(), "page/" + n + e);
    }
    // PDF page 2 links to PDF page 1 (not in the book) and the web; PDF page 4
    // links to PDF page 5, which is book position 4.
    EXPECT_EQ(linkTexts(list[0]), (Names{"web https://example.com/b"}));
    EXPECT_EQ(linkTexts(list[1]), (Names{"web https://example.com/c"}));
    EXPECT_EQ(linkTexts(list[2]), (Names{"page 4"}));
    EXPECT_TRUE(linkTexts(list[3]).empty());

    OutputMobileVersion mobile(import.flashPageSource(), tmpl, out, 1);
    fs::create_directories(fixture.resources() / "AppFiles/TmplData/mobile/Slide");
    EXPECT_TRUE(mobile.PublishMobileConfig());
    EXPECT_EQ(test::listFolder(out / "files/mobile"), (Names{"2.jpg", "3.jpg", "4.jpg", "5.jpg"}));
}

INSTANTIATE_TEST_SUITE_P(Formats, PdfBook, testing::Values(0, 1), [](const auto& info) {
    return info.param == 0 ? std::string("FlashPages") : std::string("ImagePages");
});

} // namespace
} // namespace zarvex
