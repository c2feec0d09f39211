#include "PageEditorConnector.h"

#include "PageEditorSheet.h"

namespace zarvex::gui {

PageEditorConnector::PageEditorConnector(PageEditorSheet& sheet) : sheet_(sheet) {}

QString PageEditorConnector::SelectImageFile() {
    return sheet_.OnSelectImageFile();
}

QString PageEditorConnector::OnSelectImageFiles(const QString& reName) {
    return sheet_.OnSelectImageFiles(reName);
}

QString PageEditorConnector::OnSelectSWFFile() {
    return sheet_.OnSelectSWFFile();
}

QString PageEditorConnector::OnSelectMovieFile() {
    return sheet_.OnSelectMovieFile();
}

QString PageEditorConnector::OnSelectMusicFile() {
    return sheet_.OnSelectMusicFile();
}

void PageEditorConnector::OnDeleteFile(const QString& path) {
    sheet_.OnDeleteFile(path);
}

void PageEditorConnector::OnSave(const QString& pageConfig) {
    sheet_.OnSave(pageConfig);
}

void PageEditorConnector::Save(const QString& pageConfig) {
    sheet_.OnSave(pageConfig);
}

void PageEditorConnector::SaveAndExit(const QString& pageConfig) {
    sheet_.OnSaveAndExit(pageConfig);
}

void PageEditorConnector::Exit() {
    sheet_.exitWithoutSave();
}

void PageEditorConnector::OpenHelp() {
    sheet_.OpenHelp();
}

} // namespace zarvex::gui
