#include "app/FlashTemplateOutlineDelegate.h"

#include "base/NotificationCenter.h"
#include "base/StringUtil.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

namespace zarvex {

namespace {

std::vector<std::string> splitAt(const std::string& text, std::string_view separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size())
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

bool isValueColumn(std::string_view column) {
    return column == FlashTemplateOutlineDelegate::kValueColumn;
}

} // namespace

std::size_t
FlashTemplateOutlineDelegate::numberOfChildren(const FlashTemplateProperty* item) const {
    if (item)
        return item->childCount();
    return flashTmpl_ ? flashTmpl_->properties().size() : 0;
}

FlashTemplateProperty*
FlashTemplateOutlineDelegate::child(std::size_t index, const FlashTemplateProperty* item) const {
    if (item)
        return index < item->childCount() ? item->childProperties()[index].get() : nullptr;
    if (!flashTmpl_ || index >= flashTmpl_->properties().size())
        return nullptr;
    return flashTmpl_->properties()[index].get();
}

bool FlashTemplateOutlineDelegate::isItemExpandable(const FlashTemplateProperty& item) {
    return item.childCount() > 0;
}

std::string FlashTemplateOutlineDelegate::objectValue(const FlashTemplateProperty& item,
                                                      std::string_view column) {
    if (column.empty() || column == kKeyColumn)
        return item.title().empty() ? "(Untitled)" : item.title();
    if (!isValueColumn(column))
        return {};
    if (item.propertyType() == pt_bool)
        return item.valueAsBool() ? "1" : "0";
    return item.value().value_or("(Unknown)");
}

FlashTemplateOutlineDelegate::Editor
FlashTemplateOutlineDelegate::editorFor(const FlashTemplateProperty& item) {
    if (item.readOnly())
        return Editor::ReadOnly;
    switch (item.propertyType()) {
    case pt_color:
        return Editor::Color;
    case pt_list:
        return Editor::List;
    case pt_file:
        return Editor::File;
    case pt_bool:
        return Editor::CheckBox;
    default:
        return Editor::Text;
    }
}

std::vector<std::string>
FlashTemplateOutlineDelegate::listItems(const FlashTemplateProperty& item) {
    return splitAt(item.valueSource().value_or(""), ",");
}

int FlashTemplateOutlineDelegate::selectedListItem(const FlashTemplateProperty& item) {
    const auto items = listItems(item);
    const std::string value = item.value().value_or("");
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == value)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string>
FlashTemplateOutlineDelegate::fileExtensions(const std::string& valueSource) {
    std::string filter = valueSource;
    replaceAll(filter, ";", "");
    auto parts = splitAt(filter, "|");
    const std::string& kept = parts.size() >= 2 ? parts[1] : filter;
    std::vector<std::string> extensions;
    for (auto& piece : splitAt(kept, "*."))
        if (!piece.empty())
            extensions.push_back(std::move(piece));
    return extensions;
}

bool FlashTemplateOutlineDelegate::setText(FlashTemplateProperty& item, std::string_view column,
                                           const std::string& text) {
    return store(item, column, text);
}

bool FlashTemplateOutlineDelegate::setListIndex(FlashTemplateProperty& item,
                                                std::string_view column, int index) {
    const auto items = listItems(item);
    if (index < 0 || static_cast<std::size_t>(index) >= items.size())
        return false;
    return store(item, column, items[static_cast<std::size_t>(index)]);
}

bool FlashTemplateOutlineDelegate::setChecked(FlashTemplateProperty& item, std::string_view column,
                                              bool checked) {
    return store(item, column, checked ? "YES" : "NO");
}

bool FlashTemplateOutlineDelegate::store(FlashTemplateProperty& item, std::string_view column,
                                         const std::string& text) {
    if (!isValueColumn(column) || item.readOnly() || item.value() == text)
        return false;
    item.setValue(text);
    NotificationCenter::defaultCenter().post(
        Notification{"FlashTmplProValueChangedNotification", {}, &item});
    return true;
}

void FlashTemplateOutlineDelegate::selectionDidChange() {
    NotificationCenter::defaultCenter().post(
        Notification{"UpdateFlashTmplProTipNotification", {}, this});
}

} // namespace zarvex
