#include "import/PDFToPageConverter.h"

#include "base/HXCUtility.h"
#include "base/Log.h"
#include "import/PDFDocument.h"

#include <system_error>

namespace zarvex {

PDFToPageConverter::PDFToPageConverter(std::filesystem::path pdfPath,
                                       std::shared_ptr<PDFDocument> pdfDoc, int quality)
    : quality_(quality), PDFPath_(std::move(pdfPath)),
      converterWorkFolder_(HXCUtility::forceTmpDiractory("Pellido")), PDFDoc_(std::move(pdfDoc)) {}

PDFToPageConverter::~PDFToPageConverter() {
    removeWorkFolder();
}

std::optional<std::filesystem::path> PDFToPageConverter::generateMobilePage(int) {
    return {};
}
std::optional<std::filesystem::path> PDFToPageConverter::generateThumbPage(int) {
    return {};
}
std::optional<std::filesystem::path> PDFToPageConverter::generatePage(int) {
    return {};
}
std::optional<std::filesystem::path> PDFToPageConverter::generateZoomPage(int) {
    return {};
}

void PDFToPageConverter::removeWorkFolder() {
    std::error_code ec;
    if (converterWorkFolder_.empty() || !std::filesystem::exists(converterWorkFolder_, ec))
        return;
    std::filesystem::remove_all(converterWorkFolder_, ec);
    if (ec)
        ZLOG_WARN("cannot remove the work folder {}: {}", converterWorkFolder_.string(),
                  ec.message());
}

} // namespace zarvex
