#include "PageEditorSheet.h"

#include "GuiText.h"
#include "HelpFile.h"
#include "PageEditorConnector.h"
#include "PreviewPage.h"

#include "base/Log.h"

#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace zarvex::gui {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEditorHelpFile = "3D Zarvex for mac Help/3d zarvex for mac manual.pdf";

// Qt's channel client, then "myconnector" on the page's window once the channel
// is up, announced by the event "myconnectorready" (the page may be waiting).
// The operations that need an answer of the page take it in the same call: a
// call from the page runs while the page waits for its answer, and the native
// side cannot ask the page anything before it has answered.
QString bridgeScript() {
    QFile client(":/qtwebchannel/qwebchannel.js");
    if (!client.open(QIODevice::ReadOnly)) {
        ZLOG_ERROR("page editor: the web channel client script is missing");
        return {};
    }
    return QString::fromUtf8(client.readAll()) + QStringLiteral(R"(
;(function () {
    var asks = { OnSelectImageFiles: 'ReName', OnSave: 'GetPageConfig', Save: 'GetPageConfig',
                 SaveAndExit: 'GetPageConfig' };
    function pageAnswer(name) {
        try {
            return typeof window[name] === 'function' ? String(window[name]() || '') : '';
        } catch (e) {
            console.error(name + '() failed: ' + e);
            return '';
        }
    }
    function connect() {
        if (typeof qt === 'undefined' || !qt.webChannelTransport) return false;
        new QWebChannel(qt.webChannelTransport, function (channel) {
            var native = channel.objects.myconnector, bridge = {};
            ['SelectImageFile', 'OnSelectImageFiles', 'OnSelectSWFFile', 'OnSelectMovieFile',
             'OnSelectMusicFile', 'OnDeleteFile', 'OnSave', 'Save', 'SaveAndExit', 'Exit',
             'OpenHelp'].forEach(function (name) {
                bridge[name] = function () {
                    var args = Array.prototype.slice.call(arguments);
                    if (asks[name]) args.unshift(pageAnswer(asks[name]));
                    return native[name].apply(native, args);
                };
            });
            window.myconnector = bridge;
            window.dispatchEvent(new Event('myconnectorready'));
        });
        return true;
    }
    if (!connect()) document.addEventListener('DOMContentLoaded', connect, { once: true });
})();
)");
}

} // namespace

PageEditorSheet::PageEditorSheet(std::unique_ptr<PageEditorWindowDelegate> delegate,
                                 Choosers choosers, QWidget* parent)
    : QDialog(parent), delegate_(std::move(delegate)), choosers_(std::move(choosers)),
      connector_(new PageEditorConnector(*this)), channel_(new QWebChannel(this)) {
    connector_->setParent(this);
    channel_->registerObject(QStringLiteral("myconnector"), connector_);
    setWindowTitle(tr("Page Editor"));
    setWindowModality(Qt::WindowModal);
    setMaximumSize(kMaximumSize);
    QSize size = kMaximumSize;
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

PageEditorSheet::~PageEditorSheet() = default;

void PageEditorSheet::ShowFlashEditorToForm() {
    if (mywebView_) { // a new view each showing
        layout()->removeWidget(mywebView_);
        mywebView_->deleteLater();
    }
    mywebView_ = new QWebEngineView(this);
    page_ = new PreviewPage(delegate_->baseFolder(), choosers_, mywebView_);
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    QWebEngineScript bridge;
    bridge.setName(QStringLiteral("myconnector"));
    bridge.setInjectionPoint(QWebEngineScript::DocumentCreation);
    bridge.setWorldId(QWebEngineScript::MainWorld);
    bridge.setSourceCode(bridgeScript());
    page_->scripts().insert(bridge);
    page_->setWebChannel(channel_);
    mywebView_->setPage(page_);
    connect(mywebView_, &QWebEngineView::loadFinished, this, &PageEditorSheet::editorShown);
    layout()->addWidget(mywebView_);
    mywebView_->load(QUrl::fromLocalFile(qpath(delegate_->htmlPath())));
}

QString PageEditorSheet::pickOne(const QString& title, const QStringList& extensions) {
    if (!choosers_.openFiles)
        return {};
    const QStringList picked = choosers_.openFiles(this, title, QString(), extensions);
    if (picked.isEmpty())
        return {};
    return QString::fromStdString(delegate_->CopytoAttachment(fspath(picked.constFirst())));
}

QString PageEditorSheet::OnSelectImageFile() {
    return pickOne(tr("Please select image file to open"), {"jpg", "png", "gif"});
}

QString PageEditorSheet::OnSelectSWFFile() {
    return pickOne(tr("Please select swf file to open"), {"swf"});
}

QString PageEditorSheet::OnSelectMovieFile() {
    return pickOne(tr("Please select the movie file to open"), {"mp4", "flv"});
}

QString PageEditorSheet::OnSelectMusicFile() {
    return pickOne(tr("Please select mp3 file to open"), {"mp3"});
}

QString PageEditorSheet::OnSelectImageFiles(const QString& reName) {
    const bool rename = reName == "YES";
    if (!choosers_.openFiles)
        return {};
    const QStringList picked = choosers_.openFiles(this, tr("Please select images file to open"),
                                                   QString(), {"jpg", "png", "gif"});
    std::vector<fs::path> files;
    for (const QString& file : picked)
        files.push_back(fspath(file));
    return QString::fromStdString(delegate_->copyPicked(files, rename));
}

void PageEditorSheet::OnDeleteFile(const QString& relative) {
    delegate_->OnDeleteFile(relative.toStdString());
}

bool PageEditorSheet::OnSave(const QString& pageConfig) {
    return delegate_->OnSave(pageConfig.toStdString());
}

void PageEditorSheet::OnSaveAndExit(const QString& pageConfig) {
    // Without a saved list the preview's list still has the editor's absolute
    // paths; ending as "not saved" lets the controller turn them back.
    const bool saved = OnSave(pageConfig);
    if (!ended_) {
        ended_ = true;
        done(saved ? 1 : 0);
    }
}

void PageEditorSheet::exitWithoutSave() {
    if (ended_)
        return;
    ended_ = true;
    done(0);
}

void PageEditorSheet::reject() {
    if (ended_ || !page_)
        return exitWithoutSave();
    // The page knows whether there are unsaved edits; it asks and calls Exit itself.
    page_->runJavaScript(
        QStringLiteral("typeof RequestExit === 'function' ? (RequestExit(), 'asked') : 'none'"),
        [sheet = QPointer<PageEditorSheet>(this)](const QVariant& answer) {
            if (sheet && answer.toString() != "asked")
                sheet->exitWithoutSave();
        });
}

void PageEditorSheet::OpenHelp() {
    openHelpFile(this, choosers_, kEditorHelpFile);
}

} // namespace zarvex::gui
