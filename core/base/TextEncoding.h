#pragma once

// Conversions between the text encodings the system meets in files: UTF-8
// (its own), UTF-16 with a byte-order mark (trust file, exported settings,
// older page templates) and Latin-1 (files of unknown origin).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zarvex::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

void appendUtf8(std::string& out, char32_t codePoint);

// The code point of the UTF-8 sequence at `pos` and its length in bytes; absent
// when the sequence is malformed, truncated, overlong, a surrogate or above U+10FFFF.
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8At(std::string_view text,
                                                             std::size_t pos);

bool isValidUtf8(std::string_view text);

// UTF-16 code units (the byte-order mark already removed) as UTF-8. Lenient:
// lone surrogates and an odd trailing byte become U+FFFD. Strict: such input
// gives no text at all.
std::optional<std::string> utf16ToUtf8(std::string_view units, bool bigEndian, bool strict);

// The bytes of a file whose encoding is not declared, as UTF-8: a UTF-8
// byte-order mark is dropped, UTF-16 with a byte-order mark (either order) is
// converted leniently, valid UTF-8 is kept, anything else is read as Latin-1.
std::string decodeText(std::string_view bytes);

} // namespace zarvex::text
