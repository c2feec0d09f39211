#pragma once

#include <QObject>
#include <QString>

namespace zarvex::gui {

class PageEditorSheet;

// What the editor page's scripts reach as "myconnector": the sheet's operations
// under the names the page calls. Through the web channel every call is
// asynchronous for the page; the answers arrive as the call's result.
class PageEditorConnector : public QObject {
    Q_OBJECT
public:
    explicit PageEditorConnector(PageEditorSheet& sheet);

public slots:
    // Picked files, copied into the book's "files/editor" folder: their paths
    // relative to "files" ("|" between several), the empty text when cancelled.
    QString SelectImageFile();
    QString OnSelectImageFiles();
    QString OnSelectSWFFile();
    QString OnSelectMovieFile();
    QString OnSelectMusicFile();
    // Deletes a file of the book's "files" folder; paths that leave it are refused.
    void OnDeleteFile(const QString& path);
    // Saving asks the page for its page list and writes it; Save is the same.
    void OnSave();
    void Save();
    void SaveAndExit();
    void Exit();
    void OpenHelp();

private:
    PageEditorSheet& sheet_;
};

} // namespace zarvex::gui
