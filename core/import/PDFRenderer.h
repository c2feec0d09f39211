#pragma once

// Draws PDF pages into pixel images and JPEG bytes.
//
// A renderer opens its own copy of the document from the document's bytes and
// owns its own library state, so it shares nothing with the PDFDocument it was
// made from or with other renderers: two renderers may run on two threads at
// the same time. One renderer is used by one thread at a time. Build it once
// and keep it: opening is the costly part, each render is not.
//
// Error policy: construction and every render raise zarvex::Error on failure
// (unreadable data, an index outside the document, a page the library cannot
// draw).

#include "import/PDFDocument.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

// 8-bit RGB pixels, rows top to bottom, no padding: 3 * width bytes per row.
struct PDFBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

class PDFRenderer {
public:
    // Opens the document held in `data` (a whole PDF file).
    explicit PDFRenderer(std::string data);
    // Same, from an open document's bytes.
    static std::unique_ptr<PDFRenderer> fromDocument(const PDFDocument& document);
    // Same, reading the file at `path` as pages are needed rather than all at
    // once (for one-page runs over large files).
    static std::unique_ptr<PDFRenderer> fromFile(const std::filesystem::path& path);

    ~PDFRenderer();
    PDFRenderer(PDFRenderer&&) noexcept;
    PDFRenderer& operator=(PDFRenderer&&) noexcept;
    PDFRenderer(const PDFRenderer&) = delete;
    PDFRenderer& operator=(const PDFRenderer&) = delete;

    int pageCount() const;

    // The size in points of the page at the 0-based `pageIndex` as it is
    // displayed: the crop box with the page's rotation applied (a 612 x 792
    // page rotated by 90 reports 792 x 612).
    PDFSize pageSize(int pageIndex);

    // The page drawn scaled to exactly width x height pixels on white (no
    // transparency survives). width and height must be 1..kMaxRenderSide.
    PDFBitmap render(int pageIndex, int width, int height);

    // render() encoded as baseline JPEG; `factor` 0..1 is the compression
    // quality (1 best), mapped to a JPEG quality of 1..100. A picture whose
    // pixels take more than the band size is drawn and encoded a band of rows
    // at a time, so its pixels are never held whole.
    std::string renderJpeg(int pageIndex, int width, int height, double factor);

    // The band size of renderJpeg in bytes of pixels (32 MiB unless set). A
    // small band suits a one-page process, where fresh memory costs more than
    // drawing a page's contents in several bands.
    void setBandBytes(std::size_t bytes);

private:
    struct Impl;
    explicit PDFRenderer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// The JPEG quality (1..100) used for a compression factor 0..1.
int jpegQualityForFactor(double factor);

// Page images (image pages and the pages pdf2swf draws) stay within these
// bounds: a larger page is drawn smaller with its shape kept, so one page cannot
// ask for gigabytes of pixels (a 16000-point square page at 144 dpi).
inline constexpr double kMaxPagePixels = 8192.0 * 8192.0;
inline constexpr int kMaxRenderSide = 32767; // the largest side render() accepts

// The factor, at most 1, by which a page image of width x height pixels has to
// shrink to stay within kMaxPagePixels and kMaxRenderSide.
double pageImageShrink(double width, double height);

} // namespace zarvex
