#include "archive/ZKDataUtil.h"

#include <utf8proc.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>

namespace zarvex {

namespace {

template <typename T> void appendLittle(std::string& data, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        data.push_back(static_cast<char>(static_cast<unsigned char>(value >> (8 * i))));
    }
}

// Owns a zlib deflate stream from a successful deflateInit2 to deflateEnd.
class DeflateStream {
public:
    DeflateStream() = default;
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
    ~DeflateStream() {
        if (ready_) {
            deflateEnd(&stream_);
        }
    }

    bool init() {
        ready_ = deflateInit2(&stream_, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        return ready_;
    }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ready_ = false;
};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

constexpr std::size_t kDeflateStep = 16384;
// zlib counts in uInt; longer inputs are handed over in slices of this size.
constexpr std::size_t kMaxSlice = std::numeric_limits<uInt>::max();

} // namespace

void zk_appendLittleInt16(std::string& data, std::uint16_t value) {
    appendLittle(data, value);
}
void zk_appendLittleInt32(std::string& data, std::uint32_t value) {
    appendLittle(data, value);
}
void zk_appendLittleInt64(std::string& data, std::uint64_t value) {
    appendLittle(data, value);
}

std::optional<std::string> zk_precomposedUTF8(std::string_view text) {
    if (text.empty()) {
        return std::string{};
    }
    utf8proc_uint8_t* out = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &out,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    std::unique_ptr<utf8proc_uint8_t, FreeDeleter> owner(out);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(owner.get()),
                       static_cast<std::size_t>(length));
}

std::size_t zk_precomposedUTF8Length(std::string_view text) {
    const auto composed = zk_precomposedUTF8(text);
    return composed ? composed->size() : text.size();
}

void zk_appendPrecomposedUTF8String(std::string& data, std::string_view text) {
    if (const auto composed = zk_precomposedUTF8(text)) {
        data.append(*composed);
    } else {
        data.append(text);
    }
}

std::string zk_fieldBytes(std::string_view text) {
    constexpr std::size_t kMaxField = 0xFFFF;
    std::string bytes;
    zk_appendPrecomposedUTF8String(bytes, text);
    if (bytes.size() > kMaxField) {
        std::size_t cut = kMaxField;
        // Step back over continuation bytes so no character is split.
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        bytes.resize(cut);
    }
    return bytes;
}

std::optional<std::string> zk_deflate(std::string_view input) {
    DeflateStream deflater;
    if (!deflater.init()) {
        return std::nullopt;
    }
    z_stream& zs = deflater.stream();
    std::string output(kDeflateStep, '\0');
    std::size_t consumed = 0;
    std::size_t produced = 0;
    for (;;) {
        if (zs.avail_in == 0 && consumed < input.size()) {
            const std::size_t slice = std::min(kMaxSlice, input.size() - consumed);
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data() + consumed));
            zs.avail_in = static_cast<uInt>(slice);
            consumed += slice;
        }
        if (produced == output.size()) {
            output.resize(output.size() + kDeflateStep);
        }
        const std::size_t room = std::min(kMaxSlice, output.size() - produced);
        zs.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
        zs.avail_out = static_cast<uInt>(room);
        const int flush = consumed == input.size() ? Z_FINISH : Z_NO_FLUSH;
        const int rc = deflate(&zs, flush);
        produced += room - zs.avail_out;
        if (rc == Z_STREAM_END) {
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            return std::nullopt;
        }
    }
    output.resize(produced);
    return output;
}

std::uint32_t zk_crc32(std::string_view input) {
    uLong crc = crc32(0L, Z_NULL, 0);
    std::size_t offset = 0;
    while (offset < input.size()) {
        const std::size_t slice = std::min(kMaxSlice, input.size() - offset);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(input.data() + offset),
                    static_cast<uInt>(slice));
        offset += slice;
    }
    return static_cast<std::uint32_t>(crc);
}

std::uint32_t zk_dosDate(std::chrono::system_clock::time_point date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        local = std::tm{};
        local.tm_year = 80;
        local.tm_mday = 1;
    }
    int year = local.tm_year + 1900;
    int month = local.tm_mon + 1;
    int day = local.tm_mday;
    int hour = local.tm_hour;
    int minute = local.tm_min;
    int second = local.tm_sec;
    if (year < 1980) {
        year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    } else if (year > 2107) {
        year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
    }
    second = std::min(second, 59); // a leap second still fits the two-second grid
    const auto dateWord = static_cast<std::uint32_t>(((year - 1980) << 9) + (month << 5) + day);
    const auto timeWord = static_cast<std::uint32_t>((hour << 11) + (minute << 5) + second / 2);
    return (dateWord << 16) | timeWord;
}

} // namespace zarvex
