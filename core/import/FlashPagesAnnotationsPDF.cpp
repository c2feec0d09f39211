#include "import/FlashPagesAnnotationsPDF.h"

#include "app/Log.h"
#include "import/FlashPageSource.h"
#include "import/PDFDocument.h"
#include "import/PdfText.h"

#include <cmath>
#include <cstdio>

namespace zarvex {

namespace {

// "%f" of a single-precision fraction; a degenerate crop box gives 0, never
// "nan" or "inf" in the book's XML.
std::string fraction(float value) {
    if (!std::isfinite(value))
        value = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

struct LinkRect {
    float x = 0, y = 0, width = 0, height = 0;
};

// The link's reference corner and size for the page's rotation, in page points.
LinkRect rotatedRect(const PDFRect& b, int rotation) {
    const auto left = static_cast<float>(b.left());
    const auto right = static_cast<float>(b.right());
    const auto top = static_cast<float>(b.top());
    const auto bottom = static_cast<float>(b.bottom());
    const auto w = static_cast<float>(b.width);
    const auto h = static_cast<float>(b.height);
    switch (rotation) {
    case 0:
        return {left, top, w, h};
    case 90:
        return {right, top, h, w};
    case 180:
        return {right, bottom, w, h};
    case 270:
        return {left, bottom, h, w};
    default:
        return {};
    }
}

// Only addresses a reader's browser may open without running anything: web and
// mail addresses, and addresses relative to the book.
bool isFollowedAddress(std::string_view url) {
    const auto scheme = uriScheme(url);
    return !scheme || *scheme == "http" || *scheme == "https" || *scheme == "mailto";
}

} // namespace

std::vector<std::pair<std::string, std::string>>
FlashPagesAnnotationsPDF::annoAttributes(PDFSize cropBox, int rotation, const PDFAnnotation& anno) {
    std::vector<std::pair<std::string, std::string>> attributes;
    if (anno.type != "Link")
        return attributes;
    if (anno.url) {
        if (!isFollowedAddress(*anno.url)) {
            ZLOG_WARN("link to \"{}\" dropped: only web, mail and relative addresses are followed",
                      *anno.url);
            return attributes;
        }
        attributes.emplace_back("url", *anno.url);
    } else if (anno.destinationPageIndex)
        attributes.emplace_back("pageIndex", std::to_string(*anno.destinationPageIndex + 1));
    else
        return attributes;

    const auto r = rotatedRect(anno.bounds, rotation);
    const auto W = static_cast<float>(cropBox.width);
    const auto H = static_cast<float>(cropBox.height);
    attributes.emplace_back("x", fraction(r.x / W));
    attributes.emplace_back("y", fraction(1.0f - r.y / H));
    attributes.emplace_back("width", fraction(r.width / W));
    attributes.emplace_back("height", fraction(r.height / H));
    attributes.emplace_back("action", anno.url ? "web" : "page");
    return attributes;
}

void FlashPagesAnnotationsPDF::loadLinksFromPDF(std::shared_ptr<const PDFDocument> document,
                                                std::string_view pageRange) {
    pdfDoc_ = std::move(document);
    iNeedToImportPages_ =
        FlashPageSource::parsePageRange(pageRange, pdfDoc_ ? pdfDoc_->pageCount() : 0);
    needFiles_.clear();
    pagesAnnotations_ = xml::Document::create("pagesAnnos");
    keptPages_ = 0;
    for (iCurrentIndex_ = 0; iCurrentIndex_ < static_cast<int>(iNeedToImportPages_.size());
         ++iCurrentIndex_)
        parsePage();
}

void FlashPagesAnnotationsPDF::parsePage() {
    if (!pagesAnnotations_ || iCurrentIndex_ < 0 ||
        iCurrentIndex_ >= static_cast<int>(iNeedToImportPages_.size()))
        return;
    const int p = iNeedToImportPages_[static_cast<std::size_t>(iCurrentIndex_)];
    ZLOG_DEBUG("page is:{}", p);
    if (!pdfDoc_ || p < 1 || p > pdfDoc_->pageCount()) {
        ZLOG_DEBUG("page {} is not in the document; no links", p);
        return;
    }
    const auto page = pdfDoc_->pageAt(p - 1);

    auto pageAnnos = pagesAnnotations_->root().appendElement("pageAnnos");
    pageAnnos.setAttribute("pageIndex", std::to_string(++keptPages_));
    if (!page.annotations().empty())
        ZLOG_DEBUG("count is:{}", page.annotations().size());
    for (const auto& annotation : page.annotations()) {
        const auto attributes = annoAttributes(page.cropBox(), page.rotation(), annotation);
        if (attributes.empty())
            continue;
        auto anno = pageAnnos.appendElement("anno");
        for (const auto& [name, value] : attributes)
            anno.setAttribute(name, value);
    }
}

} // namespace zarvex
