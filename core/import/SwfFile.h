#pragma once

// The small part of the SWF format the system writes and reads: a one-frame
// movie that shows one JPEG bitmap filling the stage (the page files made by
// pdf2swf), the header's stage size (getswfSize), and the JPEG inside such a
// movie. All functions are pure and thread-safe.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvex::swf {

// A RECT in twips (1/20 pixel).
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The bit-packed RECT record: 5-bit field width, four signed fields, padded to
// a byte. The width is the smallest that holds every value with its sign.
std::string encodeRect(const Rect& rect);

// Reads a RECT from the start of `bytes`; `consumed` receives its byte length.
// Absent when `bytes` is too short.
std::optional<Rect> decodeRect(std::string_view bytes, std::size_t* consumed = nullptr);

struct Header {
    bool compressed = false; // "CWS" (zlib) rather than "FWS"
    int version = 0;
    std::uint32_t fileLength = 0; // uncompressed length, header included
    Rect frame;
    // Stage size in whole pixels: (max - min) / 20, rounded to the nearest pixel.
    int width() const;
    int height() const;
};

// Reads the header of an FWS or CWS file from its first bytes (a prefix is
// enough; a CWS body is only inflated as far as the RECT). Raises Error with a
// one-line reason for anything else: too short, wrong signature, LZMA ("ZWS"),
// a broken zlib stream.
Header readHeader(std::string_view bytes);

// readHeader() over a whole file that must also be complete: as long as its
// header says (for CWS, a zlib stream that ends) and with a stage of positive
// or zero size. Raises Error with a one-line reason otherwise.
Header readCompleteFile(std::string_view bytes);

// A complete SWF (version 8, one frame, white background, 24 fps) whose stage
// is widthPx x heightPx pixels and shows `jpeg` (a baseline JPEG of that size)
// scaled 1:1 over the whole stage. `compressed` selects CWS. Raises Error when
// the size is outside 1..32767 pixels.
std::string makeJpegPage(std::string_view jpeg, int widthPx, int heightPx, bool compressed);

// The JPEG stream of the first DefineBitsJPEG2 or DefineBitsJPEG3 tag of an FWS
// or CWS file (a leading FF D9 FF D8 marker pair removed); absent when the file
// is no such SWF or holds no JPEG.
std::optional<std::string> extractJpeg(std::string_view swfBytes);

} // namespace zarvex::swf
