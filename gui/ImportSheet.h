#pragma once

#include "Choosers.h"

#include "app/ImportWindowDelegate.h"
#include "base/NotificationCenter.h"

#include <QDialog>

#include <filesystem>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zarvex {
class AppSettings;
}

namespace zarvex::gui {

// The import sheet: a PDF file, all pages or a page range, one of five quality
// levels, Flash or image pages, links and bookmarks. Filled from the settings;
// OK writes them back and imports on a worker thread while the sheet shows the
// progress of each pass. Success ends the sheet with code 1 and importedBook()
// ready; a failure keeps it open and says why. Cancel stops a running import
// (the sheet stays) or, when none runs, ends the sheet with code 0.
class ImportSheet : public QDialog {
    Q_OBJECT
public:
    ImportSheet(AppSettings& settings, Choosers choosers, QWidget* parent = nullptr);
    // Cancels a running import and waits for it.
    ~ImportSheet() override;

    // Fills the controls from the settings.
    void awakeFromNib();
    // Idle (true) or importing (false) state of the controls.
    void enableButtons(bool e);
    void onBrowseFileAction();
    void onOpenTheFileAction();
    void onImportAction();
    void onCancelAction();
    // Esc and the window's close button act as Cancel.
    void reject() override;
    // Quit: cancels the import and waits for it; the sheet then does nothing more.
    void shutDown();

    // A file to import, from outside the sheet; ignored while importing.
    void setImportFile(const std::filesystem::path& pdf);
    // The choices as the controls show them.
    ImportChoices choices() const;
    bool isImporting() const { return delegate_.isImporting(); }
    // The results, once the sheet has ended with code 1.
    ImportedBook importedBook() const { return delegate_.importedBook(); }

    // --- The controls (also for the widget tests) --------------------------------
    QLineEdit* importFileField() const { return txtImportFile_; }
    QPushButton* browseButton() const { return btnBrowse_; }
    QPushButton* openFileButton() const { return btnOpenFile_; }
    QRadioButton* allPagesChoice() const { return allPages_; }
    QRadioButton* pageRangeChoice() const { return rangePages_; }
    QLineEdit* pageRangeField() const { return txtPageRange_; }
    QComboBox* qualityList() const { return importQuality_; }
    QRadioButton* flashPagesChoice() const { return flashPages_; }
    QRadioButton* imagePagesChoice() const { return imagePages_; }
    QCheckBox* linksBox() const { return btnImportLinks_; }
    QCheckBox* bookmarksBox() const { return btnImportBookMark_; }
    QCheckBox* textBox() const { return btnImportText_; }
    QPushButton* okButton() const { return btnOK_; }
    QPushButton* cancelButton() const { return btnCancel_; }
    QLabel* infoLabel() const { return lblInfo_; }
    QLabel* passLabel() const { return lblPass_; }
    QProgressBar* progressBar() const { return prgBar_; }

private:
    void mainThread_handleMSG(int pageIndex, int totalPage);
    void operationDidEnd(std::uint64_t operation);
    void showInfo(const QString& text);

    Choosers choosers_;
    ImportWindowDelegate delegate_;
    ImportProgress progress_;

    QLineEdit* txtImportFile_;
    QPushButton* btnBrowse_;
    QPushButton* btnOpenFile_;
    QButtonGroup* pageRangeType_;
    QRadioButton* allPages_;
    QRadioButton* rangePages_;
    QLineEdit* txtPageRange_;
    QComboBox* importQuality_;
    QButtonGroup* pageFormat_;
    QRadioButton* flashPages_;
    QRadioButton* imagePages_;
    QCheckBox* btnImportLinks_;
    QCheckBox* btnImportBookMark_;
    QCheckBox* btnImportText_;
    QLabel* lblInfo_;
    QLabel* lblPass_;
    QProgressBar* prgBar_;
    QPushButton* btnCancel_;
    QPushButton* btnOK_;

    ScopedObserver progressObserver_; // last: removed before the controls go
};

} // namespace zarvex::gui
