#include "import/PDFDocument.h"
#include "import/PDFRenderer.h"

#include "base/Error.h"
#include "support/FixturePdf.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <memory>
#include <thread>

using namespace zarvex;
using namespace zarvex::test;

namespace {

// The shared fixture files, written once for the whole program.
struct Files {
    TempDir dir{"zarvex-pdfdoc"};
    std::filesystem::path standard = dir / "standard.pdf";
    std::filesystem::path plain = dir / "plain.pdf";
    std::filesystem::path encrypted = dir / "encrypted.pdf";
    Files() {
        writeFixturePdf(standard, standardDocument());
        writeFixturePdf(plain, plainDocument(2));
        FixtureDocument enc = plainDocument(2);
        enc.userPassword = "secret";
        writeFixturePdf(encrypted, enc);
    }
};

const Files& files() {
    static Files instance;
    return instance;
}

// Width and height of a JPEG stream, or {0, 0} when it does not decode.
std::pair<int, int> jpegSize(const std::string& jpeg) {
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, sub = 0, space = 0;
    std::vector<unsigned char> pixels;
    if (tjDecompressHeader3(tj, reinterpret_cast<const unsigned char*>(jpeg.data()),
                            static_cast<unsigned long>(jpeg.size()), &w, &h, &sub, &space) == 0) {
        pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
        if (tjDecompress2(tj, reinterpret_cast<const unsigned char*>(jpeg.data()),
                          static_cast<unsigned long>(jpeg.size()), pixels.data(), w, 0, h, TJPF_RGB,
                          0) != 0)
            w = h = 0;
    }
    tjDestroy(tj);
    return {w, h};
}

std::shared_ptr<PDFDocument> openStandard() {
    auto doc = PDFDocument::open(files().standard);
    EXPECT_TRUE(doc);
    return doc;
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

TEST(PdfDocument, OpensTheFixtureWithItsPageCount) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 5);
    EXPECT_EQ(doc->path(), files().standard);
}

TEST(PdfDocument, ReportsCropBoxAndRotationOfEveryPage) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    struct Case {
        int index;
        PDFSize crop;
        int rotation;
    };
    const Case cases[] = {{0, {612, 792}, 0},
                          {1, {595, 842}, 90},
                          {2, {612, 792}, 180},
                          {3, {792, 612}, 270},
                          {4, {612, 792}, 0}};
    for (const auto& c : cases) {
        PDFPage page = doc->pageAt(c.index);
        EXPECT_EQ(page.index(), c.index);
        EXPECT_EQ(doc->indexOfPage(page), c.index);
        EXPECT_EQ(page.cropBox(), c.crop) << "page " << c.index;
        EXPECT_EQ(page.rotation(), c.rotation) << "page " << c.index;
    }
}

TEST(PdfDocument, ReadsAnnotationsInPageOrderWithTheirOwnRectangles) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    const auto& first = doc->pageAt(0).annotations();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0].type, "Link");
    EXPECT_EQ(first[0].bounds, (PDFRect{60, 700, 120, 40}));
    EXPECT_EQ(first[0].url, "https://example.com/a");
    EXPECT_FALSE(first[0].destinationPageIndex);
    EXPECT_EQ(first[1].type, "Link");
    EXPECT_EQ(first[1].bounds, (PDFRect{60, 600, 120, 40}));
    EXPECT_FALSE(first[1].url);
    EXPECT_EQ(first[1].destinationPageIndex, 2);
    EXPECT_EQ(first[2].type, "Text");
    EXPECT_FALSE(first[2].url);
    EXPECT_FALSE(first[2].destinationPageIndex);

    // Bounds stay in unrotated page space on a rotated page.
    const auto& rotated = doc->pageAt(1).annotations();
    ASSERT_EQ(rotated.size(), 2u);
    EXPECT_EQ(rotated[0].bounds, (PDFRect{60, 700, 120, 40}));
    EXPECT_EQ(rotated[1].bounds, (PDFRect{100, 100, 50, 30}));
    EXPECT_EQ(rotated[1].destinationPageIndex, 0); // a /GoTo action

    EXPECT_EQ(doc->pageAt(3).annotations().at(0).destinationPageIndex, 4);
    EXPECT_TRUE(doc->pageAt(4).annotations().empty());
}

TEST(PdfDocument, PageIndexOutsideTheDocumentRaises) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    for (int index : {-1, 5, 1000})
        EXPECT_THROW(doc->pageAt(index), Error) << index;
}

TEST(PdfDocument, ReadsTheNestedOutline) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->label.empty());
    ASSERT_EQ(root->childCount(), 2);
    const auto& chapter1 = root->childAt(0);
    EXPECT_EQ(chapter1.label, "Chapter 1");
    EXPECT_EQ(chapter1.destinationPageIndex, 0);
    ASSERT_EQ(chapter1.childCount(), 2);
    EXPECT_EQ(chapter1.childAt(0).label, "Section 1.1");
    EXPECT_EQ(chapter1.childAt(0).destinationPageIndex, 1);
    EXPECT_EQ(chapter1.childAt(0).childCount(), 0);
    const auto& section12 = chapter1.childAt(1);
    EXPECT_EQ(section12.destinationPageIndex, 2);
    ASSERT_EQ(section12.childCount(), 1);
    EXPECT_EQ(section12.childAt(0).label, "Detail");
    EXPECT_EQ(section12.childAt(0).destinationPageIndex, 3);
    EXPECT_EQ(root->childAt(1).label, "Chapter 2");
    EXPECT_EQ(root->childAt(1).destinationPageIndex, 4);
    EXPECT_THROW(root->childAt(2), Error);
    EXPECT_THROW(root->childAt(-1), Error);
}

TEST(PdfDocument, DocumentWithoutOutlineHasNoRoot) {
    auto doc = PDFDocument::open(files().plain);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->outlineRoot());
}

TEST(PdfDocument, UnreadableFilesAreAbsent) {
    TempDir dir;
    const std::string pdf = slurp(files().standard);
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty.pdf", ""},
        {"text.pdf", "this is not a PDF document at all\n"},
        {"header-only.pdf", "%PDF-1.7\n"},
        {"truncated.pdf", pdf.substr(0, 20)},
        {"binary.pdf", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
    };
    for (const auto& c : cases) {
        writeFile(dir / c.name, c.bytes);
        EXPECT_FALSE(PDFDocument::open(dir / c.name)) << c.name;
    }
    EXPECT_FALSE(PDFDocument::open(dir / "missing.pdf"));
    EXPECT_FALSE(PDFDocument::open(dir.path()));
    EXPECT_FALSE(PDFDocument::open(files().encrypted));
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

    const auto& a = page.annotations();
    ASSERT_EQ(a.size(), 8u); // the bare number in /Annots is no annotation
    EXPECT_EQ(a[0].bounds, (PDFRect{100, 50, 100, 50}));
    EXPECT_EQ(a[0].url, "https://example.org/docs/page.html");
    EXPECT_EQ(a[1].url, "https://example.org/root.html");
    EXPECT_EQ(a[2].destinationPageIndex, 1); // named destination
    EXPECT_EQ(a[3].destinationPageIndex, 2); // page number instead of a page
    EXPECT_FALSE(a[4].destinationPageIndex); // the catalog is no page
    EXPECT_FALSE(a[5].url);                  // a launch action is neither
    EXPECT_FALSE(a[5].destinationPageIndex);
    EXPECT_EQ(a[6].url, "mailto:a@b.c");
    EXPECT_FALSE(a[7].destinationPageIndex); // unknown name

    // The outline's last entry loops back to its first; UTF-16 titles decode.
    auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->childAt(0).label, "One");
    EXPECT_EQ(root->childAt(0).destinationPageIndex, 0);
    ASSERT_EQ(root->childAt(0).childCount(), 1);
    EXPECT_EQ(root->childAt(0).childAt(0).label, "Child");
    EXPECT_FALSE(root->childAt(0).childAt(0).destinationPageIndex); // a web link
    EXPECT_EQ(root->childAt(1).label, "\u00c4\u00df");
    EXPECT_EQ(root->childAt(1).destinationPageIndex, 1);
}

TEST(PdfRenderer, ReportsDisplayedPageSizes) {
    PDFRenderer fromData(slurp(files().standard));
    auto fromFile = PDFRenderer::fromFile(files().standard);
    for (PDFRenderer* renderer : {&fromData, fromFile.get()}) {
        EXPECT_EQ(renderer->pageCount(), 5);
        EXPECT_EQ(renderer->pageSize(0), (PDFSize{612, 792}));
        EXPECT_EQ(renderer->pageSize(1), (PDFSize{842, 595})); // rotated by 90
        EXPECT_EQ(renderer->pageSize(2), (PDFSize{612, 792}));
        EXPECT_EQ(renderer->pageSize(3), (PDFSize{612, 792})); // 792 x 612 rotated by 270
    }
}

TEST(PdfRenderer, DrawsThePageOnWhiteAtTheAskedSize) {
    auto doc = openStandard();
    ASSERT_TRUE(doc);
    auto renderer = PDFRenderer::fromDocument(*doc);
    PDFBitmap bitmap = renderer->render(0, 1224, 1584);
    ASSERT_EQ(bitmap.width, 1224);
    ASSERT_EQ(bitmap.height, 1584);
    ASSERT_EQ(bitmap.rgb.size(), 1224u * 1584u * 3u);
    auto pixel = [&](int x, int y) {
        return &bitmap.rgb[(static_cast<std::size_t>(y) * 1224 + static_cast<std::size_t>(x)) * 3];
    };
    EXPECT_EQ(pixel(5, 5)[0], 255); // outside the frame: white background
    EXPECT_EQ(pixel(5, 5)[2], 255);
    std::size_t dark = 0;
    for (std::size_t i = 0; i < bitmap.rgb.size(); i += 3)
        dark += bitmap.rgb[i] < 64 && bitmap.rgb[i + 1] < 64 && bitmap.rgb[i + 2] < 64;
    EXPECT_GT(dark, 10000u); // the big page number
}

TEST(PdfRenderer, EncodesJpegAtPageAndThumbnailSizes) {
    PDFRenderer renderer(slurp(files().standard));
    const std::string page = renderer.renderJpeg(0, 1224, 1584, 0.85);
    ASSERT_GE(page.size(), 4u);
    EXPECT_EQ(page.substr(0, 2), "\xff\xd8");
    EXPECT_EQ(jpegSize(page), (std::pair{1224, 1584}));
    EXPECT_EQ(jpegSize(renderer.renderJpeg(0, 139, 180, 0.85)), (std::pair{139, 180}));
    EXPECT_EQ(jpegSize(renderer.renderJpeg(3, 180, 139, 0.85)), (std::pair{180, 139}));
    EXPECT_LT(renderer.renderJpeg(0, 1224, 1584, 0.25).size(),
              renderer.renderJpeg(0, 1224, 1584, 1.0).size());
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

TEST(PdfRenderer, MapsCompressionFactorsToJpegQualities) {
    const std::pair<double, int> cases[] = {{1.0, 100}, {0.85, 85}, {0.65, 65}, {0.45, 45},
                                            {0.25, 25}, {0.0, 1},   {-3, 1},    {7, 100}};
    for (auto [factor, quality] : cases)
        EXPECT_EQ(jpegQualityForFactor(factor), quality) << factor;
}

TEST(PdfDocument, MutatedFilesNeverCrashAndFailOnlyThroughTheApi) {
    const std::string original = slurp(files().standard);
    TempDir dir;
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    int opened = 0;
    for (int round = 0; round < 200; ++round) {
        std::string bytes = original;
        switch (round % 4) {
        case 0: // flipped bytes
            for (int i = 0; i < 8; ++i)
                bytes[next() % bytes.size()] = static_cast<char>(next());
            break;
        case 1: // cut short
            bytes.resize(next() % bytes.size());
            break;
        case 2: // a slice removed
        {
            std::size_t at = next() % bytes.size();
            bytes.erase(at, std::min<std::size_t>(next() % 400, bytes.size() - at));
            break;
        }
        default: // digits changed (object numbers, lengths, rectangles)
            for (std::size_t i = 0, changed = 0; i < bytes.size() && changed < 6; ++i)
                if (std::isdigit(static_cast<unsigned char>(bytes[i])) && next() % 50 == 0) {
                    bytes[i] = static_cast<char>('0' + next() % 10);
                    ++changed;
                }
        }
        const auto path = dir / ("m" + std::to_string(round) + ".pdf");
        writeFile(path, bytes);
        auto doc = PDFDocument::open(path);
        if (!doc)
            continue;
        ++opened;
        try {
            for (int i = 0; i < doc->pageCount(); ++i)
                (void)doc->pageAt(i).annotations().size();
            (void)doc->outlineRoot();
            PDFRenderer renderer(bytes);
            for (int i = 0; i < renderer.pageCount(); ++i)
                EXPECT_EQ(renderer.render(i, 40, 50).rgb.size(), 40u * 50u * 3u);
        } catch (const Error&) {
            // a broken object: reported, not fatal
        }
    }
    EXPECT_GT(opened, 50); // the library repairs most damage
}
