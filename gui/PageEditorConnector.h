#pragma once

#include <QObject>
#include <QString>

namespace zarvex::gui {

class PageEditorSheet;

// What the editor page's scripts reach as "myconnector": the sheet's operations
// under the names the page calls. Through the web channel every call is
// asynchronous for the page; the answers arrive as the call's result. The
// bridge script on the page's side adds the page's own answer as the first
// argument where one is needed ("ReName()" or "GetPageConfig()"); the page
// itself calls these without arguments.
class PageEditorConnector : public QObject {
    Q_OBJECT
public:
    explicit PageEditorConnector(PageEditorSheet& sheet);

public slots:
    // Picked files, copied into the book's "files/editor" folder: their paths
    // relative to "files" ("|" between several), the empty text when cancelled.
    QString SelectImageFile();
    QString OnSelectImageFiles(const QString& reName);
    QString OnSelectSWFFile();
    QString OnSelectMovieFile();
    QString OnSelectMusicFile();
    // Deletes a file of the book's "files" folder; paths that leave it are refused.
    void OnDeleteFile(const QString& path);
    // Saving writes the page's page list; Save is the same.
    void OnSave(const QString& pageConfig);
    void Save(const QString& pageConfig);
    void SaveAndExit(const QString& pageConfig);
    void Exit();
    void OpenHelp();

private:
    PageEditorSheet& sheet_;
};

} // namespace zarvex::gui
