#include "import/PDFRenderer.h"

#include "base/Error.h"
#include "import/JpegEncoder.h"
#include "import/PdfContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace zarvex {

namespace {

// Fonts and decoded images stay cached between pages up to this size.
constexpr std::size_t kRendererStore = 64u << 20;
constexpr std::size_t kDefaultBandBytes = 32u << 20;
// Anti-aliasing of shapes: 6 bits is an 8 x 8 grid a pixel, 64 shades of edge,
// against the library's 17 x 15. Edges differ from the finest setting by a
// sixth of what the page's JPEG encoding itself changes, and vector-heavy pages
// draw in about four fifths of the time. Text keeps the finest setting.
constexpr int kGraphicsAaBits = 6;

// Pixel memory kept from one render to the next. Fresh memory costs a page
// fault per 4 KiB on first touch, which for a 1224 x 1584 page outweighs the
// drawing; so the buffer is reused, and large ones are backed by huge pages
// where the system offers them (one-page pdf2swf runs gain from that).
class PixelBuffer {
public:
    unsigned char* reserve(std::size_t bytes) {
        if (bytes > capacity_) {
            constexpr std::size_t huge = 2u << 20;
            std::size_t size = (bytes + huge - 1) / huge * huge;
            data_.reset(static_cast<unsigned char*>(std::aligned_alloc(huge, size)));
            if (!data_) {
                capacity_ = 0;
                throw std::bad_alloc();
            }
            ::madvise(data_.get(), size, MADV_HUGEPAGE); // a hint; failure is harmless
            capacity_ = size;
        }
        return data_.get();
    }

private:
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::unique_ptr<unsigned char, Free> data_;
    std::size_t capacity_ = 0;
};

} // namespace

struct PDFRenderer::Impl {
    std::string data; // the document reads from these bytes for its whole life
    pdf::Context ctx{kRendererStore};
    pdf::Document doc;
    int pageCount = 0;
    // The last page used; consecutive calls for one page (size, then render)
    // load it once.
    pdf::Page page;
    int pageIndex = -1;
    std::unique_ptr<JpegEncoder> encoder;
    // The pixels of the pixmap draw() returns; reused by the next draw().
    PixelBuffer pixels;
    std::size_t bandBytes = kDefaultBandBytes;

    Impl() { fz_set_graphics_aa_level(ctx, kGraphicsAaBits); }

    void finishOpening() {
        fz_context* c = ctx;
        pdf_document* d = doc.get();
        if (pdf::guarded(c, "open PDF", [&] { return pdf_needs_password(c, d); }))
            throw Error("the PDF needs a password");
        pageCount = pdf::settlePageCount(c, d);
    }

    fz_page* select(int index) {
        if (index < 0 || index >= pageCount)
            throw Error("page index " + std::to_string(index) + " outside the document (" +
                        std::to_string(pageCount) + " pages)");
        if (index != pageIndex || !page) {
            page.reset();
            pageIndex = -1;
            fz_context* c = ctx;
            fz_document* d = &doc.get()->super;
            page = pdf::Page(
                c, pdf::guarded(c, "load page", [&] { return fz_load_page(c, d, index); }));
            pageIndex = index;
        }
        return page.get();
    }

    fz_rect bounds(fz_page* p) {
        fz_context* c = ctx;
        return pdf::guarded(c, "measure page", [&] { return fz_bound_page(c, p); });
    }

    // The transform that scales the page to exactly width x height pixels.
    fz_matrix pageTransform(fz_page* p, int index, int width, int height) {
        if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide)
            throw Error("render size " + std::to_string(width) + "x" + std::to_string(height) +
                        " outside 1.." + std::to_string(kMaxRenderSide));
        fz_rect b = bounds(p);
        float bw = b.x1 - b.x0;
        float bh = b.y1 - b.y0;
        if (!(bw > 0) || !(bh > 0))
            throw Error("page " + std::to_string(index) + " has an empty size");
        return fz_concat(fz_translate(-b.x0, -b.y0),
                         fz_scale(static_cast<float>(width) / bw, static_cast<float>(height) / bh));
    }

    // A white pixmap of width x rows over the reused pixel memory.
    pdf::Pixmap blank(int width, int rows) {
        fz_context* c = ctx;
        unsigned char* samples =
            pixels.reserve(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(rows));
        pdf::Pixmap pix(c, pdf::guarded(c, "render page", [&] {
                            return fz_new_pixmap_with_data(c, fz_device_rgb(c), width, rows,
                                                           nullptr, 0, width * 3, samples);
                        }));
        fz_pixmap* raw = pix.get();
        pdf::guarded(c, "render page", [&] { fz_clear_pixmap_with_value(c, raw, 0xff); });
        return pix;
    }

    pdf::Pixmap draw(int index, int width, int height) {
        fz_page* p = select(index);
        const fz_matrix ctm = pageTransform(p, index, width, height);
        fz_context* c = ctx;
        pdf::Pixmap pix = blank(width, height);
        fz_pixmap* raw = pix.get();
        pdf::Device dev(c, pdf::guarded(c, "render page",
                                        [&] { return fz_new_draw_device(c, fz_identity, raw); }));
        fz_device* device = dev.get();
        pdf::guarded(c, "render page", [&] {
            fz_run_page(c, p, device, ctm, nullptr);
            fz_close_device(c, device);
        });
        return pix;
    }

    // The page recorded once, then each band of rows drawn from the record
    // (which skips what lies outside the band) and handed to the encoder.
    std::string drawJpegInBands(int index, int width, int height, int rowsPerBand, int quality) {
        fz_page* p = select(index);
        const fz_matrix ctm = pageTransform(p, index, width, height);
        fz_context* c = ctx;
        pdf::DisplayList list(
            c, pdf::guarded(c, "record page", [&] { return fz_new_display_list_from_page(c, p); }));
        fz_display_list* recorded = list.get();
        JpegBandEncoder encoder(width, height, quality);
        for (int top = 0; top < height; top += rowsPerBand) {
            const int rows = std::min(rowsPerBand, height - top);
            pdf::Pixmap pix = blank(width, rows);
            fz_pixmap* raw = pix.get();
            pdf::Device dev(c, pdf::guarded(c, "render page", [&] {
                                return fz_new_draw_device(c, fz_identity, raw);
                            }));
            fz_device* device = dev.get();
            const fz_matrix bandCtm = fz_concat(ctm, fz_translate(0, static_cast<float>(-top)));
            const fz_rect scissor =
                fz_make_rect(0, 0, static_cast<float>(width), static_cast<float>(rows));
            pdf::guarded(c, "render page", [&] {
                fz_run_display_list(c, recorded, device, bandCtm, scissor, nullptr);
                fz_close_device(c, device);
            });
            encoder.write(fz_pixmap_samples(c, raw), rows, fz_pixmap_stride(c, raw));
        }
        return encoder.finish();
    }
};

PDFRenderer::PDFRenderer(std::string data) : impl_(std::make_unique<Impl>()) {
    impl_->data = std::move(data);
    fz_context* c = impl_->ctx;
    const auto* bytes = reinterpret_cast<const unsigned char*>(impl_->data.data());
    std::size_t size = impl_->data.size();
    pdf::Stream stream(
        c, pdf::guarded(c, "open PDF data", [&] { return fz_open_memory(c, bytes, size); }));
    fz_stream* stm = stream.get();
    impl_->doc = pdf::Document(
        c, pdf::guarded(c, "open PDF data", [&] { return pdf_open_document_with_stream(c, stm); }));
    impl_->finishOpening();
}

PDFRenderer::PDFRenderer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<PDFRenderer> PDFRenderer::fromFile(const std::filesystem::path& path) {
    auto impl = std::make_unique<Impl>();
    fz_context* c = impl->ctx;
    const std::string name = path.string();
    impl->doc = pdf::Document(
        c, pdf::guarded(c, "open PDF", [&] { return pdf_open_document(c, name.c_str()); }));
    impl->finishOpening();
    return std::unique_ptr<PDFRenderer>(new PDFRenderer(std::move(impl)));
}

std::unique_ptr<PDFRenderer> PDFRenderer::fromDocument(const PDFDocument& document) {
    return std::make_unique<PDFRenderer>(document.data());
}

PDFRenderer::~PDFRenderer() = default;
PDFRenderer::PDFRenderer(PDFRenderer&&) noexcept = default;
PDFRenderer& PDFRenderer::operator=(PDFRenderer&&) noexcept = default;

int PDFRenderer::pageCount() const {
    return impl_->pageCount;
}

PDFSize PDFRenderer::pageSize(int pageIndex) {
    fz_rect b = impl_->bounds(impl_->select(pageIndex));
    return {static_cast<double>(b.x1 - b.x0), static_cast<double>(b.y1 - b.y0)};
}

PDFBitmap PDFRenderer::render(int pageIndex, int width, int height) {
    pdf::Pixmap pix = impl_->draw(pageIndex, width, height);
    fz_context* c = impl_->ctx;
    fz_pixmap* raw = pix.get();
    const unsigned char* samples = fz_pixmap_samples(c, raw);
    auto stride = static_cast<std::size_t>(fz_pixmap_stride(c, raw));
    auto row = static_cast<std::size_t>(width) * 3;
    PDFBitmap bitmap{width, height,
                     std::vector<std::uint8_t>(row * static_cast<std::size_t>(height))};
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        std::memcpy(bitmap.rgb.data() + y * row, samples + y * stride, row);
    return bitmap;
}

void PDFRenderer::setBandBytes(std::size_t bytes) {
    impl_->bandBytes = std::max<std::size_t>(bytes, 1);
}

std::string PDFRenderer::renderJpeg(int pageIndex, int width, int height, double factor) {
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(width, 1)) * 3;
    const std::size_t rowsPerBand = std::max<std::size_t>(impl_->bandBytes / rowBytes, 16);
    if (height > 0 && rowsPerBand < static_cast<std::size_t>(height))
        return impl_->drawJpegInBands(pageIndex, width, height, static_cast<int>(rowsPerBand),
                                      jpegQualityForFactor(factor));
    pdf::Pixmap pix = impl_->draw(pageIndex, width, height);
    fz_context* c = impl_->ctx;
    fz_pixmap* raw = pix.get();
    if (!impl_->encoder)
        impl_->encoder = std::make_unique<JpegEncoder>();
    return impl_->encoder->encode(fz_pixmap_samples(c, raw), width, height,
                                  static_cast<int>(fz_pixmap_stride(c, raw)),
                                  jpegQualityForFactor(factor));
}

double pageImageShrink(double width, double height) {
    if (!(width > 0) || !(height > 0))
        return 1.0;
    return std::min({1.0, std::sqrt(kMaxPagePixels / (width * height)), kMaxRenderSide / width,
                     kMaxRenderSide / height});
}

int jpegQualityForFactor(double factor) {
    if (!(factor == factor)) // NaN
        return 1;
    return std::clamp(static_cast<int>(std::lround(factor * 100.0)), 1, 100);
}

} // namespace zarvex
