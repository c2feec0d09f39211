#include "import/PDFDocument.h"

#include "app/Error.h"

namespace zarvex {

struct PDFDocument::Impl {};

const PDFOutlineNode& PDFOutlineNode::childAt(int i) const {
    if (i < 0 || i >= childCount())
        throw Error("outline child index out of range");
    return children[static_cast<std::size_t>(i)];
}

PDFDocument::PDFDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PDFDocument::~PDFDocument() = default;

std::shared_ptr<PDFDocument> PDFDocument::open(const std::filesystem::path&) {
    return nullptr;
}
const std::filesystem::path& PDFDocument::path() const {
    throw Error("not implemented");
}
int PDFDocument::pageCount() const {
    throw Error("not implemented");
}
PDFPage PDFDocument::pageAt(int) const {
    throw Error("not implemented");
}
std::string PDFDocument::data() const {
    throw Error("not implemented");
}
std::optional<PDFOutlineNode> PDFDocument::outlineRoot() const {
    throw Error("not implemented");
}

} // namespace zarvex
