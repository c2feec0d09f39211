#include "import/FlashPageSourceImg.h"

#include "import/FlashPageImage.h"

#include <algorithm>

namespace zarvex {

void FlashPageSourceImg::addImgPageFromFile(const std::filesystem::path& file) {
    pages_.push_back(std::make_shared<FlashPageImage>(file, static_cast<int>(pages_.size()) + 1));
}

void FlashPageSourceImg::generateNormalPages() {
    for (const auto& page : pages_) {
        if (getNormalPageAtIndex(page->pageIndex()))
            continue;
        // Pages set from outside may leave gaps in the numbering: such a copy
        // goes to the end rather than past it.
        const auto at = std::clamp<std::ptrdiff_t>(
            page->pageIndex() - 1, 0, static_cast<std::ptrdiff_t>(normalPages_.size()));
        normalPages_.insert(normalPages_.begin() + at, page->copyPage(100, 100));
    }
}

FlashPagePtr FlashPageSourceImg::getPageAtIndex(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= pages_.size())
        return nullptr;
    return pages_[static_cast<std::size_t>(position)];
}

FlashPagePtr FlashPageSourceImg::getNormalPageAtIndex(int pageIndex) const {
    return findPage(normalPages_, pageIndex);
}

} // namespace zarvex
