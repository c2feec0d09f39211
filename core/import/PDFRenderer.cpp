#include "import/PDFRenderer.h"

#include "app/Error.h"

namespace zarvex {

struct PDFRenderer::Impl {};

PDFRenderer::PDFRenderer(std::string) {
    throw Error("not implemented");
}
std::unique_ptr<PDFRenderer> PDFRenderer::fromDocument(const PDFDocument& document) {
    return std::make_unique<PDFRenderer>(document.data());
}
PDFRenderer::~PDFRenderer() = default;
PDFRenderer::PDFRenderer(PDFRenderer&&) noexcept = default;
PDFRenderer& PDFRenderer::operator=(PDFRenderer&&) noexcept = default;
int PDFRenderer::pageCount() const {
    throw Error("not implemented");
}
PDFSize PDFRenderer::pageSize(int) {
    throw Error("not implemented");
}
PDFBitmap PDFRenderer::render(int, int, int) {
    throw Error("not implemented");
}
std::string PDFRenderer::renderJpeg(int, int, int, double) {
    throw Error("not implemented");
}
int jpegQualityForFactor(double) {
    return 85;
}

} // namespace zarvex
