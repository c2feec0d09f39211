#pragma once

#include "base/Error.h"
#include "base/Xml.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

// The failure of loading a bookmark tree from XML: a name that says which
// element was wrong ("ERROR_INIT_OUTLINES", "ERROR_INIT_OUTLINE_ITEM") and a
// reason for people.
class FlashOutlineError : public Error {
public:
    FlashOutlineError(std::string name, std::string reason)
        : Error(name + ": " + reason), name_(std::move(name)), reason_(std::move(reason)) {}

    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

class FlashOutlineItem;
using FlashOutlineItemPtr = std::shared_ptr<FlashOutlineItem>;

// One bookmark: caption, the 1-based number of the PDF page it points to (not a
// position in the book), depth (1 at the top) and its children. A bookmark owns
// its children; `parent` is a back link that owns nothing.
//
// XML form: <o><c>caption</c><p>page</p><l>level</l><ci>child o...</ci></o>.
class FlashOutlineItem : public std::enable_shared_from_this<FlashOutlineItem> {
public:
    FlashOutlineItem() = default;
    FlashOutlineItem(const FlashOutlineItem&) = delete;
    FlashOutlineItem& operator=(const FlashOutlineItem&) = delete;

    const std::optional<std::string>& caption() const { return caption_; }
    void setCaption(std::optional<std::string> caption) { caption_ = std::move(caption); }
    int pageIndex() const { return pageIndex_; }
    void setPageIndex(int pageIndex) { pageIndex_ = pageIndex; }
    FlashOutlineItemPtr parent() const { return parent_.lock(); }
    void setParent(const FlashOutlineItemPtr& parent) { parent_ = parent; }
    const std::vector<FlashOutlineItemPtr>& childItems() const { return childItems_; }
    void setChildItems(std::vector<FlashOutlineItemPtr> items) { childItems_ = std::move(items); }
    int level() const { return level_; }
    void setLevel(int level) { level_ = level; }

    void addChild(FlashOutlineItemPtr child);
    void removeChild(const FlashOutlineItemPtr& child);

    // A new document whose root is this bookmark's `o` element. An absent
    // caption is written as the empty text.
    xml::Document outlineItemAsXMLNode() const;
    // Appends this bookmark's `o` element (with its subtree) to `parent`.
    xml::Node appendXMLNodeTo(xml::Node parent) const;

    // Fills this bookmark from an `o` element: the first `c`, `p` and `l` set
    // caption, page and level (a missing one leaves its field unchanged); the `o`
    // elements inside its `ci` children replace the children, with this bookmark
    // as their parent when a shared_ptr owns it. Raises
    // FlashOutlineError("ERROR_INIT_OUTLINE_ITEM") when the element is not `o`.
    void loadItemFromXMLNode(const xml::Node& element);

private:
    void fillXMLNode(xml::Node o) const;

    std::optional<std::string> caption_;
    int pageIndex_ = 0;
    std::weak_ptr<FlashOutlineItem> parent_;
    std::vector<FlashOutlineItemPtr> childItems_;
    int level_ = 0;
};

} // namespace zarvex
