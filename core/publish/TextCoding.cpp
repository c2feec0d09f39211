#include "publish/TextCoding.h"

#include <cstdint>
#include <optional>

namespace zarvex {

namespace {

// Decodes one UTF-8 sequence at `pos`; absent when malformed.
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view s, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80)
        return std::pair{static_cast<char32_t>(b0), std::size_t{1}};
    std::size_t len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + len > s.size())
        return std::nullopt;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        cp = (cp << 6) | (b & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return std::nullopt;
    return std::pair{cp, len};
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

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

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    std::size_t i = 2; // past the byte-order mark
    auto unit = [&](std::size_t at) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[at]);
        const auto b = static_cast<unsigned char>(bytes[at + 1]);
        return bigEndian ? (a << 8) | b : (b << 8) | a;
    };
    while (i + 1 < bytes.size()) {
        char32_t cp = unit(i);
        i += 2;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < bytes.size()) {
            const char32_t low = unit(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

} // namespace

std::size_t whiteSpaceLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size())
        return 0;
    const auto decoded = decodeUtf8(text, pos);
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
        const auto decoded = decodeUtf8(text, pos);
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

std::string decodeText(std::string_view bytes) {
    if (bytes.size() >= 2) {
        const auto a = static_cast<unsigned char>(bytes[0]);
        const auto b = static_cast<unsigned char>(bytes[1]);
        if (a == 0xFE && b == 0xFF)
            return decodeUtf16(bytes, true);
        if (a == 0xFF && b == 0xFE)
            return decodeUtf16(bytes, false);
    }
    bool valid = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto decoded = decodeUtf8(bytes, pos);
        if (!decoded) {
            valid = false;
            break;
        }
        pos += decoded->second;
    }
    if (valid)
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
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
