#include "import/FlashPageSource.h"

#include "base/Log.h"
#include "base/NotificationCenter.h"
#include "import/TextNumber.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>

namespace zarvex {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool isAll(std::string_view text) {
    return text.size() == 3 && std::equal(text.begin(), text.end(), "ALL", [](char a, char b) {
               return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) == b;
           });
}

// Collects page numbers as a sorted set. Numbers inside the document are kept
// as the ranges written, so memory follows the text and the pages it selects,
// never the page count a file claims; numbers outside are kept one by one, at
// most kMaxPagesOutsideDocument of them.
class PageSet {
public:
    explicit PageSet(int totalPage) : totalPage_(std::max(totalPage, 0)) {}

    void addRange(std::int64_t first, std::int64_t last) {
        if (first > last)
            return;
        addOutside(first, std::min<std::int64_t>(last, 0));
        const auto from = std::max<std::int64_t>(first, 1);
        const auto to = std::min<std::int64_t>(last, totalPage_);
        if (from <= to)
            inside_.emplace_back(from, to);
        addOutside(std::max<std::int64_t>(first, std::int64_t{totalPage_} + 1), last);
    }

    std::vector<int> sorted() const {
        auto ranges = inside_;
        std::sort(ranges.begin(), ranges.end());
        std::vector<int> result;
        auto it = outside_.begin();
        for (; it != outside_.end() && *it <= 0; ++it)
            result.push_back(*it);
        std::int64_t next = 1; // the lowest number not yet listed
        for (const auto& [from, to] : ranges) {
            for (auto p = std::max(from, next); p <= to; ++p)
                result.push_back(static_cast<int>(p));
            next = std::max(next, to + 1);
        }
        for (; it != outside_.end(); ++it)
            result.push_back(*it);
        return result;
    }

    bool truncated() const { return truncated_; }

private:
    void addOutside(std::int64_t first, std::int64_t last) {
        for (auto p = first; p <= last; ++p) {
            if (outside_.size() >=
                    static_cast<std::size_t>(FlashPageSource::kMaxPagesOutsideDocument) &&
                !outside_.contains(static_cast<int>(p))) {
                truncated_ = true;
                return;
            }
            outside_.insert(static_cast<int>(p));
        }
    }

    int totalPage_;
    std::vector<std::pair<std::int64_t, std::int64_t>> inside_;
    std::set<int> outside_;
    bool truncated_ = false;
};

} // namespace

std::vector<int> FlashPageSource::parsePageRange(std::string_view text, int totalPage) {
    if (isAll(text)) {
        std::vector<int> all;
        all.reserve(static_cast<std::size_t>(std::max(totalPage, 0)));
        for (std::int64_t p = 1; p <= totalPage; ++p)
            all.push_back(static_cast<int>(p));
        return all;
    }

    PageSet set(totalPage);
    for (const auto item : split(text, ',')) {
        if (item.find('-') != std::string_view::npos) {
            const auto bounds = split(item, '-');
            set.addRange(readInt(bounds[0]), readInt(bounds[1]));
        } else {
            const auto page = readInt(item);
            set.addRange(page, page);
        }
    }
    if (set.truncated())
        ZLOG_WARN("page range \"{}\" reaches far beyond the document's {} pages; only the first {} "
                  "numbers outside it are kept",
                  text, totalPage, kMaxPagesOutsideDocument);

    auto result = set.sorted();
    for (std::size_t i = 0; i < result.size(); ++i)
        ZLOG_DEBUG("range[{}]={}", i, result[i]);
    return result;
}

void FlashPageSource::clearPages() {
    pages_.clear();
    normalPages_.clear();
    zoomedPages_.clear();
    thumbPages_.clear();
    mobilePages_.clear();
}

FlashPagePtr FlashPageSource::getPageAtIndex(int /*position*/) const {
    return nullptr;
}
FlashPagePtr FlashPageSource::getNormalPageAtIndex(int /*pageIndex*/) const {
    return nullptr;
}
FlashPagePtr FlashPageSource::getZoomedPageAtIndex(int /*pageIndex*/) const {
    return nullptr;
}
FlashPagePtr FlashPageSource::getThumbPageAtIndex(int /*pageIndex*/) const {
    return nullptr;
}
FlashPagePtr FlashPageSource::getMobilePageAtIndex(int /*pageIndex*/) const {
    return nullptr;
}

void FlashPageSource::postProgress(int pageIndex, int totalPage, const char* type) {
    NotificationCenter::defaultCenter().post(
        kProgressMessage,
        {{"pageIndex", pageIndex}, {"totalPage", totalPage}, {"type", std::string(type)}});
}

FlashPagePtr FlashPageSource::findPage(const FlashPageList& list, int pageIndex) {
    const auto it = std::find_if(list.begin(), list.end(), [&](const FlashPagePtr& page) {
        return page->pageIndex() == pageIndex;
    });
    return it == list.end() ? nullptr : *it;
}

} // namespace zarvex
