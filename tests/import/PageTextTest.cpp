#include "ImportTestSupport.h"

#include "base/FileUtil.h"
#include "import/PDFRenderer.h"
#include "import/PageTextExtractor.h"

#include <nlohmann/json.hpp>

namespace zarvex::test {
namespace {

using Json = nlohmann::json;

constexpr double kScale = 2; // pixels per point of the rendered page

// The dark pixels of `bitmap` within a rectangle of points, but outside the
// `skipped` ones: how many, and the rectangle (points) they span.
struct Ink {
    int count = 0;
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
};
struct Box {
    double x0, y0, x1, y1;
    bool holds(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};
Ink inkIn(const PDFBitmap& bitmap, double x0, double y0, double x1, double y1,
          const std::vector<Box>& skipped = {}) {
    Ink ink;
    const int px0 = std::max(0, int(std::floor(x0 * kScale)));
    const int py0 = std::max(0, int(std::floor(y0 * kScale)));
    const int px1 = std::min(bitmap.width, int(std::ceil(x1 * kScale)));
    const int py1 = std::min(bitmap.height, int(std::ceil(y1 * kScale)));
    for (int y = py0; y < py1; ++y)
        for (int x = px0; x < px1; ++x) {
            const auto* p = &bitmap.rgb[(std::size_t(y) * bitmap.width + x) * 3];
            if (p[0] + p[1] + p[2] >= 3 * 100 ||
                std::any_of(skipped.begin(), skipped.end(), [&](const Box& b) {
                    return b.holds((x + 0.5) / kScale, (y + 0.5) / kScale);
                }))
                continue;
            ++ink.count;
            ink.x0 = std::min(ink.x0, x / kScale);
            ink.y0 = std::min(ink.y0, y / kScale);
            ink.x1 = std::max(ink.x1, (x + 1) / kScale);
            ink.y1 = std::max(ink.y1, (y + 1) / kScale);
        }
    return ink;
}

// The fixture's words and line starts (after the page number, drawn first).
struct PageCase {
    int pageIndex;
    const char* layout;
    std::vector<std::string> words;
    std::vector<int> lines;
};

const std::vector<std::string> kLatin = {"Zarvex", "finds", "words", "over", "</script>", "pages"};

// Each fixture word's box, on the page as displayed, holds the ink the page's
// picture draws for it: all of it (nothing dark just outside the box) and
// across most of the box's length. Text, order and the file form come with it.
TEST(PageTextTest, WordsLandWhereThePagePictureDrawsThem) {
    TempDir dir("zarvex-text");
    const auto file = dir / "text.pdf";
    writeFixturePdf(file, textPlacementDocument());
    PageTextExtractor extractor(file);
    auto renderer = PDFRenderer::fromFile(file);
    auto document = PDFDocument::open(file);
    ASSERT_TRUE(document);

    const std::vector<PageCase> cases = {
        {0, "upright", kLatin, {1, 4}},
        {1, "turned 90", kLatin, {1, 4}},
        {2, "turned 180", kLatin, {1, 4}},
        {3, "turned 270", kLatin, {1, 4}},
        {4, "offset crop box", kLatin, {1, 4}},
        {5, "offset crop box turned 90", kLatin, {1, 4}},
        {6,
         "Hebrew in visual order",
         {"\u05E9\u05DC\u05D5\u05DD", "\u05E2\u05D5\u05DC\u05DD"},
         {1}},
        {7, "Chinese without blanks", {"\u4E2D", "\u6587", "\u5B57"}, {1}},
        {8, "accented Latin", {"Cr\u00E8me", "br\u00FBl\u00E9e", "\u00E0", "Z\u00FCrich"}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const PageText text = extractor.extract(c.pageIndex);
        const PDFSize size = document->pageAt(c.pageIndex).displaySize();
        EXPECT_NEAR(text.width, size.width, 0.01);
        EXPECT_NEAR(text.height, size.height, 0.01);

        std::vector<std::string> words;
        for (const auto& w : text.words)
            words.push_back(w.text);
        std::vector<std::string> expected = {std::to_string(c.pageIndex + 1)};
        expected.insert(expected.end(), c.words.begin(), c.words.end());
        EXPECT_EQ(words, expected);
        std::vector<int> lines = {0};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(text.lineStarts, lines);

        const PDFBitmap picture =
            renderer->render(c.pageIndex, int(std::lround(size.width * kScale)),
                             int(std::lround(size.height * kScale)));
        // Each box a point larger: the ink of a neighbour (CJK letters touch) is
        // not stray ink.
        std::vector<Box> boxes;
        for (const auto& w : text.words)
            boxes.push_back({w.x - 1, w.y - 1, w.x + w.width + 1, w.y + w.height + 1});
        const bool upright = document->pageAt(c.pageIndex).rotation() % 180 == 0;
        for (std::size_t i = 1; i < text.words.size(); ++i) {
            const PageWord& w = text.words[i];
            SCOPED_TRACE(w.text);
            const Box& b = boxes[i];
            const Ink inside = inkIn(picture, b.x0, b.y0, b.x1, b.y1);
            ASSERT_GT(inside.count, 0) << "no ink in the box";
            EXPECT_EQ(inkIn(picture, b.x0 - 2.5, b.y0 - 2.5, b.x1 + 2.5, b.y1 + 2.5, boxes).count,
                      0)
                << "ink just outside the box";
            const double along = upright ? w.width : w.height;
            const double inkAlong = upright ? inside.x1 - inside.x0 : inside.y1 - inside.y0;
            EXPECT_GT(inkAlong, 0.75 * along);
        }

        // The file form: the same words, boxes rounded to 0.1 point.
        const Json json = Json::parse(text.json());
        EXPECT_EQ(json["v"], 1);
        ASSERT_EQ(json["words"].size(), text.words.size());
        for (std::size_t i = 0; i < text.words.size(); ++i) {
            EXPECT_EQ(json["words"][i][4], text.words[i].text);
            EXPECT_NEAR(json["words"][i][0].get<double>(), text.words[i].x, 0.051);
            EXPECT_NEAR(json["words"][i][3].get<double>(), text.words[i].height, 0.051);
        }
        EXPECT_EQ(json["lines"], Json(text.lineStarts));
    }

    // The files of an import: JSON and its script twin per page, safe inside
    // an HTML script element; a page outside the document makes none.
    const auto folder = dir / "text";
    EXPECT_EQ(extractor.writePages({1, 7, 99}, folder), (std::vector<int>{1, 7}));
    EXPECT_EQ(Json::parse(*readFile(folder / "index.json")),
              Json::parse(R"({"v":1,"pages":[1,7]})"));
    EXPECT_EQ(*readFile(folder / "index.js"),
              "window.ZARVEX_TEXT_INDEX = {\"v\":1,\"pages\":[1,7]};\n");
    const auto json = readFile(folder / "1.json");
    ASSERT_TRUE(json);
    EXPECT_EQ(json->find("</"), std::string::npos);
    EXPECT_EQ(Json::parse(*json)["words"][5][4], "</script>");
    EXPECT_EQ(*readFile(folder / "1.js"), "(window.ZARVEX_TEXT = window.ZARVEX_TEXT || {})[1] = " +
                                              json->substr(0, json->size() - 1) + ";\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "99.json"));
}

} // namespace
} // namespace zarvex::test
