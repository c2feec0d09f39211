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

// The same encoding fed a band of rows at a time, for pictures too large to
// hold whole: only the compressed bytes grow with the picture. One encoder
// makes one picture.
class JpegBandEncoder {
public:
    // `quality` as for JpegEncoder. Raises Error when the library fails.
    JpegBandEncoder(int width, int height, int quality);
    ~JpegBandEncoder();
    JpegBandEncoder(const JpegBandEncoder&) = delete;
    JpegBandEncoder& operator=(const JpegBandEncoder&) = delete;

    // The next `rows` rows of RGB pixels, rows `stride` bytes apart.
    void write(const std::uint8_t* rgb, int rows, int stride);
    // The complete JPEG, once every row was written.
    std::string finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zarvex
