#include "import/JpegScaler.h"

#include "base/Error.h"
#include "import/TurboJpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace zarvex {

namespace {

const unsigned char* bytes(std::string_view jpeg) {
    return reinterpret_cast<const unsigned char*>(jpeg.data());
}

// For each output position along one side, the source positions it covers and
// their weights (fixed point, summing to 1 << 16): the output pixel is the
// average of the source area it covers, so shrinking keeps every source pixel's
// share and a 1:1 size copies.
struct Taps {
    std::vector<int> first;             // first source index of each output position
    std::vector<int> count;             // how many source indices follow
    std::vector<std::uint32_t> weights; // count[i] weights for position i, back to back
};

Taps areaTaps(int from, int to) {
    Taps taps;
    taps.first.resize(static_cast<std::size_t>(to));
    taps.count.resize(static_cast<std::size_t>(to));
    const double step = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double begin = i * step;
        const double end = std::min<double>((i + 1) * step, from);
        const int lo = std::min(static_cast<int>(begin), from - 1);
        const int hi = std::max(lo + 1, std::min(from, static_cast<int>(std::ceil(end))));
        taps.first[static_cast<std::size_t>(i)] = lo;
        taps.count[static_cast<std::size_t>(i)] = hi - lo;
        std::uint32_t given = 0;
        for (int s = lo; s < hi; ++s) {
            const double cover = std::min<double>(s + 1, end) - std::max<double>(s, begin);
            auto w = static_cast<std::uint32_t>(std::max(cover, 0.0) / (end - begin) * 65536.0);
            if (s == hi - 1)
                w = 65536 - given; // the rounding's rest, so weights sum exactly
            given += w;
            taps.weights.push_back(w);
        }
    }
    return taps;
}

// Area resampling of 8-bit RGB, rows one after the other without padding.
std::vector<std::uint8_t> resample(const std::vector<std::uint8_t>& src, int sw, int sh, int dw,
                                   int dh) {
    const Taps across = areaTaps(sw, dw), down = areaTaps(sh, dh);
    // Rows first: each source row shrunk to the output width.
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(sh) * dw * 3);
    for (int y = 0; y < sh; ++y) {
        const std::uint8_t* in = src.data() + static_cast<std::size_t>(y) * sw * 3;
        std::uint32_t* out = rows.data() + static_cast<std::size_t>(y) * dw * 3;
        std::size_t w = 0;
        for (int x = 0; x < dw; ++x) {
            std::uint32_t r = 0, g = 0, b = 0;
            const std::uint8_t* p = in + static_cast<std::size_t>(across.first[x]) * 3;
            for (int k = 0; k < across.count[x]; ++k, p += 3) {
                const std::uint32_t weight = across.weights[w++];
                r += p[0] * weight;
                g += p[1] * weight;
                b += p[2] * weight;
            }
            out[x * 3] = r >> 8; // 8 fractional bits kept for the second pass
            out[x * 3 + 1] = g >> 8;
            out[x * 3 + 2] = b >> 8;
        }
    }
    std::vector<std::uint8_t> result(static_cast<std::size_t>(dh) * dw * 3);
    std::size_t w = 0;
    for (int y = 0; y < dh; ++y) {
        std::vector<std::uint64_t> sum(static_cast<std::size_t>(dw) * 3);
        for (int k = 0; k < down.count[y]; ++k) {
            const std::uint64_t weight = down.weights[w++];
            const std::uint32_t* in =
                rows.data() + static_cast<std::size_t>(down.first[y] + k) * dw * 3;
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += in[i] * weight;
        }
        std::uint8_t* out = result.data() + static_cast<std::size_t>(y) * dw * 3;
        for (std::size_t i = 0; i < sum.size(); ++i)
            out[i] = static_cast<std::uint8_t>(
                std::min<std::uint64_t>((sum[i] + (1u << 23)) >> 24, 255));
    }
    return result;
}

// The JPEG with its frame header saying `wanted` rather than its own size, when
// that drops only the last column or row and keeps the grid of coded blocks:
// decoders then read the same blocks and leave the dropped pixels out, which is
// exactly what a lossless crop would write, at the cost of a copy. Absent when
// the header cannot be found or the grid would change.
std::optional<std::string> withFrameSize(std::string_view jpeg, int haveWidth, int haveHeight,
                                         int wantedWidth, int wantedHeight) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    std::size_t at = 2; // after the start of image marker
    while (at + 4 <= jpeg.size() && byte(at) == 0xff) {
        const unsigned char marker = byte(at + 1);
        const std::size_t length = std::size_t(byte(at + 2)) << 8 | byte(at + 3);
        // Baseline, extended or progressive frame headers (C0 to C2).
        if (marker >= 0xc0 && marker <= 0xc2) {
            const std::size_t frame = at + 4; // precision, height, width, components
            if (length < 8 || frame + 6 > jpeg.size())
                return std::nullopt;
            const int components = byte(frame + 5);
            int maxH = 1, maxV = 1;
            for (int c = 0; c < components; ++c) {
                const std::size_t sampling = frame + 6 + std::size_t(c) * 3 + 1;
                if (sampling >= jpeg.size())
                    return std::nullopt;
                maxH = std::max(maxH, byte(sampling) >> 4);
                maxV = std::max(maxV, byte(sampling) & 15);
            }
            auto blocks = [](int pixels, int block) { return (pixels + block - 1) / block; };
            if (blocks(haveWidth, maxH * 8) != blocks(wantedWidth, maxH * 8) ||
                blocks(haveHeight, maxV * 8) != blocks(wantedHeight, maxV * 8))
                return std::nullopt;
            std::string out(jpeg);
            out[frame + 1] = static_cast<char>(wantedHeight >> 8);
            out[frame + 2] = static_cast<char>(wantedHeight & 0xff);
            out[frame + 3] = static_cast<char>(wantedWidth >> 8);
            out[frame + 4] = static_cast<char>(wantedWidth & 0xff);
            return out;
        }
        if (marker == 0xda || marker == 0xd9) // scan data or the end: no frame header before
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

struct JpegScaler::Handles {
    turbojpeg::Handle decoder{tjInitDecompress()};
    turbojpeg::Handle transformer{tjInitTransform()};
};

JpegScaler::JpegScaler() : handles_(std::make_unique<Handles>()) {}
JpegScaler::~JpegScaler() = default;

JpegScaler::Size JpegScaler::size(std::string_view jpeg) {
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handles_->decoder.get(), bytes(jpeg), jpeg.size(), &width, &height,
                            &subsampling, &colorspace) != 0)
        throw Error(std::string("cannot read the JPEG: ") +
                    tjGetErrorStr2(handles_->decoder.get()));
    return {width, height};
}

std::string JpegScaler::scaled(std::string_view jpeg, Size wanted, int quality) {
    if (wanted.width < 1 || wanted.height < 1)
        throw Error("invalid size for a scaled JPEG");
    const Size have = size(jpeg);
    if (have == wanted)
        return std::string(jpeg);

    const int extraWidth = have.width - wanted.width, extraHeight = have.height - wanted.height;
    if (extraWidth >= 0 && extraWidth <= 1 && extraHeight >= 0 && extraHeight <= 1) {
        if (auto trimmed =
                withFrameSize(jpeg, have.width, have.height, wanted.width, wanted.height))
            return std::move(*trimmed);
        // Cropping at the top left corner needs no decoding and loses nothing else.
        tjtransform crop{};
        crop.r = {0, 0, wanted.width, wanted.height};
        crop.op = TJXOP_NONE;
        crop.options = TJXOPT_CROP;
        turbojpeg::Buffer out;
        unsigned long outSize = 0;
        if (tjTransform(handles_->transformer.get(), bytes(jpeg), jpeg.size(), 1, &out.data,
                        &outSize, &crop, 0) != 0)
            throw Error(std::string("cannot crop the JPEG: ") +
                        tjGetErrorStr2(handles_->transformer.get()));
        return std::string(reinterpret_cast<const char*>(out.data), outSize);
    }

    // The smallest decoding scale that still covers the wanted size.
    int factors = 0;
    const tjscalingfactor* list = tjGetScalingFactors(&factors);
    tjscalingfactor best{1, 1};
    long bestPixels = static_cast<long>(have.width) * have.height;
    for (int i = 0; list && i < factors; ++i) {
        const int w = TJSCALED(have.width, list[i]), h = TJSCALED(have.height, list[i]);
        if (w >= wanted.width && h >= wanted.height && static_cast<long>(w) * h < bestPixels) {
            best = list[i];
            bestPixels = static_cast<long>(w) * h;
        }
    }
    const int dw = TJSCALED(have.width, best), dh = TJSCALED(have.height, best);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(dw) * dh * 3);
    if (tjDecompress2(handles_->decoder.get(), bytes(jpeg), jpeg.size(), pixels.data(), dw, dw * 3,
                      dh, TJPF_RGB, 0) != 0)
        throw Error(std::string("cannot decode the JPEG: ") +
                    tjGetErrorStr2(handles_->decoder.get()));
    if (dw != wanted.width || dh != wanted.height)
        pixels = resample(pixels, dw, dh, wanted.width, wanted.height);
    return encoder_.encode(pixels.data(), wanted.width, wanted.height, wanted.width * 3, quality);
}

} // namespace zarvex
