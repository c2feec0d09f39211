#pragma once

#include <map>
#include <string>

namespace zarvex {

// Fills "${key}" placeholders in a text. The walk skips blanks and line breaks
// before each scanning step, which shapes the output: blanks at the start of the
// text and right after each substituted placeholder are dropped, and a
// placeholder met directly at a scanning position (the text's start, or right
// after another placeholder) ends the substitution, copying the rest unchanged.
// A key without an item becomes the empty text. Values are inserted as given.
class TextTemplate {
public:
    explicit TextTemplate(std::string fromStr);

    // Stores the pair, replacing an earlier value of the same key.
    void setItem(const std::string& key, std::string value);

    std::string parse() const;

    const std::string& fromStr() const { return fromStr_; }
    const std::map<std::string, std::string>& keyAndValues() const { return keyAndValues_; }

private:
    std::string fromStr_;
    std::map<std::string, std::string> keyAndValues_;
};

} // namespace zarvex
