#pragma once

// Smaller copies of an encoded JPEG page: thumbnails and the mobile image are
// made from the page's JPEG rather than drawn a second time. The JPEG is
// decoded at the smallest of the decoder's scales that still covers the
// wanted size (decoding at 1/8 costs a fraction of a full decode), then
// resampled to exactly that size by area averaging. One scaler is used by one
// thread at a time.
//
// Error policy: every operation raises zarvex::Error when the bytes are no
// JPEG the library reads, or when the library fails.

#include "import/JpegEncoder.h"

#include <memory>
#include <string>
#include <string_view>

namespace zarvex {

class JpegScaler {
public:
    struct Size {
        int width = 0;
        int height = 0;
        friend bool operator==(const Size&, const Size&) = default;
    };

    JpegScaler();
    ~JpegScaler();
    JpegScaler(const JpegScaler&) = delete;
    JpegScaler& operator=(const JpegScaler&) = delete;

    // The pixel size the JPEG's header gives.
    Size size(std::string_view jpeg);

    // The JPEG's picture at exactly `wanted` pixels (each side 1 or more),
    // encoded at `quality` 1..100. A JPEG that is already that size comes back
    // unchanged; one at most a pixel wider or taller (the main page rounds its
    // size where the mobile image cuts it) loses that edge without being decoded.
    std::string scaled(std::string_view jpeg, Size wanted, int quality);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    JpegEncoder encoder_;
};

} // namespace zarvex
