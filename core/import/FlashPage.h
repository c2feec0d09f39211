#pragma once

#include <filesystem>
#include <memory>
#include <vector>

namespace zarvex {

class FlashPage;
using FlashPagePtr = std::shared_ptr<FlashPage>;
using FlashPageList = std::vector<FlashPagePtr>;

// One page file of a book: its absolute path and its page number. For a PDF
// source the number is the page's 1-based number in the PDF document; for an
// image source the 1-based position at which the image was added.
class FlashPage {
public:
    FlashPage() = default;
    FlashPage(std::filesystem::path pageFilePath, int pageIndex)
        : pageFilePath_(std::move(pageFilePath)), pageIndex_(pageIndex) {}
    virtual ~FlashPage() = default;

    const std::filesystem::path& pageFilePath() const { return pageFilePath_; }
    void setPageFilePath(std::filesystem::path path) { pageFilePath_ = std::move(path); }
    int pageIndex() const { return pageIndex_; }
    void setPageIndex(int pageIndex) { pageIndex_ = pageIndex; }

    // A new page of the same class with the same path and number. Both
    // arguments are accepted for the callers' sake and have no effect.
    virtual FlashPagePtr copyPage(int zoom, int quality) const;

protected:
    FlashPage(const FlashPage&) = default;
    FlashPage& operator=(const FlashPage&) = default;

private:
    std::filesystem::path pageFilePath_;
    int pageIndex_ = 0;
};

} // namespace zarvex
