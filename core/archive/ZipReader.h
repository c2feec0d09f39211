#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

// One extracted ZIP entry.
struct ZipEntry {
    std::string filename; // as stored (UTF-8 for the archives this system writes)
    std::string data;     // the uncompressed bytes, CRC-checked
    std::uint32_t crc = 0;
    std::uint32_t compressionMethod = 0;
};

// Reads every entry of a single-disk ZIP archive held in memory, in central
// directory order; stored (0) and DEFLATE (8) entries, ZIP64 sizes and offsets
// included. Made for checking archives this system wrote and for inspecting
// files from elsewhere, so every offset and size is bounds-checked and an
// entry may not inflate beyond its declared size or `maxEntrySize`.
// Absent for anything malformed, encrypted, of another method or with a wrong
// CRC; `why`, when given, receives a one-line reason.
std::optional<std::vector<ZipEntry>>
readZipEntries(std::string_view archive, std::string* why = nullptr,
               std::size_t maxEntrySize = std::size_t{1} << 30);

} // namespace zarvex
