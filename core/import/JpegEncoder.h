#pragma once

// Baseline JPEG encoding of 8-bit RGB pixels through TurboJPEG. One encoder is
// used by one thread at a time; keep it for many images (the handle is reused).

#include <cstdint>
#include <memory>
#include <string>

namespace zarvex {

class JpegEncoder {
public:
    JpegEncoder();
    ~JpegEncoder();
    JpegEncoder(JpegEncoder&&) noexcept;
    JpegEncoder& operator=(JpegEncoder&&) noexcept;
    JpegEncoder(const JpegEncoder&) = delete;
    JpegEncoder& operator=(const JpegEncoder&) = delete;

    // Encodes width x height RGB pixels whose rows start `stride` bytes apart.
    // `quality` is 1..100 (clamped). Raises Error when the library fails.
    std::string encode(const std::uint8_t* rgb, int width, int height, int stride, int quality);

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

} // namespace zarvex
