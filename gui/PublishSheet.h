#pragma once

#include "Choosers.h"

#include "base/NotificationCenter.h"

#include <QDialog>
#include <QMessageBox>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;

namespace zarvex {
class AppSettings;
class FlashOutline;
class FlashPageSource;
class FlashPagesAnnotations;
class FlashTemplate;
} // namespace zarvex

namespace zarvex::gui {

// The publish sheet: the output folder, the page's name and title, the form
// (a folder with an HTML page, or an application bundle), the mobile version
// and the high-resolution zoom pages. The book is written on a thread of its
// own into a hidden folder beside the chosen one and moved into place only
// when complete, by the same rules as the command line
// (BookPublisher::publishInto); the sheet shows the steps meanwhile, the zoom
// pass page by page. The choices come from the settings when the sheet is made
// and go back to them when a publish starts.
class PublishSheet : public QDialog {
    Q_OBJECT
public:
    // Output-type tags, as the settings store them.
    static constexpr int kFolderForm = 0;
    static constexpr int kBundleForm = 1;

    explicit PublishSheet(Choosers choosers, QWidget* parent = nullptr);
    // Waits for a publish that is still running.
    ~PublishSheet() override;

    // Where the choices are read and saved; AppSettings::shareInstance()
    // unless set. Setting it fills the controls from it again.
    void setAppSettings(AppSettings* settings);

    // The book to publish, handed over before each opening.
    void setFlashPageSource(std::shared_ptr<FlashPageSource> source);
    void setFlashTmpl(std::shared_ptr<FlashTemplate> tmpl);
    void setFlashOutline(std::shared_ptr<FlashOutline> outline);
    void setFlashPagesAnnotations(std::shared_ptr<FlashPagesAnnotations> annotations);
    // The preview folder whose page list the book takes.
    void setPreviewPath(std::filesystem::path folder);

    // --- Actions --------------------------------------------------------------------
    // Fills the controls from the settings.
    void awakeFromNib();
    // The mobile version is for the folder form only.
    void OnClickOutputType();
    void onSelectFolder();
    void onOpenFolder();
    void onCancel();
    // Whether the book may go to `folder`: asks before an existing folder is
    // replaced. True also when it will be refused afterwards (onPublish says why).
    bool CheckOutputDir(const std::filesystem::path& folder);
    void onPublish();

    bool isPublishing() const { return worker_ != nullptr; }

    // --- The controls (also for the widget tests) -----------------------------------
    QLineEdit* folderField() const { return folder_; }
    QPushButton* chooseFolderButton() const { return chooseFolder_; }
    QPushButton* openFolderButton() const { return openFolder_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* titleField() const { return title_; }
    QButtonGroup* outputTypeGroup() const { return outputType_; }
    QCheckBox* mobileCheckBox() const { return createMobile_; }
    QComboBox* mobileTypeList() const { return mobileType_; }
    QCheckBox* zoomPagesCheckBox() const { return zoomPages_; }
    QLabel* stepLabel() const { return step_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* publishButton() const { return publish_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Escape and the window's close button: ignored while a publish runs.
    void reject() override;

signals:
    // A publish ended; on success the sheet has asked about opening the result
    // and closed, on failure it says why and stays open.
    void publishFinished(bool ok);

private:
    struct Outcome {
        std::filesystem::path book; // empty on failure
        std::string error;
    };

    AppSettings& settings() const;
    void updateControls();
    void showStep(const QString& step, int index, int count);
    void publishEnded(const Outcome& outcome);
    void openResult(const std::filesystem::path& book);
    // A message on top of `parent`, answered without blocking.
    void tell(QWidget* parent, const QString& text, const QString& details = {},
              QMessageBox::Icon icon = QMessageBox::Warning);

    Choosers choosers_;
    AppSettings* settings_ = nullptr;
    std::shared_ptr<FlashPageSource> iFlashPageSource_;
    std::shared_ptr<FlashTemplate> iFlashTmpl_;
    std::shared_ptr<FlashOutline> iFlashOutline_;
    std::shared_ptr<FlashPagesAnnotations> iFlashPagesAnnotations_;
    std::optional<std::filesystem::path> previewFolder_;
    std::unique_ptr<QThread> worker_;
    ScopedObserver zoomPass_; // the zoom pass's progress while a publish runs
    int publishedForm_ = kFolderForm;

    QLineEdit* folder_;
    QPushButton* chooseFolder_;
    QPushButton* openFolder_;
    QLineEdit* name_;
    QLineEdit* title_;
    QButtonGroup* outputType_;
    QCheckBox* createMobile_;
    QComboBox* mobileType_;
    QCheckBox* zoomPages_;
    QLabel* step_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QPushButton* publish_;
};

} // namespace zarvex::gui
