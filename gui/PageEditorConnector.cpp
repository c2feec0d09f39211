#include "PageEditorConnector.h"

#include "PageEditorSheet.h"

namespace zarvex::gui {

PageEditorConnector::PageEditorConnector(PageEditorSheet& sheet) : sheet_(sheet) {}

QString PageEditorConnector::SelectImageFile() {
    return sheet_.OnSelectImageFile();
}

QString PageEditorConnector::OnSelectImageFiles() {
    return sheet_.OnSelectImageFiles();
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

void PageEditorConnector::OnSave() {
    sheet_.OnSave();
}

void PageEditorConnector::Save() {
    sheet_.OnSave();
}

void PageEditorConnector::SaveAndExit() {
    sheet_.OnSaveAndExit();
}

void PageEditorConnector::Exit() {
    sheet_.exitWithoutSave();
}

void PageEditorConnector::OpenHelp() {
    sheet_.OpenHelp();
}

} // namespace zarvex::gui
