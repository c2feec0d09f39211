#pragma once

// Helpers of the widget tests.

#include "MainWindow.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace zarvex::test {

// Keeps a picture of a window for people to look at (build folder, gui-shots/).
inline void keepShot(QWidget& widget, const QString& name) {
    QByteArray folder = qgetenv("ZARVEX_GUI_SHOTS");
    if (folder.isEmpty())
        folder = ZARVEX_GUI_SHOTS_DIR;
    std::filesystem::create_directories(folder.toStdString());
    widget.grab().save(QString::fromUtf8(folder) + "/" + name);
}

// Runs `action` and waits until the web view has loaded the preview it asked for.
inline bool waitForPreview(gui::MainWindow& window, const std::function<void()>& action) {
    constexpr int kLoadTimeoutMs = 30000;
    QSignalSpy shown(&window, &gui::MainWindow::previewShown);
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

} // namespace zarvex::test
