#pragma once

#include "Choosers.h"

#include "app/PageEditorWindowDelegate.h"

#include <QDialog>

#include <memory>

class QWebChannel;
class QWebEngineView;

namespace zarvex::gui {

class PageEditorConnector;
class PreviewPage;

// The page editor sheet: the editor page of the preview folder in a web view,
// with the native operations published to its scripts as "myconnector". The
// operations that need the page's "ReName()" or "GetPageConfig()" answer get it
// with the call, asked by the bridge script on the page's side. It ends
// with code 1 after "SaveAndExit" and 0 after "Exit" (the window's close button
// asks the page first, as its own Exit button does).
class PageEditorSheet : public QDialog {
    Q_OBJECT
public:
    // The largest size the sheet takes.
    static constexpr QSize kMaximumSize{1440, 720};

    PageEditorSheet(std::unique_ptr<PageEditorWindowDelegate> delegate, Choosers choosers,
                    QWidget* parent = nullptr);
    ~PageEditorSheet() override;

    // Shows the editor page in a new web view.
    void ShowFlashEditorToForm();

    // --- The operations of "myconnector" ----------------------------------------
    // One file of the kind, copied with a date-stamp name.
    QString OnSelectImageFile();
    QString OnSelectSWFFile();
    QString OnSelectMovieFile();
    QString OnSelectMusicFile();
    // Several pictures; the page's "ReName()" answer tells whether they get
    // date-stamp names or keep theirs in a date-stamp folder.
    QString OnSelectImageFiles(const QString& reName);
    void OnDeleteFile(const QString& relative);
    // Writes the page's "GetPageConfig()" answer as the preview's page list.
    // False when the page answered nothing usable (the list stays as it was).
    bool OnSave(const QString& pageConfig);
    void OnSaveAndExit(const QString& pageConfig);
    void exitWithoutSave();
    void OpenHelp();

    PageEditorWindowDelegate& delegate() { return *delegate_; }
    QWebEngineView* webView() const { return mywebView_; }

signals:
    // The page has loaded (or failed to).
    void editorShown(bool ok);

public slots:
    // The close button and Esc: the page asks about unsaved edits, then exits.
    void reject() override;

private:
    QString pickOne(const QString& title, const QStringList& extensions);

    std::unique_ptr<PageEditorWindowDelegate> delegate_;
    Choosers choosers_;
    PageEditorConnector* connector_;
    QWebChannel* channel_;
    QWebEngineView* mywebView_ = nullptr;
    PreviewPage* page_ = nullptr;
    bool ended_ = false;
};

} // namespace zarvex::gui
