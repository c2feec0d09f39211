#include "publish/BookTextHtml.h"

#include "base/FileUtil.h"
#include "base/Log.h"
#include "import/PageTextExtractor.h"
#include "publish/WebText.h"

#include <nlohmann/json.hpp>

namespace zarvex {

namespace {

using Json = nlohmann::json;

// Hides the block as soon as the browser runs scripts, before it is drawn;
// without script it covers the page, which shows nothing else then.
constexpr const char* kBlockHead =
    "<script>document.documentElement.className += \" zv-script\";</script>\n"
    "<style>#zarvex-text { position: absolute; inset: 0; overflow: auto; padding: 1em 2em;"
    " background: #fff; color: #111; font: 16px/1.5 sans-serif; }"
    " .zv-script #zarvex-text { display: none; }</style>\n"
    "<div id=\"zarvex-text\">\n";

struct Line {
    std::string text;
    double top = 0, bottom = 0;
};

// The page's lines, each from its first word to the next line's first.
std::vector<Line> pageLines(const Json& page) {
    const Json& words = page.at("words");
    const Json& starts = page.at("lines");
    std::vector<Line> lines;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t first = starts[i].get<std::size_t>();
        const std::size_t end =
            i + 1 < starts.size() ? starts[i + 1].get<std::size_t>() : words.size();
        if (first >= end || end > words.size())
            continue;
        Line line{{}, 1e300, -1e300};
        std::vector<std::string> texts;
        for (std::size_t w = first; w < end; ++w) {
            const Json& word = words[w];
            texts.push_back(word.at(4).get<std::string>());
            line.top = std::min(line.top, word.at(1).get<double>());
            line.bottom =
                std::max(line.bottom, word.at(1).get<double>() + word.at(3).get<double>());
        }
        line.text = joinPageWords(texts);
        lines.push_back(std::move(line));
    }
    return lines;
}

// Lines run into one paragraph while each starts below the last, less than
// the last one's height further down.
std::vector<std::string> paragraphs(const std::vector<Line>& lines) {
    std::vector<std::string> result;
    const Line* previous = nullptr;
    for (const Line& line : lines) {
        const double height = previous ? previous->bottom - previous->top : 0;
        const bool follows =
            previous && line.top >= previous->top && line.top - previous->bottom < height;
        if (follows)
            result.back() += " " + line.text;
        else
            result.push_back(line.text);
        previous = &line;
    }
    return result;
}

// At most `count` characters of UTF-8 `text`.
std::string firstCharacters(const std::string& text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < text.size() && chars < count; ++chars) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    if (end == text.size())
        return text;
    // Cut at a blank rather than inside a word, when one is near the end.
    const auto blank = text.rfind(' ', end);
    return blank != std::string::npos && blank > end * 3 / 4 ? text.substr(0, blank)
                                                              : text.substr(0, end);
}

} // namespace

BookTextHtml bookTextHtml(const std::filesystem::path& textFolder, const std::vector<int>& pages,
                          std::size_t maxTextBytes, std::size_t openingChars) {
    BookTextHtml html;
    std::string sections;
    std::string plain;
    std::size_t textBytes = 0;
    for (int n : pages) {
        if (textBytes > maxTextBytes)
            break;
        const auto file = textFolder / (std::to_string(n) + ".json");
        const auto bytes = readFile(file);
        if (!bytes)
            continue;
        const Json page = Json::parse(*bytes, nullptr, false);
        std::vector<std::string> texts;
        try {
            texts = paragraphs(pageLines(page));
        } catch (const Json::exception& e) {
            ZLOG_WARN("the text file {} cannot be read: {}", file.string(), e.what());
            continue;
        }
        if (texts.empty())
            continue;
        sections += "<section><h2>Page " + std::to_string(n) + "</h2>\n";
        for (const std::string& text : texts) {
            if (textBytes > maxTextBytes)
                break;
            sections += "<p>" + htmlEscape(text) + "</p>\n";
            textBytes += text.size();
            if (plain.size() < openingChars * 4)
                plain += (plain.empty() ? "" : " ") + text;
        }
        sections += "</section>\n";
    }
    if (sections.empty())
        return html;
    html.block = std::string(kBlockHead) + sections + "</div>\n";
    html.opening = firstCharacters(plain, openingChars);
    return html;
}

} // namespace zarvex
