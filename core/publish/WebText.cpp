#include "publish/WebText.h"

#include "base/TextEncoding.h"

#include <cstdint>
#include <optional>

namespace zarvex {

namespace {

bool isWhiteSpace(char32_t c) {
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

} // namespace

std::size_t whiteSpaceLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size())
        return 0;
    const auto decoded = text::decodeUtf8At(text, pos);
    if (!decoded || !isWhiteSpace(decoded->first))
        return 0;
    return decoded->second;
}

std::string jsStringLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto decoded = text::decodeUtf8At(text, pos);
        if (!decoded) {
            out += "\\ufffd";
            ++pos;
            continue;
        }
        const auto [cp, len] = *decoded;
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '/':
            // "</script>" inside an inline script would end the element.
            out += (pos > 0 && text[pos - 1] == '<') ? "\\/" : "/";
            break;
        default:
            if (cp < 0x20 || cp == 0x7F || cp == 0x2028 || cp == 0x2029) {
                static constexpr char hex[] = "0123456789abcdef";
                out += "\\u";
                for (int shift = 12; shift >= 0; shift -= 4)
                    out += hex[(cp >> shift) & 0xF];
            } else {
                out.append(text.substr(pos, len));
            }
        }
        pos += len;
    }
    out += '"';
    return out;
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

// The last path component, ignoring trailing separators.
std::pair<std::size_t, std::size_t> lastComponent(std::string_view path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    const std::size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
    const std::size_t begin = (slash == std::string_view::npos) ? 0 : slash + 1;
    return {begin, begin > end ? begin : end};
}

} // namespace

std::string pathExtension(std::string_view path) {
    const auto [begin, end] = lastComponent(path);
    const std::string_view name = path.substr(begin, end - begin);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return std::string(name.substr(dot + 1));
}

std::string deletingPathExtension(std::string_view path) {
    const auto [begin, end] = lastComponent(path);
    const std::string_view name = path.substr(begin, end - begin);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(path.substr(0, end));
    return std::string(path.substr(0, begin + dot));
}

} // namespace zarvex
