#pragma once

#include "Choosers.h"

#include "app/ApplyChangeIndicator.h"
#include "app/FlashTemplateOutlineDelegate.h"
#include "base/NotificationCenter.h"

#include <QMainWindow>

#include <filesystem>
#include <optional>

class QAction;
class QGroupBox;
class QPlainTextEdit;
class QTimer;
class QTreeView;
class QWebEngineView;

namespace zarvex {
class BookController;
}

namespace zarvex::gui {

class AboutBox;
class ImportSheet;
class PageEditorSheet;
class PreviewPage;
class PropertyItemDelegate;
class PropertyTreeModel;
class PublishSheet;
class TemplateChooserDialog;

// The application's display name: window title and log file name.
inline constexpr const char* kAppName = "3D Zarvex";

// The main window: the template's property tree with the tip box under it, the
// live preview beside them, and the commands in the toolbar and menus. Every
// book operation is the controller's; this class shows and forwards.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(BookController& controller, Choosers choosers = Choosers::platform(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: the demo book with the default template, the tree expanded, the
    // first preview built and shown.
    void launch();

    // --- Commands -------------------------------------------------------------------
    // Shows the import sheet (a new one, filled from the settings); raises the
    // one that is open.
    void OnImportPDF();
    void OnApplyChange();
    void onSelectTemplate();
    // Hands the current book to the publish sheet and shows it.
    void OnExportFlipBook();
    void OnExportTmplSettings();
    void OnImportTmplSettings();
    void OnOpenHelp();
    // Opens the page editor on the preview book; raises the one that is open.
    void OnPageEditor();
    // The page editor ended (1 = saved): the preview is rebuilt with its edits.
    void pageEditorWindowDidEnd(int returnCode);
    void onOpenAbout();
    // The chooser sheet ended (1 = accepted).
    void selectTmplWindowDidEnd(int returnCode);
    // The import sheet ended (1 = accepted): the imported book replaces the
    // current one and the preview shows it.
    void importWindowDidEnd(int returnCode);
    // A PDF handed to the program (command line, "Open with", dropped on the
    // window): the import sheet opens with its path.
    void openPdf(const std::filesystem::path& pdf);

    // --- What the window shows (also for the widget tests) -----------------------
    QTreeView* outlineView() const { return outlineView_; }
    PropertyTreeModel* outlineModel() const { return model_; }
    PropertyItemDelegate* outlineCells() const { return cells_; }
    QGroupBox* toolTipBox() const { return toolTipBox_; }
    QPlainTextEdit* toolTip() const { return toolTip_; }
    QWebEngineView* webView() const { return webView_; }
    QAction* applyAction() const { return applyAct_; }
    QTimer* applyTimer() const { return applyTimer_; }
    const ApplyChangeIndicator& applyIndicator() const { return indicator_; }
    TemplateChooserDialog* templateChooser() const { return chooser_; }
    // The open import sheet; null when none is open.
    ImportSheet* importSheet() const { return importSheet_; }
    QAction* importAction() const { return importAct_; }
    PublishSheet* publishSheet() const { return publishSheet_; }
    // The open page editor; null when none is open.
    PageEditorSheet* pageEditor() const { return pageEditor_; }
    QAction* pageEditorAction() const { return pageEditorAct_; }
    QAction* publishAction() const { return publishAct_; }
    // The picture the Apply item shows now ("apply", "apply1"...).
    const QString& applyImageName() const { return applyImageName_; }

signals:
    // The web view finished loading a preview page.
    void previewShown(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Cancels a running import and waits for it (the window closes, the program quits).
    void stopImport();
    void buildActions();
    void buildMenus();
    void buildToolBar();
    QWidget* buildSidePanel();
    void setApplyImage(const QString& name);
    void tmplPpertyValueChanged();
    void onTimerEvent();
    void updateTmplPropertyTip();
    // After the controller rebuilt the preview (or failed to): the pending
    // signal stops and the web view shows the new page, or the old one stays.
    void showPreview(const std::optional<std::filesystem::path>& page);
    void reloadOutline(bool expand);
    void reportProblem(const QString& title, const QString& text);

    BookController& controller_;
    Choosers choosers_;
    FlashTemplateOutlineDelegate outline_;
    ApplyChangeIndicator indicator_;
    QString applyImageName_;
    int previewBuild_ = 0;

    PropertyTreeModel* model_ = nullptr;
    PropertyItemDelegate* cells_ = nullptr;
    QTreeView* outlineView_ = nullptr;
    QGroupBox* toolTipBox_ = nullptr;
    QPlainTextEdit* toolTip_ = nullptr;
    QWebEngineView* webView_ = nullptr;
    PreviewPage* previewPage_ = nullptr;
    QTimer* applyTimer_ = nullptr;
    TemplateChooserDialog* chooser_ = nullptr;
    ImportSheet* importSheet_ = nullptr;
    PublishSheet* publishSheet_ = nullptr;
    PageEditorSheet* pageEditor_ = nullptr;
    AboutBox* about_ = nullptr;

    QAction* importAct_ = nullptr;
    QAction* templateAct_ = nullptr;
    QAction* applyAct_ = nullptr;
    QAction* pageEditorAct_ = nullptr;
    QAction* publishAct_ = nullptr;
    QAction* exportSettingsAct_ = nullptr;
    QAction* importSettingsAct_ = nullptr;
    QAction* helpAct_ = nullptr;
    QAction* aboutAct_ = nullptr;
    QAction* quitAct_ = nullptr;

    ScopedObserver valueChanged_;
    ScopedObserver tipChanged_;
};

} // namespace zarvex::gui
