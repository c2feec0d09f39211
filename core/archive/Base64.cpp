#include "archive/Base64.h"

#include <array>
#include <cstdint>

namespace zarvex {

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// One entry per 7-bit character: its index in the alphabet, 0 for the rest.
constexpr std::array<std::uint8_t, 128> kDecodeTable = [] {
    std::array<std::uint8_t, 128> table{};
    for (std::size_t n = 0; n < kAlphabet.size(); ++n) {
        table[static_cast<unsigned char>(kAlphabet[n])] = static_cast<std::uint8_t>(n);
    }
    return table;
}();

} // namespace

std::string Base64::encode(std::string_view bytes) {
    return encode(bytes.data(), bytes.size());
}

std::string Base64::encode(const void* bytes, std::size_t length) {
    const auto* in = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    for (std::size_t n = 0; n < length; n += 3) {
        const std::size_t left = length - n;
        const std::uint32_t group = (std::uint32_t{in[n]} << 16) |
                                    (left > 1 ? std::uint32_t{in[n + 1]} << 8 : 0) |
                                    (left > 2 ? std::uint32_t{in[n + 2]} : 0);
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(left > 1 ? kAlphabet[(group >> 6) & 63] : '=');
        out.push_back(left > 2 ? kAlphabet[group & 63] : '=');
    }
    return out;
}

std::optional<std::string> Base64::decode(std::string_view text) {
    // A default-constructed view has no pointer but is the empty text, not an absent one.
    return text.empty() ? decode("", 0) : decode(text.data(), text.size());
}

std::optional<std::string> Base64::decode(const char* text, std::size_t length) {
    if (text == nullptr) {
        return std::nullopt;
    }
    if (length % 4 != 0) {
        return std::nullopt;
    }
    for (std::size_t n = 0; n < length; ++n) {
        if (static_cast<unsigned char>(text[n]) >= 0x80) {
            return std::nullopt;
        }
    }
    std::size_t m = length;
    while (m > 0 && text[m - 1] == '=') {
        --m;
    }
    const std::size_t outLength = 3 * m / 4;
    std::string out;
    out.reserve(outLength);
    const auto value = [&](std::size_t n) -> std::uint8_t {
        return n < m ? kDecodeTable[static_cast<unsigned char>(text[n])] : 0;
    };
    for (std::size_t n = 0; n < m; n += 4) {
        const std::uint8_t a = value(n), b = value(n + 1), c = value(n + 2), d = value(n + 3);
        out.push_back(static_cast<char>((a << 2) | (b >> 4)));
        if (out.size() < outLength) {
            out.push_back(static_cast<char>(((b & 15) << 4) | (c >> 2)));
        }
        if (out.size() < outLength) {
            out.push_back(static_cast<char>(((c & 3) << 6) | d));
        }
    }
    out.resize(outLength);
    return out;
}

} // namespace zarvex
