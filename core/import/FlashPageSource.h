#pragma once

#include "import/FlashPage.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

// The page files of one book: the main pages, their "normal" copies, the
// zoomed pages (empty unless generateZoomPages made them), the thumbnails and
// the mobile images, each an ordered list of FlashPage.
//
// Threads: the lists are written only by the thread that runs the generation
// passes and may be read by others once that thread has handed the source over;
// zoomedPages is written later by the thread that publishes, and read by it.
// `stop` may be set from any thread at any time.
class FlashPageSource {
public:
    // Progress message posted after each page of each generation pass.
    static constexpr const char* kProgressMessage = "ImportProgressInfoMSG";

    // A page range text parsed to a sorted list of distinct page numbers:
    // "ALL" in any case gives 1..totalPage; otherwise comma-separated numbers and
    // a-b ranges. Numbers outside 1..totalPage are kept, but at most
    // kMaxPagesOutsideDocument of them, so a text such as "1-99999999" cannot
    // expand into millions of entries; numbers inside the document are never cut.
    static std::vector<int> parsePageRange(std::string_view text, int totalPage);
    static constexpr int kMaxPagesOutsideDocument = 1000;

    FlashPageSource() = default;
    virtual ~FlashPageSource() = default;
    FlashPageSource(const FlashPageSource&) = delete;
    FlashPageSource& operator=(const FlashPageSource&) = delete;

    bool stop() const { return stop_.load(); }
    void setStop(bool stop) { stop_.store(stop); }

    // Empties the five page lists.
    void clearPages();

    // The generation passes; the base has nothing to generate.
    virtual void generatePages() {}
    virtual void generateThumbPages() {}
    virtual void generateMobilePages() {}
    virtual void generateNormalPages() {}
    // The high-resolution pictures for zooming into zoomedPages, asked for by
    // publishing rather than by the import; pages made before are kept. The
    // base has none to make.
    virtual void generateZoomPages() {}

    // Lookups; each answers nullptr for "no page". getPageAtIndex takes a
    // 0-based position in `pages`, the others a page number.
    virtual FlashPagePtr getPageAtIndex(int position) const;
    virtual FlashPagePtr getNormalPageAtIndex(int pageIndex) const;
    virtual FlashPagePtr getZoomedPageAtIndex(int pageIndex) const;
    virtual FlashPagePtr getThumbPageAtIndex(int pageIndex) const;
    virtual FlashPagePtr getMobilePageAtIndex(int pageIndex) const;

    const FlashPageList& pages() const { return pages_; }
    void setPages(FlashPageList pages) { pages_ = std::move(pages); }
    const FlashPageList& normalPages() const { return normalPages_; }
    void setNormalPages(FlashPageList pages) { normalPages_ = std::move(pages); }
    const FlashPageList& zoomedPages() const { return zoomedPages_; }
    void setZoomedPages(FlashPageList pages) { zoomedPages_ = std::move(pages); }
    const FlashPageList& thumbPages() const { return thumbPages_; }
    void setThumbPages(FlashPageList pages) { thumbPages_ = std::move(pages); }
    const std::filesystem::path& sourceFile() const { return sourceFile_; }
    void setSourceFile(std::filesystem::path file) { sourceFile_ = std::move(file); }
    const FlashPageList& mobilePages() const { return mobilePages_; }
    void setMobilePages(FlashPageList pages) { mobilePages_ = std::move(pages); }
    // The folder of the pages' text files (PageTextExtractor.h); empty when the
    // pages have no text.
    const std::filesystem::path& textFolder() const { return textFolder_; }
    void setTextFolder(std::filesystem::path folder) { textFolder_ = std::move(folder); }

protected:
    // Posts kProgressMessage with `pageIndex`, `totalPage` (ints) and `type`
    // (std::string) on the calling thread.
    static void postProgress(int pageIndex, int totalPage, const char* type);

    // The first page of `list` with that page number, or nullptr.
    static FlashPagePtr findPage(const FlashPageList& list, int pageIndex);

    FlashPageList pages_;
    FlashPageList normalPages_;
    FlashPageList zoomedPages_;
    FlashPageList thumbPages_;
    std::filesystem::path sourceFile_;
    FlashPageList mobilePages_;
    std::filesystem::path textFolder_;

private:
    std::atomic<bool> stop_{false};
};

} // namespace zarvex
