#include "PublishSheet.h"

#include "GuiText.h"

#include "app/BookPublisher.h"
#include "app/OutputFolder.h"
#include "base/AppSettings.h"
#include "base/Log.h"
#include "import/FlashPageSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include <optional>
#include <system_error>

namespace zarvex::gui {

namespace fs = std::filesystem;

namespace {

// The name of the HTML page (or the bundle) without its extension: one plain
// file name.
bool isUsableName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
           !name.contains(QChar(0));
}

// A one-line message of the core as a sentence of its own.
QString sentence(const std::string& message) {
    QString text = QString::fromStdString(message);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    if (!text.endsWith('.'))
        text += '.';
    return text;
}

} // namespace

PublishSheet::PublishSheet(Choosers choosers, QWidget* parent)
    : QDialog(parent), choosers_(std::move(choosers)), folder_(new QLineEdit(this)),
      chooseFolder_(new QPushButton(tr("Choose..."), this)),
      openFolder_(new QPushButton(tr("Open"), this)), name_(new QLineEdit(this)),
      title_(new QLineEdit(this)), outputType_(new QButtonGroup(this)),
      createMobile_(new QCheckBox(tr("Also write the mobile version"), this)),
      mobileType_(new QComboBox(this)),
      zoomPages_(new QCheckBox(tr("High-resolution zoom pages"), this)), step_(new QLabel(this)),
      progress_(new QProgressBar(this)), cancel_(new QPushButton(tr("Cancel"), this)),
      publish_(new QPushButton(tr("Publish"), this)) {
    setWindowTitle(tr("Publish"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(560);

    folder_->setPlaceholderText(tr("The folder the book is written to"));
    chooseFolder_->setToolTip(tr("Choose the output folder"));
    openFolder_->setToolTip(tr("Show the folder in the file manager"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(chooseFolder_);
    folderRow->addWidget(openFolder_);

    auto* suffix = new QLabel(".html", this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_, 1);
    nameRow->addWidget(suffix);

    auto* folderForm = new QRadioButton(tr("Folder with an HTML page"), this);
    auto* bundleForm = new QRadioButton(tr("Application bundle (.app)"), this);
    outputType_->addButton(folderForm, kFolderForm);
    outputType_->addButton(bundleForm, kBundleForm);
    auto* formRow = new QVBoxLayout;
    formRow->addWidget(folderForm);
    formRow->addWidget(bundleForm);

    mobileType_->addItems({tr("Flip"), tr("Slide")});
    auto* mobileRow = new QHBoxLayout;
    mobileRow->addWidget(createMobile_);
    mobileRow->addWidget(mobileType_);
    mobileRow->addStretch();

    auto* form = new QFormLayout;
    form->addRow(tr("Folder:"), folderRow);
    form->addRow(tr("Name:"), nameRow);
    form->addRow(tr("Title:"), title_);
    form->addRow(tr("Output:"), formRow);
    form->addRow(tr("Mobile:"), mobileRow);
    zoomPages_->setToolTip(tr("Pages at twice the resolution, shown when the reader zooms in "
                              "or has a high-density screen; publishing takes longer"));
    form->addRow(tr("Zoom:"), zoomPages_);

    step_->setVisible(false);
    progress_->setVisible(false);
    publish_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(publish_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(step_);
    layout->addWidget(progress_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(chooseFolder_, &QPushButton::clicked, this, &PublishSheet::onSelectFolder);
    connect(openFolder_, &QPushButton::clicked, this, &PublishSheet::onOpenFolder);
    connect(cancel_, &QPushButton::clicked, this, &PublishSheet::onCancel);
    connect(publish_, &QPushButton::clicked, this, &PublishSheet::onPublish);
    connect(folder_, &QLineEdit::textChanged, this, &PublishSheet::updateControls);
    connect(name_, &QLineEdit::textChanged, this, &PublishSheet::updateControls);
    connect(outputType_, &QButtonGroup::idToggled, this, [this, suffix](int, bool checked) {
        if (!checked)
            return;
        suffix->setText(outputType_->checkedId() == kBundleForm ? ".app" : ".html");
        OnClickOutputType();
    });

    awakeFromNib();
}

PublishSheet::~PublishSheet() {
    if (worker_)
        worker_->wait();
}

AppSettings& PublishSheet::settings() const {
    return settings_ ? *settings_ : AppSettings::shareInstance();
}

void PublishSheet::setAppSettings(AppSettings* settings) {
    settings_ = settings;
    awakeFromNib();
}

void PublishSheet::setFlashPageSource(std::shared_ptr<FlashPageSource> source) {
    iFlashPageSource_ = std::move(source);
    updateControls();
}

void PublishSheet::setFlashTmpl(std::shared_ptr<FlashTemplate> tmpl) {
    iFlashTmpl_ = std::move(tmpl);
    updateControls();
}

void PublishSheet::setFlashOutline(std::shared_ptr<FlashOutline> outline) {
    iFlashOutline_ = std::move(outline);
}

void PublishSheet::setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> annotations) {
    iFlashPagesAnnotations_ = std::move(annotations);
}

void PublishSheet::setPreviewPath(fs::path folder) {
    previewFolder_ = std::move(folder);
}

void PublishSheet::awakeFromNib() {
    const AppSettings& stored = settings();
    folder_->setText(QString::fromStdString(stored.lastOutputFileFolder()));
    name_->setText(QString::fromStdString(stored.lastOutputFileName()));
    title_->setText(QString::fromStdString(stored.lastOutputFileTitle()));
    QAbstractButton* form = outputType_->button(stored.outputType());
    (form ? form : outputType_->button(kFolderForm))->setChecked(true);
    createMobile_->setChecked(stored.OutputCreateMobile() == 1);
    mobileType_->setCurrentIndex(stored.MobileType() == 1 ? 1 : 0);
    zoomPages_->setChecked(stored.OutputZoomPages() == 1);
    updateControls();
}

void PublishSheet::OnClickOutputType() {
    updateControls();
}

void PublishSheet::updateControls() {
    const bool idle = !isPublishing();
    const bool folderForm = outputType_->checkedId() != kBundleForm;
    for (QWidget* control : std::initializer_list<QWidget*>{folder_, chooseFolder_, name_, title_,
                                                            zoomPages_, cancel_})
        control->setEnabled(idle);
    for (QAbstractButton* button : outputType_->buttons())
        button->setEnabled(idle);
    createMobile_->setEnabled(idle && folderForm);
    mobileType_->setEnabled(idle && folderForm);
    std::error_code ec;
    const fs::path folder = fspath(folder_->text());
    openFolder_->setEnabled(idle && !folder.empty() && fs::is_directory(folder, ec));
    publish_->setEnabled(idle && folder.is_absolute() && isUsableName(name_->text()) &&
                         iFlashTmpl_ && iFlashPageSource_);
}

void PublishSheet::onSelectFolder() {
    const QString chosen = choosers_.chooseFolder(this, tr("Choose folder"));
    ZLOG_DEBUG("die end,{}", chosen.toStdString());
    // A cancelled chooser leaves the field as it was.
    if (!chosen.isEmpty())
        folder_->setText(chosen);
}

void PublishSheet::onOpenFolder() {
    const QString folder = folder_->text();
    if (!choosers_.openUrl || !choosers_.openUrl(QUrl::fromLocalFile(folder)))
        tell(this, tr("No application could show the folder %1.").arg(folder));
}

void PublishSheet::onCancel() {
    reject();
}

void PublishSheet::reject() {
    if (!isPublishing())
        QDialog::reject();
}

bool PublishSheet::CheckOutputDir(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return true;
    return choosers_.question(this, QString(),
                              tr("Output directory already exists. Do you want to over write it?"),
                              {tr("YES"), tr("NO")}) == 0;
}

void PublishSheet::onPublish() {
    if (!publish_->isEnabled())
        return;
    PublishChoices choices;
    choices.folder = fspath(folder_->text());
    choices.fileName = name_->text().toStdString();
    choices.title = title_->text().toStdString();
    choices.outputType = outputType_->checkedId() == kBundleForm ? kBundleForm : kFolderForm;
    choices.createMobile = createMobile_->isChecked() ? 1 : 0;
    choices.mobileType = mobileType_->currentIndex() == 1 ? 1 : 0;
    choices.zoomPages = zoomPages_->isChecked() ? 1 : 0;

    std::error_code ec;
    const bool existed = fs::is_directory(choices.folder, ec);
    if (!CheckOutputDir(choices.folder))
        return;
    // "YES" lets only an earlier book go; the core says why anything else stays.
    OutputFolder::Rules rules;
    try {
        rules = OutputFolder::publishingRules(existed, choices.fileName + ".app");
        OutputFolder::check(choices.folder, rules);
    } catch (const std::exception& e) {
        ZLOG_WARN("publish refused: {}", e.what());
        tell(this, tr("Nothing was published or removed."), sentence(e.what()));
        return;
    }

    auto publisher = std::make_shared<BookPublisher>(iFlashPageSource_, iFlashTmpl_, iFlashOutline_,
                                                     iFlashPagesAnnotations_);
    publisher->setAppSettings(&settings());
    if (previewFolder_)
        publisher->setPreviewPath(*previewFolder_);
    // The writers run on the worker; what they report is shown on this thread.
    publisher->setProgress([this](const std::string& step, int index, int count) {
        QMetaObject::invokeMethod(
            this,
            [this, text = QString::fromStdString(step), index, count] {
                showStep(text, index, count);
            },
            Qt::QueuedConnection);
    });
    // The zoom pass reports page by page, as the import's passes do.
    zoomPass_ = ScopedObserver(
        NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
        [this](const Notification& note) {
            if (note.value<std::string>("type") != "geneateZoomPage")
                return;
            QMetaObject::invokeMethod(
                this,
                [this, done = note.value<int>("pageIndex"), total = note.value<int>("totalPage")] {
                    showStep(tr("Making zoom pages"), done, total);
                },
                Qt::QueuedConnection);
        });
    publishedForm_ = choices.outputType;
    worker_.reset(QThread::create([this, publisher, rules, choices] {
        Outcome outcome;
        try {
            std::optional<OutputFolder> output;
            try {
                output.emplace(choices.folder, rules);
            } catch (const std::exception& e) {
                ZLOG_ERROR("publish error:{}", e.what());
                throw;
            }
            outcome.book = publisher->publishInto(*output, choices);
        } catch (const std::exception& e) {
            outcome.book.clear();
            outcome.error = e.what();
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { publishEnded(outcome); }, Qt::QueuedConnection);
    }));
    showStep(tr("Preparing the book folder"), 0, 0);
    step_->setVisible(true);
    progress_->setVisible(true);
    updateControls();
    worker_->start();
}

void PublishSheet::showStep(const QString& step, int index, int count) {
    step_->setText(step);
    progress_->setRange(0, count);
    progress_->setValue(index);
}

void PublishSheet::publishEnded(const Outcome& outcome) {
    worker_->wait();
    worker_.reset();
    zoomPass_.reset();
    step_->setVisible(false);
    progress_->setVisible(false);
    updateControls();
    if (!outcome.error.empty()) {
        tell(this, tr("The book could not be published."), sentence(outcome.error));
        emit publishFinished(false);
        return;
    }
    const int answer =
        choosers_.question(this, tr("Open the result files?"), tr("Publish finished! Open the it?"),
                           {tr("Open it"), tr("No")});
    done(QDialog::Accepted);
    if (answer == 0)
        openResult(outcome.book);
    emit publishFinished(true);
}

void PublishSheet::openResult(const fs::path& book) {
    // The sheet is closed by now: what follows is said on the main window.
    QWidget* owner = parentWidget() ? parentWidget() : this;
    if (publishedForm_ == kFolderForm && iFlashPageSource_ &&
        readsPagesOverHttp(*iFlashPageSource_)) {
        tell(owner,
             tr("The pages of this book are Flash files, which browsers load over http only."),
             tr("To read it, %1.")
                 .arg(QString::fromStdString(httpViewingHint(book.parent_path(), book))),
             QMessageBox::Information);
        return;
    }
    // An application bundle is for a Mac: its folder is shown instead.
    const fs::path target = publishedForm_ == kBundleForm ? book.parent_path() : book;
    if (!choosers_.openUrl || !choosers_.openUrl(QUrl::fromLocalFile(qpath(target))))
        tell(owner, tr("No application could open %1.").arg(qpath(target)));
}

void PublishSheet::tell(QWidget* parent, const QString& text, const QString& details,
                        QMessageBox::Icon icon) {
    showMessage(parent, icon, tr("Publish"), text, details);
}

} // namespace zarvex::gui
