#include "import/PDFDocument.h"
#include "import/PDFRenderer.h"

#include "ImportTestSupport.h"
#include "base/Error.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace zarvex;
using namespace zarvex::test;

namespace {

// The shared fixture files, written once for the whole program.
struct Files {
    TempDir dir{"zarvex-pdfdoc"};
    std::filesystem::path standard = dir / "standard.pdf";
    std::filesystem::path encrypted = dir / "encrypted.pdf";
    Files() {
        writeFixturePdf(standard, standardDocument());
        FixtureDocument enc = plainDocument(2);
        enc.userPassword = "secret";
        writeFixturePdf(encrypted, enc);
    }
};

const Files& files() {
    static Files instance;
    return instance;
}

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

} // namespace

TEST(PdfDocument, ReadsPagesAnnotationsAndOutlineOfTheFixture) {
    auto doc = PDFDocument::open(files().standard);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 5);
    EXPECT_EQ(doc->path(), files().standard);
    const struct {
        PDFSize crop;
        int rotation;
        std::size_t annotations;
    } pages[] = {{{612, 792}, 0, 3},
                 {{595, 842}, 90, 2},
                 {{612, 792}, 180, 1},
                 {{792, 612}, 270, 1},
                 {{612, 792}, 0, 0}};
    for (int i = 0; i < 5; ++i) {
        PDFPage page = doc->pageAt(i);
        EXPECT_EQ(page.index(), i);
        EXPECT_EQ(doc->indexOfPage(page), i);
        EXPECT_EQ(page.cropBox(), pages[i].crop) << "page " << i;
        EXPECT_EQ(page.rotation(), pages[i].rotation) << "page " << i;
        EXPECT_EQ(page.annotations().size(), pages[i].annotations) << "page " << i;
    }
    for (int index : {-1, 5, 1000})
        EXPECT_THROW(doc->pageAt(index), Error) << index;

    // Their contents are checked through the link tree (AnnotationsTest).
    EXPECT_EQ(doc->pageAt(1).annotations()[1].bounds, (PDFRect{100, 100, 50, 30})) << "unrotated";
    EXPECT_EQ(doc->pageAt(1).annotations()[1].destinationPageIndex, 0); // a /GoTo action

    // The outline's content is checked through FlashOutlinePDF; here its bounds.
    const auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->label.empty());
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_THROW(root->childAt(2), Error);
    EXPECT_THROW(root->childAt(-1), Error);
    TempDir dir;
    EXPECT_FALSE(openFixture(dir / "plain.pdf", plainDocument(1))->outlineRoot());
}

TEST(PdfDocument, HandWrittenFileResolvesInheritanceBasesAndDestinations) {
    TempDir dir;
    writeFile(dir / "hand.pdf", kHandWritten);
    auto doc = PDFDocument::open(dir / "hand.pdf");
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->pageCount(), 3);

    PDFPage page = doc->pageAt(0);
    EXPECT_EQ(page.rotation(), 270);                // inherited -90
    EXPECT_EQ(page.cropBox(), (PDFSize{350, 250})); // clipped to the inherited media box
    EXPECT_EQ(page.cropRect(), (PDFRect{50, 50, 350, 250}));
    EXPECT_EQ(page.displaySize(), (PDFSize{250, 350}));
    EXPECT_EQ(doc->pageAt(1).rotation(), 0); // not a multiple of 90
    EXPECT_EQ(doc->pageAt(1).cropBox(), (PDFSize{200, 100}));
    EXPECT_EQ(doc->pageAt(2).rotation(), 90); // 450

    // The bare number in /Annots is no annotation. The others: a relative and a
    // root-relative address, a named destination, a page number instead of a
    // page, the catalog (no page), a launch action, a mail address, an unknown name.
    std::vector<std::optional<std::string>> urls;
    std::vector<std::optional<int>> targets;
    for (const auto& a : page.annotations()) {
        urls.push_back(a.url);
        targets.push_back(a.destinationPageIndex);
    }
    const auto none = std::nullopt;
    EXPECT_EQ(urls, (std::vector<std::optional<std::string>>{
                        "https://example.org/docs/page.html", "https://example.org/root.html", none,
                        none, none, none, "mailto:a@b.c", none}));
    EXPECT_EQ(targets, (std::vector<std::optional<int>>{none, none, 1, 2, none, none, none, none}));
    EXPECT_EQ(page.annotations()[0].bounds, (PDFRect{100, 50, 100, 50}));

    // The outline's last entry loops back to its first; UTF-16 titles decode.
    auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->childCount(), 2);
    const auto& one = root->childAt(0);
    EXPECT_EQ(std::tie(one.label, one.destinationPageIndex), std::tuple("One", 0));
    ASSERT_EQ(one.childCount(), 1);
    EXPECT_EQ(std::tie(one.childAt(0).label, one.childAt(0).destinationPageIndex),
              std::tuple("Child", none)); // a web link
    EXPECT_EQ(std::tie(root->childAt(1).label, root->childAt(1).destinationPageIndex),
              std::tuple("\u00c4\u00df", 1));
}

TEST(PdfDocument, HostileBookmarkTitlesAreDecodedToCleanUtf8) {
    TempDir dir;
    const auto doc = openFixture(dir / "strings.pdf", hostileStringsDocument());
    ASSERT_TRUE(doc);
    const auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    const auto& titles = hostileBookmarkTitles();
    ASSERT_EQ(root->children.size(), titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(root->children[i].label, titles[i].imported.value_or("")) << titles[i].what;
        EXPECT_EQ(root->children[i].destinationPageIndex, 1) << titles[i].what;
    }
}

TEST(PdfDocument, HostilePageCountComesFromThePageTreeNotItsClaim) {
    TempDir dir;
    const auto doc = openFixture(dir / "huge.pdf", hugeCountDocument());
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->pageCount(), 2);
    EXPECT_THROW(doc->pageAt(2), Error);
    EXPECT_EQ(PDFRenderer::fromFile(dir / "huge.pdf")->pageCount(), 2);
    EXPECT_EQ(PDFRenderer::fromDocument(*doc)->pageCount(), 2);
    // The import of the file: ImportFuzz.MutatedCopiesEndCleanly (an intact seed).
}

TEST(PdfRenderer, RendersDisplayedPagesOnWhiteAtTheAskedSize) {
    auto doc = PDFDocument::open(files().standard);
    ASSERT_TRUE(doc);
    PDFRenderer fromData(slurp(files().standard));
    const auto fromFile = PDFRenderer::fromFile(files().standard);
    const auto fromDocument = PDFRenderer::fromDocument(*doc);
    for (PDFRenderer* renderer : {&fromData, fromFile.get(), fromDocument.get()}) {
        EXPECT_EQ(renderer->pageCount(), 5);
        EXPECT_EQ(renderer->pageSize(0), (PDFSize{612, 792}));
        EXPECT_EQ(renderer->pageSize(1), (PDFSize{842, 595})); // rotated by 90
        EXPECT_EQ(renderer->pageSize(2), (PDFSize{612, 792}));
        EXPECT_EQ(renderer->pageSize(3), (PDFSize{612, 792})); // 792 x 612 rotated by 270
    }

    PDFBitmap bitmap = fromDocument->render(0, 1224, 1584);
    ASSERT_EQ(bitmap.width, 1224);
    ASSERT_EQ(bitmap.height, 1584);
    ASSERT_EQ(bitmap.rgb.size(), 1224u * 1584u * 3u);
    const std::size_t corner = (5 * 1224 + 5) * 3; // outside the frame: white background
    EXPECT_EQ(bitmap.rgb[corner], 255);
    EXPECT_EQ(bitmap.rgb[corner + 2], 255);
    std::size_t dark = 0;
    for (std::size_t i = 0; i < bitmap.rgb.size(); i += 3)
        dark += bitmap.rgb[i] < 64 && bitmap.rgb[i + 1] < 64 && bitmap.rgb[i + 2] < 64;
    EXPECT_GT(dark, 10000u); // the big page number

    EXPECT_EQ(jpegSize(fromData.renderJpeg(0, 1224, 1584, 0.85)), (std::pair{1224, 1584}));
    EXPECT_LT(fromData.renderJpeg(0, 1224, 1584, 0.25).size(),
              fromData.renderJpeg(0, 1224, 1584, 1.0).size());
    const std::pair<double, int> qualities[] = {{1.0, 100}, {0.85, 85}, {0.65, 65}, {0.45, 45},
                                                {0.25, 25}, {0.0, 1},   {-3, 1},    {7, 100}};
    for (auto [factor, quality] : qualities)
        EXPECT_EQ(jpegQualityForFactor(factor), quality) << factor;
}

TEST(PdfRenderer, RejectsBadPagesSizesAndData) {
    PDFRenderer renderer(slurp(files().standard));
    EXPECT_THROW(renderer.render(5, 10, 10), Error);
    EXPECT_THROW(renderer.render(-1, 10, 10), Error);
    EXPECT_THROW(renderer.pageSize(5), Error);
    EXPECT_THROW(renderer.render(0, 0, 10), Error);
    EXPECT_THROW(renderer.render(0, 10, 40000), Error);
    EXPECT_THROW(PDFRenderer(std::string()), Error);
    EXPECT_THROW(PDFRenderer(std::string("garbage")), Error);
    EXPECT_THROW(PDFRenderer(slurp(files().encrypted)), Error);
    EXPECT_THROW(PDFRenderer::fromFile(files().encrypted), Error);
    EXPECT_THROW(PDFRenderer::fromFile(files().dir / "missing.pdf"), Error);
    // Still usable after the failures.
    EXPECT_EQ(renderer.render(0, 20, 30).width, 20);
}

TEST(PdfRenderer, TwoRenderersOnTwoThreadsMatchOneThread) {
    const std::string data = slurp(files().standard);
    PDFRenderer reference(data);
    std::vector<std::string> expected;
    for (int i = 0; i < 5; ++i)
        expected.push_back(reference.renderJpeg(i, 300, 300, 0.65));

    std::vector<std::string> a(5), b(5);
    {
        std::jthread t1([&] {
            PDFRenderer r(data);
            for (int i = 0; i < 5; ++i)
                a[static_cast<std::size_t>(i)] = r.renderJpeg(i, 300, 300, 0.65);
        });
        std::jthread t2([&] {
            PDFRenderer r(data);
            for (int i = 4; i >= 0; --i)
                b[static_cast<std::size_t>(i)] = r.renderJpeg(i, 300, 300, 0.65);
        });
    }
    EXPECT_EQ(a, expected);
    EXPECT_EQ(b, expected);
}
