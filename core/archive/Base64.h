#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// Base64 with the RFC 4648 alphabet and "=" padding. The encoder writes one
// line without breaks. The decoder is lenient: it accepts any 7-bit ASCII text
// whose length is a multiple of 4, drops every trailing "=", and reads
// characters outside the alphabet as zero bits.
class Base64 {
public:
    Base64() = delete;

    // 4 * ceil(n / 3) characters for n bytes.
    static std::string encode(std::string_view bytes);
    static std::string encode(const void* bytes, std::size_t length);

    // Absent for a null pointer, a text with a byte outside 7-bit ASCII, or a
    // length that is not a multiple of 4. The empty text gives empty bytes.
    static std::optional<std::string> decode(std::string_view text);
    static std::optional<std::string> decode(const char* text, std::size_t length);
};

} // namespace zarvex
