#include "archive/ZKCDHeader.h"

#include "archive/ZKDataUtil.h"

#include <algorithm>

namespace zarvex {

namespace {
constexpr std::uint64_t kZip64Limit = 0xFFFFFFFF;
constexpr std::uint16_t kZip64ExtraID = 0x0001;
} // namespace

ZKCDHeader::ZKCDHeader() : lastModDate_(std::chrono::system_clock::now()) {}

void ZKCDHeader::changed() {
    cachedData_.reset();
}

void ZKCDHeader::updateVersionNeeded() {
    versionNeededToExtract_ = useZip64Extensions() ? 45 : 20;
    changed();
}

void ZKCDHeader::setVersionMadeBy(std::uint32_t version) {
    versionMadeBy_ = version;
    changed();
}

void ZKCDHeader::setVersionNeededToExtract(std::uint32_t version) {
    versionNeededToExtract_ = useZip64Extensions() ? std::max<std::uint32_t>(version, 45) : version;
    changed();
}

void ZKCDHeader::setGeneralPurposeBitFlag(std::uint32_t flag) {
    generalPurposeBitFlag_ = flag;
    changed();
}

void ZKCDHeader::setCompressionMethod(std::uint32_t method) {
    compressionMethod_ = method;
    changed();
}

void ZKCDHeader::setLastModDate(std::chrono::system_clock::time_point date) {
    lastModDate_ = date;
    changed();
}

void ZKCDHeader::setCrc(std::uint32_t crc) {
    crc_ = crc;
    changed();
}

void ZKCDHeader::setCompressedSize(std::uint64_t size) {
    compressedSize_ = size;
    updateVersionNeeded();
}

void ZKCDHeader::setUncompressedSize(std::uint64_t size) {
    uncompressedSize_ = size;
    updateVersionNeeded();
}

void ZKCDHeader::setLocalHeaderOffset(std::uint64_t offset) {
    localHeaderOffset_ = offset;
    updateVersionNeeded();
}

void ZKCDHeader::setDiskNumberStart(std::uint32_t disk) {
    diskNumberStart_ = disk;
    changed();
}

void ZKCDHeader::setInternalFileAttributes(std::uint32_t attributes) {
    internalFileAttributes_ = attributes;
    changed();
}

void ZKCDHeader::setExternalFileAttributes(std::uint32_t attributes) {
    externalFileAttributes_ = attributes;
    changed();
}

void ZKCDHeader::setFilename(std::string_view filename) {
    filename_ = filename;
    changed();
}

void ZKCDHeader::setExtraField(std::string_view extra) {
    customExtraField_ = extra;
    changed();
}

void ZKCDHeader::setComment(std::string_view comment) {
    comment_ = comment;
    changed();
}

bool ZKCDHeader::useZip64Extensions() const {
    return compressedSize_ >= kZip64Limit || uncompressedSize_ >= kZip64Limit ||
           localHeaderOffset_ >= kZip64Limit;
}

std::uint32_t ZKCDHeader::filenameLength() const {
    return static_cast<std::uint32_t>(zk_fieldBytes(filename_).size());
}

std::string ZKCDHeader::extraField() const {
    std::string extra;
    if (useZip64Extensions()) {
        zk_appendLittleInt16(extra, kZip64ExtraID);
        zk_appendLittleInt16(extra, 24);
        zk_appendLittleInt64(extra, uncompressedSize_);
        zk_appendLittleInt64(extra, compressedSize_);
        zk_appendLittleInt64(extra, localHeaderOffset_);
    }
    extra.append(customExtraField_);
    return extra;
}

std::uint32_t ZKCDHeader::extraFieldLength() const {
    return static_cast<std::uint32_t>(extraField().size());
}

std::uint32_t ZKCDHeader::commentLength() const {
    return static_cast<std::uint32_t>(zk_fieldBytes(comment_).size());
}

std::string ZKCDHeader::data() const {
    if (cachedData_ && cachedData_->size() >= kFixedLength) {
        return *cachedData_;
    }
    const bool zip64 = useZip64Extensions();
    const std::string name = zk_fieldBytes(filename_);
    const std::string extra = extraField();
    const std::string comment = zk_fieldBytes(comment_);
    std::string out;
    out.reserve(kFixedLength + name.size() + extra.size() + comment.size());
    zk_appendLittleInt32(out, kMagicNumber);
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(versionMadeBy_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(versionNeededToExtract_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(generalPurposeBitFlag_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(compressionMethod_));
    zk_appendLittleInt32(out, zk_dosDate(lastModDate_));
    zk_appendLittleInt32(out, crc_);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(compressedSize_));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(uncompressedSize_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(name.size()));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(extra.size()));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(comment.size()));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(diskNumberStart_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(internalFileAttributes_));
    zk_appendLittleInt32(out, externalFileAttributes_);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(localHeaderOffset_));
    out.append(name);
    out.append(extra);
    out.append(comment);
    cachedData_ = out;
    return out;
}

std::size_t ZKCDHeader::length() const {
    return kFixedLength + filenameLength() + extraFieldLength() + commentLength();
}

} // namespace zarvex
