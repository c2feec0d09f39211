#pragma once

#include "archive/ZKCDHeader.h"
#include "archive/ZKCDTrailer.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

// What every archive holds: its central directory, one entry per addition in
// the order added, and its end record with the archive comment.
class ZKArchive {
public:
    ZKArchive() = default;
    virtual ~ZKArchive() = default;
    ZKArchive(const ZKArchive&) = default;
    ZKArchive& operator=(const ZKArchive&) = default;
    ZKArchive(ZKArchive&&) = default;
    ZKArchive& operator=(ZKArchive&&) = default;

    const std::vector<ZKCDHeader>& centralDirectory() const { return centralDirectory_; }
    const ZKCDTrailer& cdTrailer() const { return cdTrailer_; }

    // The archive comment; "Archive created with ZipKit" until changed. A change
    // takes effect with the next addition, which rewrites the end record.
    const std::string& comment() const { return cdTrailer_.comment(); }
    void setComment(std::string_view comment) { cdTrailer_.setComment(comment); }

    // Where the archive lives on disk; absent for in-memory archives.
    const std::optional<std::filesystem::path>& archivePath() const { return archivePath_; }

protected:
    std::vector<ZKCDHeader> centralDirectory_;
    ZKCDTrailer cdTrailer_;
    std::optional<std::filesystem::path> archivePath_;
};

} // namespace zarvex
