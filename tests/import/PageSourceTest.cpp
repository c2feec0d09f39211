#include "import/FlashPageImage.h"
#include "import/FlashPageSourceImg.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace fs = std::filesystem;

namespace zarvex {
namespace {

TEST(PageRange, ParsesToSortedDistinctNumbers) {
    const struct {
        const char* text;
        int total;
        std::vector<int> expected;
    } cases[] = {
        {"All", 5, {1, 2, 3, 4, 5}},
        {"ALL", -3, {}},
        {" ALL", 5, {0}},
        {"1-3,2,5", 10, {1, 2, 3, 5}},
        {"5,1-2", 10, {1, 2, 5}},
        {"3-1", 10, {}},
        {"1-3-9", 10, {1, 2, 3}},
        {"1,,3", 10, {0, 1, 3}},
        {"7", 3, {7}},
        {" 2 - 4 ", 10, {2, 3, 4}},
        {"-3", 10, {0, 1, 2, 3}},
        {"5-", 10, {}},
        {"x", 10, {0}},
        {"3abc,+4", 10, {3, 4}},
        {"4-6", 0, {4, 5, 6}},
        {"99999999999", 5, {INT_MAX}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FlashPageSource::parsePageRange(c.text, c.total), c.expected)
            << '"' << c.text << "\" of " << c.total;
}

// Numbers inside the document are never cut; of those outside it, whatever the
// order or the page count a file claims, only the first kMaxPagesOutsideDocument stay.
TEST(PageRange, HugeRangesAndPageCountsStayBounded) {
    constexpr int kOut = FlashPageSource::kMaxPagesOutsideDocument;
    std::string manyItems;
    for (int i = 0; i < 2000; ++i)
        manyItems +=
            std::to_string(100 + i * 1000000) + "-" + std::to_string(99999 + i * 1000000) + ",";
    const struct {
        std::string text;
        int total;
        int size, first, last;
    } cases[] = {
        {"1-5000", 5000, 5000, 1, 5000},
        {"1-99999999", 5, 5 + kOut, 1, 5 + kOut},
        {"1-2147483647", 3, 3 + kOut, 1, 3 + kOut},
        {"2147483647", 3, 1, INT_MAX, INT_MAX},
        {"1-3", INT_MAX, 3, 1, 3},
        {"2147483646-2147483647", INT_MAX, 2, INT_MAX - 1, INT_MAX},
        {"1000-2000000000,3-4,2147483647", 10, 2 + kOut, 3, 999 + kOut},
        {manyItems + "1-2", 2, 2 + kOut, 1, 99 + kOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40) + " of " + std::to_string(c.total));
        const auto pages = FlashPageSource::parsePageRange(c.text, c.total);
        const bool ascending =
            std::adjacent_find(pages.begin(), pages.end(), std::greater_equal<>()) == pages.end();
        EXPECT_EQ(std::tuple(pages.size(), pages.at(0), pages.back(), ascending),
                  std::tuple(std::size_t(c.size), c.first, c.last, true));
    }
}

// The demo book's source: lookups by position and by number, and normal pages
// made once.
TEST(FlashPageSourceImg, NumbersImagesByPositionAndCopiesThemAsNormalPages) {
    FlashPageSourceImg source;
    for (const char* file : {"/img/a.jpg", "/img/b.jpg", "/img/c.jpg"})
        source.addImgPageFromFile(file);
    source.generatePages();
    source.generateNormalPages();
    source.generateNormalPages(); // pages with a normal page get no second one
    EXPECT_EQ(test::pageNumbers(source.pages()), (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(test::pageNumbers(source.normalPages()), (std::vector<int>{1, 2, 3}));
    for (int i = 0; i < 3; ++i) {
        const auto& copy = source.normalPages()[i];
        EXPECT_EQ(copy->pageFilePath(), source.pages()[i]->pageFilePath());
        EXPECT_NE(copy, source.pages()[i]) << "a copy, not the same page";
        EXPECT_TRUE(std::dynamic_pointer_cast<FlashPageImage>(copy)) << "a copy of its class";
    }
    EXPECT_EQ(source.getNormalPageAtIndex(2)->pageFilePath(), fs::path("/img/b.jpg"));
    EXPECT_EQ(source.getPageAtIndex(0)->pageFilePath(), fs::path("/img/a.jpg"));
    EXPECT_FALSE(source.getPageAtIndex(3) || source.getPageAtIndex(-1) ||
                 source.getThumbPageAtIndex(1) || source.getZoomedPageAtIndex(1) ||
                 source.getMobilePageAtIndex(1));
    source.clearPages();
    EXPECT_TRUE(source.pages().empty() && source.normalPages().empty());
}

} // namespace
} // namespace zarvex
