#include "MainWindow.h"

#include "AboutBox.h"
#include "AppImages.h"
#include "GuiText.h"
#include "HelpFile.h"
#include "ImportSheet.h"
#include "PageEditorSheet.h"
#include "PreviewPage.h"
#include "PropertyItemDelegate.h"
#include "PropertyTreeModel.h"
#include "PublishSheet.h"
#include "TemplateChooserDialog.h"

#include "app/BookController.h"
#include "base/Log.h"
#include "base/Resources.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateProperty.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <utility>

namespace zarvex::gui {

namespace fs = std::filesystem;

namespace {

constexpr int kStatusMessageMs = 8000;
constexpr const char* kHelpFile = "3D Zarvex for mac Help/3d zarvex pro for mac manual.pdf";

// The one local PDF file that a drag carries; absent for anything else.
std::optional<fs::path> droppedPdf(const QMimeData* data) {
    if (!data || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return std::nullopt;
    const QString file = data->urls().first().toLocalFile();
    if (!file.endsWith(".pdf", Qt::CaseInsensitive))
        return std::nullopt;
    return fspath(file);
}

} // namespace

MainWindow::MainWindow(BookController& controller, Choosers choosers, QWidget* parent)
    : QMainWindow(parent), controller_(controller), choosers_(std::move(choosers)),
      valueChanged_(NotificationCenter::defaultCenter(), "FlashTmplProValueChangedNotification",
                    [this](const Notification&) { tmplPpertyValueChanged(); }),
      tipChanged_(NotificationCenter::defaultCenter(), "UpdateFlashTmplProTipNotification",
                  [this](const Notification&) { updateTmplPropertyTip(); }) {
    setWindowTitle(kAppName);
    setWindowIcon(QIcon::fromTheme("zarvex", appImage("about")));

    applyTimer_ = new QTimer(this);
    applyTimer_->setInterval(ApplyChangeIndicator::kIntervalMs);
    connect(applyTimer_, &QTimer::timeout, this, &MainWindow::onTimerEvent);

    buildActions();
    buildMenus();
    buildToolBar();

    webView_ = new QWebEngineView(this);
    previewPage_ = new PreviewPage(controller_.flashPreviewFolder(), choosers_, webView_);
    webView_->setPage(previewPage_);
    // The preview book reads its page files by script from its own folder; the
    // page only ever shows that folder (PreviewPage refuses everything else).
    previewPage_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    previewPage_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls,
                                           false);
    connect(previewPage_, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) {
                switch (info.status()) {
                case QWebEngineLoadingInfo::LoadSucceededStatus:
                    emit previewShown(true);
                    break;
                case QWebEngineLoadingInfo::LoadFailedStatus:
                    // The viewer notes the page shown in the address while it loads;
                    // the engine then reports the load as failed, with no error.
                    emit previewShown(info.errorCode() == 0 &&
                                      info.errorDomain() == QWebEngineLoadingInfo::NoErrorDomain);
                    break;
                case QWebEngineLoadingInfo::LoadStoppedStatus:
                    emit previewShown(false);
                    break;
                default:
                    break;
                }
            });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(buildSidePanel());
    splitter->addWidget(webView_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({380, 900});
    setCentralWidget(splitter);

    chooser_ = new TemplateChooserDialog(this);
    connect(chooser_, &QDialog::finished, this, &MainWindow::selectTmplWindowDidEnd);
    // Made once: while the program runs the sheet keeps what was last typed.
    publishSheet_ = new PublishSheet(choosers_, this);
    statusBar();

    // A PDF dropped anywhere on the window, the preview included, is imported.
    setAcceptDrops(true);
    webView_->setAcceptDrops(false);
    // Before the controller's own clean-up at quit removes the work folders.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::stopImport);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildActions() {
    const auto action = [this](const QString& text, QStyle::StandardPixmap icon,
                               QKeySequence shortcut, void (MainWindow::*slot)()) {
        auto* act = new QAction(style()->standardIcon(icon), text, this);
        act->setShortcut(shortcut);
        act->setToolTip(text.section("...", 0, 0).remove('&'));
        if (slot)
            connect(act, &QAction::triggered, this, slot);
        return act;
    };
    importAct_ = action(tr("&Import PDF..."), QStyle::SP_DialogOpenButton, QKeySequence::Open,
                        &MainWindow::OnImportPDF);
    templateAct_ = action(tr("&Template..."), QStyle::SP_FileDialogDetailedView,
                          QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::onSelectTemplate);
    applyAct_ = action(tr("&Apply"), QStyle::SP_DialogApplyButton,
                       QKeySequence(Qt::CTRL | Qt::Key_Return), &MainWindow::OnApplyChange);
    pageEditorAct_ = action(tr("Page &Editor..."), QStyle::SP_FileDialogContentsView,
                            QKeySequence(Qt::CTRL | Qt::Key_K), &MainWindow::OnPageEditor);
    publishAct_ =
        action(tr("&Publish..."), QStyle::SP_DialogSaveButton,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), &MainWindow::OnExportFlipBook);
    exportSettingsAct_ =
        action(tr("E&xport Settings..."), QStyle::SP_ArrowUp,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), &MainWindow::OnExportTmplSettings);
    importSettingsAct_ =
        action(tr("I&mport Settings..."), QStyle::SP_ArrowDown,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &MainWindow::OnImportTmplSettings);
    helpAct_ = action(tr("3D Zarvex &Help"), QStyle::SP_DialogHelpButton,
                      QKeySequence::HelpContents, &MainWindow::OnOpenHelp);
    aboutAct_ = action(tr("&About 3D Zarvex"), QStyle::SP_MessageBoxInformation, {},
                       &MainWindow::onOpenAbout);
    quitAct_ = action(tr("&Quit"), QStyle::SP_DialogCloseButton, QKeySequence::Quit, nullptr);
    connect(quitAct_, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);

    setApplyImage("apply");
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(importAct_);
    file->addAction(publishAct_);
    file->addSeparator();
    file->addAction(exportSettingsAct_);
    file->addAction(importSettingsAct_);
    file->addSeparator();
    file->addAction(quitAct_);
    QMenu* book = menuBar()->addMenu(tr("&Book"));
    book->addAction(templateAct_);
    book->addAction(applyAct_);
    book->addAction(pageEditorAct_);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(helpAct_);
    help->addAction(aboutAct_);
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(tr("Commands"));
    bar->setObjectName("commands");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(28, 28));
    for (QAction* act : {importAct_, templateAct_, applyAct_, pageEditorAct_, publishAct_})
        bar->addAction(act);
    bar->addSeparator();
    for (QAction* act : {exportSettingsAct_, importSettingsAct_})
        bar->addAction(act);
    bar->addSeparator();
    for (QAction* act : {helpAct_, aboutAct_})
        bar->addAction(act);
}

QWidget* MainWindow::buildSidePanel() {
    model_ = new PropertyTreeModel(outline_, this);
    cells_ = new PropertyItemDelegate(choosers_, this);

    outlineView_ = new QTreeView;
    outlineView_->setModel(model_);
    outlineView_->setItemDelegateForColumn(1, cells_);
    outlineView_->setIndentation(8);
    outlineView_->setMouseTracking(true); // the file cells' info buttons follow the pointer
    outlineView_->setAlternatingRowColors(true);
    outlineView_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed);
    outlineView_->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    outlineView_->header()->resizeSection(0, 190);
    connect(outlineView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { outline_.selectionDidChange(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        // A reset replaces the selection model's contents, not the model itself.
        toolTipBox_->setTitle(tr("Property"));
        toolTip_->clear();
    });

    toolTipBox_ = new QGroupBox(tr("Property"));
    toolTip_ = new QPlainTextEdit;
    toolTip_->setReadOnly(true);
    toolTip_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* tipLayout = new QVBoxLayout(toolTipBox_);
    tipLayout->setContentsMargins(6, 6, 6, 6);
    tipLayout->addWidget(toolTip_);

    auto* panel = new QSplitter(Qt::Vertical);
    panel->addWidget(outlineView_);
    panel->addWidget(toolTipBox_);
    panel->setStretchFactor(0, 4);
    panel->setStretchFactor(1, 1);
    return panel;
}

void MainWindow::launch() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    controller_.loadDemoBook();
    outline_.setFlashTmpl(controller_.flashTmpl());
    reloadOutline(true);
    controller_.InitPageConfig("");
    previewPage_->setPreviewFolder(controller_.flashPreviewFolder());
    OnApplyChange();
    setWindowTitle(kAppName);
}

void MainWindow::setApplyImage(const QString& name) {
    applyImageName_ = name;
    applyAct_->setIcon(appImage(name));
}

void MainWindow::tmplPpertyValueChanged() {
    if (indicator_.valueChanged())
        applyTimer_->start();
}

void MainWindow::onTimerEvent() {
    setApplyImage(QString::fromStdString(indicator_.onTimerEvent()));
}

void MainWindow::updateTmplPropertyTip() {
    const QModelIndex current = outlineView_->selectionModel()->currentIndex();
    const FlashTemplateProperty* item = PropertyTreeModel::propertyAt(current);
    if (!item || !outlineView_->selectionModel()->hasSelection())
        return;
    toolTipBox_->setTitle(QString::fromStdString(item->title()));
    toolTip_->setPlainText(QString::fromStdString(item->desc().value_or("")));
}

void MainWindow::OnApplyChange() {
    showPreview(controller_.applyChange());
}

void MainWindow::showPreview(const std::optional<fs::path>& page) {
    applyTimer_->stop();
    setApplyImage(QString::fromStdString(indicator_.stop()));
    if (!page) {
        statusBar()->showMessage(tr("The preview could not be rebuilt: %1")
                                     .arg(QString::fromStdString(controller_.applyError())),
                                 kStatusMessageMs);
        return;
    }
    previewPage_->setPreviewFolder(controller_.flashPreviewFolder());
    // Each build gets its own address, so the web view loads it afresh instead of
    // moving within the old document; the reader stays on the page shown before.
    QUrl url = QUrl::fromLocalFile(qpath(*page));
    url.setQuery(QStringLiteral("build=%1").arg(++previewBuild_));
    if (webView_->url().isLocalFile() && webView_->url().toLocalFile() == url.toLocalFile())
        url.setFragment(webView_->url().fragment());
    webView_->load(url);
}

void MainWindow::reloadOutline(bool expand) {
    model_->reload();
    if (expand)
        outlineView_->expandAll();
}

void MainWindow::onSelectTemplate() {
    if (!controller_.flashTmpl())
        return;
    chooser_->prepairToTmpl(controller_.flashTmpl()->tmplName());
    chooser_->open();
}

void MainWindow::selectTmplWindowDidEnd(int returnCode) {
    if (returnCode != QDialog::Accepted)
        return;
    const auto style = chooser_->selectedStyle();
    if (!style)
        return;
    controller_.acceptTemplate(*style);
    reloadOutline(true);
    OnApplyChange();
}

void MainWindow::OnExportFlipBook() {
    publishSheet_->setFlashTmpl(controller_.flashTmpl());
    publishSheet_->setFlashPageSource(controller_.flashPageSource());
    publishSheet_->setFlashOutline(controller_.flashOutline());
    publishSheet_->setFlashPagesAnnotations(controller_.flashPagesAnnotations());
    publishSheet_->setPreviewPath(controller_.flashPreviewFolder());
    publishSheet_->open();
}

void MainWindow::OnExportTmplSettings() {
    if (!controller_.flashTmpl())
        return;
    const QString start = qpath(homePath() / (controller_.flashTmpl()->tmplName() + ".txt"));
    const QString file = choosers_.saveFile(this, tr("Export Settings"), start, {"txt"});
    if (file.isEmpty())
        return;
    if (const auto written = controller_.OnExportTmplSettings(fspath(file)))
        statusBar()->showMessage(tr("Settings exported to %1").arg(qpath(*written)),
                                 kStatusMessageMs);
    else
        reportProblem(tr("Export Settings"),
                      tr("The settings could not be written to %1.").arg(file));
}

void MainWindow::OnImportTmplSettings() {
    if (!controller_.flashTmpl())
        return;
    const QString file =
        choosers_.openFile(this, tr("Import Settings"), qpath(homePath()), {"txt"});
    if (file.isEmpty())
        return;
    if (!controller_.OnImportTmplSettings(fspath(file))) {
        reportProblem(
            tr("Import Settings"),
            tr("%1 could not be read as a settings file; nothing was changed.").arg(file));
        return;
    }
    reloadOutline(false);
    showPreview(controller_.applyError().empty() ? controller_.previewPage() : std::nullopt);
}

void MainWindow::OnOpenHelp() {
    openHelpFile(this, choosers_, kHelpFile);
}

void MainWindow::OnPageEditor() {
    if (pageEditor_) {
        pageEditor_->raise();
        return;
    }
    pageEditor_ = new PageEditorSheet(controller_.OnPageEditor(), choosers_, this);
    connect(pageEditor_, &QDialog::finished, this, &MainWindow::pageEditorWindowDidEnd);
    pageEditor_->ShowFlashEditorToForm();
    pageEditor_->open();
}

void MainWindow::pageEditorWindowDidEnd(int returnCode) {
    if (PageEditorSheet* sheet = std::exchange(pageEditor_, nullptr))
        sheet->deleteLater();
    controller_.pageEditorWindowDidEnd(returnCode);
    showPreview(controller_.applyError().empty() ? controller_.previewPage() : std::nullopt);
}

void MainWindow::onOpenAbout() {
    if (!about_)
        about_ = new AboutBox(this);
    about_->adjustSize();
    about_->move(geometry().center() - about_->rect().center());
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::OnImportPDF() {
    if (!importSheet_) {
        importSheet_ = new ImportSheet(controller_.appSettings(), choosers_, this);
        connect(importSheet_, &QDialog::finished, this, &MainWindow::importWindowDidEnd);
    }
    importSheet_->open();
    importSheet_->raise();
}

void MainWindow::importWindowDidEnd(int returnCode) {
    ImportSheet* sheet = std::exchange(importSheet_, nullptr);
    if (!sheet)
        return;
    sheet->deleteLater();
    if (returnCode != QDialog::Accepted)
        return;
    controller_.acceptImport(sheet->importedBook());
    reloadOutline(true); // the page size is the imported one now
    OnApplyChange();
}

void MainWindow::openPdf(const fs::path& pdf) {
    OnImportPDF();
    if (importSheet_->isImporting()) {
        statusBar()->showMessage(
            tr("%1 was not opened: an import is running.").arg(qpath(pdf.filename())),
            kStatusMessageMs);
        return;
    }
    importSheet_->setImportFile(pdf);
}

void MainWindow::stopImport() {
    if (importSheet_)
        importSheet_->shutDown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    stopImport();
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedPdf(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (const auto pdf = droppedPdf(event->mimeData())) {
        event->acceptProposedAction();
        openPdf(*pdf);
    }
}

void MainWindow::reportProblem(const QString& title, const QString& text) {
    ZLOG_WARN("{}: {}", title.toStdString(), text.toStdString());
    statusBar()->showMessage(text, kStatusMessageMs);
    showMessage(this, QMessageBox::Warning, title, text);
}

} // namespace zarvex::gui
