#pragma once

#include <turbojpeg.h>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvex::test {

// A JPEG that decodes completely, as RGB pixels; (0, 0) and none otherwise.
struct DecodedJpeg {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};
inline DecodedJpeg decodeJpeg(std::string_view jpeg) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitDecompress(), tjDestroy);
    DecodedJpeg d;
    int subsampling = 0, colours = 0;
    if (tjDecompressHeader3(tj.get(), bytes, size, &d.width, &d.height, &subsampling, &colours))
        return {};
    d.rgb.resize(std::size_t(d.width) * std::size_t(d.height) * 3);
    if (tjDecompress2(tj.get(), bytes, size, d.rgb.data(), d.width, 0, d.height, TJPF_RGB, 0))
        return {};
    return d;
}
inline std::pair<int, int> jpegSize(std::string_view jpeg) {
    const DecodedJpeg d = decodeJpeg(jpeg);
    return {d.width, d.height};
}

} // namespace zarvex::test
