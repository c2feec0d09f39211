#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

namespace zarvex::gui {

// The modal choosers the windows open. Tests replace them to answer without a
// person; the defaults show the platform's dialogs.
struct Choosers {
    // An existing file to open; the empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& start,
                          const QStringList& extensions)>
        openFile;
    // Existing files to open, several at once; empty when cancelled.
    std::function<QStringList(QWidget* parent, const QString& caption, const QString& start,
                              const QStringList& extensions)>
        openFiles;
    // A file name to save to; the empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& caption, const QString& start,
                          const QStringList& extensions)>
        saveFile;
    // An existing folder, its button labelled `prompt`; folders may be created
    // in the chooser. The empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& prompt)> chooseFolder;
    // A question with the buttons `buttons`, the first one the default: the
    // index of the button chosen, -1 when the box was closed without one.
    std::function<int(QWidget* parent, const QString& text, const QString& informativeText,
                      const QStringList& buttons)>
        question;
    // A colour starting from `initial`; absent when cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> color;
    // Opens a document or web address with the desktop's application for it.
    std::function<bool(const QUrl& url)> openUrl;

    static Choosers platform();
};

} // namespace zarvex::gui
