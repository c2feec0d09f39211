#pragma once

#include "import/FlashPageSource.h"

namespace zarvex {

// A book made of existing image files, one per page, numbered 1, 2, ... in the
// order they are added (the sample book shown at start).
class FlashPageSourceImg : public FlashPageSource {
public:
    // Appends a FlashPageImage numbered one past the current page count.
    void addImgPageFromFile(const std::filesystem::path& file);

    // Gives every page without a normal page a copy at its number's position.
    void generateNormalPages() override;

    FlashPagePtr getPageAtIndex(int position) const override;
    FlashPagePtr getNormalPageAtIndex(int pageIndex) const override;
};

} // namespace zarvex
