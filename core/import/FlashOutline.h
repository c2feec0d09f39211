#pragma once

#include "base/Xml.h"
#include "import/FlashOutlineItem.h"

#include <vector>

namespace zarvex {

// A bookmark tree: the top-level bookmarks in outline order.
// XML form: <ols><o>...</o>...</ols>.
class FlashOutline {
public:
    FlashOutline() = default;
    virtual ~FlashOutline() = default;
    FlashOutline(const FlashOutline&) = delete;
    FlashOutline& operator=(const FlashOutline&) = delete;
    FlashOutline(FlashOutline&&) = default;
    FlashOutline& operator=(FlashOutline&&) = default;

    const std::vector<FlashOutlineItemPtr>& items() const { return items_; }
    void setItems(std::vector<FlashOutlineItemPtr> items) { items_ = std::move(items); }

    // A new document whose root is the `ols` element of this tree.
    xml::Document outlineAsXMLNode() const;

    // Replaces the tree with the one in an `ols` element. Raises
    // FlashOutlineError("ERROR_INIT_OUTLINES") when the element is not `ols`
    // (the tree is then unchanged); a failing bookmark ends the load with the
    // bookmarks before it kept.
    void loadFromXMLNode(const xml::Node& element);

protected:
    std::vector<FlashOutlineItemPtr> items_;
};

} // namespace zarvex
