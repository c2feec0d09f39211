#include "archive/ZKLFHeader.h"

#include "archive/ZKDataUtil.h"

namespace zarvex {

namespace {
constexpr std::uint64_t kZip64Limit = 0xFFFFFFFF;
constexpr std::uint16_t kZip64ExtraID = 0x0001;
} // namespace

ZKLFHeader::ZKLFHeader() : lastModDate_(std::chrono::system_clock::now()) {}

void ZKLFHeader::setCompressedSize(std::uint64_t size) {
    compressedSize_ = size;
    updateVersionNeeded();
}

void ZKLFHeader::setUncompressedSize(std::uint64_t size) {
    uncompressedSize_ = size;
    updateVersionNeeded();
}

void ZKLFHeader::updateVersionNeeded() {
    versionNeededToExtract_ = useZip64Extensions() ? 45 : 20;
}

bool ZKLFHeader::useZip64Extensions() const {
    return compressedSize_ >= kZip64Limit || uncompressedSize_ >= kZip64Limit;
}

std::uint32_t ZKLFHeader::filenameLength() const {
    return static_cast<std::uint32_t>(zk_fieldBytes(filename_).size());
}

std::string ZKLFHeader::extraField() const {
    std::string extra;
    if (useZip64Extensions()) {
        zk_appendLittleInt16(extra, kZip64ExtraID);
        zk_appendLittleInt16(extra, 16);
        zk_appendLittleInt64(extra, uncompressedSize_);
        zk_appendLittleInt64(extra, compressedSize_);
    }
    extra.append(customExtraField_);
    return extra;
}

std::uint32_t ZKLFHeader::extraFieldLength() const {
    return static_cast<std::uint32_t>(extraField().size());
}

std::string ZKLFHeader::data() const {
    const bool zip64 = useZip64Extensions();
    const std::string name = zk_fieldBytes(filename_);
    const std::string extra = extraField();
    std::string out;
    out.reserve(kFixedLength + name.size() + extra.size());
    zk_appendLittleInt32(out, kMagicNumber);
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(versionNeededToExtract_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(generalPurposeBitFlag_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(compressionMethod_));
    zk_appendLittleInt32(out, zk_dosDate(lastModDate_));
    zk_appendLittleInt32(out, crc_);
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(compressedSize_));
    zk_appendLittleInt32(out, zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(uncompressedSize_));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(name.size()));
    zk_appendLittleInt16(out, static_cast<std::uint16_t>(extra.size()));
    out.append(name);
    out.append(extra);
    return out;
}

std::size_t ZKLFHeader::length() const {
    return kFixedLength + filenameLength() + extraFieldLength();
}

} // namespace zarvex
