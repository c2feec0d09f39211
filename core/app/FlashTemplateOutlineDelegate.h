#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

class FlashTemplate;
class FlashTemplateProperty;

// The property tree of the current template as a two-column outline ("key" and
// "value"), without the widgets: what each row shows, which editor its value
// gets, and what an edit stores. A front end adapts it to its tree view.
//
// An accepted edit that really changes a value posts
// "FlashTmplProValueChangedNotification" (object: the property); a change of
// the selected row posts "UpdateFlashTmplProTipNotification" (object: this
// delegate). Neither carries user information. Main thread only.
class FlashTemplateOutlineDelegate {
public:
    static constexpr std::string_view kKeyColumn = "key";
    static constexpr std::string_view kValueColumn = "value";

    // The editor a "value" cell gets.
    enum class Editor { Text, List, CheckBox, Color, File, ReadOnly };

    FlashTemplateOutlineDelegate() = default;
    explicit FlashTemplateOutlineDelegate(std::shared_ptr<FlashTemplate> tmpl)
        : flashTmpl_(std::move(tmpl)) {}

    const std::shared_ptr<FlashTemplate>& flashTmpl() const { return flashTmpl_; }
    void setFlashTmpl(std::shared_ptr<FlashTemplate> tmpl) { flashTmpl_ = std::move(tmpl); }

    // The tree: `item` null stands for the root. Without a template the outline
    // is empty.
    std::size_t numberOfChildren(const FlashTemplateProperty* item) const;
    FlashTemplateProperty* child(std::size_t index, const FlashTemplateProperty* item) const;
    static bool isItemExpandable(const FlashTemplateProperty& item);

    // The text a cell shows. "key" (and the full-width row, column empty): the
    // title, "(Untitled)" when it is empty. "value": the value, "(Unknown)" when
    // absent; for a check box "1" or "0". Any other column shows nothing.
    static std::string objectValue(const FlashTemplateProperty& item, std::string_view column);

    static Editor editorFor(const FlashTemplateProperty& item);
    // A list property's choices: its valueSource split at ",", nothing trimmed.
    static std::vector<std::string> listItems(const FlashTemplateProperty& item);
    // The index of the choice equal to the value, -1 when none is.
    static int selectedListItem(const FlashTemplateProperty& item);
    // The extensions a file property accepts, from a filter such as
    // "Images|*.jpg;*.png": ";" removed, the part after the first "|" when there
    // is one, split at "*."; empty pieces are dropped.
    static std::vector<std::string> fileExtensions(const std::string& valueSource);

    // An edit of a cell. Only the "value" column stores anything; each returns
    // true when the value changed (and the change was announced).
    bool setText(FlashTemplateProperty& item, std::string_view column, const std::string& text);
    bool setListIndex(FlashTemplateProperty& item, std::string_view column, int index);
    bool setChecked(FlashTemplateProperty& item, std::string_view column, bool checked);

    // The selected row changed.
    void selectionDidChange();

private:
    bool store(FlashTemplateProperty& item, std::string_view column, const std::string& text);

    std::shared_ptr<FlashTemplate> flashTmpl_;
};

} // namespace zarvex
