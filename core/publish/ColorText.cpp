#include "publish/ColorText.h"

#include "publish/WebText.h"

#include <algorithm>
#include <cmath>

namespace zarvex {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t colorWithHexString(std::string_view text) {
    std::size_t pos = 0;
    while (const std::size_t n = whiteSpaceLength(text, pos))
        pos += n;
    if (const auto prefix = text.substr(pos, 2); prefix == "0x" || prefix == "0X")
        pos += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; pos < text.size(); ++pos) {
        const int digit = hexDigit(text[pos]);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    const auto bits = overflow ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(bits);
}

RgbColor colorFromHexRGB(const std::optional<std::string>& text) {
    const auto bits = text ? static_cast<std::uint32_t>(colorWithHexString(*text)) : 0u;
    return RgbColor{((bits >> 16) & 0xFF) / 255.0, ((bits >> 8) & 0xFF) / 255.0,
                    (bits & 0xFF) / 255.0, 1.0};
}

std::optional<std::string> colorToHexRGB(const RgbColor& color) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "0x";
    for (double component : {color.red, color.green, color.blue}) {
        if (!std::isfinite(component))
            return std::nullopt;
        const int byte = static_cast<int>(std::clamp(component, 0.0, 1.0) * 255.99998);
        out += hex[(byte >> 4) & 0xF];
        out += hex[byte & 0xF];
    }
    return out;
}

} // namespace zarvex
