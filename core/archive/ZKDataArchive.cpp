#include "archive/ZKDataArchive.h"

#include "archive/ZKDataUtil.h"
#include "archive/ZKLFHeader.h"

#include <algorithm>

namespace zarvex {

namespace {

// General purpose bit 11: name and comment are UTF-8.
constexpr std::uint32_t kLanguageEncodingFlag = 0x0800;

std::uint32_t externalAttributes(const ZKFileAttributes& attributes) {
    std::uint32_t type = 0x80004000;
    switch (attributes.fileType) {
    case ZKFileType::Directory:
        type = 0x40004000;
        break;
    case ZKFileType::SymbolicLink:
        type = 0xA0004000;
        break;
    case ZKFileType::Regular:
    case ZKFileType::Other:
        break;
    }
    return ((attributes.filePosixPermissions & 07777) << 16) | type;
}

} // namespace

int ZKDataArchive::deflateData(std::string_view bytes, std::string_view filename,
                               const std::optional<ZKFileAttributes>& attributes) {
    const auto name = zk_precomposedUTF8(filename);
    if (filename.empty() || !name || name->size() > 0xFFFF) {
        return -1;
    }
    auto deflated = zk_deflate(bytes);
    if (!deflated) {
        return -1;
    }

    const std::uint64_t offset = cdTrailer_.offsetOfStartOfCentralDirectory();

    ZKLFHeader lfHeader;
    // Readers take names without this flag as code page 437; ASCII names, the
    // same in both, keep the flag word 0.
    if (std::any_of(name->begin(), name->end(), [](char c) { return (c & 0x80) != 0; })) {
        lfHeader.setGeneralPurposeBitFlag(kLanguageEncodingFlag);
    }
    lfHeader.setUncompressedSize(bytes.size());
    lfHeader.setFilename(filename);
    lfHeader.setCrc(zk_crc32(bytes));
    lfHeader.setCompressedSize(deflated->size());

    ZKCDHeader cdHeader;
    cdHeader.setUncompressedSize(lfHeader.uncompressedSize());
    cdHeader.setCrc(lfHeader.crc());
    cdHeader.setCompressedSize(lfHeader.compressedSize());
    cdHeader.setFilename(lfHeader.filename());
    cdHeader.setLocalHeaderOffset(offset);
    cdHeader.setCompressionMethod(lfHeader.compressionMethod());
    cdHeader.setGeneralPurposeBitFlag(lfHeader.generalPurposeBitFlag());
    cdHeader.setVersionNeededToExtract(lfHeader.versionNeededToExtract());

    if (attributes) {
        if (attributes->fileModificationDate) {
            lfHeader.setLastModDate(*attributes->fileModificationDate);
            cdHeader.setLastModDate(*attributes->fileModificationDate);
        }
        cdHeader.setExternalFileAttributes(externalAttributes(*attributes));
    }

    // Everything that can fail is done; from here on the archive changes.
    data_.resize(static_cast<std::size_t>(offset));
    centralDirectory_.push_back(cdHeader);
    cdTrailer_.setNumberOfCentralDirectoryEntriesOnThisDisk(
        cdTrailer_.numberOfCentralDirectoryEntriesOnThisDisk() + 1);
    cdTrailer_.setTotalNumberOfCentralDirectoryEntries(
        cdTrailer_.totalNumberOfCentralDirectoryEntries() + 1);
    cdTrailer_.setSizeOfCentralDirectory(cdTrailer_.sizeOfCentralDirectory() + cdHeader.length());

    data_.append(lfHeader.data());
    data_.append(*deflated);
    deflated.reset();
    cdTrailer_.setOffsetOfStartOfCentralDirectory(data_.size());
    for (const auto& header : centralDirectory_) {
        data_.append(header.data());
    }
    data_.append(cdTrailer_.data());
    return 1;
}

} // namespace zarvex
