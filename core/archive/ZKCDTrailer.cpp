#include "archive/ZKCDTrailer.h"

#include "archive/ZKDataUtil.h"

#include <algorithm>

namespace zarvex {

namespace {
constexpr std::uint64_t kMax16 = 0xFFFF;
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;
// UNIX host, format version 4.5: the first version with ZIP64.
constexpr std::uint16_t kZip64VersionMadeBy = 0x032D;
constexpr std::uint16_t kZip64VersionNeeded = 45;
} // namespace

std::uint32_t ZKCDTrailer::commentLength() const {
    return static_cast<std::uint32_t>(zk_fieldBytes(comment_).size());
}

bool ZKCDTrailer::useZip64Extensions() const {
    return numberOfCentralDirectoryEntriesOnThisDisk_ >= kMax16 ||
           totalNumberOfCentralDirectoryEntries_ >= kMax16 || sizeOfCentralDirectory_ >= kMax32 ||
           offsetOfStartOfCentralDirectory_ >= kMax32;
}

std::string ZKCDTrailer::data() const {
    const bool zip64 = useZip64Extensions();
    const std::string comment = zk_fieldBytes(comment_);
    std::string out;
    if (zip64) {
        zk_appendLittleInt32(out, kZip64MagicNumber);
        zk_appendLittleInt64(out, kZip64RecordLength - 12); // size of the rest of the record
        zk_appendLittleInt16(out, kZip64VersionMadeBy);
        zk_appendLittleInt16(out, kZip64VersionNeeded);
        zk_appendLittleInt32(out, thisDiskNumber_);
        zk_appendLittleInt32(out, diskNumberWithStartOfCentralDirectory_);
        zk_appendLittleInt64(out, numberOfCentralDirectoryEntriesOnThisDisk_);
        zk_appendLittleInt64(out, totalNumberOfCentralDirectoryEntries_);
        zk_appendLittleInt64(out, sizeOfCentralDirectory_);
        zk_appendLittleInt64(out, offsetOfStartOfCentralDirectory_);

        zk_appendLittleInt32(out, kZip64LocatorMagicNumber);
        zk_appendLittleInt32(out, diskNumberWithStartOfCentralDirectory_);
        zk_appendLittleInt64(out, offsetOfStartOfCentralDirectory_ + sizeOfCentralDirectory_);
        zk_appendLittleInt32(out, 1); // total number of disks
    }
    const auto count16 = [zip64](std::uint64_t n) {
        return static_cast<std::uint16_t>(zip64 ? std::min(n, kMax16) : n);
    };
    const auto size32 = [zip64](std::uint64_t n) {
        return static_cast<std::uint32_t>(zip64 ? std::min(n, kMax32) : n);
    };
    zk_appendLittleInt32(out, kMagicNumber);
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(thisDiskNumber_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(diskNumberWithStartOfCentralDirectory_));
    zk_appendLittleInt16(out, count16(numberOfCentralDirectoryEntriesOnThisDisk_));
    zk_appendLittleInt16(out, count16(totalNumberOfCentralDirectoryEntries_));
    zk_appendLittleInt32(out, size32(sizeOfCentralDirectory_));
    zk_appendLittleInt32(out, size32(offsetOfStartOfCentralDirectory_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(comment.size()));
    out.append(comment);
    return out;
}

std::size_t ZKCDTrailer::length() const {
    return (useZip64Extensions() ? kZip64RecordLength + kZip64LocatorLength : 0) + kFixedLength +
           commentLength();
}

} // namespace zarvex
