#include "import/FlashPageSource.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

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
        {"1,,3", 10, {0, 1, 3}},
        {"7", 3, {7}},
        {" 2 - 4 ", 10, {2, 3, 4}},
        {"5-", 10, {}},
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

} // namespace
} // namespace zarvex
