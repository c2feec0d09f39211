#include "import/JpegEncoder.h"

#include "base/Error.h"

#include <turbojpeg.h>

#include <algorithm>

namespace zarvex {

struct JpegEncoder::Handle {
    tjhandle tj = nullptr;
    Handle() : tj(tjInitCompress()) {
        if (!tj)
            throw Error(std::string("cannot start the JPEG encoder: ") + tjGetErrorStr2(nullptr));
    }
    ~Handle() { tjDestroy(tj); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

namespace {

struct TjBuffer {
    unsigned char* data = nullptr;
    TjBuffer() = default;
    ~TjBuffer() { tjFree(data); }
    TjBuffer(const TjBuffer&) = delete;
    TjBuffer& operator=(const TjBuffer&) = delete;
};

} // namespace

JpegEncoder::JpegEncoder() : handle_(std::make_unique<Handle>()) {}
JpegEncoder::~JpegEncoder() = default;
JpegEncoder::JpegEncoder(JpegEncoder&&) noexcept = default;
JpegEncoder& JpegEncoder::operator=(JpegEncoder&&) noexcept = default;

std::string JpegEncoder::encode(const std::uint8_t* rgb, int width, int height, int stride,
                                int quality) {
    if (!handle_)
        throw Error("JPEG encoder used after move");
    if (width <= 0 || height <= 0 || stride < width * 3)
        throw Error("invalid image for JPEG encoding");
    quality = std::clamp(quality, 1, 100);
    // Full colour resolution at the top qualities, where text edges would show
    // the chroma halving.
    int subsampling = quality >= 90 ? TJSAMP_444 : TJSAMP_420;
    TjBuffer out;
    unsigned long size = 0;
    if (tjCompress2(handle_->tj, rgb, width, stride, height, TJPF_RGB, &out.data, &size,
                    subsampling, quality, 0) != 0)
        throw Error(std::string("JPEG encoding failed: ") + tjGetErrorStr2(handle_->tj));
    return std::string(reinterpret_cast<const char*>(out.data), size);
}

} // namespace zarvex
