#include "import/FlashOutline.h"

namespace zarvex {

xml::Document FlashOutline::outlineAsXMLNode() const {
    auto document = xml::Document::create("ols");
    for (const auto& item : items_)
        item->appendXMLNodeTo(document.root());
    return document;
}

void FlashOutline::loadFromXMLNode(const xml::Node& element) {
    if (!element || element.name() != "ols")
        throw FlashOutlineError("ERROR_INIT_OUTLINES", "Not a flash outline");
    items_.clear();
    for (const auto& o : element.children()) {
        if (o.name() != "o")
            continue;
        auto item = std::make_shared<FlashOutlineItem>();
        item->loadItemFromXMLNode(o);
        items_.push_back(std::move(item));
    }
}

} // namespace zarvex
