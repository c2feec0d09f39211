#include "archive/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace zarvex {

namespace {

constexpr std::uint32_t kLocalMagic = 0x04034B50;
constexpr std::uint32_t kCentralMagic = 0x02014B50;
constexpr std::uint32_t kEndMagic = 0x06054B50;
constexpr std::uint32_t kZip64EndMagic = 0x06064B50;
constexpr std::uint32_t kZip64LocatorMagic = 0x07064B50;
constexpr std::size_t kEndLength = 22;
constexpr std::size_t kLocatorLength = 20;
constexpr std::size_t kZip64EndLength = 56;

// Bounds-checked little-endian reads over the archive.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    template <typename T> T read(std::uint64_t offset) const {
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(static_cast<unsigned char>(bytes_[offset + i])) << (8 * i);
        }
        return value;
    }
    std::string_view slice(std::uint64_t offset, std::uint64_t length) const {
        return bytes_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string_view bytes_;
};

// Owns a raw-inflate stream from a successful inflateInit2 to inflateEnd.
class InflateStream {
public:
    InflateStream() = default;
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() {
        if (ready_) {
            inflateEnd(&stream_);
        }
    }
    bool init() {
        ready_ = inflateInit2(&stream_, -15) == Z_OK;
        return ready_;
    }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

std::optional<std::string> inflateRaw(std::string_view input, std::uint64_t expected) {
    InflateStream inflater;
    if (!inflater.init() || input.size() > std::numeric_limits<uInt>::max() ||
        expected > std::numeric_limits<uInt>::max()) {
        return std::nullopt;
    }
    z_stream& zs = inflater.stream();
    // One spare byte shows output beyond the declared size.
    std::string out(static_cast<std::size_t>(expected) + 1, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    zs.avail_in = static_cast<uInt>(input.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    if (rc != Z_STREAM_END || zs.total_out != expected) {
        return std::nullopt;
    }
    out.resize(static_cast<std::size_t>(expected));
    return out;
}

struct Sizes {
    std::uint64_t uncompressed;
    std::uint64_t compressed;
    std::uint64_t offset;
};

// Replaces the saturated fields of `sizes` from a ZIP64 extra field, in the
// order the format gives them; false when the field is missing or short.
bool applyZip64(std::string_view extra, Sizes& sizes) {
    const Cursor cursor(extra);
    std::uint64_t at = 0;
    while (cursor.has(at, 4)) {
        const auto id = cursor.read<std::uint16_t>(at);
        const auto length = cursor.read<std::uint16_t>(at + 2);
        if (!cursor.has(at + 4, length)) {
            return false;
        }
        if (id == 0x0001) {
            std::uint64_t field = at + 4;
            const std::uint64_t end = field + length;
            for (std::uint64_t* value : {&sizes.uncompressed, &sizes.compressed, &sizes.offset}) {
                if (*value != 0xFFFFFFFF) {
                    continue;
                }
                if (field + 8 > end) {
                    return false;
                }
                *value = cursor.read<std::uint64_t>(field);
                field += 8;
            }
            return true;
        }
        at += 4 + length;
    }
    return sizes.uncompressed != 0xFFFFFFFF && sizes.compressed != 0xFFFFFFFF &&
           sizes.offset != 0xFFFFFFFF;
}

std::optional<std::vector<ZipEntry>> fail(std::string* why, std::string reason) {
    if (why != nullptr) {
        *why = std::move(reason);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<ZipEntry>> readZipEntries(std::string_view archive, std::string* why,
                                                    std::size_t maxEntrySize) {
    const Cursor zip(archive);
    if (zip.size() < kEndLength) {
        return fail(why, "too short for a ZIP archive");
    }
    // The end record sits at the end, followed only by its comment.
    std::optional<std::uint64_t> end;
    const std::size_t lowest =
        zip.size() >= kEndLength + 0xFFFF ? zip.size() - kEndLength - 0xFFFF : 0;
    for (std::size_t at = zip.size() - kEndLength + 1; at-- > lowest;) {
        if (zip.read<std::uint32_t>(at) == kEndMagic &&
            at + kEndLength + zip.read<std::uint16_t>(at + 20) == zip.size()) {
            end = at;
            break;
        }
    }
    if (!end) {
        return fail(why, "no end of central directory record");
    }
    std::uint64_t count = zip.read<std::uint16_t>(*end + 10);
    std::uint64_t cdSize = zip.read<std::uint32_t>(*end + 12);
    std::uint64_t cdOffset = zip.read<std::uint32_t>(*end + 16);
    if (zip.read<std::uint16_t>(*end + 4) != 0 || zip.read<std::uint16_t>(*end + 6) != 0 ||
        zip.read<std::uint16_t>(*end + 8) != count) {
        return fail(why, "multi-disk archives are not supported");
    }
    if (count == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF) {
        if (*end < kLocatorLength ||
            zip.read<std::uint32_t>(*end - kLocatorLength) != kZip64LocatorMagic) {
            return fail(why, "ZIP64 end of central directory locator missing");
        }
        const auto recordAt = zip.read<std::uint64_t>(*end - kLocatorLength + 8);
        if (!zip.has(recordAt, kZip64EndLength) ||
            zip.read<std::uint32_t>(recordAt) != kZip64EndMagic) {
            return fail(why, "ZIP64 end of central directory record missing");
        }
        count = zip.read<std::uint64_t>(recordAt + 32);
        cdSize = zip.read<std::uint64_t>(recordAt + 40);
        cdOffset = zip.read<std::uint64_t>(recordAt + 48);
    }
    if (!zip.has(cdOffset, cdSize)) {
        return fail(why, "central directory outside the archive");
    }

    std::vector<ZipEntry> entries;
    std::uint64_t at = cdOffset;
    const std::uint64_t cdEnd = cdOffset + cdSize;
    for (std::uint64_t n = 0; n < count; ++n) {
        if (at + 46 > cdEnd || zip.read<std::uint32_t>(at) != kCentralMagic) {
            return fail(why, "bad central directory header " + std::to_string(n));
        }
        const auto flags = zip.read<std::uint16_t>(at + 8);
        const auto method = zip.read<std::uint16_t>(at + 10);
        const auto crc = zip.read<std::uint32_t>(at + 16);
        Sizes sizes{zip.read<std::uint32_t>(at + 24), zip.read<std::uint32_t>(at + 20),
                    zip.read<std::uint32_t>(at + 42)};
        const std::uint64_t nameLength = zip.read<std::uint16_t>(at + 28);
        const std::uint64_t extraLength = zip.read<std::uint16_t>(at + 30);
        const std::uint64_t commentLength = zip.read<std::uint16_t>(at + 32);
        const std::uint64_t recordLength = 46 + nameLength + extraLength + commentLength;
        if (at + recordLength > cdEnd) {
            return fail(why,
                        "central directory header " + std::to_string(n) + " runs past its end");
        }
        ZipEntry entry;
        entry.filename = std::string(zip.slice(at + 46, nameLength));
        entry.crc = crc;
        entry.compressionMethod = method;
        if (!applyZip64(zip.slice(at + 46 + nameLength, extraLength), sizes)) {
            return fail(why, "bad ZIP64 extra field for " + entry.filename);
        }
        at += recordLength;

        if ((flags & 1) != 0) {
            return fail(why, entry.filename + " is encrypted");
        }
        if (sizes.uncompressed > maxEntrySize) {
            return fail(why, entry.filename + " is larger than the allowed size");
        }
        if (!zip.has(sizes.offset, 30) || zip.read<std::uint32_t>(sizes.offset) != kLocalMagic) {
            return fail(why, "bad local header for " + entry.filename);
        }
        const std::uint64_t dataAt = sizes.offset + 30 +
                                     zip.read<std::uint16_t>(sizes.offset + 26) +
                                     zip.read<std::uint16_t>(sizes.offset + 28);
        if (!zip.has(dataAt, sizes.compressed)) {
            return fail(why, "data of " + entry.filename + " outside the archive");
        }
        const std::string_view stored = zip.slice(dataAt, sizes.compressed);
        if (method == 0) {
            if (sizes.compressed != sizes.uncompressed) {
                return fail(why, "size mismatch in stored entry " + entry.filename);
            }
            entry.data = std::string(stored);
        } else if (method == 8) {
            auto inflated = inflateRaw(stored, sizes.uncompressed);
            if (!inflated) {
                return fail(why, "cannot inflate " + entry.filename);
            }
            entry.data = std::move(*inflated);
        } else {
            return fail(why, entry.filename + " uses compression method " + std::to_string(method));
        }
        const auto actual = static_cast<std::uint32_t>(
            crc32_z(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(entry.data.data()),
                    entry.data.size()));
        if (actual != crc) {
            return fail(why, "CRC mismatch in " + entry.filename);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace zarvex
