#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

// One style of the template shown in the chooser's picture grid.
struct IKBTmplStyleItem {
    std::filesystem::path imageID; // the style's "shot.jpg"; also its identity in the grid
    std::string styleName;         // the style folder's name, the caption
};

// The template chooser without its widgets: the template list, the styles of
// the template shown, and the choice. The chooser changes nothing itself: the
// caller applies selectedStyle() (BookController::selectTmplWindowDidEnd).
class SelectTemplateWindowDelegate {
public:
    static constexpr int kRowHeight = 35;

    // Replaces the list with every template folder (FlashTemplate::tmplNames),
    // in natural name order.
    void reloadTmplList();
    // Reloads the list, then returns the row to select for the template `name`:
    // the last row whose folder name equals it ignoring letter case, or none.
    // The styles shown are those of the matched folder, or of `name` when no
    // row matches.
    std::optional<std::size_t> prepairToTmpl(const std::string& name);
    // Replaces the styles with those of the template `name`, in folder order.
    void reloadStylesForTmpl(const std::string& name);

    std::size_t numberOfRows() const { return iTmplListData_.size(); }
    // The folder name of row `row` (never the full path).
    std::string rowTitle(std::size_t row) const;
    // The icon of row `row`: its folder joined with "icon.png".
    std::filesystem::path rowIconFile(std::size_t row) const;

    const std::vector<IKBTmplStyleItem>& styles() const { return iTmplStylesData_; }
    // The chooser's result for the style at `index` of the grid (remembered as
    // selectedItemIndex()); absent when no style is selected.
    std::optional<std::filesystem::path> selectedStyle(std::optional<std::size_t> index);
    std::uint32_t selectedItemIndex() const { return selectedItemIndex_; }

private:
    std::vector<std::filesystem::path> iTmplListData_;
    std::vector<IKBTmplStyleItem> iTmplStylesData_;
    std::uint32_t selectedItemIndex_ = 0;
};

} // namespace zarvex
