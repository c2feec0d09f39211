#include "import/FlashOutlinePDF.h"

#include "base/Log.h"
#include "import/PDFDocument.h"

namespace zarvex {

namespace {

FlashOutlineItemPtr makeItem(const PDFOutlineNode& node, int level) {
    auto item = std::make_shared<FlashOutlineItem>();
    item->setCaption(node.label);
    item->setPageIndex(node.destinationPageIndex ? *node.destinationPageIndex + 1 : 0);
    item->setLevel(level);
    return item;
}

} // namespace

void FlashOutlinePDF::loadOutlineFromPDF(const PDFDocument* document) {
    if (!document)
        return;
    const auto root = document->outlineRoot();
    if (!root)
        return;
    for (int i = 0; i < root->childCount(); ++i) {
        const auto& child = root->childAt(i);
        auto item = makeItem(child, 1);
        ZLOG_DEBUG("{}", child.label);
        items_.push_back(item);
        addOutelineToItems(item, child, 1, document);
    }
}

void FlashOutlinePDF::addOutelineToItems(const FlashOutlineItemPtr& item,
                                         const PDFOutlineNode& node, int level,
                                         const PDFDocument* document) {
    for (int i = 0; i < node.childCount(); ++i) {
        const auto& child = node.childAt(i);
        auto childItem = makeItem(child, level + 1);
        childItem->setParent(item);
        item->addChild(childItem);
        addOutelineToItems(childItem, child, level + 1, document);
    }
}

} // namespace zarvex
