#include "templates/SettingsText.h"

#include "base/StringUtil.h"
#include "base/TextEncoding.h"

namespace zarvex::settings {

namespace {

constexpr std::string_view kLineBreakMark = "|||";

bool isEscapedCharacter(char c) {
    return c == '\\' || c == 'n' || c == 'r';
}

} // namespace

std::string encodeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\n' && c != '\r') {
            out += c;
            continue;
        }
        // A two-character line end (CR LF or LF CR) is one line break.
        const char pair = c == '\n' ? '\r' : '\n';
        if (i + 1 < value.size() && value[i + 1] == pair)
            ++i;
        out += kLineBreakMark;
    }
    return out;
}

std::string decodeValue(std::string_view text) {
    std::string out(text);
    replaceAll(out, kLineBreakMark, "\n");
    return out;
}

bool hasBackslashEscapes(std::string_view text) {
    bool doubled = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\')
            continue;
        if (i + 1 == text.size() || !isEscapedCharacter(text[i + 1]))
            return false;
        doubled = doubled || text[i + 1] == '\\';
        ++i;
    }
    return doubled;
}

std::string unescapeBackslashes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && isEscapedCharacter(text[i + 1])) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace zarvex::settings
