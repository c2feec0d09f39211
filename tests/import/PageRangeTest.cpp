#include "import/FlashPageSource.h"

#include <gtest/gtest.h>

#include <climits>

namespace zarvex {
namespace {

struct RangeCase {
    const char* text;
    int total;
    std::vector<int> expected;
};

class PageRange : public testing::TestWithParam<RangeCase> {};

TEST_P(PageRange, ParsesToSortedDistinctNumbers) {
    const auto& c = GetParam();
    EXPECT_EQ(FlashPageSource::parsePageRange(c.text, c.total), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PageRange,
    testing::Values(RangeCase{"ALL", 5, {1, 2, 3, 4, 5}}, RangeCase{"all", 5, {1, 2, 3, 4, 5}},
                    RangeCase{"All", 5, {1, 2, 3, 4, 5}}, RangeCase{"ALL", 0, {}},
                    RangeCase{"ALL", -3, {}}, RangeCase{" ALL", 5, {0}},
                    RangeCase{"1-3,2,5", 10, {1, 2, 3, 5}}, RangeCase{"5,1-2", 10, {1, 2, 5}},
                    RangeCase{"2,2,2", 10, {2}}, RangeCase{"3-1", 10, {}},
                    RangeCase{"1-3-9", 10, {1, 2, 3}}, RangeCase{"", 10, {0}},
                    RangeCase{"1,,3", 10, {0, 1, 3}}, RangeCase{"7", 3, {7}},
                    RangeCase{" 2 - 4 ", 10, {2, 3, 4}}, RangeCase{"-3", 10, {0, 1, 2, 3}},
                    RangeCase{"5-", 10, {}}, RangeCase{"x", 10, {0}},
                    RangeCase{"3abc,+4", 10, {3, 4}}, RangeCase{"0", 5, {0}},
                    RangeCase{"99999", 5, {99999}}, RangeCase{",,", 5, {0}},
                    RangeCase{"4-6", 0, {4, 5, 6}}, RangeCase{"99999999999", 5, {INT_MAX}}));

TEST(PageRangeBound, NeverCutsARangeInsideTheDocument) {
    const auto pages = FlashPageSource::parsePageRange("1-5000", 5000);
    ASSERT_EQ(pages.size(), 5000u);
    EXPECT_EQ(pages.front(), 1);
    EXPECT_EQ(pages.back(), 5000);
}

TEST(PageRangeBound, KeepsABoundedRunOfNumbersBeyondTheDocument) {
    const auto pages = FlashPageSource::parsePageRange("1-99999999", 5);
    const auto limit = static_cast<std::size_t>(FlashPageSource::kMaxPagesOutsideDocument);
    ASSERT_EQ(pages.size(), 5 + limit);
    EXPECT_EQ((std::vector<int>(pages.begin(), pages.begin() + 6)),
              (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(pages.back(), 5 + static_cast<int>(limit));
}

TEST(PageRangeBound, DocumentPagesAfterAHugeRangeStillCount) {
    // The bound applies to numbers outside the document only, whatever the order.
    const auto pages = FlashPageSource::parsePageRange("1000-2000000000,3-4,2147483647", 10);
    EXPECT_EQ(pages[0], 3);
    EXPECT_EQ(pages[1], 4);
    EXPECT_LE(pages.size(), 2u + FlashPageSource::kMaxPagesOutsideDocument);
}

TEST(PageRangeBound, ManyHugeItemsStayBounded) {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += std::to_string(100 + i * 1000000) + "-" + std::to_string(99999 + i * 1000000) + ",";
    text += "1-2";
    const auto pages = FlashPageSource::parsePageRange(text, 2);
    EXPECT_EQ(pages.size(), 2u + FlashPageSource::kMaxPagesOutsideDocument);
    EXPECT_EQ(pages[0], 1);
    EXPECT_EQ(pages[1], 2);
}

} // namespace
} // namespace zarvex
