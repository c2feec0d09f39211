#include "TerminalText.h"

#include "base/TextEncoding.h"

#include <fmt/format.h>

namespace zarvex::cli {

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto decoded = text::decodeUtf8At(text, pos);
        if (!decoded) {
            out += fmt::format("\\x{:02x}", static_cast<unsigned char>(text[pos]));
            ++pos;
            continue;
        }
        const auto [codePoint, length] = *decoded;
        if ((codePoint < 0x20 && codePoint != '\n' && codePoint != '\t') || codePoint == 0x7F)
            out += fmt::format("\\x{:02x}", static_cast<unsigned>(codePoint));
        else if (codePoint >= 0x80 && codePoint < 0xA0)
            out += fmt::format("\\u{:04x}", static_cast<unsigned>(codePoint));
        else
            out.append(text.substr(pos, length));
        pos += length;
    }
    return out;
}

std::string printableLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return printable(line);
}

} // namespace zarvex::cli
