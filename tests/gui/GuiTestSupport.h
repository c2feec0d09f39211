#pragma once

// What the widget tests share: pictures of the windows and waiting for the
// main window's preview.
#include "MainWindow.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace zarvex::gui::test {

inline constexpr int kLoadTimeoutMs = 30000;

// Keeps a picture of a window for people to look at (build folder, gui-shots/).
inline void keepShot(QWidget& widget, const QString& name) {
    QByteArray folder = qgetenv("ZARVEX_GUI_SHOTS");
    if (folder.isEmpty())
        folder = ZARVEX_GUI_SHOTS_DIR;
    std::filesystem::create_directories(folder.toStdString());
    widget.grab().save(QString::fromUtf8(folder) + "/" + name);
}

// Runs `action` and waits until the web view has loaded the preview it asked for.
inline bool waitForPreview(MainWindow& window, const std::function<void()>& action) {
    QSignalSpy shown(&window, &MainWindow::previewShown);
    action();
    // A load that replaces one still running ends that one first, unsuccessfully.
    const auto succeeded = [&] {
        return std::any_of(shown.begin(), shown.end(),
                           [](const QList<QVariant>& args) { return args.at(0).toBool(); });
    };
    QElapsedTimer waited;
    waited.start();
    while (!succeeded() && waited.elapsed() < kLoadTimeoutMs)
        shown.wait(kLoadTimeoutMs - static_cast<int>(waited.elapsed()));
    return succeeded();
}

} // namespace zarvex::gui::test
