#pragma once

#include "import/FlashPagesAnnotations.h"

#include <memory>
#include <string_view>
#include <vector>

namespace zarvex {

class PDFDocument;
struct PDFAnnotation;
struct PDFRect;

// The link tree read from the link annotations of a range of PDF pages.
//
// Positions: a `pageAnnos` element stands for the book page at the same
// 1-based position. The page passes keep only page numbers that lie in the
// document, so the scan skips the others too and counts positions over the
// pages it keeps; a range such as "0,1,2" then still puts page 1's links on
// book page 1.
class FlashPagesAnnotationsPDF : public FlashPagesAnnotations {
public:
    // Scans every page of `pageRange` (parsed as the page source parses it) and
    // replaces the tree and empties `needFiles`. Without a document the tree has
    // no pages. Raises Error when the PDF library fails; the object is then of no
    // use (the caller drops it).
    void loadLinksFromPDF(std::shared_ptr<const PDFDocument> document, std::string_view pageRange);

    // Scans the page at position iCurrentIndex of iNeedToImportPages and appends
    // its `pageAnnos` element (nothing for a number outside the document).
    void parsePage();

    const std::shared_ptr<const PDFDocument>& pdfDoc() const { return pdfDoc_; }
    void setPdfDoc(std::shared_ptr<const PDFDocument> document) { pdfDoc_ = std::move(document); }
    const std::vector<int>& needToImportPages() const { return iNeedToImportPages_; }

    // The `anno` attributes of one link annotation of a page with that crop box
    // (with its origin, in unrotated page space) and rotation (0, 90, 180 or
    // 270; another value counts as 0), as (name, value) pairs in the order they
    // are written, or an empty list when the annotation is no link with a web
    // address or a destination in the document. Addresses other than http,
    // https, mailto and relative ones (javascript:, data:, file: ...) are
    // dropped with a warning.
    static std::vector<std::pair<std::string, std::string>>
    annoAttributes(const PDFRect& cropBox, int rotation, const PDFAnnotation& anno);

private:
    std::vector<int> iNeedToImportPages_;
    std::shared_ptr<const PDFDocument> pdfDoc_;
    int iCurrentIndex_ = 0;
    int keptPages_ = 0; // pageAnnos elements written so far
};

} // namespace zarvex
