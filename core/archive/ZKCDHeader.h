#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex {

// A ZIP central directory file header (APPNOTE 4.3.12). Sizes and the local
// header offset are held as 64-bit numbers; when any of them reaches 0xFFFFFFFF
// all three are written as 0xFFFFFFFF, their real values go into a ZIP64 extra
// field (ID 0x0001, 24 bytes of data) and the version needed becomes at least
// 45. Variable-length fields are measured when the record is serialised.
//
// The first serialisation is cached and returned by later calls to data();
// every setter drops the cache, so the bytes always reflect the fields.
class ZKCDHeader {
public:
    static constexpr std::uint32_t kMagicNumber = 0x02014B50;
    static constexpr std::size_t kFixedLength = 46;
    // UNIX host (3) in the high byte, format version 2.1 in the low byte.
    static constexpr std::uint32_t kVersionMadeBy = 0x0315;

    // Version 20, no flags, DEFLATE, last modified now, everything else zero.
    ZKCDHeader();

    std::uint32_t magicNumber() const { return kMagicNumber; }
    std::uint32_t versionMadeBy() const { return versionMadeBy_; }
    void setVersionMadeBy(std::uint32_t version);

    std::uint32_t versionNeededToExtract() const { return versionNeededToExtract_; }
    // Raised to 45 while the record needs ZIP64, so a copied 20 cannot understate it.
    void setVersionNeededToExtract(std::uint32_t version);

    std::uint32_t generalPurposeBitFlag() const { return generalPurposeBitFlag_; }
    void setGeneralPurposeBitFlag(std::uint32_t flag);

    std::uint32_t compressionMethod() const { return compressionMethod_; }
    void setCompressionMethod(std::uint32_t method);

    std::chrono::system_clock::time_point lastModDate() const { return lastModDate_; }
    void setLastModDate(std::chrono::system_clock::time_point date);

    std::uint32_t crc() const { return crc_; }
    void setCrc(std::uint32_t crc);

    std::uint64_t compressedSize() const { return compressedSize_; }
    void setCompressedSize(std::uint64_t size);

    std::uint64_t uncompressedSize() const { return uncompressedSize_; }
    void setUncompressedSize(std::uint64_t size);

    std::uint64_t localHeaderOffset() const { return localHeaderOffset_; }
    void setLocalHeaderOffset(std::uint64_t offset);

    std::uint32_t diskNumberStart() const { return diskNumberStart_; }
    void setDiskNumberStart(std::uint32_t disk);

    std::uint32_t internalFileAttributes() const { return internalFileAttributes_; }
    void setInternalFileAttributes(std::uint32_t attributes);

    std::uint32_t externalFileAttributes() const { return externalFileAttributes_; }
    void setExternalFileAttributes(std::uint32_t attributes);

    const std::string& filename() const { return filename_; }
    void setFilename(std::string_view filename);
    std::uint32_t filenameLength() const;

    std::string extraField() const;
    void setExtraField(std::string_view extra);
    std::uint32_t extraFieldLength() const;

    const std::string& comment() const { return comment_; }
    void setComment(std::string_view comment);
    std::uint32_t commentLength() const;

    bool useZip64Extensions() const;

    std::string data() const;
    // 46 + name length + extra field length + comment length.
    std::size_t length() const;

private:
    void changed();
    void updateVersionNeeded();

    std::uint32_t versionMadeBy_ = kVersionMadeBy;
    std::uint32_t versionNeededToExtract_ = 20;
    std::uint32_t generalPurposeBitFlag_ = 0;
    std::uint32_t compressionMethod_ = 8;
    std::chrono::system_clock::time_point lastModDate_;
    std::uint32_t crc_ = 0;
    std::uint64_t compressedSize_ = 0;
    std::uint64_t uncompressedSize_ = 0;
    std::uint64_t localHeaderOffset_ = 0;
    std::uint32_t diskNumberStart_ = 0;
    std::uint32_t internalFileAttributes_ = 0;
    std::uint32_t externalFileAttributes_ = 0;
    std::string filename_;
    std::string customExtraField_;
    std::string comment_;
    mutable std::optional<std::string> cachedData_;
};

} // namespace zarvex
