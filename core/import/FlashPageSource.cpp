#include "import/FlashPageSource.h"

#include "app/Log.h"
#include "app/NotificationCenter.h"
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

// Collects page numbers as a sorted set without ever holding more than the
// document's pages plus the bounded number of pages outside it.
class PageSet {
public:
    explicit PageSet(int totalPage)
        : totalPage_(std::max(totalPage, 0)), inside_(static_cast<std::size_t>(totalPage_) + 1) {}

    void addRange(std::int64_t first, std::int64_t last) {
        if (first > last)
            return;
        addOutside(first, std::min<std::int64_t>(last, 0));
        for (auto p = std::max<std::int64_t>(first, 1);
             p <= std::min<std::int64_t>(last, totalPage_); ++p)
            inside_[static_cast<std::size_t>(p)] = true;
        addOutside(std::max<std::int64_t>(first, std::int64_t{totalPage_} + 1), last);
    }

    std::vector<int> sorted() const {
        std::vector<int> result;
        auto it = outside_.begin();
        for (; it != outside_.end() && *it <= 0; ++it)
            result.push_back(*it);
        for (int p = 1; p <= totalPage_; ++p)
            if (inside_[static_cast<std::size_t>(p)])
                result.push_back(p);
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
    std::vector<bool> inside_;
    std::set<int> outside_;
    bool truncated_ = false;
};

} // namespace

std::vector<int> FlashPageSource::parsePageRange(std::string_view text, int totalPage) {
    if (isAll(text)) {
        std::vector<int> all;
        for (int p = 1; p <= totalPage; ++p)
            all.push_back(p);
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
