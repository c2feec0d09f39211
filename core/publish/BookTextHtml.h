#pragma once

// The book's text as plain HTML for its page: search engines and readers
// without script read it; a reader's browser with script hides it (the viewer
// shows the pages).

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zarvex {

struct BookTextHtml {
    // A block to stand before </body>: a <section> per page with text, headed
    // "Page N", one paragraph per group of lines. Empty when no page has text.
    std::string block;
    // The first characters of the text, on one line, for the description meta data.
    std::string opening;
};

// Reads the page files "n.json" of `textFolder` (PageTextExtractor.h) for
// `pages` in that order. Unreadable files are skipped (logged). The text stops
// at the paragraph that passes `maxTextBytes`; `opening` holds at most
// `openingChars` characters.
BookTextHtml bookTextHtml(const std::filesystem::path& textFolder, const std::vector<int>& pages,
                          std::size_t maxTextBytes = 200 * 1024, std::size_t openingChars = 160);

} // namespace zarvex
