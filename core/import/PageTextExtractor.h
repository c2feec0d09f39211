#pragma once

// The words of PDF pages with their boxes, for the book's text layer, search
// and the text version of its HTML page.
//
// Files, in a text folder, for PDF page number n:
//   "n.json"      {"v":1,"w":W,"h":H,"words":[[x,y,w,h,"word"],...],"lines":[i,...]}
//   "n.js"        (window.ZARVEX_TEXT = window.ZARVEX_TEXT || {})[n] = <the same object>;
//   "index.json"  {"v":1,"pages":[n,...]}, the pages that have a text file
//   "index.js"    window.ZARVEX_TEXT_INDEX = <the same object>;
// Boxes are in points on the page as displayed (crop box, rotation applied),
// origin top left, rounded to 0.1; "lines" holds the index of each line's
// first word. Every file is written atomically.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zarvex {

struct PageWord {
    double x = 0, y = 0, width = 0, height = 0; // points, displayed page, top left
    std::string text;                           // valid UTF-8, no blanks
};

struct PageText {
    double width = 0, height = 0; // the displayed page in points
    // In reading order: the library's line order; the letters of right-to-left
    // words, and runs of such words, in logical order.
    std::vector<PageWord> words;
    std::vector<int> lineStarts; // index in `words` of each line's first word

    // The page's file content ("n.json").
    std::string json() const;
};

// Reads words from its own copy of one document (its own library state, as
// PDFRenderer). One thread at a time. Construction and extract() raise
// zarvex::Error when the document or a page cannot be read.
class PageTextExtractor {
public:
    explicit PageTextExtractor(const std::filesystem::path& pdfPath);
    ~PageTextExtractor();
    PageTextExtractor(const PageTextExtractor&) = delete;
    PageTextExtractor& operator=(const PageTextExtractor&) = delete;

    int pageCount() const;

    // The words of the page at the 0-based `pageIndex`. Ligatures come out as
    // their letters; a CJK ideograph or kana is a word of its own (such text has
    // no blanks between words). Words entirely outside the displayed page are
    // left out.
    PageText extract(int pageIndex);

    // Writes "n.json" and "n.js" for each page number n of `pages` inside the
    // document, then the index of those written, into `folder` (created).
    // A page that fails is logged and left without text; `stopped` is asked
    // before each page and ends the pass early (no index then); `progress`
    // gets (pages done, pages in all) after each page. Answers the page numbers
    // written. Raises Error when the folder or the index cannot be written.
    std::vector<int> writePages(const std::vector<int>& pages, const std::filesystem::path& folder,
                                const std::function<bool()>& stopped = {},
                                const std::function<void(int, int)>& progress = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Writes "index.json" and "index.js" listing `pages` into `folder`; false
// (logged) when a file cannot be written.
bool writePageTextIndex(const std::filesystem::path& folder, const std::vector<int>& pages);

// A line's words as running text: joined by blanks, except between letters
// that are words of their own (CJK), which stand together as in print.
std::string joinPageWords(const std::vector<std::string>& words);

// "n.js" for the file content of "n.json".
std::string pageTextScript(int pageNumber, const std::string& json);

} // namespace zarvex
