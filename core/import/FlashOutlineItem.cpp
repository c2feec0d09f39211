#include "import/FlashOutlineItem.h"

#include "import/TextNumber.h"

#include <algorithm>

namespace zarvex {

void FlashOutlineItem::addChild(FlashOutlineItemPtr child) {
    childItems_.push_back(std::move(child));
}

void FlashOutlineItem::removeChild(const FlashOutlineItemPtr& child) {
    std::erase(childItems_, child);
}

xml::Document FlashOutlineItem::outlineItemAsXMLNode() const {
    auto document = xml::Document::create("o");
    fillXMLNode(document.root());
    return document;
}

xml::Node FlashOutlineItem::appendXMLNodeTo(xml::Node parent) const {
    auto o = parent.appendElement("o");
    fillXMLNode(o);
    return o;
}

void FlashOutlineItem::fillXMLNode(xml::Node o) const {
    o.appendElement("c").setText(caption_.value_or(""));
    o.appendElement("p").setText(std::to_string(pageIndex_));
    o.appendElement("l").setText(std::to_string(level_));
    auto ci = o.appendElement("ci");
    for (const auto& child : childItems_)
        child->appendXMLNodeTo(ci);
}

void FlashOutlineItem::loadItemFromXMLNode(const xml::Node& element) {
    if (!element || element.name() != "o")
        throw FlashOutlineError("ERROR_INIT_OUTLINE_ITEM", "Not a flash outline item");

    if (const auto c = element.child("c"))
        caption_ = c.text();
    if (const auto p = element.child("p"))
        pageIndex_ = readInt(p.text());
    if (const auto l = element.child("l"))
        level_ = readInt(l.text());

    childItems_.clear();
    for (const auto& ci : element.children()) {
        if (ci.name() != "ci")
            continue;
        for (const auto& o : ci.children()) {
            if (o.name() != "o")
                continue;
            auto child = std::make_shared<FlashOutlineItem>();
            child->loadItemFromXMLNode(o);
            child->parent_ = weak_from_this();
            childItems_.push_back(std::move(child));
        }
    }
}

} // namespace zarvex
