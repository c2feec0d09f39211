#include "ImportSheet.h"

#include "GuiText.h"

#include "base/AppSettings.h"
#include "import/FlashPageSource.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zarvex::gui {

namespace {

// Tags of the radio choices, as the settings keep them.
constexpr int kAllPagesTag = 0;
constexpr int kPageRangeTag = 1;
constexpr int kFlashPagesTag = 0;
constexpr int kImagePagesTag = 1;

constexpr const char* kQualityNames[] = {"Best", "High", "Medium", "Low", "Smallest"};
static_assert(std::size(kQualityNames) == kImportQualities.size());

QString qtext(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

ImportSheet::ImportSheet(AppSettings& settings, Choosers choosers, QWidget* parent)
    : QDialog(parent), choosers_(std::move(choosers)),
      delegate_(
          [this](std::uint64_t operation) {
              // On the import's worker thread: the end is handled on the GUI's.
              QMetaObject::invokeMethod(
                  this, [this, operation] { operationDidEnd(operation); }, Qt::QueuedConnection);
          },
          &settings),
      txtImportFile_(new QLineEdit(this)), btnBrowse_(new QPushButton(tr("Browse..."), this)),
      btnOpenFile_(new QPushButton(tr("Open"), this)), pageRangeType_(new QButtonGroup(this)),
      allPages_(new QRadioButton(tr("All pages"), this)),
      rangePages_(new QRadioButton(tr("Pages:"), this)), txtPageRange_(new QLineEdit(this)),
      importQuality_(new QComboBox(this)), pageFormat_(new QButtonGroup(this)),
      flashPages_(new QRadioButton(tr("Flash pages (SWF)"), this)),
      imagePages_(new QRadioButton(tr("Image pages (JPEG)"), this)),
      btnImportLinks_(new QCheckBox(tr("Import links"), this)),
      btnImportBookMark_(new QCheckBox(tr("Import bookmarks"), this)),
      btnImportText_(new QCheckBox(tr("Extract text"), this)), lblInfo_(new QLabel(this)),
      lblPass_(new QLabel(this)), prgBar_(new QProgressBar(this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)), btnOK_(new QPushButton(tr("Import"), this)),
      progressObserver_(
          NotificationCenter::defaultCenter(), FlashPageSource::kProgressMessage,
          [this](const Notification& note) {
              // anyThread_handleMSG: posted on the worker, shown on the GUI thread.
              const int pageIndex = note.value<int>("pageIndex");
              const int totalPage = note.value<int>("totalPage");
              QMetaObject::invokeMethod(
                  this,
                  [this, pageIndex, totalPage] { mainThread_handleMSG(pageIndex, totalPage); },
                  Qt::QueuedConnection);
          }) {
    setWindowTitle(tr("Import PDF"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(560);

    txtImportFile_->setPlaceholderText(tr("The PDF file to import"));
    txtPageRange_->setPlaceholderText(tr("for example 1-5,8"));
    pageRangeType_->addButton(allPages_, kAllPagesTag);
    pageRangeType_->addButton(rangePages_, kPageRangeTag);
    pageFormat_->addButton(flashPages_, kFlashPagesTag);
    pageFormat_->addButton(imagePages_, kImagePagesTag);
    for (std::size_t level = 0; level < kImportQualities.size(); ++level)
        importQuality_->addItem(
            tr("%1 (JPEG quality %2)").arg(tr(kQualityNames[level])).arg(kImportQualities[level]));
    lblInfo_->setWordWrap(true);
    lblInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    prgBar_->setRange(0, 1000);
    prgBar_->setTextVisible(false);
    btnOK_->setDefault(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(txtImportFile_, 1);
    fileRow->addWidget(btnBrowse_);
    fileRow->addWidget(btnOpenFile_);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(allPages_);
    rangeRow->addSpacing(12);
    rangeRow->addWidget(rangePages_);
    rangeRow->addWidget(txtPageRange_, 1);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(flashPages_);
    formatRow->addWidget(imagePages_);
    formatRow->addStretch();
    auto* optionRow = new QHBoxLayout;
    optionRow->addWidget(btnImportLinks_);
    optionRow->addWidget(btnImportBookMark_);
    optionRow->addWidget(btnImportText_);
    optionRow->addStretch();

    auto* form = new QFormLayout;
    form->addRow(tr("PDF file:"), fileRow);
    form->addRow(tr("Pages:"), rangeRow);
    form->addRow(tr("Quality:"), importQuality_);
    form->addRow(tr("Page files:"), formatRow);
    form->addRow(tr("Import:"), optionRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel_);
    buttons->addWidget(btnOK_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(lblInfo_);
    layout->addWidget(prgBar_);
    layout->addWidget(lblPass_);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(btnBrowse_, &QPushButton::clicked, this, &ImportSheet::onBrowseFileAction);
    connect(btnOpenFile_, &QPushButton::clicked, this, &ImportSheet::onOpenTheFileAction);
    connect(btnOK_, &QPushButton::clicked, this, &ImportSheet::onImportAction);
    connect(btnCancel_, &QPushButton::clicked, this, &ImportSheet::onCancelAction);
    // onPageRangeTypeChangeAction: the range field follows the choice.
    connect(pageRangeType_, &QButtonGroup::idClicked, this, [this] { enableButtons(true); });

    awakeFromNib();
}

ImportSheet::~ImportSheet() {
    // The workers go first: nothing may post progress to a sheet being destroyed.
    delegate_.shutDown();
    progressObserver_.reset();
}

void ImportSheet::awakeFromNib() {
    const ImportChoices saved = ImportChoices::fromSettings(delegate_.settings());
    txtImportFile_->setText(qtext(saved.file));
    (saved.pageRangeType == kPageRangeTag ? rangePages_ : allPages_)->setChecked(true);
    txtPageRange_->setText(qtext(saved.pageRange));
    const bool knownLevel = saved.qualityLevel >= 0 && saved.qualityLevel < importQuality_->count();
    importQuality_->setCurrentIndex(knownLevel ? saved.qualityLevel : 0);
    btnImportLinks_->setChecked(saved.links);
    btnImportBookMark_->setChecked(saved.bookmarks);
    btnImportText_->setChecked(saved.text);
    (saved.importType == kImagePagesTag ? imagePages_ : flashPages_)->setChecked(true);
    enableButtons(true);
}

void ImportSheet::enableButtons(bool e) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             btnOK_, txtImportFile_, btnBrowse_, importQuality_, flashPages_, imagePages_,
             allPages_, rangePages_, btnImportLinks_, btnImportBookMark_, btnImportText_})
        control->setEnabled(e);
    txtPageRange_->setEnabled(e && pageRangeType_->checkedId() == kPageRangeTag);
    lblInfo_->setHidden(e);
    lblPass_->setHidden(e);
    prgBar_->setHidden(e);
}

void ImportSheet::onBrowseFileAction() {
    const QString file =
        choosers_.openFile(this, tr("Import PDF"), txtImportFile_->text(), {"pdf"});
    if (!file.isEmpty())
        txtImportFile_->setText(file);
}

void ImportSheet::onOpenTheFileAction() {
    const QString file = txtImportFile_->text();
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        showInfo(ImportWindowDelegate::kMissingFileMessage);
        return;
    }
    if (!choosers_.openUrl || !choosers_.openUrl(QUrl::fromLocalFile(file)))
        showInfo(tr("No application could open %1.").arg(file));
}

ImportChoices ImportSheet::choices() const {
    ImportChoices choices;
    choices.file = txtImportFile_->text().toStdString();
    choices.pageRangeType = pageRangeType_->checkedId();
    choices.pageRange = txtPageRange_->text().toStdString();
    choices.qualityLevel = importQuality_->currentIndex();
    choices.links = btnImportLinks_->isChecked();
    choices.bookmarks = btnImportBookMark_->isChecked();
    choices.text = btnImportText_->isChecked();
    choices.importType = pageFormat_->checkedId();
    return choices;
}

void ImportSheet::onImportAction() {
    const ImportChoices chosen = choices();
    if (const auto refused = delegate_.onImportAction(chosen)) {
        showInfo(qtext(*refused));
        return;
    }
    progress_ = ImportProgress(chosen.text);
    enableButtons(false);
    lblInfo_->setText(tr("Opening %1...").arg(QFileInfo(txtImportFile_->text()).fileName()));
    lblPass_->clear();
    prgBar_->setRange(0, 0); // busy until the first page is done
}

void ImportSheet::mainThread_handleMSG(int pageIndex, int totalPage) {
    if (!delegate_.isImporting() || lblInfo_->isHidden())
        return;
    progress_.note(pageIndex, totalPage);
    lblInfo_->setText(qtext(progress_.text()));
    lblPass_->setText(qtext(progress_.passText()));
    prgBar_->setRange(0, 1000);
    prgBar_->setValue(progress_.permille());
}

void ImportSheet::operationDidEnd(std::uint64_t operation) {
    const auto end = delegate_.operationDidEnd(operation);
    if (end == ImportWindowDelegate::End::Ignored)
        return;
    enableButtons(true);
    switch (end) {
    case ImportWindowDelegate::End::Succeeded:
        QDialog::accept();
        break;
    case ImportWindowDelegate::End::Failed:
        showInfo(tr("The import failed: %1").arg(qtext(delegate_.failureReason())));
        break;
    case ImportWindowDelegate::End::Cancelled:
        showInfo(tr("The import was cancelled."));
        break;
    case ImportWindowDelegate::End::Ignored:
        break;
    }
}

void ImportSheet::onCancelAction() {
    enableButtons(true);
    if (delegate_.cancelImports())
        return;
    QDialog::reject();
}

void ImportSheet::reject() {
    onCancelAction();
}

void ImportSheet::shutDown() {
    delegate_.shutDown();
    enableButtons(true);
}

void ImportSheet::setImportFile(const std::filesystem::path& pdf) {
    if (delegate_.isImporting())
        return;
    txtImportFile_->setText(qpath(pdf));
    lblInfo_->hide();
}

void ImportSheet::showInfo(const QString& text) {
    lblInfo_->setText(text);
    lblInfo_->show();
}

} // namespace zarvex::gui
