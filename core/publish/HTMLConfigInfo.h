#pragma once

#include <filesystem>
#include <string>

namespace zarvex {

// The three texts of a book's HTML page and the writer of that page.
class HTMLConfigInfo {
public:
    HTMLConfigInfo();

    const std::string& HTMLTitle() const { return HTMLTitle_; }
    void setHTMLTitle(std::string value) { HTMLTitle_ = std::move(value); }
    const std::string& HTMLKeywords() const { return HTMLKeywords_; }
    void setHTMLKeywords(std::string value) { HTMLKeywords_ = std::move(value); }
    const std::string& HTMLDescription() const { return HTMLDescription_; }
    void setHTMLDescription(std::string value) { HTMLDescription_ = std::move(value); }
    // HTML put before the page's </body> as it is (the book's text version);
    // empty by default.
    const std::string& bodyEnd() const { return bodyEnd_; }
    void setBodyEnd(std::string html) { bodyEnd_ = std::move(html); }

    // The book's first page file, relative to its resource folder ("page/1.swf"): the
    // page starts loading it beside the viewer's scripts. The book writer sets it from
    // the page list; empty (the default) when there is none.
    const std::string& firstPageFile() const { return firstPageFile_; }
    void setFirstPageFile(std::string value) { firstPageFile_ = std::move(value); }

    // Fills the placeholders "index.title", "meta.keywords" and "meta.description"
    // of the page template at `from` and writes the page, UTF-8, atomically to
    // `to`. The texts are plain text and are HTML-escaped on the way in. The
    // placeholder "book.firstPage" receives the first page file when it holds
    // nothing but letters, digits, "_", "-", "." and "/" (it goes into a script
    // literal), else the empty text. False (and logged) when the template cannot
    // be read or the page cannot be written; `to` is then left as it was.
    bool generateHTMLFrom(const std::filesystem::path& from, const std::filesystem::path& to) const;

private:
    std::string HTMLTitle_;
    std::string HTMLKeywords_;
    std::string HTMLDescription_;
    std::string firstPageFile_;
    std::string bodyEnd_;
};

} // namespace zarvex
