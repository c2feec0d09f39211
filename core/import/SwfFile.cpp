#include "import/SwfFile.h"

#include "base/Error.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace zarvex::swf {

namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kMaxRectBytes = 17;
// Bodies above this are refused rather than inflated (a garbled length field
// must not make us allocate gigabytes).
constexpr std::uint32_t kMaxBodyBytes = 256u << 20;
constexpr int kMaxStagePixels = 32767;
// A straight edge holds at most 17-bit signed deltas.
constexpr std::int32_t kMaxEdgeDelta = 65535;

enum TagCode : int {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    SetBackgroundColor = 9,
    DefineBitsJPEG2 = 21,
    PlaceObject2 = 26,
    DefineBitsJPEG3 = 35,
    FileAttributes = 69,
};

// Bits needed for `v` as a signed field (sign bit included); 0 needs none.
int signedBits(std::int64_t v) {
    if (v == 0)
        return 0;
    auto magnitude = static_cast<std::uint64_t>(v >= 0 ? v : ~v);
    return static_cast<int>(std::bit_width(magnitude)) + 1;
}

// MSB-first bit packing as SWF bit records use it.
class BitWriter {
public:
    void ub(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i)
            bit((value >> i) & 1u);
    }
    void sb(std::int32_t value, int bits) { ub(static_cast<std::uint32_t>(value), bits); }
    // Pads the current byte with zero bits.
    void align() {
        if (used_ != 0) {
            bytes_.push_back(static_cast<char>(current_ << (8 - used_)));
            current_ = 0;
            used_ = 0;
        }
    }
    void bytes(std::string_view b) {
        align();
        bytes_.append(b);
    }
    void u8(std::uint8_t v) { bytes(std::string(1, static_cast<char>(v))); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v & 0xff));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v & 0xffff));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    std::string take() {
        align();
        return std::move(bytes_);
    }

private:
    void bit(std::uint32_t b) {
        current_ = static_cast<std::uint8_t>((current_ << 1) | b);
        if (++used_ == 8) {
            bytes_.push_back(static_cast<char>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    std::string bytes_;
    std::uint8_t current_ = 0;
    int used_ = 0;
};

class BitReader {
public:
    explicit BitReader(std::string_view data) : data_(data) {}
    // Absent when the data ends first.
    std::optional<std::uint32_t> ub(int bits) {
        std::uint32_t v = 0;
        for (int i = 0; i < bits; ++i) {
            std::size_t byte = pos_ / 8;
            if (byte >= data_.size())
                return std::nullopt;
            auto b = (static_cast<std::uint8_t>(data_[byte]) >> (7 - pos_ % 8)) & 1u;
            v = (v << 1) | b;
            ++pos_;
        }
        return v;
    }
    std::optional<std::int32_t> sb(int bits) {
        auto v = ub(bits);
        if (!v)
            return std::nullopt;
        if (bits > 0 && bits < 32 && (*v >> (bits - 1)) & 1u)
            *v |= ~((1u << bits) - 1); // sign extension
        return static_cast<std::int32_t>(*v);
    }
    std::size_t bytesUsed() const { return (pos_ + 7) / 8; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

std::uint16_t readU16(std::string_view d, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(d[at]) |
                                      (static_cast<std::uint8_t>(d[at + 1]) << 8));
}

std::uint32_t readU32(std::string_view d, std::size_t at) {
    return static_cast<std::uint32_t>(readU16(d, at)) |
           (static_cast<std::uint32_t>(readU16(d, at + 2)) << 16);
}

void tag(BitWriter& w, int code, std::string_view body, bool forceLong = false) {
    if (body.size() < 0x3f && !forceLong) {
        w.u16(static_cast<std::uint16_t>((code << 6) | static_cast<int>(body.size())));
    } else {
        w.u16(static_cast<std::uint16_t>((code << 6) | 0x3f));
        w.u32(static_cast<std::uint32_t>(body.size()));
    }
    w.bytes(body);
}

// One straight edge per at most kMaxEdgeDelta twips; vertical or horizontal.
void straightEdges(BitWriter& w, std::int32_t dx, std::int32_t dy) {
    while (dx != 0 || dy != 0) {
        std::int32_t sx = std::clamp(dx, -kMaxEdgeDelta, kMaxEdgeDelta);
        std::int32_t sy = std::clamp(dy, -kMaxEdgeDelta, kMaxEdgeDelta);
        bool vertical = sx == 0;
        std::int32_t delta = vertical ? sy : sx;
        int bits = std::max(signedBits(delta), 2);
        w.ub(1, 1); // edge record
        w.ub(1, 1); // straight
        w.ub(static_cast<std::uint32_t>(bits - 2), 4);
        w.ub(0, 1); // not a general line
        w.ub(vertical ? 1 : 0, 1);
        w.sb(delta, bits);
        dx -= sx;
        dy -= sy;
        if (!vertical && sy != 0) // never happens for axis-aligned rectangles
            throw Error("diagonal edge");
    }
}

// The 20x scale that shows one bitmap pixel per stage pixel.
void pixelMatrix(BitWriter& w) {
    constexpr std::int32_t scale = 20 << 16;
    const int bits = signedBits(scale);
    w.ub(1, 1);
    w.ub(static_cast<std::uint32_t>(bits), 5);
    w.sb(scale, bits);
    w.sb(scale, bits);
    w.ub(0, 1); // no rotation
    w.ub(0, 5); // no translation
    w.align();
}

std::string deflateBody(std::string_view body) {
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(body.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw Error("cannot compress the SWF body");
    out.resize(size);
    return out;
}

class Inflater {
public:
    Inflater() {
        if (inflateInit(&z_) != Z_OK)
            throw Error("cannot start zlib");
    }
    ~Inflater() { inflateEnd(&z_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates `in` until `limit` bytes are out or the stream ends; `complete`
    // tells whether the zlib stream ended properly.
    std::string run(std::string_view in, std::size_t limit, bool& complete) {
        std::string out;
        complete = false;
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z_.avail_in = static_cast<uInt>(in.size());
        char buffer[16384];
        while (out.size() < limit) {
            z_.next_out = reinterpret_cast<Bytef*>(buffer);
            z_.avail_out = static_cast<uInt>(std::min(sizeof buffer, limit - out.size()));
            int rc = inflate(&z_, Z_NO_FLUSH);
            out.append(buffer,
                       static_cast<std::size_t>(reinterpret_cast<char*>(z_.next_out) - buffer));
            if (rc == Z_STREAM_END) {
                complete = true;
                break;
            }
            if (rc == Z_BUF_ERROR && z_.avail_in == 0)
                break; // input ended early
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                throw Error(std::string("broken zlib stream in the SWF: ") +
                            (z_.msg ? z_.msg : "unknown error"));
        }
        return out;
    }

private:
    z_stream z_{};
};

struct Body {
    Header header;
    std::string bytes; // everything after the 8-byte header, uncompressed
    bool complete = false;
};

Header parseSignature(std::string_view bytes) {
    if (bytes.size() < kHeaderBytes)
        throw Error("not an SWF file: shorter than its header");
    if (bytes[1] != 'W' || bytes[2] != 'S' ||
        (bytes[0] != 'F' && bytes[0] != 'C' && bytes[0] != 'Z'))
        throw Error("not an SWF file: wrong signature");
    if (bytes[0] == 'Z')
        throw Error("LZMA-compressed SWF files (ZWS) are not supported");
    Header h;
    h.compressed = bytes[0] == 'C';
    h.version = static_cast<std::uint8_t>(bytes[3]);
    h.fileLength = readU32(bytes, 4);
    return h;
}

// The uncompressed body, at most `limit` bytes of it.
Body readBody(std::string_view bytes, std::size_t limit) {
    Body b;
    b.header = parseSignature(bytes);
    std::string_view rest = bytes.substr(kHeaderBytes);
    if (b.header.compressed) {
        Inflater z;
        b.bytes = z.run(rest, limit, b.complete);
    } else {
        b.bytes = std::string(rest.substr(0, std::min(rest.size(), limit)));
        b.complete = true;
    }
    auto rect = decodeRect(b.bytes);
    if (!rect)
        throw Error("truncated SWF file: the stage size is missing");
    b.header.frame = *rect;
    return b;
}

int twipsToPixels(std::int64_t twips) {
    return static_cast<int>((twips + 10) / 20);
}

} // namespace

std::string encodeRect(const Rect& rect) {
    int bits = std::max({signedBits(rect.xMin), signedBits(rect.xMax), signedBits(rect.yMin),
                         signedBits(rect.yMax)});
    BitWriter w;
    w.ub(static_cast<std::uint32_t>(bits), 5);
    w.sb(rect.xMin, bits);
    w.sb(rect.xMax, bits);
    w.sb(rect.yMin, bits);
    w.sb(rect.yMax, bits);
    return w.take();
}

std::optional<Rect> decodeRect(std::string_view bytes, std::size_t* consumed) {
    BitReader r(bytes);
    auto bits = r.ub(5);
    if (!bits)
        return std::nullopt;
    int n = static_cast<int>(*bits);
    auto x0 = r.sb(n), x1 = r.sb(n), y0 = r.sb(n), y1 = r.sb(n);
    if (!x0 || !x1 || !y0 || !y1)
        return std::nullopt;
    if (consumed)
        *consumed = r.bytesUsed();
    return Rect{*x0, *x1, *y0, *y1};
}

int Header::width() const {
    return twipsToPixels(static_cast<std::int64_t>(frame.xMax) - frame.xMin);
}

int Header::height() const {
    return twipsToPixels(static_cast<std::int64_t>(frame.yMax) - frame.yMin);
}

Header readHeader(std::string_view bytes) {
    return readBody(bytes, kMaxRectBytes).header;
}

Header readCompleteFile(std::string_view bytes) {
    Header h = parseSignature(bytes);
    if (h.fileLength < kHeaderBytes + 1 || h.fileLength - kHeaderBytes > kMaxBodyBytes)
        throw Error("broken SWF file: impossible length " + std::to_string(h.fileLength));
    const std::size_t expected = h.fileLength - kHeaderBytes;
    Body b = readBody(bytes, expected + 1);
    if (b.bytes.size() < expected || (h.compressed && !b.complete))
        throw Error("truncated SWF file: " + std::to_string(b.bytes.size() + kHeaderBytes) +
                    " of " + std::to_string(h.fileLength) + " bytes");
    if (b.header.frame.xMax < b.header.frame.xMin || b.header.frame.yMax < b.header.frame.yMin)
        throw Error("broken SWF file: negative stage size");
    return b.header;
}

std::string makeJpegPage(std::string_view jpeg, int widthPx, int heightPx, bool compressed) {
    if (widthPx < 1 || heightPx < 1 || widthPx > kMaxStagePixels || heightPx > kMaxStagePixels)
        throw Error("SWF stage size " + std::to_string(widthPx) + "x" + std::to_string(heightPx) +
                    " outside 1.." + std::to_string(kMaxStagePixels));
    const std::int32_t w = widthPx * 20, h = heightPx * 20;
    const Rect stage{0, w, 0, h};
    constexpr std::uint16_t bitmapId = 1, shapeId = 2;

    // The header's 8 bytes are reserved first and filled in at the end, so the
    // JPEG (the bulk of the file) is copied once.
    BitWriter body;
    body.bytes(std::string(kHeaderBytes, '\0'));
    body.bytes(encodeRect(stage));
    body.u16(24 << 8); // 24 frames per second, 8.8 fixed
    body.u16(1);       // one frame

    tag(body, FileAttributes, std::string(4, '\0'));
    tag(body, SetBackgroundColor, "\xff\xff\xff");

    // Always the long header form: old players misread short DefineBits* tags.
    body.u16(static_cast<std::uint16_t>((DefineBitsJPEG2 << 6) | 0x3f));
    body.u32(static_cast<std::uint32_t>(2 + jpeg.size()));
    body.u16(bitmapId);
    body.bytes(jpeg);

    BitWriter shape;
    shape.u16(shapeId);
    shape.bytes(encodeRect(stage));
    shape.u8(1);    // one fill style
    shape.u8(0x41); // clipped, smoothed bitmap
    shape.u16(bitmapId);
    pixelMatrix(shape);
    shape.u8(0);    // no line styles
    shape.ub(1, 4); // fill index bits
    shape.ub(0, 4); // line index bits
    // Move to (0,0) with fill style 1 on the right of a clockwise (y-down) path.
    shape.ub(0, 1);
    shape.ub(0b00101, 5);
    shape.ub(1, 5); // move bits
    shape.sb(0, 1);
    shape.sb(0, 1);
    shape.ub(1, 1); // FillStyle1 = 1
    straightEdges(shape, w, 0);
    straightEdges(shape, 0, h);
    straightEdges(shape, -w, 0);
    straightEdges(shape, 0, -h);
    shape.ub(0, 6); // end of shape
    tag(body, DefineShape, shape.take());

    BitWriter place;
    place.u8(0x02); // HasCharacter
    place.u16(1);   // depth
    place.u16(shapeId);
    tag(body, PlaceObject2, place.take());
    tag(body, ShowFrame, {});
    tag(body, End, {});

    std::string file = body.take();
    const auto length = static_cast<std::uint32_t>(file.size());
    BitWriter header;
    header.bytes(compressed ? "CWS" : "FWS");
    header.u8(8);
    header.u32(length); // the uncompressed length, also for CWS
    file.replace(0, kHeaderBytes, header.take());
    if (compressed)
        file =
            file.substr(0, kHeaderBytes) + deflateBody(std::string_view(file).substr(kHeaderBytes));
    return file;
}

std::optional<std::string> extractJpeg(std::string_view swfBytes) {
    try {
        Header h = parseSignature(swfBytes);
        std::size_t limit = std::min<std::size_t>(
            h.fileLength > kHeaderBytes ? h.fileLength - kHeaderBytes : 0, kMaxBodyBytes);
        Body b = readBody(swfBytes, limit);
        std::string_view d = b.bytes;
        std::size_t rectBytes = 0;
        decodeRect(d, &rectBytes);
        std::size_t at = rectBytes + 4;
        while (at + 2 <= d.size()) {
            std::uint16_t code_len = readU16(d, at);
            at += 2;
            int code = code_len >> 6;
            std::size_t len = code_len & 0x3f;
            if (len == 0x3f) {
                if (at + 4 > d.size())
                    return std::nullopt;
                len = readU32(d, at);
                at += 4;
            }
            if (len > d.size() - at)
                return std::nullopt;
            std::string_view tagBody = d.substr(at, len);
            at += len;
            std::string_view image;
            if (code == End)
                return std::nullopt;
            if (code == DefineBitsJPEG2 && len >= 2) {
                image = tagBody.substr(2);
            } else if (code == DefineBitsJPEG3 && len >= 6) {
                std::uint32_t alphaOffset = readU32(tagBody, 2);
                if (alphaOffset > len - 6)
                    return std::nullopt;
                image = tagBody.substr(6, alphaOffset);
            } else {
                continue;
            }
            if (image.starts_with(std::string_view("\xff\xd9\xff\xd8", 4)))
                image.remove_prefix(4);
            return std::string(image);
        }
        return std::nullopt;
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace zarvex::swf
