#pragma once

// Byte-level helpers of the ZIP writer: little-endian integers, precomposed
// UTF-8 texts, raw DEFLATE, CRC-32 and MS-DOS time stamps. Byte buffers are
// std::string (bytes, not text); none of these functions throws except on
// allocation failure.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

void zk_appendLittleInt16(std::string& data, std::uint16_t value);
void zk_appendLittleInt32(std::string& data, std::uint32_t value);
void zk_appendLittleInt64(std::string& data, std::uint64_t value);

// The text in Unicode canonical composition (NFC), UTF-8 encoded. A text that
// is not valid UTF-8 cannot be composed and comes back absent.
std::optional<std::string> zk_precomposedUTF8(std::string_view text);

// The byte length of the text's precomposed form (its own length when the text
// is not valid UTF-8, since the bytes are then stored as they are).
std::size_t zk_precomposedUTF8Length(std::string_view text);

// Appends the precomposed form without length prefix or terminator; a text that
// is not valid UTF-8 is appended unchanged.
void zk_appendPrecomposedUTF8String(std::string& data, std::string_view text);

// The bytes a ZIP name or comment field holds for the text: its precomposed
// UTF-8 (the bytes unchanged when the text is not valid UTF-8), cut at a
// character boundary to the 65535 bytes a 16-bit length field can count.
std::string zk_fieldBytes(std::string_view text);

// Raw DEFLATE (no zlib header or trailer) at level 9, window bits -15, memory
// level 8, default strategy. Absent when the compressor cannot be set up or
// reports an error.
std::optional<std::string> zk_deflate(std::string_view input);

// The standard ZIP CRC-32 of the whole input (zlib's crc32, starting value 0).
std::uint32_t zk_crc32(std::string_view input);

// MS-DOS date and time in local time: (date word << 16) | time word, seconds
// halved. Dates before 1980 or after 2107, which the format cannot hold, are
// clamped to its first and last representable moments.
std::uint32_t zk_dosDate(std::chrono::system_clock::time_point date);

} // namespace zarvex
