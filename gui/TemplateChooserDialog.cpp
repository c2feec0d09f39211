#include "TemplateChooserDialog.h"

#include "GuiText.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace zarvex::gui {

TemplateChooserDialog::TemplateChooserDialog(QWidget* parent)
    : QDialog(parent), templates_(new QListWidget(this)), styles_(new QListWidget(this)),
      ok_(new QPushButton(tr("OK"), this)) {
    setWindowTitle(tr("Choose a Template"));
    setWindowModality(Qt::WindowModal);
    resize(820, 520);

    templates_->setIconSize(QSize(32, 32));
    templates_->setUniformItemSizes(true);
    templates_->setMaximumWidth(240);

    styles_->setViewMode(QListView::IconMode);
    styles_->setIconSize(QSize(160, 120));
    styles_->setGridSize(QSize(180, 150));
    styles_->setResizeMode(QListView::Adjust);
    styles_->setMovement(QListView::Static);
    styles_->setWordWrap(true);

    auto* refresh = new QPushButton(tr("Refresh"), this);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    ok_->setDefault(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(templates_);
    lists->addWidget(styles_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(refresh, &QPushButton::clicked, this, &TemplateChooserDialog::onRefresh);
    connect(templates_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto selected = templates_->selectedItems();
        if (!selected.isEmpty())
            reloadStylesForTmpl(selected.first()->text().toStdString());
    });
    connect(styles_, &QListWidget::itemSelectionChanged, this, &TemplateChooserDialog::updateOk);
    connect(styles_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        styles_->setCurrentItem(item);
        accept();
    });
    updateOk();
}

void TemplateChooserDialog::reloadTemplateRows() {
    QSignalBlocker block(templates_);
    templates_->clear();
    for (std::size_t row = 0; row < chooser_.numberOfRows(); ++row) {
        auto* item = new QListWidgetItem(QString::fromStdString(chooser_.rowTitle(row)));
        const QString icon = qpath(chooser_.rowIconFile(row));
        if (QFile::exists(icon))
            item->setIcon(QIcon(icon));
        item->setSizeHint(QSize(0, SelectTemplateWindowDelegate::kRowHeight));
        templates_->addItem(item); // the list takes the item
    }
}

void TemplateChooserDialog::prepairToTmpl(const std::string& name) {
    const auto row = chooser_.prepairToTmpl(name);
    reloadTemplateRows();
    {
        QSignalBlocker block(templates_);
        if (row)
            templates_->setCurrentRow(static_cast<int>(*row));
    }
    showStyles();
}

void TemplateChooserDialog::onRefresh() {
    const auto selected = templates_->currentItem() ? templates_->currentItem()->text() : QString();
    chooser_.reloadTmplList();
    reloadTemplateRows();
    QSignalBlocker block(templates_);
    const auto again = templates_->findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !again.isEmpty())
        templates_->setCurrentItem(again.first());
}

void TemplateChooserDialog::reloadStylesForTmpl(const std::string& name) {
    chooser_.reloadStylesForTmpl(name);
    showStyles();
}

void TemplateChooserDialog::showStyles() {
    styles_->clear();
    for (const auto& style : chooser_.styles()) {
        auto* item = new QListWidgetItem(QString::fromStdString(style.styleName));
        const QString shot = qpath(style.imageID);
        if (QFile::exists(shot))
            item->setIcon(QIcon(shot));
        styles_->addItem(item); // the grid takes the item
    }
    updateOk();
}

std::optional<std::filesystem::path> TemplateChooserDialog::selectedStyle() {
    const auto selected = styles_->selectionModel()->selectedIndexes();
    std::optional<std::size_t> index;
    if (!selected.isEmpty())
        index = static_cast<std::size_t>(selected.first().row());
    return chooser_.selectedStyle(index);
}

void TemplateChooserDialog::updateOk() {
    ok_->setEnabled(!styles_->selectedItems().isEmpty());
}

} // namespace zarvex::gui
