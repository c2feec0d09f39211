#pragma once

#include "base/Xml.h"

#include <optional>
#include <string>
#include <vector>

namespace zarvex {

// The links of a book as one XML tree:
//   <pagesAnnos>
//     <pageAnnos pageIndex="1-based book position">
//       <anno url="..." x=".." y=".." width=".." height=".." action="web"/>
//       <anno pageIndex="PDF page" x=".." y=".." width=".." height=".." action="page"/>
//     </pageAnnos> ...
//   </pagesAnnos>
// x, y, width and height place the link on the page as it is displayed (the
// crop box, turned by the page's rotation): fractions of its width and height,
// x and y the top-left corner, "%f" of single-precision numbers. Players use
// them as they are, over the page picture, which shows the page the same way.
// Plus the files those links need inside a published book. A new object has no
// tree (pagesAnnotationsNode() is a null node).
class FlashPagesAnnotations {
public:
    FlashPagesAnnotations() = default;
    virtual ~FlashPagesAnnotations() = default;
    FlashPagesAnnotations(const FlashPagesAnnotations&) = delete;
    FlashPagesAnnotations& operator=(const FlashPagesAnnotations&) = delete;

    const std::vector<std::string>& needFiles() const { return needFiles_; }
    void setNeedFiles(std::vector<std::string> files) { needFiles_ = std::move(files); }

    // The `pagesAnnos` element, or a null node when there is no tree. Valid
    // while this object lives and the tree is not replaced.
    xml::Node pagesAnnotationsNode() const {
        return pagesAnnotations_ ? pagesAnnotations_->root() : xml::Node();
    }
    // Takes the tree over (its root is the `pagesAnnos` element); absent drops it.
    void setPagesAnnotationsNode(std::optional<xml::Document> tree) {
        pagesAnnotations_ = std::move(tree);
    }

protected:
    std::vector<std::string> needFiles_;
    std::optional<xml::Document> pagesAnnotations_;
};

} // namespace zarvex
