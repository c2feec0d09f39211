#pragma once

// The stored form of the book configuration: the document's bytes as the single
// entry "config.xml" of an in-memory ZIP archive, RC4-encrypted with the book
// key, Base64-encoded on one line. The book writer puts that text into the
// CDATA section of the `data` element of files/config.xml.
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

inline constexpr std::string_view kConfigEntryName = "config.xml";
// The key the book player decrypts the configuration with (14 ASCII bytes).
inline constexpr std::string_view kConfigKey = "Tn4vRq8sWk2yBx";

// The Base64 text of the encrypted one-entry archive holding `document`.
// Throws zarvex::Error only when the archive or the encryption cannot be made
// (an empty key), which the fixed key rules out.
std::string scrambleConfig(std::string_view document, std::string_view key = kConfigKey);

// The inverse: the bytes of the entry "config.xml" inside the Base64 text.
// Surrounding white space is ignored. Absent when the text is not Base64, does
// not decrypt to a sound ZIP archive, or the archive lacks the entry; `why`,
// when given, receives a one-line reason.
std::optional<std::string> unscrambleConfig(std::string_view base64Text,
                                            std::string_view key = kConfigKey,
                                            std::string* why = nullptr);

} // namespace zarvex
