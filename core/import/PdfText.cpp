#include "import/PdfText.h"

#include "base/TextEncoding.h"

#include <array>
#include <cctype>
#include <vector>

namespace zarvex {

namespace {

constexpr char32_t kUndefined = 0;

// PDFDocEncoding where it differs from Latin-1 (0x18..0x1F and 0x7F..0xA0; 0xAD
// is undefined too). Codes below 0x18 are the ASCII controls.
char32_t fromPdfDocEncoding(unsigned char byte) {
    static constexpr std::array<char32_t, 8> diacritics = {0x02D8, 0x02C7, 0x02C6, 0x02D9,
                                                           0x02DD, 0x02DB, 0x02DA, 0x02DC};
    static constexpr std::array<char32_t, 34> specials = {
        kUndefined, 0x2022, 0x2020, 0x2021, 0x2026, 0x2014,     0x2013, 0x0192, 0x2044,
        0x2039,     0x203A, 0x2212, 0x2030, 0x201E, 0x201C,     0x201D, 0x2018, 0x2019,
        0x201A,     0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152,     0x0160, 0x0178, 0x017D,
        0x0131,     0x0142, 0x0153, 0x0161, 0x017E, kUndefined, 0x20AC};
    if (byte >= 0x18 && byte <= 0x1F)
        return diacritics[byte - 0x18u];
    if (byte >= 0x7F && byte <= 0xA0)
        return specials[byte - 0x7Fu];
    if (byte == 0xAD)
        return kUndefined;
    return byte;
}

// The code points of a text string; U+FFFD for malformed sequences.
std::vector<char32_t> decodeTextString(std::string_view bytes) {
    std::vector<char32_t> out;
    const bool utf16be = bytes.starts_with("\xFE\xFF");
    if (utf16be || bytes.starts_with("\xFF\xFE")) {
        const auto utf8 = text::utf16ToUtf8(bytes.substr(2), utf16be, false);
        bytes = utf8 ? std::string_view(*utf8) : std::string_view();
        for (std::size_t at = 0; at < bytes.size();) {
            const auto decoded = text::decodeUtf8At(bytes, at);
            // A language mark: ESC, a language (and country) code, ESC.
            if (decoded && decoded->first == 0x1B) {
                const auto end = bytes.find('\x1B', at + 1);
                if (end != std::string_view::npos && end - at <= 5) {
                    at = end + 1;
                    continue;
                }
            }
            out.push_back(decoded ? decoded->first : text::kReplacementCharacter);
            at += decoded ? decoded->second : 1;
        }
        return out;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        for (std::size_t at = 0; at < bytes.size();) {
            const auto decoded = text::decodeUtf8At(bytes, at);
            out.push_back(decoded ? decoded->first : text::kReplacementCharacter);
            at += decoded ? decoded->second : 1;
        }
        return out;
    }
    for (unsigned char byte : bytes)
        out.push_back(fromPdfDocEncoding(byte));
    return out;
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

std::string pdfTextString(std::string_view bytes) {
    std::string out;
    for (char32_t c : decodeTextString(bytes)) {
        if (c == '\t' || c == '\n' || c == '\r')
            out += ' ';
        else if (c != kUndefined && !isControl(c))
            text::appendUtf8(out, c);
    }
    return out;
}

std::string pdfUriString(std::string_view bytes) {
    std::string decoded;
    if (bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE") ||
        bytes.starts_with("\xEF\xBB\xBF")) {
        for (char32_t c : decodeTextString(bytes))
            if (!isControl(c))
                text::appendUtf8(decoded, c);
        bytes = decoded;
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char byte : bytes) {
        if (byte < 0x20 || byte == 0x7F)
            continue;
        if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::optional<std::string> uriScheme(std::string_view uri) {
    if (uri.empty() || !std::isalpha(static_cast<unsigned char>(uri[0])))
        return std::nullopt;
    std::string scheme;
    for (char c : uri) {
        if (c == ':')
            return scheme;
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
        scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::nullopt;
}

} // namespace zarvex
