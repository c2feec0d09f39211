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

    // Fills the placeholders "index.title", "meta.keywords" and "meta.description"
    // of the page template at `from` and writes the page, UTF-8, atomically to
    // `to`. The texts are plain text and are HTML-escaped on the way in. False
    // (and logged) when the template cannot be read or the page cannot be
    // written; `to` is then left as it was.
    bool generateHTMLFrom(const std::filesystem::path& from, const std::filesystem::path& to) const;

private:
    std::string HTMLTitle_;
    std::string HTMLKeywords_;
    std::string HTMLDescription_;
    std::string bodyEnd_;
};

} // namespace zarvex
