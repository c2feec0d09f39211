#include "app/SelectTemplateWindowDelegate.h"

#include "base/StringUtil.h"
#include "templates/FlashTemplate.h"

#include <algorithm>

namespace zarvex {

void SelectTemplateWindowDelegate::reloadTmplList() {
    iTmplListData_ = FlashTemplate::tmplNames();
    // The folder listing comes in no stable order; readers of the list expect one.
    std::sort(iTmplListData_.begin(), iTmplListData_.end(), [](const auto& a, const auto& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
}

std::optional<std::size_t> SelectTemplateWindowDelegate::prepairToTmpl(const std::string& name) {
    reloadTmplList();
    std::optional<std::size_t> selected;
    for (std::size_t row = 0; row < iTmplListData_.size(); ++row)
        if (upperAscii(rowTitle(row)) == upperAscii(name))
            selected = row;
    // The matched folder's own spelling: names differing in case are different
    // folders on this file system.
    reloadStylesForTmpl(selected ? rowTitle(*selected) : name);
    return selected;
}

void SelectTemplateWindowDelegate::reloadStylesForTmpl(const std::string& name) {
    iTmplStylesData_.clear();
    for (const auto& folder : FlashTemplate::tmplStyleNamesForTmpl(name))
        iTmplStylesData_.push_back({folder / "shot.jpg", folder.filename().string()});
}

std::string SelectTemplateWindowDelegate::rowTitle(std::size_t row) const {
    return row < iTmplListData_.size() ? iTmplListData_[row].filename().string() : std::string();
}

std::filesystem::path SelectTemplateWindowDelegate::rowIconFile(std::size_t row) const {
    return row < iTmplListData_.size() ? iTmplListData_[row] / "icon.png" : std::filesystem::path();
}

std::optional<std::filesystem::path>
SelectTemplateWindowDelegate::selectedStyle(std::optional<std::size_t> index) {
    if (!index || *index >= iTmplStylesData_.size())
        return std::nullopt;
    selectedItemIndex_ = static_cast<std::uint32_t>(*index);
    return iTmplStylesData_[*index].imageID;
}

} // namespace zarvex
