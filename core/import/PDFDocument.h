#pragma once

// The import's view of a PDF document: pages with their crop box, rotation and
// link annotations, and the outline. Rendering lives in PDFRenderer.h.
//
// Error policy: a document that cannot be opened is an absent result; every
// other failure of the PDF library (an index outside the document, a broken
// object) raises zarvex::Error.
//
// Threads: a PDFDocument and the PDFPage values taken from it may be used by one
// thread at a time (any thread, but never two at once). PDFPage and the other
// values below are plain data once returned and may travel freely.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarvex {

// A rectangle in PDF points, origin at the bottom left, y growing upwards.
struct PDFRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double left() const { return x; }
    double right() const { return x + width; }
    double bottom() const { return y; }
    double top() const { return y + height; }
    friend bool operator==(const PDFRect&, const PDFRect&) = default;
};

// A size in PDF points.
struct PDFSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const PDFSize&, const PDFSize&) = default;
};

// One entry of a page's /Annots array.
struct PDFAnnotation {
    // The annotation's /Subtype without the slash ("Link", "Text", "Highlight",
    // ...); empty when the dictionary has none.
    std::string type;
    // The /Rect as written in the file, normalised so width and height are not
    // negative: unrotated page space, origin bottom left, y upwards.
    PDFRect bounds;
    // The address of a /URI action as printable ASCII (control characters
    // dropped, other bytes percent-encoded), resolved against the document's
    // /URI /Base when relative; absent for every other kind of target. Any
    // scheme may come through: the caller decides which addresses it follows.
    std::optional<std::string> url;
    // The 0-based index of the page a /Dest or /GoTo action points to; absent
    // when there is none or the document has no such page.
    std::optional<int> destinationPageIndex;
};

// One page of an open document, read when it was taken from the document.
class PDFPage {
public:
    PDFPage() = default;

    // 0-based position of the page in its document.
    int index() const { return index_; }
    // Width and height of the crop box in points (clipped to the media box, as
    // a viewer shows it; the rotation is not applied).
    PDFSize cropBox() const { return {cropRect_.width, cropRect_.height}; }
    // The same crop box with its origin, in unrotated page space: the part of
    // the page that is displayed.
    PDFRect cropRect() const { return cropRect_; }
    // The crop box's size as the page is displayed and rendered: width and
    // height swap on a page turned by 90 or 270 degrees.
    PDFSize displaySize() const {
        return rotation_ % 180 == 0 ? cropBox() : PDFSize{cropRect_.height, cropRect_.width};
    }
    // The page's /Rotate normalised to 0, 90, 180 or 270 degrees.
    int rotation() const { return rotation_; }
    // The page's annotations in /Annots order.
    const std::vector<PDFAnnotation>& annotations() const& { return annotations_; }
    // From a temporary page (doc.pageAt(i).annotations()) the list is moved out,
    // so a reference bound to the result does not dangle.
    std::vector<PDFAnnotation> annotations() && { return std::move(annotations_); }

private:
    friend class PDFDocument;
    int index_ = 0;
    PDFRect cropRect_;
    int rotation_ = 0;
    std::vector<PDFAnnotation> annotations_;
};

// A node of the bookmark outline. The root node carries no label and no
// destination; its children are the top-level bookmarks in document order.
struct PDFOutlineNode {
    // The /Title decoded to valid UTF-8 on one line (see pdfTextString).
    std::string label;
    // 0-based index of the target page; absent when the bookmark has no
    // destination inside the document.
    std::optional<int> destinationPageIndex;
    std::vector<PDFOutlineNode> children;

    int childCount() const { return static_cast<int>(children.size()); }
    // Raises Error when i is outside 0..childCount()-1.
    const PDFOutlineNode& childAt(int i) const;
};

class PDFDocument {
public:
    // Opens the file at `path`. Absent when the file is missing, is no PDF, is
    // damaged beyond repair or needs a password. Never raises.
    static std::shared_ptr<PDFDocument> open(const std::filesystem::path& path);

    ~PDFDocument();
    PDFDocument(const PDFDocument&) = delete;
    PDFDocument& operator=(const PDFDocument&) = delete;

    const std::filesystem::path& path() const;

    // Number of pages, 0 or more.
    int pageCount() const;

    // The page at the 0-based `index`; raises Error for an index outside the
    // document or a page the library cannot read.
    PDFPage pageAt(int index) const;

    // The 0-based index of `page` in this document.
    int indexOfPage(const PDFPage& page) const { return page.index(); }

    // The document's bytes as read from disk (to build a PDFRenderer). Raises
    // Error when the file can no longer be read.
    std::string data() const;

    // The outline's root node, or absent when the document has no outline.
    // Raises Error when the outline cannot be read.
    std::optional<PDFOutlineNode> outlineRoot() const;

private:
    struct Impl;
    explicit PDFDocument(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace zarvex
