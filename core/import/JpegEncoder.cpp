#include "import/JpegEncoder.h"

#include "base/Error.h"
#include "import/TurboJpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace zarvex {

struct JpegEncoder::Handle {
    turbojpeg::Handle compressor{tjInitCompress()};
};

namespace {

bool fullColourResolution(int quality) {
    return quality >= 90;
}

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
    int subsampling = fullColourResolution(quality) ? TJSAMP_444 : TJSAMP_420;
    turbojpeg::Buffer out;
    unsigned long size = 0;
    if (tjCompress2(handle_->compressor.get(), rgb, width, stride, height, TJPF_RGB, &out.data,
                    &size, subsampling, quality, 0) != 0)
        throw Error(std::string("JPEG encoding failed: ") +
                    tjGetErrorStr2(handle_->compressor.get()));
    return std::string(reinterpret_cast<const char*>(out.data), size);
}

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the setjmp of the call that failed, where the message becomes
// an Error. Nothing with a destructor lives between the two.
struct JpegBandEncoder::State {
    struct ErrorManager {
        jpeg_error_mgr pub;
        std::jmp_buf back;
        char message[JMSG_LENGTH_MAX];
    };
    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    int quality = 0;
    int height = 0;
    int written = 0;

    static void fail(j_common_ptr common) {
        auto* manager = reinterpret_cast<ErrorManager*>(common->err);
        (*common->err->format_message)(common, manager->message);
        std::longjmp(manager->back, 1);
    }
    [[noreturn]] void raise() const {
        throw Error(std::string("JPEG encoding failed: ") + errors.message);
    }
    ~State() {
        jpeg_destroy_compress(&cinfo);
        std::free(out);
    }
};

JpegBandEncoder::JpegBandEncoder(int width, int height, int quality)
    : state_(std::make_unique<State>()) {
    if (width <= 0 || height <= 0)
        throw Error("invalid image for JPEG encoding");
    State& s = *state_;
    s.quality = std::clamp(quality, 1, 100); // kept in the state, out of setjmp's reach
    s.height = height;
    s.cinfo.err = jpeg_std_error(&s.errors.pub);
    s.errors.pub.error_exit = State::fail;
    if (setjmp(s.errors.back))
        s.raise();
    jpeg_create_compress(&s.cinfo);
    jpeg_mem_dest(&s.cinfo, &s.out, &s.outSize);
    s.cinfo.image_width = static_cast<JDIMENSION>(width);
    s.cinfo.image_height = static_cast<JDIMENSION>(height);
    s.cinfo.input_components = 3;
    s.cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.cinfo);
    jpeg_set_quality(&s.cinfo, s.quality, TRUE);
    // The sampling JpegEncoder chooses for the same quality.
    const int luma = fullColourResolution(s.quality) ? 1 : 2;
    s.cinfo.comp_info[0].h_samp_factor = luma;
    s.cinfo.comp_info[0].v_samp_factor = luma;
    for (int c = 1; c < 3; ++c) {
        s.cinfo.comp_info[c].h_samp_factor = 1;
        s.cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&s.cinfo, TRUE);
}

JpegBandEncoder::~JpegBandEncoder() = default;

void JpegBandEncoder::write(const std::uint8_t* rgb, int rows, int stride) {
    State& s = *state_;
    if (rows < 0 || s.written + rows > s.height)
        throw Error("more JPEG rows than the picture has");
    if (setjmp(s.errors.back))
        s.raise();
    for (int y = 0; y < rows; ++y) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(y) * stride);
        jpeg_write_scanlines(&s.cinfo, &row, 1);
    }
    s.written += rows;
}

std::string JpegBandEncoder::finish() {
    State& s = *state_;
    if (s.written != s.height)
        throw Error("JPEG picture finished before its last row");
    if (setjmp(s.errors.back))
        s.raise();
    jpeg_finish_compress(&s.cinfo);
    return std::string(reinterpret_cast<const char*>(s.out), s.outSize);
}

} // namespace zarvex
