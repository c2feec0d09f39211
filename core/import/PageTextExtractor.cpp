#include "import/PageTextExtractor.h"

#include "base/TextEncoding.h"

#include "base/Error.h"
#include "base/FileUtil.h"
#include "base/Log.h"
#include "import/PdfContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>

namespace zarvex {

namespace fs = std::filesystem;

namespace {

// Fonts stay cached between pages up to this size.
constexpr std::size_t kExtractorStore = 32u << 20;

using StextPage = pdf::Ref<fz_stext_page, fz_drop_stext_page>;

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || c == 0x3000 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F;
}

// Letters of scripts written without blanks between words: each is a word.
bool standsAlone(int c) {
    return (c >= 0x2E80 && c <= 0x2FDF) || // CJK radicals
           (c >= 0x3001 && c <= 0x30FF) || // CJK punctuation, hiragana, katakana
           (c >= 0x3400 && c <= 0x4DBF) || // CJK extension A
           (c >= 0x4E00 && c <= 0x9FFF) || // CJK unified ideographs
           (c >= 0xF900 && c <= 0xFAFF) || // CJK compatibility ideographs
           (c >= 0xFF01 && c <= 0xFF60) || // full-width forms
           (c >= 0x20000 && c <= 0x3FFFF); // CJK extensions B and later
}

// Hebrew, Arabic, Syriac, Thaana, N'Ko and their presentation forms and
// historic relatives.
bool isRightToLeft(int c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

// UTF-8 of a character the library reported; controls are dropped and codes
// that are no character become U+FFFD, so the result is always valid.
void appendUtf8(std::string& out, int c) {
    if (c < 0x20 || c == 0x7F)
        return;
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = 0xFFFD;
    text::appendUtf8(out, static_cast<char32_t>(c));
}

// A JSON string that may also stand in a script, even inside an HTML script
// element: U+2028, U+2029 and "</" are escaped besides what JSON requires.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(ch));
            out += buf;
        } else if (ch == '/' && i > 0 && text[i - 1] == '<') {
            out += "\\/";
        } else if (text.substr(i, 3) == "\xE2\x80\xA8" || text.substr(i, 3) == "\xE2\x80\xA9") {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// A length rounded to 0.1 point, without a trailing ".0".
std::string tenth(double value) {
    double rounded = std::round(value * 10) / 10;
    if (rounded == 0 || !std::isfinite(rounded))
        rounded = 0; // no "-0"
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", rounded);
    std::string text = buf;
    if (text.ends_with(".0"))
        text.resize(text.size() - 2);
    return text;
}

struct Letter {
    int c = 0;
    fz_rect box{};
    float along = 0; // position along the line's direction
};

struct Word {
    std::vector<Letter> letters;
    bool rightToLeft = false;
    float along() const { return letters.front().along; }
};

// The words of one line in logical order.
std::vector<Word> lineWords(const fz_stext_line* line) {
    std::vector<Word> words;
    Word current;
    auto flush = [&] {
        if (!current.letters.empty())
            words.push_back(std::move(current));
        current = {};
    };
    for (const fz_stext_char* ch = line->first_char; ch; ch = ch->next) {
        if (isBlank(ch->c)) {
            flush();
            continue;
        }
        const Letter letter{ch->c, fz_rect_from_quad(ch->quad),
                            ch->origin.x * line->dir.x + ch->origin.y * line->dir.y};
        if (standsAlone(ch->c)) {
            flush();
            current.letters.push_back(letter);
            flush();
            continue;
        }
        current.rightToLeft = current.rightToLeft || isRightToLeft(ch->c);
        current.letters.push_back(letter);
    }
    flush();

    // Producers draw right-to-left text in visual order (or glyph by glyph
    // leftwards); logical order runs against the line's direction.
    auto rightmostFirst = [](const auto& a, const auto& b) { return a.along > b.along; };
    for (auto& word : words)
        if (word.rightToLeft)
            std::stable_sort(word.letters.begin(), word.letters.end(), rightmostFirst);
    for (auto run = words.begin(); run != words.end();) {
        if (!run->rightToLeft) {
            ++run;
            continue;
        }
        auto end = std::find_if(run, words.end(), [](const Word& w) { return !w.rightToLeft; });
        std::stable_sort(run, end, [](const Word& a, const Word& b) {
            return a.letters.back().along > b.letters.back().along;
        });
        run = end;
    }
    return words;
}

} // namespace

struct PageTextExtractor::Impl {
    pdf::Context ctx{kExtractorStore};
    pdf::Document doc;
    int pageCount = 0;
};

PageTextExtractor::PageTextExtractor(const fs::path& pdfPath) : impl_(std::make_unique<Impl>()) {
    fz_context* c = impl_->ctx;
    const std::string name = pdfPath.string();
    impl_->doc = pdf::Document(
        c, pdf::guarded(c, "open PDF", [&] { return pdf_open_document(c, name.c_str()); }));
    pdf_document* d = impl_->doc.get();
    if (pdf::guarded(c, "open PDF", [&] { return pdf_needs_password(c, d); }))
        throw Error("the PDF needs a password");
    impl_->pageCount = pdf::settlePageCount(c, d);
}

PageTextExtractor::~PageTextExtractor() = default;

int PageTextExtractor::pageCount() const {
    return impl_->pageCount;
}

PageText PageTextExtractor::extract(int pageIndex) {
    if (pageIndex < 0 || pageIndex >= impl_->pageCount)
        throw Error("page index " + std::to_string(pageIndex) + " outside the document (" +
                    std::to_string(impl_->pageCount) + " pages)");
    fz_context* c = impl_->ctx;
    fz_document* d = &impl_->doc.get()->super;
    pdf::Page page(c, pdf::guarded(c, "load page", [&] { return fz_load_page(c, d, pageIndex); }));
    fz_page* p = page.get();
    // The page's picture is drawn from this rectangle's corner (PDFRenderer):
    // the crop box turned by the page's rotation.
    const fz_rect bounds = pdf::guarded(c, "measure page", [&] { return fz_bound_page(c, p); });
    fz_stext_options options{};
    options.flags = FZ_STEXT_MEDIABOX_CLIP; // ligatures expanded, blanks normalised
    StextPage text(c, pdf::guarded(c, "read page text",
                                   [&] { return fz_new_stext_page_from_page(c, p, &options); }));

    PageText result;
    result.width = bounds.x1 - bounds.x0;
    result.height = bounds.y1 - bounds.y0;
    for (const fz_stext_block* block = text.get()->first_block; block; block = block->next) {
        if (block->type != FZ_STEXT_BLOCK_TEXT)
            continue;
        for (const fz_stext_line* line = block->u.t.first_line; line; line = line->next) {
            bool lineStarted = false;
            for (const Word& word : lineWords(line)) {
                fz_rect box = fz_empty_rect;
                PageWord out;
                for (const Letter& letter : word.letters) {
                    box = fz_union_rect(box, letter.box);
                    appendUtf8(out.text, letter.c);
                }
                box = fz_translate_rect(box, -bounds.x0, -bounds.y0);
                if (out.text.empty() || box.x1 <= 0 || box.y1 <= 0 || box.x0 >= result.width ||
                    box.y0 >= result.height)
                    continue;
                out.x = box.x0;
                out.y = box.y0;
                out.width = box.x1 - box.x0;
                out.height = box.y1 - box.y0;
                if (!lineStarted)
                    result.lineStarts.push_back(static_cast<int>(result.words.size()));
                lineStarted = true;
                result.words.push_back(std::move(out));
            }
        }
    }
    return result;
}

std::string PageText::json() const {
    std::string out = "{\"v\":1,\"w\":" + tenth(width) + ",\"h\":" + tenth(height) + ",\"words\":[";
    for (std::size_t i = 0; i < words.size(); ++i) {
        const PageWord& w = words[i];
        out += (i ? ",[" : "[") + tenth(w.x) + "," + tenth(w.y) + "," + tenth(w.width) + "," +
               tenth(w.height) + "," + jsonString(w.text) + "]";
    }
    out += "],\"lines\":[";
    for (std::size_t i = 0; i < lineStarts.size(); ++i)
        out += (i ? "," : "") + std::to_string(lineStarts[i]);
    return out + "]}";
}

std::string joinPageWords(const std::vector<std::string>& words) {
    auto alone = [](const std::string& word) {
        int c = 0;
        const char* p = word.c_str();
        p += fz_chartorune(&c, p);
        return *p == '\0' && standsAlone(c);
    };
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && !(alone(words[i - 1]) && alone(words[i])))
            text += ' ';
        text += words[i];
    }
    return text;
}

std::string pageTextScript(int pageNumber, const std::string& json) {
    return "(window.ZARVEX_TEXT = window.ZARVEX_TEXT || {})[" + std::to_string(pageNumber) +
           "] = " + json + ";\n";
}

bool writePageTextIndex(const fs::path& folder, const std::vector<int>& pages) {
    std::string json = "{\"v\":1,\"pages\":[";
    for (std::size_t i = 0; i < pages.size(); ++i)
        json += (i ? "," : "") + std::to_string(pages[i]);
    json += "]}";
    const bool written =
        writeFileAtomically(folder / "index.json", json + "\n") &&
        writeFileAtomically(folder / "index.js", "window.ZARVEX_TEXT_INDEX = " + json + ";\n");
    if (!written)
        ZLOG_ERROR("cannot write the text index in {}", folder.string());
    return written;
}

std::vector<int> PageTextExtractor::writePages(const std::vector<int>& pages,
                                               const fs::path& folder,
                                               const std::function<bool()>& stopped,
                                               const std::function<void(int, int)>& progress) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw Error("cannot create the text folder " + folder.string() + ": " + error.message());
    std::vector<int> written;
    const int total = static_cast<int>(pages.size());
    for (int i = 0; i < total; ++i) {
        if (stopped && stopped())
            return written;
        const int n = pages[static_cast<std::size_t>(i)];
        if (n >= 1 && n <= pageCount()) {
            try {
                const std::string json = extract(n - 1).json();
                const std::string name = std::to_string(n);
                if (!writeFileAtomically(folder / (name + ".json"), json + "\n",
                                         Durability::Scratch) ||
                    !writeFileAtomically(folder / (name + ".js"), pageTextScript(n, json),
                                         Durability::Scratch))
                    throw Error("cannot write its file in " + folder.string());
                written.push_back(n);
            } catch (const std::exception& e) {
                ZLOG_ERROR("the text of page {} is left out: {}", n, e.what());
            }
        }
        if (progress)
            progress(i + 1, total);
    }
    if (!writePageTextIndex(folder, written))
        throw Error("cannot write the text index in " + folder.string());
    return written;
}

} // namespace zarvex
