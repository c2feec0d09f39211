#include "Choosers.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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
    choosers.openFiles = [](QWidget* parent, const QString& caption, const QString& start,
                            const QStringList& extensions) {
        return QFileDialog::getOpenFileNames(parent, caption, start, nameFilter(extensions));
    };
    choosers.saveFile = [](QWidget* parent, const QString& caption, const QString& start,
                           const QStringList& extensions) {
        return QFileDialog::getSaveFileName(parent, caption, start, nameFilter(extensions));
    };
    choosers.chooseFolder = [](QWidget* parent, const QString& prompt) {
        QFileDialog dialog(parent);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Accept, prompt);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    choosers.question = [](QWidget* parent, const QString& text, const QString& informativeText,
                           const QStringList& buttons) {
        QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::NoButton, parent);
        box.setInformativeText(informativeText);
        QList<QAbstractButton*> added;
        for (const QString& label : buttons)
            added << box.addButton(label, added.isEmpty() ? QMessageBox::AcceptRole
                                                          : QMessageBox::RejectRole);
        if (!added.isEmpty())
            box.setDefaultButton(qobject_cast<QPushButton*>(added.constFirst()));
        box.exec();
        return static_cast<int>(added.indexOf(box.clickedButton()));
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
