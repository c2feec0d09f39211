#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarvex {

// The end of central directory record (APPNOTE 4.3.16) with the archive comment.
//
// When the entry count no longer fits 16 bits, or the directory's size or offset
// reaches 0xFFFFFFFF, the classic record alone cannot describe the archive: the
// trailer then writes a ZIP64 end of central directory record and its locator
// in front of it and saturates the classic fields (0xFFFF, 0xFFFFFFFF), as ZIP64
// readers expect. Small archives get the 22-byte classic record only.
class ZKCDTrailer {
public:
    static constexpr std::uint32_t kMagicNumber = 0x06054B50;
    static constexpr std::uint32_t kZip64MagicNumber = 0x06064B50;
    static constexpr std::uint32_t kZip64LocatorMagicNumber = 0x07064B50;
    static constexpr std::size_t kFixedLength = 22;
    static constexpr std::size_t kZip64RecordLength = 56;
    static constexpr std::size_t kZip64LocatorLength = 20;
    static constexpr std::string_view kDefaultComment = "Archive created with ZipKit";

    std::uint32_t magicNumber() const { return kMagicNumber; }
    std::uint32_t thisDiskNumber() const { return thisDiskNumber_; }
    void setThisDiskNumber(std::uint32_t disk) { thisDiskNumber_ = disk; }
    std::uint32_t diskNumberWithStartOfCentralDirectory() const {
        return diskNumberWithStartOfCentralDirectory_;
    }
    void setDiskNumberWithStartOfCentralDirectory(std::uint32_t disk) {
        diskNumberWithStartOfCentralDirectory_ = disk;
    }

    std::uint64_t numberOfCentralDirectoryEntriesOnThisDisk() const {
        return numberOfCentralDirectoryEntriesOnThisDisk_;
    }
    void setNumberOfCentralDirectoryEntriesOnThisDisk(std::uint64_t count) {
        numberOfCentralDirectoryEntriesOnThisDisk_ = count;
    }
    std::uint64_t totalNumberOfCentralDirectoryEntries() const {
        return totalNumberOfCentralDirectoryEntries_;
    }
    void setTotalNumberOfCentralDirectoryEntries(std::uint64_t count) {
        totalNumberOfCentralDirectoryEntries_ = count;
    }

    std::uint64_t sizeOfCentralDirectory() const { return sizeOfCentralDirectory_; }
    void setSizeOfCentralDirectory(std::uint64_t size) { sizeOfCentralDirectory_ = size; }
    std::uint64_t offsetOfStartOfCentralDirectory() const {
        return offsetOfStartOfCentralDirectory_;
    }
    void setOffsetOfStartOfCentralDirectory(std::uint64_t offset) {
        offsetOfStartOfCentralDirectory_ = offset;
    }

    // The comment as given; written in precomposed UTF-8, cut at a character
    // boundary to the 65535 bytes its length field can count.
    const std::string& comment() const { return comment_; }
    void setComment(std::string_view comment) { comment_ = comment; }
    std::uint32_t commentLength() const;

    bool useZip64Extensions() const;

    // The ZIP64 record and locator when needed, then the classic record.
    std::string data() const;
    std::size_t length() const;

private:
    std::uint32_t thisDiskNumber_ = 0;
    std::uint32_t diskNumberWithStartOfCentralDirectory_ = 0;
    std::uint64_t numberOfCentralDirectoryEntriesOnThisDisk_ = 0;
    std::uint64_t totalNumberOfCentralDirectoryEntries_ = 0;
    std::uint64_t sizeOfCentralDirectory_ = 0;
    std::uint64_t offsetOfStartOfCentralDirectory_ = 0;
    std::string comment_{kDefaultComment};
};

} // namespace zarvex
