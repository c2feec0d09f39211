#include "publish/TextTemplate.h"

#include "publish/WebText.h"

#include <string_view>

namespace zarvex {

namespace {

// A cursor over the template that behaves like a text scanner whose skipped
// characters are white space and line breaks.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skip() {
        while (pos_ < text_.size()) {
            const std::size_t n = whiteSpaceLength(text_, pos_);
            if (n == 0)
                return;
            pos_ += n;
        }
    }
    bool atEnd() {
        const std::size_t saved = pos_;
        skip();
        const bool end = pos_ >= text_.size();
        pos_ = saved;
        return end;
    }
    // Skips, then takes everything up to `marker` (or to the end). False when
    // nothing was taken.
    bool scanUpTo(std::string_view marker, std::string& into) {
        skip();
        std::size_t stop = text_.find(marker, pos_);
        if (stop == std::string_view::npos)
            stop = text_.size();
        if (stop == pos_)
            return false;
        into.assign(text_.substr(pos_, stop - pos_));
        pos_ = stop;
        return true;
    }
    // Skips, then consumes `marker` when it stands at the position.
    bool scan(std::string_view marker) {
        skip();
        if (text_.substr(pos_).starts_with(marker)) {
            pos_ += marker.size();
            return true;
        }
        return false;
    }
    std::string_view rest() const { return text_.substr(pos_); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

TextTemplate::TextTemplate(std::string fromStr) : fromStr_(std::move(fromStr)) {}

void TextTemplate::setItem(const std::string& key, std::string value) {
    keyAndValues_[key] = std::move(value);
}

std::string TextTemplate::parse() const {
    std::string result;
    Scanner scanner(fromStr_);
    while (!scanner.atEnd()) {
        std::string before;
        if (!scanner.scanUpTo("${", before)) {
            // A placeholder right at the scanning position: the substitution ends.
            result.append(scanner.rest());
            break;
        }
        std::string key;
        bool haveKey = false;
        if (scanner.scan("${"))
            haveKey = scanner.scanUpTo("}", key);
        scanner.scan("}");
        result += before;
        if (haveKey) {
            if (auto it = keyAndValues_.find(key); it != keyAndValues_.end())
                result += it->second;
        }
    }
    return result;
}

} // namespace zarvex
