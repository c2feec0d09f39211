#include "Choosers.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>

namespace zarvex::gui {

namespace {

QString nameFilter(const QStringList& extensions) {
    if (extensions.isEmpty())
        return {};
    QStringList patterns;
    for (const auto& ext : extensions)
        patterns << "*." + ext;
    return QObject::tr("Files (%1)").arg(patterns.join(' '));
}

} // namespace

Choosers Choosers::platform() {
    Choosers choosers;
    choosers.openFile = [](QWidget* parent, const QString& caption, const QString& start,
                           const QStringList& extensions) {
        return QFileDialog::getOpenFileName(parent, caption, start, nameFilter(extensions));
    };
    choosers.saveFile = [](QWidget* parent, const QString& caption, const QString& start,
                           const QStringList& extensions) {
        return QFileDialog::getSaveFileName(parent, caption, start, nameFilter(extensions));
    };
    choosers.color = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
    choosers.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return choosers;
}

} // namespace zarvex::gui
