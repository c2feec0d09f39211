#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace zarvex {

// A ZIP local file header (APPNOTE 4.3.7). Sizes are held as 64-bit numbers;
// when either reaches 0xFFFFFFFF the 32-bit fields are written as 0xFFFFFFFF,
// the real sizes go into a ZIP64 extra field (ID 0x0001) and the version needed
// to extract becomes 45 (otherwise 20). Name and extra field lengths are
// measured from the values themselves, so they always match the bytes written.
class ZKLFHeader {
public:
    static constexpr std::uint32_t kMagicNumber = 0x04034B50;
    static constexpr std::size_t kFixedLength = 30;

    // Version 20, no flags, DEFLATE, last modified now, everything else zero.
    ZKLFHeader();

    std::uint32_t magicNumber() const { return kMagicNumber; }

    std::uint32_t versionNeededToExtract() const { return versionNeededToExtract_; }
    void setVersionNeededToExtract(std::uint32_t version) { versionNeededToExtract_ = version; }

    std::uint32_t generalPurposeBitFlag() const { return generalPurposeBitFlag_; }
    void setGeneralPurposeBitFlag(std::uint32_t flag) { generalPurposeBitFlag_ = flag; }

    std::uint32_t compressionMethod() const { return compressionMethod_; }
    void setCompressionMethod(std::uint32_t method) { compressionMethod_ = method; }

    std::chrono::system_clock::time_point lastModDate() const { return lastModDate_; }
    void setLastModDate(std::chrono::system_clock::time_point date) { lastModDate_ = date; }

    std::uint32_t crc() const { return crc_; }
    void setCrc(std::uint32_t crc) { crc_ = crc; }

    std::uint64_t compressedSize() const { return compressedSize_; }
    void setCompressedSize(std::uint64_t size);

    std::uint64_t uncompressedSize() const { return uncompressedSize_; }
    void setUncompressedSize(std::uint64_t size);

    // The entry name as given; written in precomposed UTF-8.
    const std::string& filename() const { return filename_; }
    void setFilename(std::string_view filename) { filename_ = filename; }
    std::uint32_t filenameLength() const;

    // The extra field as written: the ZIP64 field when needed, then any extra
    // bytes set by the caller.
    std::string extraField() const;
    void setExtraField(std::string_view extra) { customExtraField_ = extra; }
    std::uint32_t extraFieldLength() const;

    bool useZip64Extensions() const;

    // The serialised record: fixed part, name, extra field.
    std::string data() const;
    std::size_t length() const;

private:
    void updateVersionNeeded();

    std::uint32_t versionNeededToExtract_ = 20;
    std::uint32_t generalPurposeBitFlag_ = 0;
    std::uint32_t compressionMethod_ = 8;
    std::chrono::system_clock::time_point lastModDate_;
    std::uint32_t crc_ = 0;
    std::uint64_t compressedSize_ = 0;
    std::uint64_t uncompressedSize_ = 0;
    std::string filename_;
    std::string customExtraField_;
};

} // namespace zarvex
