#pragma once

#include "import/FlashOutline.h"

namespace zarvex {

class PDFDocument;
struct PDFOutlineNode;

// A bookmark tree read from a PDF document's outline.
class FlashOutlinePDF : public FlashOutline {
public:
    // Appends the document's outline to `items`: top-level entries at level 1,
    // each child one level deeper with its parent set. A bookmark without a
    // destination in the document gets page 0. Nothing happens without a
    // document or without an outline. Raises Error when the PDF library fails;
    // the bookmarks appended before stay.
    void loadOutlineFromPDF(const PDFDocument* document);

    // Appends the children of `node` below `item`, at level `level` + 1, recursively.
    void addOutelineToItems(const FlashOutlineItemPtr& item, const PDFOutlineNode& node, int level,
                            const PDFDocument* document);
};

} // namespace zarvex
