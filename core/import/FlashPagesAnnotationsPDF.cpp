#include "import/FlashPagesAnnotationsPDF.h"

#include "base/Log.h"
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

// The link as fractions of the page as displayed: the crop box is what shows,
// turned clockwise by the page's rotation; x and y are the top-left corner.
// Single precision throughout. The unturned case keeps the form 1 - top / H so
// its figures stay those of every book written so far.
LinkRect displayedRect(const PDFRect& crop, int rotation, const PDFRect& b) {
    const auto W = static_cast<float>(crop.width);
    const auto H = static_cast<float>(crop.height);
    // Distances of the link's edges from the crop box's edges, in points.
    const auto fromLeft = static_cast<float>(b.left() - crop.left());
    const auto fromRight = static_cast<float>(crop.right() - b.right());
    const auto fromBottom = static_cast<float>(b.bottom() - crop.bottom());
    const auto fromTop = static_cast<float>(crop.top() - b.top());
    const auto w = static_cast<float>(b.width);
    const auto h = static_cast<float>(b.height);
    switch (rotation) {
    case 90: // the unturned bottom edge is now on the left
        return {fromBottom / H, fromLeft / W, h / H, w / W};
    case 180:
        return {fromRight / W, fromBottom / H, w / W, h / H};
    case 270: // the unturned top edge is now on the left
        return {fromTop / H, fromRight / W, h / H, w / W};
    default:
        return {fromLeft / W, 1.0f - static_cast<float>(b.top() - crop.bottom()) / H, w / W, h / H};
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
FlashPagesAnnotationsPDF::annoAttributes(const PDFRect& cropBox, int rotation,
                                         const PDFAnnotation& anno) {
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

    const auto r = displayedRect(cropBox, rotation, anno.bounds);
    attributes.emplace_back("x", fraction(r.x));
    attributes.emplace_back("y", fraction(r.y));
    attributes.emplace_back("width", fraction(r.width));
    attributes.emplace_back("height", fraction(r.height));
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
        const auto attributes = annoAttributes(page.cropRect(), page.rotation(), annotation);
        if (attributes.empty())
            continue;
        auto anno = pageAnnos.appendElement("anno");
        for (const auto& [name, value] : attributes)
            anno.setAttribute(name, value);
    }
}

} // namespace zarvex
