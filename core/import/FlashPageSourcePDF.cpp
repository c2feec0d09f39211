#include "import/FlashPageSourcePDF.h"

#include "base/Error.h"
#include "base/Log.h"
#include "import/PDFDocument.h"
#include "import/PDFToSWFPageConverter.h"
#include "import/PageTextExtractor.h"

#include <algorithm>

namespace zarvex {

FlashPageSourcePDF::FlashPageSourcePDF(const std::filesystem::path& pdfPath, std::string pageRange,
                                       int dpi, int quality, AppSettings* settings)
    : iPDFDoc_(PDFDocument::open(pdfPath)), iPageRange_(std::move(pageRange)), iDPI_(dpi),
      iQuality_(quality) {
    setSourceFile(pdfPath);
    if (!iPDFDoc_)
        ZLOG_WARN("cannot open the PDF document {}", pdfPath.string());
    auto converter = std::make_unique<PDFToSWFPageConverter>(pdfPath, iPDFDoc_, quality);
    converter->setAppSettings(settings);
    iNeedToImportPages_ = parsePageRange(iPageRange_, iPDFDoc_ ? iPDFDoc_->pageCount() : 0);
    converter->planPages(iNeedToImportPages_, [this] { return stop(); });
    toPageConverter_ = std::move(converter);
}

FlashPageSourcePDF::~FlashPageSourcePDF() = default;

void FlashPageSourcePDF::runPass(Generate generate, FlashPageList& list, const char* type) {
    const int total = static_cast<int>(iNeedToImportPages_.size());
    for (int i = 0; i < total; ++i) {
        if (stop())
            return;
        const int p = iNeedToImportPages_[static_cast<std::size_t>(i)];
        if (const auto path = (toPageConverter_.get()->*generate)(p))
            list.push_back(std::make_shared<FlashPage>(*path, p));
        postProgress(i + 1, total, type);
    }
}

void FlashPageSourcePDF::generatePages() {
    if (stop())
        return;
    if (!iPDFDoc_)
        throw Error("the PDF document " + sourceFile().string() + " cannot be opened");
    runPass(&PDFToPageConverter::generatePage, pages_, "geneatePage");
    const auto outside = std::count_if(iNeedToImportPages_.begin(), iNeedToImportPages_.end(),
                                       [&](int p) { return p < 1 || p > iPDFDoc_->pageCount(); });
    if (outside > 0)
        ZLOG_WARN("{} numbers of the page range \"{}\" lie outside the {} pages of {}; they make "
                  "no pages",
                  outside, iPageRange_, iPDFDoc_->pageCount(), sourceFile().string());
    if (pages_.empty() && !stop())
        throw Error("the page range \"" + iPageRange_ + "\" names no page of " +
                    sourceFile().string() + " (" + std::to_string(iPDFDoc_->pageCount()) +
                    " pages)");
}

void FlashPageSourcePDF::generateThumbPages() {
    runPass(&PDFToPageConverter::generateThumbPage, thumbPages_, "geneateThumbPage");
}

void FlashPageSourcePDF::generateMobilePages() {
    runPass(&PDFToPageConverter::generateMobilePage, mobilePages_, "geneatePage");
}

void FlashPageSourcePDF::generateNormalPages() {
    const int total = static_cast<int>(iNeedToImportPages_.size());
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (stop())
            return;
        const auto& page = pages_[i];
        if (!getNormalPageAtIndex(page->pageIndex()))
            normalPages_.push_back(page->copyPage(100, 100));
        postProgress(static_cast<int>(i) + 1, total, "geneateNormalPage");
    }
}

void FlashPageSourcePDF::generatePageText() {
    if (stop() || !iPDFDoc_)
        return;
    const auto folder = toPageConverter_->converterWorkFolder() / "text";
    PageTextExtractor extractor(sourceFile());
    extractor.writePages(
        iNeedToImportPages_, folder, [this] { return stop(); },
        [](int done, int total) { postProgress(done, total, "geneateText"); });
    if (!stop())
        setTextFolder(folder);
}

void FlashPageSourcePDF::generateZoomPages() {
    const int total = static_cast<int>(iNeedToImportPages_.size());
    for (int i = 0; i < total; ++i) {
        if (stop())
            return;
        const int p = iNeedToImportPages_[static_cast<std::size_t>(i)];
        if (!findPage(zoomedPages_, p))
            if (const auto path = toPageConverter_->generateZoomPage(p))
                zoomedPages_.push_back(std::make_shared<FlashPage>(*path, p));
        postProgress(i + 1, total, "geneateZoomPage");
    }
}

FlashPagePtr FlashPageSourcePDF::getPageAtIndex(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= pages_.size())
        return nullptr;
    return pages_[static_cast<std::size_t>(position)];
}

FlashPagePtr FlashPageSourcePDF::getNormalPageAtIndex(int pageIndex) const {
    return stop() ? nullptr : findPage(normalPages_, pageIndex);
}

FlashPagePtr FlashPageSourcePDF::getThumbPageAtIndex(int pageIndex) const {
    return stop() ? nullptr : findPage(thumbPages_, pageIndex);
}

FlashPagePtr FlashPageSourcePDF::getZoomedPageAtIndex(int pageIndex) const {
    return stop() ? nullptr : findPage(zoomedPages_, pageIndex);
}

} // namespace zarvex
