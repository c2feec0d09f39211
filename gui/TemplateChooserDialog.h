#pragma once

#include "app/SelectTemplateWindowDelegate.h"

#include <QDialog>

#include <filesystem>
#include <optional>

class QListWidget;
class QPushButton;

namespace zarvex::gui {

// The template chooser sheet: the templates on the left (icon and folder name),
// the selected template's styles on the right (their "shot.jpg" captioned with
// the style name). OK, a double-click on a style, Cancel and Refresh end or
// refresh it; OK waits for a style to be selected. The result is selectedStyle().
class TemplateChooserDialog : public QDialog {
    Q_OBJECT
public:
    explicit TemplateChooserDialog(QWidget* parent = nullptr);

    // Before each opening: reloads the templates and selects the current one.
    void prepairToTmpl(const std::string& name);
    // The chosen style's "shot.jpg"; absent while no style is selected.
    std::optional<std::filesystem::path> selectedStyle();

    QListWidget* templateList() const { return templates_; }
    QListWidget* styleGrid() const { return styles_; }
    QPushButton* okButton() const { return ok_; }

    void onRefresh();

private:
    void reloadTemplateRows();
    void reloadStylesForTmpl(const std::string& name);
    void showStyles();
    void updateOk();

    SelectTemplateWindowDelegate chooser_;
    QListWidget* templates_;
    QListWidget* styles_;
    QPushButton* ok_;
};

} // namespace zarvex::gui
