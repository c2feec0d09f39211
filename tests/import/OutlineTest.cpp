#include "import/FlashOutline.h"
#include "import/FlashOutlinePDF.h"
#include "import/PDFDocument.h"

#include "ImportTestSupport.h"

namespace zarvex {
namespace {

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
