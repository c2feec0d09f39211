#include "base/TextEncoding.h"

namespace zarvex::text {

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

std::optional<std::pair<char32_t, std::size_t>> decodeUtf8At(std::string_view s, std::size_t pos) {
    if (pos >= s.size())
        return std::nullopt;
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

bool isValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto decoded = decodeUtf8At(text, pos);
        if (!decoded)
            return false;
        pos += decoded->second;
    }
    return true;
}

std::optional<std::string> utf16ToUtf8(std::string_view units, bool bigEndian, bool strict) {
    auto unit = [&](std::size_t at) -> char32_t {
        const auto a = static_cast<unsigned char>(units[at]);
        const auto b = static_cast<unsigned char>(units[at + 1]);
        return bigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
    };
    std::string out;
    std::size_t i = 0;
    while (i + 1 < units.size()) {
        char32_t cp = unit(i);
        i += 2;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && unit(i) >= 0xDC00 &&
            unit(i) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (strict)
                return std::nullopt;
            cp = kReplacementCharacter;
        }
        appendUtf8(out, cp);
    }
    if (i < units.size()) { // an odd trailing byte
        if (strict)
            return std::nullopt;
        appendUtf8(out, kReplacementCharacter);
    }
    return out;
}

std::string decodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (bytes.starts_with("\xFE\xFF"))
        return *utf16ToUtf8(bytes.substr(2), true, false);
    if (bytes.starts_with("\xFF\xFE"))
        return *utf16ToUtf8(bytes.substr(2), false, false);
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

} // namespace zarvex::text
