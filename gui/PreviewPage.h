#pragma once

#include "Choosers.h"

#include <QWebEnginePage>

#include <filesystem>

namespace zarvex::gui {

// The web page of the live preview. It shows the preview book only: its own
// files load, links that leave the book open in the desktop's browser, and
// nothing else is navigated to.
class PreviewPage : public QWebEnginePage {
    Q_OBJECT
public:
    PreviewPage(std::filesystem::path previewFolder, Choosers choosers, QObject* parent = nullptr);

    void setPreviewFolder(std::filesystem::path folder) { previewFolder_ = std::move(folder); }
    // True for a file address inside the preview folder.
    bool isInsidePreview(const QUrl& url) const;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;

private:
    bool openOutside(const QUrl& url);

    std::filesystem::path previewFolder_;
    Choosers choosers_;
};

} // namespace zarvex::gui
