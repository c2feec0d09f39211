#include "PreviewPage.h"

#include "app/OutputFolder.h"
#include "base/Log.h"

namespace zarvex::gui {

namespace fs = std::filesystem;

namespace {

// Receives the address of a window the book asks for (a link with a target) and
// hands it to the desktop instead of showing it.
class OutsideWindowPage : public QWebEnginePage {
public:
    OutsideWindowPage(std::function<bool(const QUrl&)> open, QObject* parent)
        : QWebEnginePage(parent), open_(std::move(open)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (open_)
            open_(url);
        deleteLater();
        return false;
    }

private:
    std::function<bool(const QUrl&)> open_;
};

} // namespace

PreviewPage::PreviewPage(fs::path previewFolder, Choosers choosers, QObject* parent)
    : QWebEnginePage(parent), previewFolder_(std::move(previewFolder)),
      choosers_(std::move(choosers)) {}

bool PreviewPage::isInsidePreview(const QUrl& url) const {
    if (!url.isLocalFile() || previewFolder_.empty())
        return false;
    return isWithin(fs::path(url.toLocalFile().toStdString()).lexically_normal(),
                    previewFolder_.lexically_normal());
}

bool PreviewPage::openOutside(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if ((scheme == "http" || scheme == "https" || scheme == "mailto") && choosers_.openUrl)
        choosers_.openUrl(url);
    return false;
}

bool PreviewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (url.scheme() == "about" || url.scheme() == "data" || url.scheme() == "blob")
        return true;
    if (isInsidePreview(url))
        return true;
    // Only a reader's click leaves the book, and it leaves for the desktop's browser.
    if (type == NavigationTypeLinkClicked)
        return openOutside(url);
    ZLOG_WARN("preview: {} navigation to {} refused", isMainFrame ? "page" : "frame",
              url.toString().toStdString());
    return false;
}

QWebEnginePage* PreviewPage::createWindow(WebWindowType) {
    return new OutsideWindowPage(choosers_.openUrl, this); // deletes itself after one address
}

void PreviewPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                           const QString& message, int line,
                                           const QString& source) {
    if (level == ErrorMessageLevel)
        ZLOG_WARN("preview script: {} ({}:{})", message.toStdString(), source.toStdString(), line);
    else
        ZLOG_DEBUG("preview script: {} ({}:{})", message.toStdString(), source.toStdString(), line);
}

} // namespace zarvex::gui
