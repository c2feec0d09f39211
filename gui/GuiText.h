#pragma once

#include <QMessageBox>
#include <QString>

#include <filesystem>

class QWidget;

namespace zarvex::gui {

// Paths between the core's std::filesystem and Qt's text.
inline QString qpath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}
inline std::filesystem::path fspath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

// A window-modal message over `parent` that does not block the caller; it
// deletes itself when closed.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 const QString& details = {});

} // namespace zarvex::gui
