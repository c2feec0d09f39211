#pragma once

#include "archive/ZKArchive.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

enum class ZKFileType { Regular, Directory, SymbolicLink, Other };

// Optional file attributes of an added entry.
struct ZKFileAttributes {
    // Replaces the moment of the addition in both headers.
    std::optional<std::chrono::system_clock::time_point> fileModificationDate;
    // POSIX permission bits (07777 at most), stored in the external attributes.
    std::uint32_t filePosixPermissions = 0;
    ZKFileType fileType = ZKFileType::Regular;
};

// A ZIP archive built in memory. After every successful addition data() holds
// a complete, valid ZIP file; earlier entries keep their bytes and offsets and
// only the central directory and end record behind them are rewritten.
// Not thread-safe: one owner fills and reads it.
class ZKDataArchive : public ZKArchive {
public:
    ZKDataArchive() = default;

    // Adds one entry holding `bytes`, DEFLATE-compressed, under `filename`
    // (stored in Unicode composition, with the UTF-8 flag when not plain ASCII).
    // Returns 1 on success and -1, leaving the archive unchanged, when the name
    // is empty, not valid UTF-8 or longer than 65535 bytes, or when the
    // compressor fails.
    int deflateData(std::string_view bytes, std::string_view filename,
                    const std::optional<ZKFileAttributes>& attributes = std::nullopt);

    // The archive's current bytes.
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

} // namespace zarvex
